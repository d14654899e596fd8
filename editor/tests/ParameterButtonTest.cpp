#include "editor/ParameterButton.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "editor/tests/TestEditorModel.h"
#include "gui/Modifiers.h"
#include "gui/RootControl.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

namespace {

using test::EditorModel;
using test::RecordingAdapter;

class CountingEditor : public GenericPluginInterfaceBase {
public:
    using GenericPluginInterfaceBase::GenericPluginInterfaceBase;
    void storeUndoStep(int32_t) override { ++undoSteps; }
    bool isMidiLearnActive() override { return midiLearn; }
    int undoSteps = 0;
    bool midiLearn = false;
};

class ParameterButtonTest : public test::PluginTest {
public:
    void SetUp() override {
        PluginTest::SetUp();
        model = std::make_unique<EditorModel>(name_);
        adapter = std::make_unique<RecordingAdapter>(*model);
        ui = std::make_unique<gui::headless::HeadlessInterface>(400.0f, 300.0f, 1000);
        editor = std::make_unique<CountingEditor>(*ui, *model);
        button = new ParameterButton(*ui, *editor, nullptr);
        button->setBoundsXYWH(100, 100, 60, 60);
        button->parent.setValue(&ui->root());
        button->setParameter(0, &model->unit);
        button->setParameter(1, &model->frequency);
    }
    void TearDown() override {
        if (editor) ui->root().deleteChildren();
        editor.reset();
        ui.reset();
        adapter.reset();
        model.reset();
        PluginTest::TearDown();
    }
    void secondPair() {
        button->setParameter(2, &model->bipolar);
        button->setParameter(3, &model->level);
    }
    // Presses at the centre and moves by (dx, dy) in steps of 10 ms.
    void pressAndDrag(float dx, float dy, int modifiers = 0) {
        ui->mouseDown(0, centre, modifiers);
        at = centre;
        const int steps = 10;
        for (int i = 1; i <= steps; ++i) {
            ui->advance(10);
            at = gui::Point(centre.x + dx * float(i) / steps, centre.y + dy * float(i) / steps);
            ui->mouseMove(at, modifiers | gui::kLeftButton);
        }
    }
    // Releases where the drag ended.
    void release(int modifiers = 0) { ui->mouseUp(0, at, modifiers); }

    const gui::Point centre{130, 130};
    gui::Point at{130, 130};
    std::unique_ptr<EditorModel> model;
    std::unique_ptr<RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<CountingEditor> editor;
    ParameterButton* button = nullptr;
};

TEST_F(ParameterButtonTest, ADragMovesOneParameterAcrossAndOneUpWithOneUndoStep) {
    const float unitBefore = model->unit.getValue();
    const float frequencyBefore = model->frequency.getValue();
    pressAndDrag(30, -30);
    EXPECT_EQ(button->dragState(), ParameterButton::DragState::kDragging);
    release();
    EXPECT_GT(model->unit.getValue(), unitBefore);
    EXPECT_GT(model->frequency.getValue(), frequencyBefore); // upwards increases
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit).front(), 'b');
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit).back(), 'e');
    EXPECT_EQ(editor->undoSteps, 1);
    EXPECT_EQ(button->dragState(), ParameterButton::DragState::kIdle);
}

TEST_F(ParameterButtonTest, APressWithoutMovingIsAClick) {
    secondPair();
    ui->mouseDown(0, centre);
    ui->mouseMove(gui::Point(centre.x + 4, centre.y - 4), gui::kLeftButton);
    ui->mouseUp(0, centre);
    EXPECT_TRUE(adapter->log.empty());
    EXPECT_EQ(editor->undoSteps, 0);
    // Ctrl resets every channel's parameter to its default: one undo step.
    model->unit.setValue(0.9f, 0);
    model->level.setValue(3.0f, 0);
    ui->mouseDown(0, centre, gui::kCtrl);
    ui->mouseUp(0, centre, gui::kCtrl);
    for (int index :
         {EditorModel::kUnit, EditorModel::kFrequency, EditorModel::kBipolar, EditorModel::kLevel})
        EXPECT_EQ(adapter->kindsOf(index), "bve") << index;
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.5f);
    EXPECT_FLOAT_EQ(model->level.getValue(), -12.0f);
    EXPECT_EQ(editor->undoSteps, 1);
    // Not while MIDI learn is on.
    adapter->log.clear();
    editor->midiLearn = true;
    ui->mouseDown(0, centre, gui::kCtrl);
    ui->mouseUp(0, centre, gui::kCtrl);
    EXPECT_TRUE(adapter->log.empty());
}

