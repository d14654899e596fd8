#include "gui/MenuDescription.h"

#include "gui/Menu.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

TEST(MenuDescription, DescribesVisibleItemsWithFlatNumbers) {
    Menu menu;
    auto* copy = new MenuItem("Copy & Paste");
    copy->isChecked.setValue(true);
    menu.addItem(copy);
    menu.addSeparator();
    auto* hidden = new MenuItem("Hidden");
    hidden->visible.setValue(false);
    hidden->addItem(new MenuItem("Never shown"));
    menu.addItem(hidden);
    auto* sub = new MenuItem("Recent");
    auto* first = new MenuItem("First");
    first->enabled.setValue(false);
    sub->addItem(first);
    sub->addItem(new MenuItem("--"));
    menu.addItem(sub);
    auto* last = new MenuItem("Last");
    menu.addItem(last);

    const MenuDescription d = describeMenu(menu);
    ASSERT_EQ(d.entries.size(), 4u);
    EXPECT_EQ(d.entries[0].kind, MenuEntry::Kind::kItem);
    EXPECT_EQ(d.entries[0].label, "Copy && Paste");
    EXPECT_TRUE(d.entries[0].checked);
    EXPECT_EQ(d.entries[1].kind, MenuEntry::Kind::kSeparator);
    EXPECT_EQ(d.entries[2].kind, MenuEntry::Kind::kSubmenu);
    ASSERT_EQ(d.entries[2].children.size(), 2u);
    EXPECT_FALSE(d.entries[2].children[0].enabled);
    EXPECT_EQ(d.entries[2].children[1].kind, MenuEntry::Kind::kItem);
    EXPECT_EQ(d.entries[2].children[1].label, "--");
    // Numbered in visiting order from 1, submenus' items included.
    EXPECT_EQ(d.entries[3].number, 6);
    ASSERT_EQ(d.flat.size(), 6u);
    EXPECT_EQ(d.itemForNumber(1), copy);
    EXPECT_EQ(d.itemForNumber(4), first);
    EXPECT_EQ(d.itemForNumber(6), last);
    EXPECT_EQ(d.itemForNumber(0), nullptr);
    EXPECT_EQ(d.itemForNumber(7), nullptr);
}

} // namespace
} // namespace gui
