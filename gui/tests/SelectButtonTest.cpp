#include "gui/SelectButton.h"

#include "gui/Modifiers.h"
#include "gui/PopupMenu.h"
#include "gui/Text.h"
#include "gui/headless/HeadlessPlatformDelegate.h"
#include "gui/headless/HeadlessPopupMenu.h"
#include "gui/headless/ModalResponder.h"
#include "gui/tests/GestureRecorder.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace gui {
namespace {

using headless::ModalAnswer;
using headless::ModalRequest;
using headless::ModalResponder;

using test::joined;

// The headless pop-up, remembering where it was shown.
struct RecordingPopup : headless::HeadlessPopupMenu {
    using HeadlessPopupMenu::HeadlessPopupMenu;
    void show(const Point& point) override {
        shownAt.push_back(point);
        HeadlessPopupMenu::show(point);
    }
    std::vector<Point> shownAt;
};

struct Delegate : headless::HeadlessPlatformDelegate {
    explicit Delegate(UserInterface& ui) : HeadlessPlatformDelegate(ui), ui_(ui) {}
    PopupMenu* createPopupMenu() override {
        last = new RecordingPopup(ui_);
        return last;
    }
    RecordingPopup* last = nullptr;
    UserInterface& ui_;
};

struct DelegateInterface : test::TestInterface {
    DelegateInterface() {
        auto owned = std::make_unique<Delegate>(*this);
        delegate = owned.get();
        setPlatformDelegate(std::move(owned));
    }
    Delegate* delegate = nullptr;
};

// A select button at (10, 5) inside a panel at (30, 40) of the root, with
// the choices A, B, then C and D in the group "G", E; values 5..9.
struct Rig {
    test::GestureRecorder recorder; // outlives the button
    int clicks = 0;
    DelegateInterface ui;
    Control* panel = new Control(ui);
    SelectButton* button = new SelectButton(ui, nullptr);
    RecordingPopup* popup = ui.delegate->last;

    Rig() {
        ModalResponder::reset();
        ui.root().setBoundsXYWH(0, 0, 300, 200);
        panel->setBoundsXYWH(30, 40, 200, 100);
        panel->parent.setValue(&ui.root());
        button->setBoundsXYWH(10, 5, 60, 20);
        button->parent.setValue(panel);
        button->maximum.setValue(9);
        button->minimum.setValue(5);
        button->prefix.setValue("P:");
        button->addChoice("A");
        button->addChoice("B", "Bee", "");
        button->addChoice("C", "", "G");
        button->addChoice("D", "", "G");
        button->addChoice("E");
        ui.drainList(gui::kGuiList);
        button->setListener(&recorder);
        button->clickEvent.setHandler(NotifyEvent::bind([this] { ++clicks; }));
    }
    ~Rig() { ModalResponder::reset(); }

