#include "gui/Menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gui {
namespace {

struct Recorder {
    std::vector<std::string> log;
    void watch(Menu& menu, const std::string& name) {
        menu.changeEvent.setHandler(NotifyEvent::bind([this, name] { log.push_back(name); }));
    }
};

TEST(Menu, InsertingPlacesItemsAndSetsTheirParent) {
    Menu menu("Presets");
    auto* b = new MenuItem("b");
    menu.addItem(b);
    auto* a = new MenuItem("a");
    menu.insertItem(0, a);
    auto* d = new MenuItem("d");
    menu.insertItem(99, d); // past the end: appended
    auto* c = new MenuItem("c");
    menu.insertItem(-4, c); // before the start: first
    ASSERT_EQ(menu.itemCount(), 4);
    EXPECT_EQ(menu.itemAt(0), c);
    EXPECT_EQ(menu.itemAt(1), a);
    EXPECT_EQ(menu.itemAt(3), d);
    EXPECT_EQ(menu.itemAt(4), nullptr);
    EXPECT_EQ(a->parentMenu(), &menu);
    EXPECT_EQ(menu.title(), "Presets");
    MenuItem* separator = menu.addSeparator();
    EXPECT_TRUE(separator->isSeparator());
    EXPECT_FALSE(MenuItem("--").isSeparator());
    EXPECT_EQ(MenuItem("x").id.getValue(), 0);
}

TEST(Menu, ChangesReachEveryEnclosingMenuOnce) {
    Recorder r;
    Menu top;
    auto* sub = new MenuItem("Sub");
    auto* leaf = new MenuItem("Leaf");
    top.addItem(sub);
    sub->addItem(leaf);
    r.watch(top, "top");
    r.watch(*sub, "sub");
    r.watch(*leaf, "leaf");
    leaf->text.setValue("Renamed");
    EXPECT_EQ(r.log, (std::vector<std::string>{"leaf", "sub", "top"}));
    r.log.clear();
    leaf->id.setValue(7); // no owner: no update
    leaf->text.setValue("Renamed");
    EXPECT_TRUE(r.log.empty());
    // A held menu fires once for many item changes.
    {
        UpdatedObject::Hold hold(top);
        leaf->isChecked.setValue(true);
        leaf->enabled.setValue(false);
        sub->visible.setValue(false);
    }
    EXPECT_EQ(r.log, (std::vector<std::string>{"leaf", "sub", "leaf", "sub", "sub", "top"}));
}

TEST(Menu, ClearFiresOnceAndDestructionNever) {
    Recorder r;
    auto* menu = new Menu;
    auto* sub = new MenuItem("Sub");
    menu->addItem(sub);
    sub->addItem(new MenuItem("a"));
    sub->addItem(new MenuItem("b"));
    r.watch(*menu, "menu");
    r.watch(*sub, "sub");
    sub->clear();
    EXPECT_EQ(r.log, (std::vector<std::string>{"sub", "menu"}));
    sub->addItem(new MenuItem("c"));
    r.log.clear();
    delete menu;
    EXPECT_TRUE(r.log.empty());
}

TEST(Menu, SelectedHandlerMayClearItsMenu) {
    Menu menu;
    auto* item = new MenuItem("Load");
    menu.addItem(item);
    menu.addItem(new MenuItem("Save"));
    int selected = 0;
    item->selectedEvent.setHandler(NotifyEvent::bind([&] {
        ++selected;
        menu.clear();
    }));
    item->selectedEvent.addHandler(NotifyEvent::bind([&] { ++selected; }));
    item->fireSelected();
    EXPECT_EQ(selected, 1); // the item went away with its handlers
    EXPECT_EQ(menu.itemCount(), 0);
}

TEST(Menu, ItemDeletedAloneLeavesItsMenu) {
    Menu menu;
    auto* a = new MenuItem("a");
    menu.addItem(a);
    menu.addItem(new MenuItem("b"));
    delete a;
    ASSERT_EQ(menu.itemCount(), 1);
    EXPECT_EQ(menu.itemAt(0)->text.getValue(), "b");
}

} // namespace
} // namespace gui
