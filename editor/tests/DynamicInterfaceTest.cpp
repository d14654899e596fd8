#include "editor/DynamicInterface.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "editor/tests/TestEditorModel.h"
#include "gui/Button.h"
#include "gui/SelectButton.h"
#include "gui/ToggleButton.h"
#include "gui/ValueControl.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/headless/ModalResponder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using test::EditorModel;
using test::RecordingAdapter;

class TestPanel : public DynamicInterface {
public:
    using DynamicInterface::DynamicInterface;
    void rebuildInterface() override { ++rebuilds; }
    int rebuilds = 0;
};

class DynamicInterfaceTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        model = std::make_unique<EditorModel>(name_);
        adapter = std::make_unique<RecordingAdapter>(*model);
        ui = std::make_unique<gui::headless::HeadlessInterface>(400.0f, 300.0f, 1000);
        editor = std::make_unique<GenericPluginInterfaceBase>(*ui, *model);
        panel = new TestPanel(*ui, *editor);
        panel->setBoundsXYWH(0, 0, 300, 200);
        panel->parent.setValue(&ui->root());
    }
    void TearDown() override {
        ui->root().deleteChildren();
        editor.reset();
        ui.reset();
        adapter.reset();
        model.reset();
        PluginTest::TearDown();
    }
    gui::ValueControl* linked(AbstractPluginParameter& parameter) {
        auto* c = new gui::ValueControl(*ui);
        c->parent.setValue(panel);
        panel->linkControl(&parameter, c);
        return c;
    }

    std::unique_ptr<EditorModel> model;
    std::unique_ptr<RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<GenericPluginInterfaceBase> editor;
    TestPanel* panel = nullptr;
};

TEST_F(DynamicInterfaceTest, DeletingALinkedControlRemovesExactlyItsLink) {
    gui::ValueControl* unit = linked(model->unit);
    gui::ValueControl* bipolar = linked(model->bipolar);
    gui::ValueControl* level = linked(model->level);
    ASSERT_EQ(panel->controlLinks().size(), 3u);
    EXPECT_EQ(editor->link(EditorModel::kBipolar).control, bipolar);
    delete bipolar;
    ASSERT_EQ(panel->controlLinks().size(), 2u);
    EXPECT_EQ(panel->controlLinks()[0].first, unit);
    EXPECT_EQ(panel->controlLinks()[1].first, level);
    EXPECT_EQ(editor->link(EditorModel::kBipolar).control, nullptr);
    EXPECT_EQ(editor->link(EditorModel::kUnit).control, unit);
}

TEST_F(DynamicInterfaceTest, UnlinkAllControlsUnbindsEveryPairInOrder) {
    gui::ValueControl* unit = linked(model->unit);
    gui::ValueControl* level = linked(model->level);
    // Mid-gesture: the host hears the end at once, and the control's own end
    // sends nothing more.
    level->performGesture(gui::kGestureBegin, 0);
    level->performGesture(gui::kGestureChange, 100);
    panel->unlinkAllControls();
    EXPECT_EQ(adapter->gestureFaults(), "");
    level->performGesture(gui::kGestureEnd, 0);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kLevel), "bve");
    EXPECT_TRUE(panel->controlLinks().empty());
    EXPECT_EQ(editor->link(EditorModel::kUnit).control, nullptr);
    EXPECT_EQ(editor->link(EditorModel::kLevel).control, nullptr);
    EXPECT_EQ(unit->controlId.getValue(), -1);
    EXPECT_EQ(level->controlId.getValue(), -1);
    delete unit; // no longer recorded anywhere
    EXPECT_TRUE(panel->controlLinks().empty());
}

TEST_F(DynamicInterfaceTest, APanelDeletedWithoutUnlinkingLeavesNoRecord) {
    gui::ValueControl* unit = linked(model->unit);
    linked(model->steps);
    // Mid-gesture, too: the host hears the end.
    unit->performGesture(gui::kGestureBegin, 0);
    unit->performGesture(gui::kGestureChange, 100);
    delete panel;
    panel = nullptr;
    for (int32_t i = 0; i < editor->linkCount(); ++i)
        EXPECT_EQ(editor->link(i).control, nullptr) << i;
    EXPECT_EQ(adapter->gestureFaults(), "");
    editor->refreshControls(-1); // touches nothing freed
}