TEST_F(ParameterButtonTest, WithoutADragThresholdAResetPressResetsAndTheReleaseResetsAgain) {
    button->dragThreshold.setValue(false);
    model->unit.setValue(0.9f, 0);
    ui->mouseDown(0, centre, gui::kCtrl);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit), "bve");
    EXPECT_EQ(button->dragState(), ParameterButton::DragState::kPressed);
    ui->mouseUp(0, centre, gui::kCtrl);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit), "bvebve");
    EXPECT_EQ(editor->undoSteps, 1);
    // A plain press starts the drag at once.
    adapter->log.clear();
    ui->mouseDown(0, centre);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit), "b");
    EXPECT_EQ(adapter->kindsOf(EditorModel::kFrequency), "b");
    ui->mouseUp(0, centre);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(ParameterButtonTest, TheConstrainModifierHoldsTheSmallerAxisAtItsStart) {
    const float frequencyBefore = model->frequency.getValue();
    pressAndDrag(40, -10, gui::kShift);
    release(gui::kShift);
    EXPECT_EQ(button->axisLock(), 1);
    EXPECT_GT(model->unit.getValue(), 0.5f);
    EXPECT_FLOAT_EQ(model->frequency.getValue(), frequencyBefore);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kFrequency), "be");
    EXPECT_EQ(adapter->gestureFaults(), "");
    // Inverted: the lock applies without the modifier.
    adapter->log.clear();
    button->invertAxisLock.setValue(true);
    pressAndDrag(-10, -40);
    release();
    EXPECT_EQ(button->axisLock(), 0);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit), "be");
}

TEST_F(ParameterButtonTest, AtItsMaximumAContinuousChannelMovesNoFurther) {
    model->unit.setValue(1.0f, 0);
    EXPECT_EQ(button->changeValue(0, 0, 0, 0), 0);
    EXPECT_EQ(button->dragValue(0), ParameterButton::kContinuousSpan);
    EXPECT_EQ(button->changeValue(1, 0, 100, 0), 0);
    EXPECT_EQ(button->changeValue(1, 0, -100, 0), 100);
    EXPECT_EQ(button->changeValue(2, 0, 0, 0), 0);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit), "bve");
    EXPECT_EQ(adapter->valuesOf(EditorModel::kUnit).size(), 1u);
}

TEST_F(ParameterButtonTest, ContinuousPositionsComeBackExactly) {
    for (FloatPluginParameter* p : {&model->unit, &model->bipolar, &model->frequency, &model->level}) {
        button->setParameter(0, p);
        int lost = 0;
        for (int k = 0; k <= ParameterButton::kContinuousSpan; ++k) {
            p->setValue(p->fromLinearNormalized(float(double(k) / ParameterButton::kContinuousSpan)), 0);
            if (button->captureValue(0) != k) ++lost;
        }
        EXPECT_EQ(lost, 0) << p->getName();
    }
    // Stepped channels move in their own values.
    int rangeChanges = 0;
    button->rangeChangedEvent.addHandler(NotifyEvent::bind([&rangeChanges] { ++rangeChanges; }));
    button->setParameter(0, &model->steps);
    EXPECT_EQ(rangeChanges, 1);
    EXPECT_EQ(button->rangeMinimum(0), 2);
    EXPECT_EQ(button->rangeMaximum(0), 5);
    model->steps.setValue(4.0f, 0);
    EXPECT_EQ(button->captureValue(0), 4);
    button->rangeChangedEvent.clear();
}

TEST_F(ParameterButtonTest, TheWheelStepsOneChannelInOneGestureWithOneUndoStep) {
    const gui::Point vertical(0.0f, 0.5f);
    const gui::Point horizontal(0.5f, 0.0f);
    EXPECT_TRUE(button->mouseWheel(0, centre, 0, vertical, vertical));
    EXPECT_TRUE(button->mouseWheel(1, centre, 0, vertical, vertical));
    EXPECT_TRUE(button->mouseWheel(1, centre, 0, vertical, vertical));
    EXPECT_TRUE(button->mouseWheel(2, centre, 0, vertical, vertical));
    const std::string kinds = adapter->kindsOf(EditorModel::kFrequency);
    EXPECT_EQ(kinds.front(), 'b');
    EXPECT_EQ(kinds.back(), 'e');
    EXPECT_EQ(kinds.find('b', 1), std::string::npos);
    EXPECT_TRUE(adapter->kindsOf(EditorModel::kUnit).empty());
    EXPECT_EQ(editor->undoSteps, 1);
    button->mouseWheel(1, centre, 0, horizontal, horizontal);
    button->mouseWheel(2, centre, 0, horizontal, horizontal);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit).front(), 'b');
    EXPECT_EQ(editor->undoSteps, 2);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// A press that changes no value stores no undo step: a drag and a wheel
