#include "modulation_editor/XLFOController.h"

#include "gui/Animator.h"
#include "gui/Bitmap.h"
#include "gui/Modifiers.h"
#include "modulation_editor/tests/ModulationEditorRig.h"
#include "plugin/GenericPluginSnapshots.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// A small step panel: plain value controls for the four step roles and
// plain controls as its buttons.
class TestStepPanel : public XLFOController::StepInterface {
public:
    explicit TestStepPanel(gui::UserInterface& userInterface) : StepInterface(userInterface) {
        for (int32_t role = 0; role < XLFOController::kNumRoles; ++role) {
            auto* control = new gui::ValueControl(userInterface);
            control->setBoundsXYWH(10.0f + 25.0f * static_cast<float>(role), 20.0f, 20.0f, 20.0f);
            setStepControl(role, control);
        }
        for (int32_t kind = 0; kind < kNumButtons; ++kind) {
            auto* button = new gui::Control(userInterface);
            button->setBoundsXYWH(10.0f + 25.0f * static_cast<float>(kind), 60.0f, 20.0f, 20.0f);
            setButton(kind, button);
        }
        expandedWidth.setValue(120.0f);
        setBoundsXYWH(0.0f, 0.0f, 0.0f, 108.0f);
    }
    void update(int32_t step) override {
        StepInterface::update(step);
        ++updates;
    }
    void click(int32_t kind) { button(kind)->clickEvent.notify(button(kind)); }
    int updates = 0;
};

// The controller stands at (0, 100), 108 high: the phase offset strip along
// its top, the step sliders the 96 units below it; the bar of a step is 8
// high, so the sliders travel 88 units.
constexpr float kTop = 100.0f;
constexpr float kHeight = 108.0f;
constexpr float kStepHeight = kHeight - XLFOController::kPhaseOffsetHeight;

class XLFOControllerTest : public test::ModulationEditorTest {
protected:
    void SetUp() override {
        ModulationEditorTest::SetUp();
        style = std::make_unique<XLFOController::StepSlider::Style>(*ui);
        style->handle().setSize(10.0f, 8.0f);
        panel = new TestStepPanel(*ui);
        controller = new XLFOController(*editor, style.get(), panel, "");
        controller->setBoundsXYWH(0.0f, kTop, 0.0f, kHeight);
        controller->parent.setValue(&ui->root());
        setSteps(0, 5);
        bind(0);
        editor->storeUndoStep(-1);
    }
    void TearDown() override {
        editor.reset(); // closing deletes the tree
        style.reset();
        ModulationEditorTest::TearDown();
    }

    XLFOParameterSet& xlfo(int32_t k) { return model->xlfos[k]; }
    void setSteps(int32_t k, int32_t n) {
        xlfo(k).steps.getNumActiveParameter().setValue(static_cast<float>(n), 0);
    }
    void setValue(int32_t step, float v, int32_t k = 0) { xlfo(k).steps[step].value.setValue(v, 0); }
    float valueOf(int32_t step, int32_t k = 0) { return xlfo(k).steps[step].value.getValue(); }
    int32_t valueIndex(int32_t step, int32_t k = 0) { return xlfo(k).steps[step].value.getIndex(); }
    // Binds the step editor to XLFO k, as its panel does.
    void bind(int32_t k) {
        XLFOController::StepLayout layout;
        layout.steps = &xlfo(k).steps;
        for (int32_t role = 0; role < XLFOController::kNumRoles; ++role)
            layout.offsets[role] = role;
        layout.parametersPerStep = 4;
        layout.stepCountIndex = xlfo(k).steps.firstParameterIndex();
        layout.snapIndex = xlfo(k).snap.getIndex();
        layout.phaseOffsetIndex = xlfo(k).phaseOffset.getIndex();
        controller->linkParameters(layout, static_cast<uint32_t>(18 + 3 * k));
        editor->refreshControls(-1);
        controller->layoutForNumSteps(xlfo(k).steps.getNumActive());
    }
    // The root point of a step's column at a height inside its slider.
    gui::Point at(int32_t step, float y) {
        const XLFOController::StepSlider* s = controller->slider(step);
        return gui::Point(s->x.getValue() + 5.0f, kTop + s->y.getValue() + y);
    }
    // Inside the step's bar.
    gui::Point onBar(int32_t step) {
        XLFOController::StepSlider* s = controller->slider(step);
        return at(step, s->valueArea().top + 4.0f);
    }
    void click(const gui::Point& p, int modifiers = 0) {
        ui->mouseDown(0, p, modifiers);
        ui->mouseUp(0, p, modifiers);
    }
    std::vector<int32_t> selected() { return controller->selectedSteps(); }
    int32_t undoCount() { return model->getUndoHistory()->getUndoCount(); }

