#include "effect_editor/EnvelopeController.h"

#include "effect_editor/tests/EffectEditorRig.h"
#include "gui/Bitmap.h"
#include "gui/Switch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

// A source panel stand-in: links through the editor and records the pairs.
class TestPanel : public EnvelopeController::Panel {
public:
    TestPanel(gui::UserInterface& ui, GenericPluginInterfaceBase& editor) : ui_(ui), editor_(editor) {}
    gui::UserInterface& userInterface() override { return ui_; }
    gui::Animator* animator() override { return editor_.animator(); }
    void styleSlider(gui::Switch&) override { ++styled; }
    void linkSlider(AbstractPluginParameter* parameter, gui::Switch* slider, std::uint32_t flags) override {
        editor_.linkControl(parameter, slider);
        linked.push_back(parameter->getIndex());
        this->flags.push_back(flags);
    }
    void unlinkSlider(AbstractPluginParameter* parameter, gui::Switch* slider) override {
        editor_.unlinkControl(parameter, slider);
        unlinked.push_back(parameter->getIndex());
    }
    int styled = 0;
    std::vector<int> linked, unlinked;
    std::vector<std::uint32_t> flags;

private:
    gui::UserInterface& ui_;
    GenericPluginInterfaceBase& editor_;
};

class EnvelopeControllerTest : public test::EffectEditorTest {
protected:
    void SetUp() override {
        EffectEditorTest::SetUp();
        panel = std::make_unique<TestPanel>(*ui, *editor);
        sliderStyle = std::make_unique<gui::Switch::Style>(*ui);
        sliderStyle->setBitmaps("", "", "EGHorSliderNormal.png", "EGHorSliderActive.png");
        levelStyle = std::make_unique<gui::Switch::Style>(*ui);
        levelStyle->setBitmaps("", "", "EGVerSliderNormal.png", "EGVerSliderActive.png");
        // Handles without tracks: the sliders overlap, only handles hit.
        sliderStyle->handleOnly.setValue(true);
        levelStyle->handleOnly.setValue(true);
        display = new EnvelopeController(*panel, sliderStyle.get(), levelStyle.get());
        display->parent.setValue(&ui->root());
        display->setBoundsXYWH(0, 0, 500, 83);
        display->setDotBitmaps("EGDotNormal.png", "EGDotActive.png");
    }
    void TearDown() override {
        delete display;
        levelStyle.reset();
        sliderStyle.reset();
        panel.reset();
        EffectEditorTest::TearDown();
    }
    EGParameterSet& eg() { return model->egs[0]; }
    void attachAll() {
        display->setSlider(EnvelopeController::kDelay, &eg().delay, 35);
        display->setSlider(EnvelopeController::kAttack, &eg().attack, 36);
        display->setSlider(EnvelopeController::kDecay, &eg().decay, 37);
        display->setSlider(EnvelopeController::kSustain, &eg().sustain, 38);
        display->setSlider(EnvelopeController::kHold, &eg().hold, 34);
        display->setSlider(EnvelopeController::kRelease, &eg().release, 39);
    }

    std::unique_ptr<TestPanel> panel;
    std::unique_ptr<gui::Switch::Style> sliderStyle, levelStyle;
    EnvelopeController* display = nullptr;
};

} // namespace

// Attack and Release alone make a valid two-stage layout; Decay without
// Sustain is not laid out.
TEST_F(EnvelopeControllerTest, LayoutNeedsAttackReleaseAndBothOfDecayAndSustain) {
    display->setSlider(EnvelopeController::kAttack, &eg().attack, 36);
    EXPECT_FALSE(display->layoutValid());
    display->setSlider(EnvelopeController::kRelease, &eg().release, 39);
    EXPECT_TRUE(display->layoutValid());
    // Empty slots are 6 wide: Delay, Decay and Hold.
    EXPECT_FLOAT_EQ(display->stageStart(1), 6.0f);
    EXPECT_FLOAT_EQ(display->stageStart(4) - display->stageStart(2), 6.0f);
    EXPECT_GT(display->shapeEnd(), display->stageStart(5));
    display->setSlider(EnvelopeController::kDecay, &eg().decay, 37);
    EXPECT_FALSE(display->layoutValid());
    display->setSlider(EnvelopeController::kSustain, &eg().sustain, 38);
    EXPECT_TRUE(display->layoutValid());
    EXPECT_EQ(panel->styled, 4);
    EXPECT_EQ(panel->flags, (std::vector<std::uint32_t>{36, 39, 37, 38}));
    // The sliders are the display's children, each at the back.
    EXPECT_EQ(display->children().front(), display->slider(EnvelopeController::kSustain));
}