// gesture against the ends of both ranges, a reset of values at their
// defaults. The host still hears every gesture begin and end.
TEST_F(ParameterButtonTest, APressThatChangesNoValueStoresNoUndoStep) {
    model->unit.setValue(model->unit.getMax(), 0);
    model->frequency.setValue(model->frequency.getMax(), 0);
    pressAndDrag(30, -30); // right and up, past both ends
    release();
    const gui::Point up(0.0f, 0.5f);
    button->mouseWheel(1, centre, 0, up, up);
    button->mouseWheel(2, centre, 0, up, up);
    EXPECT_FLOAT_EQ(model->unit.getValue(), model->unit.getMax());
    EXPECT_FLOAT_EQ(model->frequency.getValue(), model->frequency.getMax());
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit), "be");
    EXPECT_EQ(adapter->kindsOf(EditorModel::kFrequency), "bebe");
    EXPECT_EQ(editor->undoSteps, 0);

    model->unit.setValue(model->unit.getDefault(), 0);
    model->frequency.setValue(model->frequency.getDefault(), 0);
    ui->mouseDown(0, centre, gui::kCtrl);
    ui->mouseUp(0, centre, gui::kCtrl);
    EXPECT_EQ(editor->undoSteps, 0);
    // From off its default, the same reset is an edit.
    model->unit.setValue(model->unit.getMax(), 0);
    ui->mouseDown(0, centre, gui::kCtrl);
    ui->mouseUp(0, centre, gui::kCtrl);
    EXPECT_EQ(editor->undoSteps, 1);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(ParameterButtonTest, TheLinkModifierSwitchesToTheSecondPairMidDrag) {
    secondPair();
    pressAndDrag(20, -20);
    // Alt held: the first pair's gestures end and the second pair's begin.
    ui->mouseMove(gui::Point(centre.x + 40, centre.y - 40), gui::kAlt | gui::kLeftButton);
    EXPECT_TRUE(button->secondPair());
    EXPECT_FALSE(button->gestureOpen(0));
    EXPECT_TRUE(button->gestureOpen(2));
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit).back(), 'e');
    ui->advance(10);
    ui->mouseMove(gui::Point(centre.x + 60, centre.y - 60), gui::kAlt | gui::kLeftButton);
    // Released again: back to the first pair.
    ui->advance(10);
    at = gui::Point(centre.x + 70, centre.y - 70);
    ui->mouseMove(at, gui::kLeftButton);
    EXPECT_FALSE(button->secondPair());
    release();
    for (int index : {EditorModel::kUnit, EditorModel::kFrequency}) {
        const std::string kinds = adapter->kindsOf(index);
        EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 'b'), 2) << index;
    }
    EXPECT_EQ(adapter->kindsOf(EditorModel::kBipolar).front(), 'b');
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_EQ(editor->undoSteps, 1);
}

TEST_F(ParameterButtonTest, ClosingTheEditorInMidDragEndsBothChannelsThroughTheLiveManager) {
    pressAndDrag(20, -20);
    ASSERT_TRUE(button->gestureOpen(0));
    button = nullptr; // the closing editor deletes the tree
    editor.reset();
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_EQ(adapter->kindsOf(EditorModel::kUnit).back(), 'e');
    EXPECT_EQ(adapter->kindsOf(EditorModel::kFrequency).back(), 'e');
}

TEST_F(ParameterButtonTest, EveryInterruptionEndsBothChannelsOnce) {
    const struct {
        const char* name;
        std::function<void(ParameterButtonTest&)> interrupt;
    } cases[] = {
        {"second press", [](ParameterButtonTest& t) { t.ui->mouseDown(0, t.at); }},
        {"lost capture", [](ParameterButtonTest& t) { t.ui->root().setMouseCapture(nullptr); }},
        {"hidden", [](ParameterButtonTest& t) { t.button->visible.setValue(false); }},
        {"disabled", [](ParameterButtonTest& t) { t.button->enabled.setValue(false); }},
        {"detached", [](ParameterButtonTest& t) { t.button->parent.setValue(nullptr); }},
        {"destroyed",
         [](ParameterButtonTest& t) {
             delete t.button;
             t.button = nullptr;
         }},
    };
    for (const auto& c : cases) {
        adapter->log.clear();
        if (button == nullptr) {
            button = new ParameterButton(*ui, *editor, nullptr);
            button->setParameter(0, &model->unit);
            button->setParameter(1, &model->frequency);
        }
        button->parent.setValue(&ui->root());
        button->visible.setValue(true);
        button->enabled.setValue(true);
        button->setBoundsXYWH(100, 100, 60, 60);
        pressAndDrag(20, -20);
        ASSERT_TRUE(button->gestureOpen(0)) << c.name;
        c.interrupt(*this);
        if (button != nullptr) {
            EXPECT_FALSE(button->gestureOpen(0)) << c.name;
            EXPECT_FALSE(button->gestureOpen(1)) << c.name;
        }
        ui->mouseUp(0, at);
        EXPECT_EQ(adapter->gestureFaults(), "") << c.name;
        const std::string kinds = adapter->kindsOf(EditorModel::kUnit);
        EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 'e'), 1) << c.name;
    }
}

} // namespace
