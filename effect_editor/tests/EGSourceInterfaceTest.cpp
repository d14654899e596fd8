#include "effect_editor/EGSourceInterface.h"

#include "effect_editor/tests/SourcePanelRig.h"
#include "gui/Image.h"
#include "gui/Knob.h"
#include "gui/ToggleButton.h"
#include "modulation_editor/ModulationIndicator.h"
#include "modulation_editor/ModulationIndicatorManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class EGSourceInterfaceTest : public test::SourcePanelTest {
protected:
    EGSourceInterface* makeEG(int32_t count = 1) {
        setActive(model->egs, count);
        return panelsOf<EGSourceInterface>().back();
    }
    // The width the panel needs at the display's left edge.
    static int needed(EGSourceInterface& panel) {
        return static_cast<int>(std::max(panel.display()->preferredWidth(), 160.0f) +
                                panel.display()->x.getValue() + 10.0f);
    }
};

} // namespace

// With 16-unit handles a new EG panel is 533 wide and 477 with MIDI
// triggering; the stage width stays 70 at both, and the panel and display
// keep their places.
TEST_F(EGSourceInterfaceTest, WidthFollowsTheTriggering) {
    EGSourceInterface* eg = makeEG();
    EnvelopeController* display = eg->display();
    ASSERT_EQ(display->handleLength(), 16.0f);
    EXPECT_EQ(eg->width.getValue(), 533.0f);
    EXPECT_EQ(display->x.getValue(), 73.0f);
    EXPECT_EQ(display->y.getValue(), 24.0f);
    EXPECT_EQ(display->height.getValue(), 83.0f);
    EXPECT_EQ(display->bounds.getValue().right, 523.0f);
    EXPECT_EQ(display->stageWidth.getValue(), 70.0f);
    EXPECT_TRUE(display->fitStages.getValue());
    EXPECT_EQ(eg->triggerButton(0)->x.getValue(), 12.0f);
    EXPECT_EQ(eg->triggerButton(2)->x.getValue(), 50.0f);
    EXPECT_EQ(eg->triggerButton(2)->y.getValue(), 27.0f);
    EXPECT_TRUE(eg->thresholdKnob()->visible.getValue());
    EXPECT_TRUE(eg->labels()->visible.getValue());

    EXPECT_TRUE(automate(model->egs[0].triggering, 2.0f)); // MIDI
    EXPECT_TRUE(eg->triggerButton(2)->on.getValue());
    EXPECT_EQ(eg->width.getValue(), 477.0f);
    EXPECT_EQ(display->x.getValue(), 29.0f);
    EXPECT_EQ(display->bounds.getValue().right, 467.0f);
    EXPECT_EQ(display->stageWidth.getValue(), 70.0f);
    EXPECT_EQ(eg->triggerButton(0)->x.getValue(), 9.0f);
    EXPECT_EQ(eg->triggerButton(1)->y.getValue(), 55.0f);
    EXPECT_EQ(eg->triggerButton(2)->y.getValue(), 74.0f);
    EXPECT_FALSE(eg->thresholdKnob()->visible.getValue());
    EXPECT_FALSE(eg->labels()->visible.getValue());
    // Stable: refreshing again changes nothing.
    eg->refreshFromParameters();
    EXPECT_EQ(eg->width.getValue(), 477.0f);
    EXPECT_EQ(display->stageWidth.getValue(), 70.0f);

    EXPECT_TRUE(automate(model->egs[0].triggering, 0.0f));
    EXPECT_EQ(eg->width.getValue(), 533.0f);
    EXPECT_EQ(display->stageWidth.getValue(), 70.0f);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// Narrower than needed grows to needed + 12; up to 24 wider keeps its width;
// wider than that shrinks to needed.
TEST_F(EGSourceInterfaceTest, WidthRuleGrowsKeepsAndShrinks) {
    EGSourceInterface* eg = makeEG();
    const int n = needed(*eg);
    ASSERT_EQ(n, 521);
    struct Case {
        float width;
        float expected;
    };
    for (Case c : {Case{511, 533}, Case{520, 533}, Case{521, 521}, Case{545, 545}, Case{546, 521}}) {
        SCOPED_TRACE(c.width);
        eg->width.setValue(c.width);
        eg->refreshFromParameters();
        EXPECT_EQ(eg->width.getValue(), c.expected);
        // The display's right edge stays 10 inside the panel.
        EXPECT_EQ(eg->display()->bounds.getValue().right, c.expected - 10.0f);
    }
}

// The sliders carry the EG's targets from 34 + 6i; dragging Attack moves
// every later stage by the same amount and leaves the width alone.
TEST_F(EGSourceInterfaceTest, SlidersAreTargetsAndAttackShiftsLaterStages) {
    EGSourceInterface* eg = makeEG(2);
    EnvelopeController* display = eg->display();
    struct Slot {
        int slot;
        uint32_t target;
    };
    for (Slot s : {Slot{EnvelopeController::kDelay, 41}, Slot{EnvelopeController::kAttack, 42},
                   Slot{EnvelopeController::kDecay, 43}, Slot{EnvelopeController::kSustain, 44},
                   Slot{EnvelopeController::kHold, 40}, Slot{EnvelopeController::kRelease, 45}})
        EXPECT_EQ(editor->getTargetIndex(display->slider(s.slot)), s.target) << s.slot;
    EXPECT_EQ(display->slider(EnvelopeController::kAttack)->controlId.getValue(),
              model->egs[1].attack.getIndex());
    std::vector<float> before;
    for (int stage = 2; stage < EnvelopeController::kStages; ++stage)
        before.push_back(display->stageStart(stage));
    const float endBefore = display->shapeEnd();
    const float widthBefore = eg->width.getValue();
    EnvelopeController::EGSlider* attack = display->slider(EnvelopeController::kAttack);
    const gui::Point c = attack->handleCentre();
    const gui::Point at = attack->toRoot(c);
    ui->mouseDown(0, at);
    ui->mouseMove({at.x + 10, at.y});
    ui->mouseMove({at.x + 25, at.y});
    ui->mouseUp(0, {at.x + 25, at.y});
    const float shift = display->stageStart(2) - before[0];
    EXPECT_GT(shift, 5.0f);
    for (int stage = 2; stage < EnvelopeController::kStages; ++stage)
        EXPECT_NEAR(display->stageStart(stage) - before[std::size_t(stage - 2)], shift, 1e-3f) << stage;
    EXPECT_NEAR(display->shapeEnd() - endBefore, shift, 1e-3f);
    EXPECT_EQ(eg->width.getValue(), widthBefore);
    EXPECT_GT(model->egs[1].attack.getValue(), model->egs[1].attack.getDefault());
    EXPECT_EQ(model->egs[0].attack.getValue(), model->egs[0].attack.getDefault());
    EXPECT_EQ(adapter->kindsOf(model->egs[1].attack.getIndex()).front(), 'b');
    EXPECT_EQ(adapter->kindsOf(model->egs[1].attack.getIndex()).back(), 'e');
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// The triggering buttons are one choice group on "Triggering"; without a
// usable side chain its button is disabled at opacity 128.
TEST_F(EGSourceInterfaceTest, TriggeringButtonsAreOneGroup) {
    EGSourceInterface* eg = makeEG();
    EXPECT_EQ(eg->triggerButton(0)->group().size(), 3u);
    EXPECT_FALSE(eg->triggerButton(1)->enabled.getValue());
    EXPECT_EQ(eg->triggerButton(1)->opacity.getValue(), 128);
    ui->mouseDown(0, centreOf(*eg->triggerButton(2)));
    ui->mouseUp(0, centreOf(*eg->triggerButton(2)));
    EXPECT_EQ(model->egs[0].triggering.getTypedValue(), EGTriggering::kMidi);
    EXPECT_EQ(adapter->gestureFaults(), "");
    // A panel made while the side chain is usable enables its button.
    sideChain = true;
    setActive(model->egs, 2);
    EXPECT_TRUE(panelsOf<EGSourceInterface>().back()->triggerButton(1)->enabled.getValue());
}

// One indicator on the display covers the EG's six targets, its sliders
// joined to it; it moves with the instance when an earlier EG goes.
TEST_F(EGSourceInterfaceTest, OneIndicatorCoversTheDisplay) {
    ModulationIndicatorManager indicators(*editor, *slots);
    skin.indicators = &indicators;
    EGSourceInterface* second = makeEG(2);
    ModulationIndicator* indicator = second->indicator();
    ASSERT_NE(indicator, nullptr);
    EXPECT_EQ(indicator->firstTarget(), 40u);
    EXPECT_EQ(indicator->targetCount(), 6u);
    EXPECT_EQ(indicator->watchedCount(), 7u); // the display and its six sliders
    EXPECT_EQ(indicator->offset.getValue(), gui::Point(-16.0f, -5.0f));
    EXPECT_EQ(indicators.indicatorOf(42), indicator);
    panelsOf<EGSourceInterface>().front()->removeSource();
    ui->advance(400);
    ASSERT_EQ(panelsOf<EGSourceInterface>().size(), 1u);
    EXPECT_EQ(panelsOf<EGSourceInterface>().front(), second);
    ASSERT_NE(second->indicator(), nullptr);
    EXPECT_EQ(second->indicator()->firstTarget(), 34u);
    EXPECT_EQ(second->indicator()->watchedCount(), 7u);
    EXPECT_EQ(indicators.indicatorOf(36), second->indicator());
    EXPECT_EQ(indicators.indicatorOf(42), nullptr);
    EXPECT_EQ(adapter->gestureFaults(), "");
}