// Fitting at 500 wide: 100 stays while 24 to 72 units are free, else the
// largest candidate that leaves 24 free; the preferred width leaves 24.
TEST_F(EnvelopeControllerTest, FittingPicksTheStageWidth) {
    attachAll();
    ASSERT_EQ(display->handleLength(), 16.0f);
    // 100 + 75 + 100 + 100 + 125 + 5 x 8.
    EXPECT_FLOAT_EQ(display->usedWidth(100.0f), 540.0f);
    struct Case {
        float width;
        float expected;
    };
    for (Case c : {Case{500, 70}, Case{588, 100}, Case{635, 100}, Case{636, 100}, Case{900, 150},
                   Case{1200, 200}, Case{300, 100}}) {
        SCOPED_TRACE(c.width);
        display->fitStages.setValue(false);
        display->stageWidth.setValue(100.0f);
        display->setSize(c.width, 83.0f);
        const float free = display->availableWidth(c.width) - 540.0f;
        display->fitStages.setValue(true);
        EXPECT_EQ(display->stageWidth.getValue(), free >= 24.0f && free < 72.0f ? 100.0f : c.expected);
    }
    display->stageWidth.setValue(70.0f);
    display->fitStages.setValue(false);
    const float preferred = display->preferredWidth();
    EXPECT_FLOAT_EQ(display->availableWidth(preferred) - display->usedWidth(70.0f), 24.0f);
    display->setSize(preferred, 83.0f);
    display->fitStages.setValue(true);
    EXPECT_EQ(display->stageWidth.getValue(), 70.0f);
}

// The stages follow their sliders: the handle centre ends a stage, and a
// longer Attack shifts every later stage by the same amount.
TEST_F(EnvelopeControllerTest, LongerAttackShiftsEveryLaterStage) {
    attachAll();
    display->setSize(700, 83);
    automate(eg().attack, eg().attack.fromLinearNormalized(0.2f));
    std::vector<float> before;
    for (int stage = 2; stage < EnvelopeController::kStages; ++stage)
        before.push_back(display->stageStart(stage));
    const float endBefore = display->shapeEnd();
    automate(eg().attack, eg().attack.fromLinearNormalized(0.6f));
    const float shift = display->stageStart(2) - before[0];
    EXPECT_GT(shift, 10.0f);
    for (int stage = 2; stage < EnvelopeController::kStages; ++stage)
        EXPECT_NEAR(display->stageStart(stage) - before[std::size_t(stage - 2)], shift, 1e-3f) << stage;
    EXPECT_NEAR(display->shapeEnd() - endBefore, shift, 1e-3f);
    // The Attack stage ends at its handle's centre, on the top.
    EnvelopeController::EGSlider* a = display->slider(EnvelopeController::kAttack);
    const float handleX = a->bounds.getValue().left + a->handleCentre().x;
    EXPECT_FLOAT_EQ(display->stageStart(2), handleX);
    EXPECT_NEAR(display->shapeAt(handleX), 0.0f, 1e-3f);
    // The Sustain slider sets the level Decay falls to and Hold keeps.
    automate(eg().sustain, eg().sustain.fromLinearNormalized(0.5f));
    const float level = display->sustainLevel();
    EXPECT_GT(level, 10.0f);
    EXPECT_LT(level, 70.0f);
    EXPECT_NEAR(display->shapeAt((display->stageStart(4) + display->stageStart(5)) / 2.0f), level, 1e-3f);
}