    std::unique_ptr<XLFOController::StepSlider::Style> style;
    TestStepPanel* panel = nullptr;
    XLFOController* controller = nullptr;
};

TEST_F(XLFOControllerTest, StepWidthsFollowTheStepCount) {
    struct Case {
        int32_t steps;
        int32_t width;
    } cases[] = {{1, 50}, {2, 45}, {5, 34}, {16, 16}};
    for (const Case& c : cases) {
        EXPECT_EQ(controller->stepWidth(c.steps), c.width) << c.steps;
        controller->layoutForNumSteps(c.steps);
        EXPECT_FLOAT_EQ(controller->width.getValue(), static_cast<float>(c.steps * c.width)) << c.steps;
        EXPECT_FLOAT_EQ(controller->slider(c.steps - 1)->x.getValue(),
                        static_cast<float>((c.steps - 1) * c.width));
        if (c.steps < XLFOController::kMaxSteps) {
            EXPECT_FLOAT_EQ(controller->slider(c.steps)->width.getValue(), 0.0f);
        }
        EXPECT_FLOAT_EQ(controller->curveArea().width(), static_cast<float>(c.steps * c.width));
    }
    // A selected step brings the panel in beside the steps.
    controller->layoutForNumSteps(2);
    controller->panelGap.setValue(4.0f);
    controller->setStepSelected(1, true);
    controller->layoutForNumSteps(2);
    EXPECT_FLOAT_EQ(panel->x.getValue(), 94.0f);
    EXPECT_FLOAT_EQ(panel->width.getValue(), 120.0f);
    EXPECT_FLOAT_EQ(controller->width.getValue(), 214.0f);
}

// From 2 steps of 45 to 4 of 37: each width eases by (3 - 2t) t^2 and is
// truncated; the sliders stand at the running sum of the eased widths.
TEST_F(XLFOControllerTest, TheResizeEasesAndTruncates) {
    controller->layoutForNumSteps(2);
    gui::Animator* animator = editor->animator();
    ASSERT_NE(animator, nullptr);
    animator->tick(); // the animation starts from now
    controller->setNumSteps(4);
    ASSERT_NE(controller->resizeAnimation(), nullptr);
    EXPECT_FLOAT_EQ(controller->width.getValue(), 90.0f);
    ui->advance(75);
    animator->tick();                                                // t = 0.25: e = 0.15625
    EXPECT_FLOAT_EQ(controller->width.getValue(), 99.0f);            // 90 + 58 e = 99.06
    EXPECT_FLOAT_EQ(controller->slider(0)->width.getValue(), 43.0f); // 45 - 8 e = 43.75
    EXPECT_FLOAT_EQ(controller->slider(2)->width.getValue(), 5.0f);  // 37 e = 5.78
    EXPECT_FLOAT_EQ(controller->slider(2)->x.getValue(), 86.0f);
    EXPECT_FLOAT_EQ(controller->slider(3)->x.getValue(), 91.0f);
    // A new relayout replaces the running one, which ends at its target.
    controller->setNumSteps(3);
    ui->advance(400);
    EXPECT_EQ(controller->resizeAnimation(), nullptr);
    EXPECT_FLOAT_EQ(controller->width.getValue(), 3.0f * 41.0f);
    EXPECT_FLOAT_EQ(controller->slider(2)->x.getValue(), 82.0f);
    EXPECT_FLOAT_EQ(controller->slider(3)->width.getValue(), 0.0f);
}

