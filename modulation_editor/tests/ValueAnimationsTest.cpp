#include "modulation_editor/ValueAnimations.h"

#include "gui/Animator.h"
#include "gui/Control.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Counts its paints.
class CountingControl : public gui::Control {
public:
    explicit CountingControl(gui::UserInterface& ui) : gui::Control(ui), level(this, 0.0f) {}
    void draw(gui::Canvas&) override { ++redraws; }
    Property<float> level;
    int redraws = 0;
};

class ValueAnimationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui = std::make_unique<gui::headless::HeadlessInterface>(400.0f, 200.0f, 1000);
        animator = std::make_unique<gui::Animator>(*ui, ui->clock());
        animator->rate.setValue(100); // a step every 10 ms
        animator->running.setValue(true);
        control = new CountingControl(*ui);
        control->setBoundsXYWH(0, 0, 50, 50);
        control->parent.setValue(&ui->root());
    }
    void TearDown() override {
        ui->root().deleteChildren();
        animator.reset();
        ui.reset();
    }

    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<gui::Animator> animator;
    CountingControl* control = nullptr;
};

TEST_F(ValueAnimationsTest, APropertyMovesToItsTargetRedrawingAtEveryStep) {
    ASSERT_NE(
        animateProperty(animator.get(), control->level, 10.0f, *control, 100, gui::AnimationMotion::kLinear),
        nullptr);
    ui->paint();
    control->redraws = 0;
    ui->advance(50);
    ui->paint();
    EXPECT_GT(control->level.getValue(), 0.0f);
    EXPECT_LT(control->level.getValue(), 10.0f);
    EXPECT_GT(control->redraws, 0);
    ui->advance(60);
    EXPECT_EQ(control->level.getValue(), 10.0f);
    // A new animation of the same property replaces the running one.
    animateProperty(animator.get(), control->level, 0.0f, *control, 100);
    animateProperty(animator.get(), control->level, 20.0f, *control, 100);
    ui->advance(120);
    EXPECT_EQ(control->level.getValue(), 20.0f);
    // At the target it stops what runs; without an animator it jumps.
    animateProperty(animator.get(), control->level, 0.0f, *control, 100);
    EXPECT_EQ(animateProperty(animator.get(), control->level, 20.0f, *control, 100), nullptr);
    ui->advance(120);
    EXPECT_EQ(control->level.getValue(), 20.0f);
    EXPECT_EQ(animateProperty(nullptr, control->level, 3.0f, *control, 100), nullptr);
    EXPECT_EQ(control->level.getValue(), 3.0f);
}

TEST_F(ValueAnimationsTest, ADelegatedValueMovesAControl) {
    animateDelegated(animator.get(), control->x, 100.0f, control, 200, gui::AnimationMotion::kLinear);
    ui->advance(100);
    EXPECT_NEAR(control->x.getValue(), 50.0f, 10.0f);
    ui->advance(110);
    EXPECT_EQ(control->x.getValue(), 100.0f);
    EXPECT_EQ(control->bounds.getValue().left, 100.0f);
    // An animated control's death drops its animation.
    auto* animated = new gui::AnimatedControl(*ui);
    animated->parent.setValue(&ui->root());
    animateDelegated(animator.get(), animated->x, 100.0f, animated, 200);
    ui->advance(100);
    delete animated;
    EXPECT_EQ(animator->runningCount(), 0);
    ui->advance(250);
}

} // namespace