// A curve parameter of 0 gives slope s at both ends, 1 gives 3s and 0, -1
// gives 0 and 3s; none gives 2s and 0.
TEST_F(EnvelopeControllerTest, CurveParameterShapesTheStageSlopes) {
    attachAll();
    display->setSize(700, 83);
    automate(eg().attack, eg().attack.fromLinearNormalized(0.5f));
    auto slopes = [this](float& start, float& end, float& s) {
        const gui::CubicSegment& seg = display->stageSegment(1);
        const float x0 = seg.x0(), x1 = seg.x1(), d = 1e-3f * (x1 - x0);
        s = (seg.y0() - seg.y1()) / (x1 - x0);
        // Rising slopes: the negated dy/dx.
        start = -(seg.Cubic::valueAt(x0 + d) - seg.Cubic::valueAt(x0)) / d;
        end = -(seg.Cubic::valueAt(x1) - seg.Cubic::valueAt(x1 - d)) / d;
    };
    float start = 0, end = 0, s = 0;
    slopes(start, end, s);
    EXPECT_NEAR(start, 2.0f * s, 0.02f * s);
    EXPECT_NEAR(end, 0.0f, 0.02f * s);
    AbstractPluginParameter& curve = model->xlfos[0].steps[0].value; // a -1..1 parameter
    display->setSlider(EnvelopeController::kAttackCurve, &curve, ~0u);
    struct Case {
        float c, start, end;
    };
    for (Case c : {Case{0.0f, 1.0f, 1.0f}, Case{1.0f, 3.0f, 0.0f}, Case{-1.0f, 0.0f, 3.0f}}) {
        SCOPED_TRACE(c.c);
        automate(curve, c.c);
        slopes(start, end, s);
        EXPECT_NEAR(start, c.start * s, 0.02f * s);
        EXPECT_NEAR(end, c.end * s, 0.02f * s);
    }
    // The curve slider stands centred on the stage, at least 40 high.
    const gui::Rect r = display->slider(EnvelopeController::kAttackCurve)->bounds.getValue();
    EXPECT_GE(r.height(), 40.0f);
    EXPECT_NEAR((r.left + r.right) / 2.0f, (display->stageStart(1) + display->stageStart(2)) / 2.0f, 1e-3f);
}

// slidersOnly lets presses through except on a slider's handle; a bipolar
// shape mirrors about the middle; the destructor unlinks every slider.
TEST_F(EnvelopeControllerTest, HitsMirrorAndUnlinking) {
    attachAll();
    EXPECT_EQ(display->hitAlpha({3, 3}), 255);
    display->slidersOnly.setValue(true);
    EXPECT_EQ(display->hitAlpha({3, 3}), 0);
    EnvelopeController::EGSlider* release = display->slider(EnvelopeController::kRelease);
    const gui::Rect b = release->bounds.getValue();
    const gui::Point c = release->handleCentre();
    EXPECT_EQ(display->hitAlpha({b.left + c.x, b.top + c.y}), 255);

    display->representation.setValue(EnvelopeController::Representation::kBipolar);
    const float m = (83.0f - 2.0f) / 2.0f - 2.0f;
    for (float x : {20.0f, 120.0f, 260.0f})
        EXPECT_NEAR(display->mirrorAt(x), 2.0f * m - display->shapeAt(x), 1e-3f) << x;
    gui::Bitmap target(ui->deviceBacking());
    target.setSize(500, 83);
    display->render(target.getCanvas()); // fill, strokes, labels and dots

    delete display;
    display = nullptr;
    std::vector<int> expected = {eg().delay.getIndex(),   eg().attack.getIndex(), eg().decay.getIndex(),
                                 eg().sustain.getIndex(), eg().hold.getIndex(),   eg().release.getIndex()};
    EXPECT_EQ(panel->unlinked, expected);
    // The editor no longer holds them: a refresh touches nothing freed.
    automate(eg().attack, eg().attack.fromLinearNormalized(0.9f));
}

// A drag on the Attack slider moves its parameter in one gesture and the
// shape follows its handle.
TEST_F(EnvelopeControllerTest, DraggingAStageSlider) {
    attachAll();
    display->setSize(700, 83);
    EnvelopeController::EGSlider* attack = display->slider(EnvelopeController::kAttack);
    const gui::Rect b = attack->bounds.getValue();
    const gui::Point at{b.left + attack->handleCentre().x, b.top + attack->handleCentre().y};
    const float before = display->stageStart(2);
    ui->mouseDown(0, at);
    ui->mouseMove({at.x + 20, at.y});
    ui->mouseMove({at.x + 30, at.y});
    ui->mouseUp(0, {at.x + 30, at.y});
    EXPECT_GT(display->stageStart(2), before + 5.0f);
    EXPECT_FLOAT_EQ(display->stageStart(2), attack->bounds.getValue().left + attack->handleCentre().x);
    EXPECT_GT(eg().attack.getValue(), eg().attack.getDefault());
    EXPECT_EQ(adapter->kindsOf(eg().attack.getIndex()).front(), 'b');
    EXPECT_EQ(adapter->kindsOf(eg().attack.getIndex()).back(), 'e');
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// A parent deleting its children reaches the sliders before the display:
// the display forgets them and unlinks nothing twice.
TEST_F(EnvelopeControllerTest, DeletedWithItsParentAfterItsSliders) {
    attachAll();
    auto* holder = new gui::Control(*ui);
    holder->parent.setValue(&ui->root());
    display->parent.setValue(holder);
    holder->deleteChildren();
    display = nullptr;
    delete holder;
    EXPECT_TRUE(panel->unlinked.empty());
    EXPECT_EQ(adapter->gestureFaults(), "");
}