TEST_F(XLFOControllerTest, PressesSelectByCtrlShiftClickAndClickOutside) {
    click(onBar(1));
    EXPECT_EQ(selected(), (std::vector<int32_t>{1}));
    EXPECT_EQ(controller->lastSelected(), 1);
    EXPECT_EQ(panel->shownStep(), 1);
    click(onBar(3), gui::kCtrl);
    EXPECT_EQ(selected(), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(controller->lastSelected(), 3);
    EXPECT_NE(controller->slider(1)->linkGroup(), nullptr);
    EXPECT_EQ(controller->slider(1)->linkGroup(), controller->slider(3)->linkGroup());
    click(onBar(1), gui::kCtrl);
    EXPECT_EQ(selected(), (std::vector<int32_t>{3}));
    EXPECT_EQ(controller->slider(3)->linkGroup(), nullptr);
    click(onBar(0), gui::kShift); // from the last selected one
    EXPECT_EQ(selected(), (std::vector<int32_t>{0, 1, 2, 3}));
    click(at(4, 2.0f)); // off every bar
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(panel->shownStep(), -1);
    click(onBar(2), gui::kShift); // nothing selected: this step
    EXPECT_EQ(selected(), (std::vector<int32_t>{2}));
    // Reducing the step count deselects the steps beyond it.
    controller->selectRange(1, 4);
    controller->layoutForNumSteps(3);
    EXPECT_EQ(selected(), (std::vector<int32_t>{1, 2}));
    controller->hideStepPanel();
    EXPECT_TRUE(selected().empty());
    ui->advance(400);
    EXPECT_FLOAT_EQ(panel->width.getValue(), 0.0f);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// A press that moves more than 2 units (squared distance above 4) is a drag
// and selects nothing; a plain click sets the value at its height.
TEST_F(XLFOControllerTest, OnlyAMoveBeyondTwoUnitsIsADrag) {
    struct Case {
        float dx, dy;
        bool selects;
    } cases[] = {{2.0f, 0.0f, true}, {1.5f, 1.5f, false}};
    for (const Case& c : cases) {
        controller->deselectAll();
        const gui::Point p = onBar(2);
        ui->mouseDown(0, p);
        ui->mouseMove(gui::Point(p.x + c.dx, p.y + c.dy));
        EXPECT_EQ(controller->slider(2)->moved(), !c.selects) << c.dx;
        ui->mouseUp(0, gui::Point(p.x + c.dx, p.y + c.dy));
        EXPECT_EQ(controller->isStepSelected(2), c.selects) << c.dx;
    }
    // The click's value: its bar's centre at the released height.
    controller->deselectAll();
    adapter->log.clear();
    XLFOController::StepSlider* s = controller->slider(2);
    const gui::Point p = at(2, s->valueArea().top + 1.0f);
    click(p);
    EXPECT_EQ(s->value.getValue(), s->positionAtHeight(p.y - kTop - s->y.getValue()));
    EXPECT_NEAR(valueOf(2), s->normalized(s->value.getValue()) * 2.0f - 1.0f, 1e-5f);
    EXPECT_EQ(adapter->kindsOf(valueIndex(2)), "bve");
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// Add Step copies the selected (or the last) step after it; Remove Step
// removes the selected steps from the highest, else the last; each is one
// undo step, and the list's minimum (two steps here) stays.
TEST_F(XLFOControllerTest, AddAndRemoveSteps) {
    for (int32_t k = 0; k < 5; ++k)
        setValue(k, 0.1f * static_cast<float>(k + 1));
    editor->refreshControls(-1);
    editor->storeUndoStep(-1);
    int32_t undo = undoCount();

    panel->click(TestStepPanel::kAddStep); // no selection: a copy of the last
    EXPECT_EQ(xlfo(0).steps.getNumActive(), 6);
    EXPECT_FLOAT_EQ(valueOf(5), 0.5f);
    EXPECT_EQ(selected(), (std::vector<int32_t>{5}));
    EXPECT_EQ(controller->numSteps(), 6);
    EXPECT_EQ(undoCount(), ++undo);

    controller->selectOnly(2); // step 3 of 6: a copy of it after it
    panel->click(TestStepPanel::kAddStep);
    const std::vector<float> expected = {0.1f, 0.2f, 0.3f, 0.3f, 0.4f, 0.5f, 0.5f};
    for (int32_t k = 0; k < 7; ++k)
        EXPECT_FLOAT_EQ(valueOf(k), expected[static_cast<size_t>(k)]) << k;
    EXPECT_EQ(selected(), (std::vector<int32_t>{3}));
    EXPECT_EQ(undoCount(), ++undo);
    EXPECT_FLOAT_EQ(controller->slider(3)->normalized(controller->slider(3)->value.getValue()), 0.65f);

    controller->selectOnly(1);
    controller->setStepSelected(4, true);
    panel->click(TestStepPanel::kRemoveStep); // steps 4, then 1
    const std::vector<float> left = {0.1f, 0.3f, 0.3f, 0.5f, 0.5f};
    ASSERT_EQ(xlfo(0).steps.getNumActive(), 5);
    for (int32_t k = 0; k < 5; ++k)
        EXPECT_FLOAT_EQ(valueOf(k), left[static_cast<size_t>(k)]) << k;
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(undoCount(), ++undo);

    panel->click(TestStepPanel::kRemoveStep); // none selected: the last
    EXPECT_EQ(xlfo(0).steps.getNumActive(), 4);
    EXPECT_EQ(controller->numSteps(), 4);
    EXPECT_EQ(undoCount(), ++undo);

    controller->selectRange(0, 3); // all: the list's minimum stays
    panel->click(TestStepPanel::kRemoveStep);
    EXPECT_EQ(xlfo(0).steps.getNumActive(), 2);
    EXPECT_EQ(undoCount(), ++undo);
    panel->click(TestStepPanel::kRemoveStep); // at the minimum nothing changes
    EXPECT_EQ(xlfo(0).steps.getNumActive(), 2);
    EXPECT_EQ(undoCount(), undo);

    setSteps(0, 16);
    controller->layoutForNumSteps(16);
    editor->storeUndoStep(-1);
    undo = undoCount();
    panel->click(TestStepPanel::kAddStep); // full
    EXPECT_EQ(xlfo(0).steps.getNumActive(), 16);
    EXPECT_EQ(undoCount(), undo);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// Each drag step comes back as a refresh (the panel's update included):
// the step controls keep their links, so the host sees one gesture and the
// undo history one step, for the value knob and for a linked step control.
TEST_F(XLFOControllerTest, ARefreshDuringAStepKnobDragKeepsTheGesture) {
    controller->selectOnly(2);
    ASSERT_EQ(panel->shownStep(), 2);
    struct Case {
        int32_t role;
        int32_t index;
    } cases[] = {{XLFOController::kValue, valueIndex(2)},
                 {XLFOController::kGlide, xlfo(0).steps[2].glide.getIndex()}};
    for (const Case& c : cases) {
        gui::ValueControl* knob = panel->stepControl(c.role);
        const int32_t undo = undoCount();
        const int updates = panel->updates;
        knob->performGesture(gui::kGestureBegin, 0);
        for (int step = 0; step < 20; ++step) {
            knob->performGesture(gui::kGestureChange, 100);
            controller->selectionChanged();
            editor->refreshControls(c.index);
        }
        knob->performGesture(gui::kGestureEnd, 0);
        EXPECT_EQ(panel->updates - updates, 20);
        EXPECT_EQ(adapter->kindsOf(c.index), "b" + std::string(20, 'v') + "e") << c.role;
        EXPECT_EQ(undoCount() - undo, 1) << c.role;
    }
    EXPECT_EQ(xlfo(0).steps[2].glide.getValue(), 2000.0f / 36000.0f);
    // The slider keeps its own link to the value.
    EXPECT_EQ(controller->slider(2)->controlId.getValue(), valueIndex(2));
    EXPECT_EQ(controller->slider(2)->value.getValue(), 20000);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// The knob gives every selected step its value; a drag of one selected
// slider moves them all by the same amount.
TEST_F(XLFOControllerTest, TheKnobSetsTheSelectionASliderDragKeepsItsDifferences) {
    setValue(1, -0.5f);
    setValue(3, 0.25f);
    editor->refreshControls(-1);
    editor->storeUndoStep(-1);
    controller->selectOnly(1);
    controller->setStepSelected(3, true);
    gui::ValueControl* knob = panel->stepControl(XLFOController::kValue);
    EXPECT_EQ(knob->value.getValue(), 22500); // shows the last selected step
    int32_t undo = undoCount();
    knob->performGesture(gui::kGestureBegin, 0);
    knob->performGesture(gui::kGestureChange, 3600); // 0.25 + 0.2
    knob->performGesture(gui::kGestureEnd, 0);
    EXPECT_NEAR(valueOf(3), 0.45f, 1e-5f);
    EXPECT_NEAR(valueOf(1), 0.45f, 1e-5f);
    EXPECT_EQ(adapter->kindsOf(valueIndex(1)), "bve");
    EXPECT_EQ(undoCount() - undo, 1);

    setValue(1, -0.5f);
    editor->refreshControls(-1);
    editor->storeUndoStep(-1);
    undo = undoCount();
    adapter->log.clear();
    const gui::Point p = onBar(1);
    ui->mouseDown(0, p);
    for (int i = 1; i <= 10; ++i)
        ui->mouseMove(gui::Point(p.x, p.y - static_cast<float>(i)));
    // The knob follows the last selected step while a selected one is dragged.
    EXPECT_EQ(knob->value.getValue(), controller->slider(3)->value.getValue());
    ui->mouseUp(0, gui::Point(p.x, p.y - 10.0f));
    const float moved = valueOf(1) + 0.5f;
    EXPECT_GT(moved, 0.1f);
    EXPECT_NEAR(valueOf(3), 0.45f + moved, 1e-4f);
    EXPECT_EQ(selected(), (std::vector<int32_t>{1, 3})); // a drag keeps the selection
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_EQ(undoCount() - undo, 1);
}

// With "Snap" on, sliders and the knob put their values on the engine's
// grid -1 + k / 12; the flag follows "Snap" at every refresh.
TEST_F(XLFOControllerTest, SnapPutsValuesOnTheEnginesGrid) {
    xlfo(0).snap.setValue(1.0f, 0);
    controller->selectionChanged();
    ASSERT_TRUE(controller->isSnapped());
    EXPECT_TRUE(controller->slider(0)->snapped());
    auto onGrid = [](float v) {
        const float k = (v + 1.0f) * 12.0f;
        return std::fabs(k - std::round(k)) < 1e-3f;
    };
    const gui::Point p = onBar(0);
    ui->mouseDown(0, p);
    for (int i = 1; i <= 13; ++i) {
        ui->mouseMove(gui::Point(p.x, p.y - static_cast<float>(i)));
        EXPECT_EQ(controller->slider(0)->value.getValue() % XLFOController::kSnapPositions, 0) << i;
    }
    ui->mouseUp(0, gui::Point(p.x, p.y - 13.0f));
    for (float v : adapter->valuesOf(valueIndex(0)))
        EXPECT_TRUE(onGrid(v)) << v;
    // The press's dead zone takes 4 units; 9 of 409 positions (36000 over
    // 88 units of travel) reach the second grid step (3681 is nearer 3000
    // than 4500).
    EXPECT_NEAR(valueOf(0), 2.0f / 12.0f, 1e-5f);
    // A drag from off the bar (accelerated on a plain slider) adds its small
    // steps up on the grid too.
    const gui::Point off = at(1, 2.0f);
    ui->mouseDown(0, off);
    for (int i = 1; i <= 12; ++i)
        ui->mouseMove(gui::Point(off.x, off.y + static_cast<float>(i)));
    ui->mouseUp(0, gui::Point(off.x, off.y + 12.0f));
    EXPECT_NEAR(valueOf(1), -2.0f / 12.0f, 1e-5f);
    // Three small wheel steps of 360 positions reach the next grid point.
    XLFOController::StepSlider* s = controller->slider(3);
    s->mouseWheel(0, gui::Point(5.0f, 50.0f), 0, gui::Point(0.0f, 0.0f), gui::Point(0.0f, 0.0f));
    for (int i = 0; i < 3; ++i)
        s->mouseWheel(1, gui::Point(5.0f, 50.0f), 0, gui::Point(0.0f, 0.01f), gui::Point(0.0f, 1.0f));
    s->mouseWheel(2, gui::Point(5.0f, 50.0f), 0, gui::Point(0.0f, 0.0f), gui::Point(0.0f, 0.0f));
    EXPECT_NEAR(valueOf(3), 1.0f / 12.0f, 1e-5f);

    controller->selectOnly(4);
    gui::ValueControl* knob = panel->stepControl(XLFOController::kValue);
    knob->performGesture(gui::kGestureBegin, 0);
    knob->performGesture(gui::kGestureChange, 1000); // 0.0 + 0.056: the nearest point is 1/12
    knob->performGesture(gui::kGestureEnd, 0);
    EXPECT_NEAR(valueOf(4), 1.0f / 12.0f, 1e-5f);

    xlfo(0).snap.setValue(0.0f, 0);
    controller->selectionChanged();
    EXPECT_FALSE(controller->slider(0)->snapped());
    EXPECT_EQ(knob->valueToPosition, nullptr);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(XLFOControllerTest, ALinearGlideCurvesIntoTheNextStep) {
    setValue(0, 0.0f);
    setValue(1, 1.0f);
    xlfo(0).steps[0].glide.setValue(0.5f, 0);
    editor->refreshControls(-1);
    XLFOController::StepSlider* s = controller->slider(0);
    const float w = s->width.getValue();
    const XLFOController::StepCurve& curve = s->curve();
    struct Case {
        float x; // share of the step
        float value;
    } cases[] = {{0.0f, 0.0f}, {0.5f, 0.0f}, {0.75f, 0.5f}, {1.0f, 1.0f}};
    for (const Case& c : cases)
        EXPECT_NEAR(curve.valueAt(c.x * w), (1.0f - c.value) * 0.5f * kStepHeight, 0.02f) << c.x;
    // The last step glides into step 0.
    xlfo(0).steps[4].glide.setValue(1.0f, 0);
    setValue(4, -1.0f);
    editor->refreshControls(-1);
    EXPECT_NEAR(controller->slider(4)->curve().valueAt(w), 0.5f * kStepHeight, 0.02f);
}

// A device column cut by a step's edge (at 150 %, say) samples the curve a
// little past the step: it holds the end's value there, with or without a
// glide, and draws no line down the column.
TEST_F(XLFOControllerTest, AStepCurveHoldsItsEndsJustPastTheStep) {
    setValue(0, 0.5f);
    setValue(1, 0.5f);
    for (float glide : {0.0f, 0.5f}) {
        SCOPED_TRACE(glide);
        xlfo(0).steps[0].glide.setValue(glide, 0);
        editor->refreshControls(-1);
        XLFOController::StepSlider* s = controller->slider(0);
        const float w = s->width.getValue();
        const XLFOController::StepCurve& curve = s->curve();
        EXPECT_FLOAT_EQ(curve.valueAt(w + 0.5f), curve.valueAt(w));
        EXPECT_FLOAT_EQ(curve.valueAt(-0.5f), curve.valueAt(0.0f));
        EXPECT_NEAR(curve.valueAt(w + 0.5f), 0.25f * kStepHeight, 0.02f);
    }
}

// The step background fills each shown column; a step's bar is the handle
// bitmap (the selected one while selected), centred for a random step.
TEST_F(XLFOControllerTest, StepsDrawTheirColumnsAndBars) {
    const gui::Color red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255);
    gui::Bitmap background(ui->deviceBacking());
    background.setSize(34.0f, 4.0f); // a column, stretched along its height
    background.fillRect(background.getRect(), red);
    controller->setStepBackground(&background);
    style->handle().fillRect(style->handle().getRect(), green);
    style->selectedHandle().setSize(10.0f, 8.0f);
    style->selectedHandle().fillRect(style->selectedHandle().getRect(), blue);
    controller->selectOnly(1);
    controller->layoutForNumSteps(5);
    controller->hideStepPanel();
    controller->layoutForNumSteps(5);

    gui::Bitmap columns(ui->deviceBacking());
    columns.setSize(controller->width.getValue(), kHeight);
    columns.clear();
    controller->draw(columns.getCanvas());
    EXPECT_EQ(columns.getPixel(gui::Point(0.5f, 0.5f)), red);
    EXPECT_EQ(columns.getPixel(gui::Point(5.0f * 34.0f - 1.0f, kHeight - 2.0f)), red);
    EXPECT_EQ(columns.getPixel(gui::Point(40.0f, 50.0f)), red);
    controller->setStepSelected(1, true);
    auto bar = [this](int32_t step) {
        XLFOController::StepSlider* s = controller->slider(step);
        gui::Bitmap out(ui->deviceBacking());
        out.setSize(s->width.getValue(), s->height.getValue());
        out.clear();
        s->draw(out.getCanvas());
        const gui::Rect area = s->valueArea();
        return out.getPixel(gui::Point(area.left + 17.0f, area.top + 4.0f));
    };
    EXPECT_EQ(bar(1), blue);
    EXPECT_EQ(bar(2), green);
    xlfo(0).steps[3].random.setValue(1.0f, 0);
    setValue(3, 0.8f);
    editor->refreshControls(-1);
    const float middle = (kStepHeight - 8.0f) * 0.5f;
    EXPECT_FLOAT_EQ(controller->slider(3)->valueArea().top, middle);
    EXPECT_EQ(bar(3), green);
    EXPECT_LT(controller->slider(2)->valueArea().top, middle + 1.0f);
    EXPECT_GT(controller->slider(2)->valueArea().top, middle - 1.0f);
}

TEST_F(XLFOControllerTest, ThePhaseOffsetWrapsAround) {
    XLFOController::PhaseOffsetSlider* phase = controller->phaseOffsetSlider();
    phase->setBoundsXYWH(0.0f, 0.0f, 106.0f, 10.0f); // 100 units of travel
    const int32_t index = xlfo(0).phaseOffset.getIndex();
    EXPECT_EQ(phase->controlId.getValue(), index);
    EXPECT_EQ(editor->getTargetIndex(phase), 18u);
    const gui::Point root = phase->toRoot(gui::Point(0.0f, 0.0f));
    // A press away from the handle jumps there; the drag then wraps.
    ui->mouseDown(0, gui::Point(root.x + 93.0f, root.y + 5.0f));
    EXPECT_EQ(phase->value.getValue(), 32400); // centre at 93: 90 of 100
    ui->mouseMove(gui::Point(root.x + 113.0f, root.y + 5.0f));
    EXPECT_EQ(phase->value.getValue(), 3600); // 110 % of the range
    ui->mouseMove(gui::Point(root.x + 73.0f, root.y + 5.0f));
    EXPECT_EQ(phase->value.getValue(), 25200);
    ui->mouseUp(0, gui::Point(root.x + 73.0f, root.y + 5.0f));
    EXPECT_NEAR(xlfo(0).phaseOffset.getValue(), 0.7f, 1e-5f);
    EXPECT_EQ(adapter->kindsOf(index), "bvvve");
    // A press on the handle grabs it where it is.
    ui->mouseDown(0, gui::Point(root.x + 72.0f, root.y + 5.0f));
    ui->mouseMove(gui::Point(root.x + 62.0f, root.y + 5.0f));
    ui->mouseUp(0, gui::Point(root.x + 62.0f, root.y + 5.0f));
    EXPECT_NEAR(xlfo(0).phaseOffset.getValue(), 0.6f, 1e-5f);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// The phase offset strip runs along the top of the shown steps, as wide as
// they are, and the steps stand below it: a press on the strip moves the
// phase and selects nothing, a press on a step's bar still selects it.
TEST_F(XLFOControllerTest, ThePhaseOffsetStripSpansTheStepsAboveTheirColumns) {
    XLFOController::PhaseOffsetSlider* phase = controller->phaseOffsetSlider();
    const float strip = XLFOController::kPhaseOffsetHeight;
    EXPECT_NE(phase->helpText.getValue().find("Phase Offset"), std::string::npos);
    for (int32_t n : {5, 1, 16}) {
        SCOPED_TRACE(n);
        controller->layoutForNumSteps(n);
        const float steps = float(n * controller->stepWidth(n));
        EXPECT_EQ(phase->bounds.getValue(), gui::Rect(0.0f, 0.0f, steps, strip));
        EXPECT_FLOAT_EQ(controller->slider(n - 1)->y.getValue(), strip);
        EXPECT_FLOAT_EQ(controller->slider(n - 1)->height.getValue(), kStepHeight);
        EXPECT_EQ(controller->curveArea(), gui::Rect(0.0f, strip, steps, kHeight));
    }
    // While the steps ease to a new count, the strip spans them as they stand.
    controller->layoutForNumSteps(2);
    editor->animator()->tick();
    controller->setNumSteps(4);
    ui->advance(75);
    editor->animator()->tick();
    EXPECT_FLOAT_EQ(phase->width.getValue(),
                    controller->slider(3)->x.getValue() + controller->slider(3)->width.getValue());
    ui->advance(400);
    EXPECT_FLOAT_EQ(phase->width.getValue(), 4.0f * 37.0f);
    // A selected step's panel slides in beside the steps, not under the strip.
    controller->selectOnly(0);
    ui->advance(400);
    EXPECT_FLOAT_EQ(phase->width.getValue(), 4.0f * 37.0f);
    controller->deselectAll();
    ui->advance(400);

    const gui::Point onStrip = phase->toRoot(gui::Point(100.0f, strip * 0.5f));
    click(onStrip);
    EXPECT_GT(xlfo(0).phaseOffset.getValue(), 0.6f);
    EXPECT_TRUE(selected().empty());
    click(onBar(1));
    EXPECT_EQ(selected(), (std::vector<int32_t>{1}));
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// The handle shows the product's bitmap, its pressed one while a press
// holds it.
TEST_F(XLFOControllerTest, ThePhaseOffsetHandleShowsItsPressedBitmapWhileHeld) {
    const gui::Color grey(90, 90, 90), amber(240, 160, 50);
    gui::Bitmap normal(ui->deviceBacking()), pressed(ui->deviceBacking());
    for (auto [bitmap, colour] : {std::pair{&normal, grey}, std::pair{&pressed, amber}}) {
        bitmap->setSize(6.0f, 12.0f);
        bitmap->fillRect(bitmap->getRect(), colour);
    }
    XLFOController::PhaseOffsetSlider* phase = controller->phaseOffsetSlider();
    phase->setHandleBitmaps(&normal, &pressed);
    auto handleColour = [&] {
        gui::Bitmap out(ui->deviceBacking());
        out.setSize(phase->width.getValue(), phase->height.getValue());
        out.clear();
        phase->draw(out.getCanvas());
        return out.getPixel(gui::Point(phase->handleX() + 3.0f, 6.0f));
    };
    EXPECT_EQ(handleColour(), grey);
    const gui::Point grab = phase->toRoot(gui::Point(phase->handleX() + 3.0f, 6.0f));
    ui->mouseDown(0, grab);
    EXPECT_TRUE(phase->pressed());
    EXPECT_EQ(handleColour(), amber);
    ui->mouseUp(0, grab);
    EXPECT_EQ(handleColour(), grey);
    phase->setHandleBitmaps(nullptr, nullptr);
}

// Rebinding to another XLFO deselects every step and leaves the panel
// unlinked; the sliders follow the new instance.
TEST_F(XLFOControllerTest, RebindingDeselectsAndRelinks) {
    setSteps(1, 3);
    controller->selectOnly(2);
    ASSERT_EQ(panel->shownStep(), 2);
    bind(1);
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(panel->shownStep(), -1);
    EXPECT_EQ(panel->stepControl(XLFOController::kGlide)->controlId.getValue(), -1);
    EXPECT_EQ(controller->numSteps(), 3);
    EXPECT_EQ(controller->slider(0)->controlId.getValue(), valueIndex(0, 1));
    EXPECT_EQ(editor->getTargetIndex(controller->phaseOffsetSlider()), 21u);
    controller->selectOnly(0);
    EXPECT_EQ(panel->stepControl(XLFOController::kGlide)->controlId.getValue(),
              xlfo(1).steps[0].glide.getIndex());
}

// The panel's knob, the panel or the whole controller may go first.
TEST_F(XLFOControllerTest, PartsMayDieInAnyOrder) {
    controller->selectOnly(1);
    controller->setStepSelected(2, true);
    gui::ValueControl* knob = panel->stepControl(XLFOController::kValue);
    knob->performGesture(gui::kGestureBegin, 0);
    knob->performGesture(gui::kGestureChange, 100);
    delete knob; // mid-gesture: its step and the follower both end
    EXPECT_EQ(panel->stepControl(XLFOController::kValue), nullptr);
    EXPECT_EQ(adapter->gestureFaults(), "");
    controller->selectOnly(3);
    panel->deleteChildren();
    delete panel;
    EXPECT_EQ(controller->stepPanel(), nullptr);
    controller->selectOnly(0);
    panel = nullptr;
    delete controller->slider(4);
    EXPECT_EQ(controller->slider(4), nullptr);
    controller->layoutForNumSteps(5);
    delete controller;
    controller = nullptr;
    EXPECT_EQ(adapter->gestureFaults(), "");
}

} // namespace