    std::string shown() { return button->textLine(0)->text.getValue(); }
    std::vector<bool> ticks() {
        std::vector<bool> t;
        for (const SelectButton::SelectMenuItem* item : button->menuItems())
            t.push_back(item->isChecked.getValue());
        return t;
    }
    MenuItem* group() { return button->menu().itemAt(2); }
    void press() {
        // The menu's own loop takes the release; the button releases itself.
        ui.root().handleMouseDown(0, {50, 55}, kLeftButton);
        ui.root().handleMouseUp(0, {50, 55}, 0);
    }
    void wheel(float dy) {
        const Point at(50, 55);
        ASSERT_TRUE(button->mouseWheel(0, at, 0, {0, 0}, {0, 0}));
        button->mouseWheel(1, at, 0, {0, dy}, {0, dy * 40});
        button->mouseWheel(2, at, 0, {0, 0}, {0, 0});
    }
};

TEST(SelectButton, ShowsThePrefixAndTheChoiceAndTicksItsItem) {
    struct Case {
        std::string name;
        int value;
        bool indeterminate;
        std::vector<int> disabled; // choice indices
        std::string shown;
        std::vector<bool> ticks;
        bool groupTicked;
    };
    const Case cases[] = {
        {"first", 5, false, {}, "P:A", {true, false, false, false, false}, false},
        {"in a submenu", 7, false, {}, "P:C", {false, false, true, false, false}, true},
        {"indeterminate", 7, true, {}, "P:(Multiple)", {false, false, false, false, false}, false},
        {"disabled: the next enabled after it",
         6,
         false,
         {1, 2},
         "P:D",
         {false, true, false, false, false},
         false},
        {"disabled: else the nearest before it",
         8,
         false,
         {3, 4},
         "P:C",
         {false, false, false, true, false},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        for (int d : c.disabled)
            rig.button->menuItems()[static_cast<std::size_t>(d)]->enabled.setValue(false);
        rig.ui.drainList(gui::kGuiList);
        rig.button->value.setValue(c.value);
        rig.button->indeterminate.setValue(c.indeterminate);
        EXPECT_EQ(rig.shown(), c.shown);
        EXPECT_EQ(rig.ticks(), c.ticks);
        EXPECT_EQ(rig.group()->isChecked.getValue(), c.groupTicked);
    }
}

TEST(SelectButton, AValueOutsideTheChoicesShowsOnlyThePrefix) {
    Rig rig;
    rig.button->maximum.setValue(20);
    rig.button->value.setValue(12);
    EXPECT_EQ(rig.shown(), "P:");
    EXPECT_EQ(rig.ticks(), std::vector<bool>(5, false));
    rig.button->prefix.setValue("Q ");
    EXPECT_EQ(rig.shown(), "Q ");
    rig.button->indeterminate.setValue(true);
    rig.button->multipleText.setValue("(Some)");
    EXPECT_EQ(rig.shown(), "Q (Some)");
}

TEST(SelectButton, ChoicesOfOneGroupShareOneSubmenu) {
    Rig rig;
    Menu& menu = rig.button->menu();
    ASSERT_EQ(menu.itemCount(), 4); // A, Bee, G, E
    EXPECT_EQ(menu.itemAt(1)->text.getValue(), "Bee");
    MenuItem* group = rig.group();
    EXPECT_EQ(group->text.getValue(), "G");
    ASSERT_EQ(group->itemCount(), 2);
    EXPECT_EQ(group->itemAt(0)->text.getValue(), "C");
    EXPECT_EQ(group->itemAt(1), rig.button->menuItems()[3]);
    EXPECT_EQ(rig.button->menuItems()[3]->index(), 3);
    EXPECT_EQ(rig.button->choices(), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
}

TEST(SelectButton, MenuChangesRefreshOnceThroughTheGuiThreadList) {
    Rig rig;
    rig.button->value.setValue(9);
    EXPECT_EQ(rig.shown(), "P:E");
    // Disabling E shows D, but only once the posted refresh runs.
    rig.button->menuItems()[4]->enabled.setValue(false);
    rig.button->menuItems()[3]->text.setValue("Dee");
    EXPECT_TRUE(rig.button->refreshPending());
    EXPECT_EQ(rig.shown(), "P:E");
    rig.ui.drainList(gui::kFrameList); // the render thread's list does not carry it
    EXPECT_EQ(rig.shown(), "P:E");
    rig.ui.drainList(gui::kGuiList);
    EXPECT_FALSE(rig.button->refreshPending());
    EXPECT_EQ(rig.shown(), "P:D");
    // The refresh's own tick marks post nothing further.
    rig.button->value.setValue(8);
    EXPECT_FALSE(rig.button->refreshPending());

    rig.button->clearChoices();
    EXPECT_TRUE(rig.button->refreshPending());
    EXPECT_EQ(rig.button->menu().itemCount(), 0);
    rig.ui.drainList(gui::kGuiList);
    EXPECT_EQ(rig.shown(), "P:");
}

TEST(SelectButton, AChosenItemSetsItsValueInOneResetStepAndClicksOnce) {
    // Flat list of the headless menu: A, Bee, G, C, D, E.
    struct Case {
        int flatItem;
        int value;
    };
    for (const Case& c : {Case{0, 5}, Case{3, 7}, Case{5, 9}}) {
        SCOPED_TRACE(c.flatItem);
        Rig rig;
        rig.button->value.setValue(6);
        rig.recorder.log.clear();
        ModalAnswer answer;
        answer.item = c.flatItem;
        ModalResponder::push(answer);
        rig.press();
        ASSERT_EQ(rig.popup->shownAt.size(), 1u);
        // Under the button, in the root's coordinates.
        EXPECT_FLOAT_EQ(rig.popup->shownAt[0].x, 40);
        EXPECT_FLOAT_EQ(rig.popup->shownAt[0].y, 65);
        ASSERT_EQ(ModalResponder::requests().size(), 1u);
        EXPECT_EQ(ModalResponder::requests()[0].items,
                  (std::vector<std::string>{"A", "Bee", "G", "C", "D", "E"}));
        EXPECT_EQ(rig.button->value.getValue(), c.value);
        EXPECT_EQ(joined(rig.recorder.log), "b c0 e");
        EXPECT_EQ(rig.clicks, 1);
        EXPECT_EQ(rig.ticks()[static_cast<std::size_t>(c.value - 5)], true);
    }
}

TEST(SelectButton, ADismissedMenuChangesNothing) {
    Rig rig;
    rig.button->value.setValue(6);
    rig.recorder.log.clear();
    rig.press();
    EXPECT_EQ(rig.popup->shownAt.size(), 1u);
    EXPECT_EQ(rig.button->value.getValue(), 6);
    EXPECT_EQ(rig.clicks, 0);
    EXPECT_EQ(joined(rig.recorder.log), "b e");
    EXPECT_EQ(rig.shown(), "P:B");
}

TEST(SelectButton, TheWheelStepsThroughEnabledChoicesUpToTheMaximum) {
    Rig rig;
    rig.button->maximum.setValue(10); // one value past the choices
    rig.button->menuItems()[2]->enabled.setValue(false);
    rig.button->menuItems()[3]->enabled.setValue(false);
    rig.ui.drainList(gui::kGuiList);
    rig.button->value.setValue(6);
    // Each turn is a gesture; downwards increases, one choice per turn.
    const int expected[] = {9, 10, 10};
    for (int v : expected) {
        rig.wheel(-1.0f);
        EXPECT_EQ(rig.button->value.getValue(), v);
    }
    EXPECT_EQ(rig.shown(), "P:");
    const int back[] = {9, 6, 5, 5};
    for (int v : back) {
        rig.wheel(1.0f);
        EXPECT_EQ(rig.button->value.getValue(), v);
    }
    EXPECT_EQ(rig.shown(), "P:A");
    EXPECT_EQ(rig.clicks, 0);
    rig.recorder.log.clear();
    rig.wheel(-0.5f);
    EXPECT_EQ(joined(rig.recorder.log), "b c1 e");
}

TEST(SelectButton, TheWheelIsLeftToOthersWithoutATextLabel) {
    Rig rig;
    rig.button->prefix.setValue("");
    rig.button->maximum.setValue(20);
    rig.button->value.setValue(15); // nothing shown
    EXPECT_FALSE(rig.button->mouseWheel(0, {50, 55}, 0, {0, 1}, {0, 1}));
    rig.button->value.setValue(5);
    rig.button->labelImage().setSize(4, 4);
    EXPECT_FALSE(rig.button->mouseWheel(0, {50, 55}, 0, {0, 1}, {0, 1}));
}

TEST(SelectButton, ALabelTargetShowsTheChoiceUntilItDies) {
    Rig rig;
    rig.button->value.setValue(8);
    auto* label = new Button(rig.ui, nullptr);
    label->textLine(0)->text.setValue("old");
    label->parent.setValue(rig.panel);
    rig.button->setLabelTarget(label);
    EXPECT_EQ(label->textLine(0)->text.getValue(), "P:D");
    rig.button->value.setValue(5);
    EXPECT_EQ(label->textLine(0)->text.getValue(), "P:A");
    EXPECT_EQ(rig.shown(), "P:D"); // its own line is left alone
    delete label;
    EXPECT_EQ(rig.button->labelTarget(), nullptr);
    for (Component* linked : rig.button->links())
        EXPECT_NE(linked, static_cast<Component*>(label));
    rig.button->value.setValue(6);
    EXPECT_EQ(rig.shown(), "P:B");
}

TEST(SelectButton, ManyButtonsComeAndGoLeavingNoComponentsOrMessages) {
    DelegateInterface ui;
    ui.root().setBoundsXYWH(0, 0, 100, 100);
    const std::size_t before = ui.components().size();
    for (int i = 0; i < 20; ++i) {
        auto* b = new SelectButton(ui, nullptr);
        b->parent.setValue(&ui.root());
        b->addChoice("x", "", "g");
        EXPECT_TRUE(b->refreshPending());
        delete b; // its posted refresh goes with it
    }
    EXPECT_EQ(ui.components().size(), before);
    ui.drainList(gui::kGuiList);
}

} // namespace
} // namespace gui