TEST_F(DynamicInterfaceTest, TheNotifyControlRebuildsThePanelAfterwardsOnTheGuiThread) {
    auto* selector = new gui::ValueControl(*ui);
    selector->parent.setValue(&ui->root());
    panel->setNotifyControl(selector);
    selector->performGesture(gui::kGestureBegin, 0);
    selector->performGesture(gui::kGestureChange, 5);
    selector->performGesture(gui::kGestureEnd, 0);
    EXPECT_EQ(panel->rebuilds, 0);
    ui->advance(10);
    EXPECT_EQ(panel->rebuilds, 1);
    // A rebuild posted to a panel that goes is dropped with it.
    selector->performGesture(gui::kGestureBegin, 0);
    selector->performGesture(gui::kGestureChange, 5);
    selector->performGesture(gui::kGestureEnd, 0);
    delete panel;
    panel = nullptr;
    ui->advance(10);
    // The selector no longer posts to the deleted panel.
    selector->performGesture(gui::kGestureBegin, 0);
    selector->performGesture(gui::kGestureChange, -5);
    selector->performGesture(gui::kGestureEnd, 0);
    ui->advance(10);

    panel = new TestPanel(*ui, *editor);
    panel->parent.setValue(&ui->root());
    panel->setNotifyControl(selector);
    delete selector;
    EXPECT_EQ(panel->notifyControl(), nullptr);
}

// A press and release on each kind of button handed to a panel: a push
// button (plain or toggling) tells by its click, since a click changes no
// value of it; a value button by its value's change, once per click, and
// not at all for a click that leaves its value.
TEST_F(DynamicInterfaceTest, AButtonRebuildsThePanelOncePerClickThatDoesWhatItSays) {
    struct Case {
        const char* what;
        std::function<gui::Button*()> make;
        int rebuilds;
    };
    const Case cases[] = {
        {"push button", [this] { return new gui::Button(*ui, nullptr); }, 1},
        {"toggling push button",
         [this] {
             auto* b = new gui::Button(*ui, nullptr);
             b->toggles.setValue(true);
             return b;
         },
         1},
        {"toggle button", [this] { return new gui::ToggleButton(*ui, nullptr); }, 1},
        {"lit member of a toggle group",
         [this] {
             auto* group = new gui::ToggleButton(*ui, nullptr);
             auto* other = new gui::ToggleButton(*ui, nullptr);
             other->parent.setValue(&ui->root()); // goes with the root's children
             group->addGroupMember(other);
             return group;
         },
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gui::Button* button = c.make();
        button->setBoundsXYWH(320, 20, 40, 20);
        button->parent.setValue(&ui->root());
        panel->setNotifyControl(button);
        panel->rebuilds = 0;
        ui->mouseDown(0, {340, 30});
        ui->mouseUp(0, {340, 30});
        EXPECT_EQ(panel->rebuilds, 0); // posted, not run inside the click
        ui->advance(10);
        EXPECT_EQ(panel->rebuilds, c.rebuilds);
        // A press that leaves the button before its release is no click.
        ui->mouseDown(0, {340, 30});
        ui->mouseMove({340, 150});
        ui->mouseUp(0, {340, 150});
        ui->advance(10);
        EXPECT_EQ(panel->rebuilds, c.rebuilds);
        panel->setNotifyControl(nullptr);
        delete button;
    }
}

// A selector tells by its choice: the menu that a click opens and that is
// closed without one rebuilds nothing; a choice rebuilds once.
TEST_F(DynamicInterfaceTest, ASelectorRebuildsThePanelOnAChoiceOnly) {
    using gui::headless::ModalAnswer;
    using gui::headless::ModalResponder;
    ModalResponder::reset();
    auto* selector = new gui::SelectButton(*ui, nullptr);
    for (const char* name : {"One", "Two", "Three"})
        selector->addChoice(name);
    selector->setBoundsXYWH(320, 20, 60, 20);
    selector->parent.setValue(&ui->root());
    panel->setNotifyControl(selector);
    ModalAnswer none;
    none.item = -1;
    ModalResponder::push(none);
    ui->mouseDown(0, {340, 30});
    ui->mouseUp(0, {340, 30});
    ui->advance(10);
    EXPECT_EQ(panel->rebuilds, 0);
    ModalAnswer third;
    third.item = 2;
    ModalResponder::push(third);
    ui->mouseDown(0, {340, 30});
    ui->mouseUp(0, {340, 30});
    ui->advance(10);
    EXPECT_EQ(selector->value.getValue(), 2);
    EXPECT_EQ(panel->rebuilds, 1);
    ModalResponder::reset();
}

} // namespace
