#include "gui/Animator.h"

#include "gui/Animation.h"
#include "gui/Timer.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace gui {
namespace {

// A user interface with a hand-driven clock for its animator.
struct Rig {
    std::uint32_t now = 1000;
    std::unique_ptr<test::TestInterface> ui = std::make_unique<test::TestInterface>();
    std::unique_ptr<Animator> animator = std::make_unique<Animator>(*ui, [this] { return now; });

    void tickAt(std::uint32_t time) {
        now = time;
        ASSERT_NE(animator->timer(), nullptr);
        animator->timer()->tick();
    }
};

class Box : public AnimatedControl {
public:
    explicit Box(UserInterface& ui) : AnimatedControl(ui) {}
};

TEST(Animator, TimerFollowsRateAndRunning) {
    Rig rig;
    Timer* timer = rig.animator->timer();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval.getValue(), 100);
    EXPECT_TRUE(timer->enabled.getValue()); // enabled at start although running is false
    rig.animator->rate.setValue(15);
    EXPECT_EQ(timer->interval.getValue(), 66);
    EXPECT_FALSE(timer->enabled.getValue());
    rig.animator->running.setValue(true);
    EXPECT_TRUE(timer->enabled.getValue());
    rig.animator->rate.setValue(10);
    EXPECT_EQ(timer->interval.getValue(), 100);
    EXPECT_EQ(Animator::of(*rig.ui), rig.animator.get());
}

TEST(Animator, StepsAreFractionsOfTheDurationAndTheLastIsExactlyOne) {
    Rig rig;
    rig.tickAt(5000);
    float value = 0.0f;
    auto* animation = new ValueAnimation<float, float>(*rig.animator, value, 1.0f);
    int finished = 0;
    animation->finishedEvent.addHandler(NotifyEvent::bind([&finished] { ++finished; }));
    const float expected[] = {0.33f, 0.66f, 0.99f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        rig.tickAt(5000 + 66 * std::uint32_t(i + 1));
        EXPECT_FLOAT_EQ(value, expected[i]);
        EXPECT_EQ(finished, i == 3 ? 1 : 0);
    }
    EXPECT_EQ(rig.animator->runningCount(), 0);
    EXPECT_FALSE(rig.animator->isRunning(&value));
    // The clock wraps: the difference is taken as unsigned milliseconds.
    rig.tickAt(0xFFFFFFF0u);
    int wrapped = 0;
    new ValueAnimation<int, int>(*rig.animator, wrapped, 100);
    rig.tickAt(0x00000054u); // 100 ms later
    EXPECT_EQ(wrapped, 50);
}

TEST(Animator, MotionShapes) {
    EXPECT_FLOAT_EQ(animationProgress(AnimationMotion::kLinear, 0.25f), 0.25f);
    EXPECT_FLOAT_EQ(animationProgress(AnimationMotion::kSmooth, 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(animationProgress(AnimationMotion::kSmooth, 0.25f), 0.15625f);
    EXPECT_NEAR(animationProgress(AnimationMotion::kEaseIn, 0.0f), 0.0f, 1e-6);
    EXPECT_NEAR(animationProgress(AnimationMotion::kEaseIn, 1.0f), 1.0f, 1e-6);
    EXPECT_NEAR(animationProgress(AnimationMotion::kEaseIn, 0.5f), (0.2401f - 0.0256f) * 1.0262727f, 1e-6);
    EXPECT_NEAR(animationProgress(AnimationMotion::kEaseOut, 0.0f), 0.0f, 1e-6);
    EXPECT_NEAR(animationProgress(AnimationMotion::kEaseOut, 0.5f), 1.0f - (0.2401f - 0.0256f) * 1.0262727f,
                1e-6);
    EXPECT_FLOAT_EQ(animationProgress(AnimationMotion(7), 0.3f), 0.3f);
}

TEST(Animator, HelpersWithoutAnAnimatorSetAtOnce) {
    test::TestInterface ui;
    Box box(ui);
    EXPECT_EQ(box.animator(), nullptr);
    fadeControl(nullptr, box, 40, 150);
    EXPECT_EQ(box.opacity.getValue(), 40);
    int level = 3;
    EXPECT_EQ(animateIntProperty(nullptr, &level, 200, &box, 100, true), nullptr);
    EXPECT_EQ(level, 200);
}

TEST(Animator, FadesReplaceEachOtherAndAFadeToTheCurrentOpacityStops) {
    Rig rig;
    Box box(*rig.ui);
    ASSERT_EQ(box.animator(), rig.animator.get());
    rig.tickAt(100);
    fadeControl(box.animator(), box, 0, 100);
    rig.tickAt(150);
    EXPECT_EQ(box.opacity.getValue(), 127);   // trunc(255 - 255 x 0.5)
    fadeControl(box.animator(), box, 255, 0); // replaces the running fade; 200 ms stays
    EXPECT_EQ(rig.animator->runningCount(), 1);
    rig.tickAt(250);
    EXPECT_EQ(box.opacity.getValue(), 191); // 127 + 128 x 0.5
    fadeControl(box.animator(), box, 191, 100);
    EXPECT_EQ(rig.animator->runningCount(), 0);
    rig.tickAt(400);
    EXPECT_EQ(box.opacity.getValue(), 191);

    int level = 10;
    EXPECT_EQ(animateIntProperty(rig.animator.get(), &level, 10, &box, 100, false), nullptr);
    ASSERT_NE(animateIntProperty(rig.animator.get(), &level, 110, &box, 100, false), nullptr);
    rig.tickAt(450);
    EXPECT_EQ(level, 60);
}

TEST(Animator, RequestsDuringATickStartAfterEveryEntryWasStepped) {
    Rig rig;
    rig.tickAt(0);
    float a = 0.0f, b = 0.0f;
    std::vector<const char*> order;
    auto* first = new ValueAnimation<float, float>(*rig.animator, a, 1.0f);
    first->duration.setValue(10);
    first->finishedEvent.addHandler(NotifyEvent::bind([&] {
        order.push_back("first finished");
        // Restarting its own key during the tick: queued, runs after the stepping.
        new ValueAnimation<float, float>(*rig.animator, a, 0.0f);
        EXPECT_EQ(rig.animator->runningCount(), 2);
    }));
    new ValueAnimation<float, float>(*rig.animator, b, 1.0f);
    rig.animator->tickEvent.addHandler(NotifyEvent::bind([&] { order.push_back("tick"); }));
    rig.tickAt(100);
    EXPECT_EQ(order, (std::vector<const char*>{"tick", "first finished"}));
    EXPECT_FLOAT_EQ(a, 1.0f);
    EXPECT_FLOAT_EQ(b, 0.5f);
    EXPECT_TRUE(rig.animator->isRunning(&a));
    EXPECT_EQ(rig.animator->runningCount(), 2);
    rig.tickAt(200); // the new animation of a started at stamp 100
    EXPECT_FLOAT_EQ(a, 0.5f);
}

// Finished handlers that refade, restart their own key or delete their
// control: nothing is freed under a running step (ASan proves it).
TEST(Animator, FinishedHandlersMayRefadeRestartOrDeleteTheirControl) {
    Rig rig;
    rig.tickAt(0);
    auto box = std::make_unique<Box>(*rig.ui);
    Box* raw = box.get();
    float a = 0.0f, b = 0.0f;
    int level = 0;
    auto* fade = new FadeAnimation(*rig.animator, *raw, 10);
    fade->duration.setValue(10);
    fade->finishedEvent.addHandler(NotifyEvent::bind([&] {
        fadeControl(rig.animator.get(), *raw, raw->opacity.getValue(), 100); // stops its own key
    }));
    auto* restart = new ValueAnimation<float, float>(*rig.animator, a, 1.0f, raw, false);
    restart->duration.setValue(10);
    restart->finishedEvent.addHandler(NotifyEvent::bind([&] {
        new ValueAnimation<float, float>(*rig.animator, a, 5.0f, raw, false); // its own key again
        rig.animator->stopAnimations(&a);                                     // and stopped at once
    }));
    auto* killer = new ValueAnimation<int, int>(*rig.animator, level, 10, raw, false);
    killer->duration.setValue(10);
    killer->finishedEvent.addHandler(NotifyEvent::bind([&] { box.reset(); }));
    auto* after = new ValueAnimation<float, float>(*rig.animator, b, 1.0f, raw, true);
    after->duration.setValue(1000);
    rig.tickAt(100);
    EXPECT_EQ(box, nullptr);
    EXPECT_EQ(level, 10);
    EXPECT_FLOAT_EQ(b, 0.0f); // its control went before its turn: not stepped
    EXPECT_EQ(rig.animator->runningCount(), 0);
    rig.tickAt(200);
    EXPECT_EQ(rig.animator->runningCount(), 0);

    // A control deleted outside a tick drops its animations at once.
    auto other = std::make_unique<Box>(*rig.ui);
    fadeControl(rig.animator.get(), *other, 0, 100);
    EXPECT_EQ(rig.animator->runningCount(), 1);
    other.reset();
    EXPECT_EQ(rig.animator->runningCount(), 0);
}

TEST(Animator, TheUserInterfaceMayGoBeforeOrAfterTheAnimator) {
    {
        Rig rig; // the animator first: it deletes its timer and its notifier
        float v = 0.0f;
        new ValueAnimation<float, float>(*rig.animator, v, 1.0f);
        rig.animator.reset();
        EXPECT_EQ(Animator::of(*rig.ui), nullptr);
    }
    {
        Rig rig; // the user interface first: the animator no longer touches the timer
        float v = 0.0f;
        new ValueAnimation<float, float>(*rig.animator, v, 1.0f);
        rig.ui.reset();
        EXPECT_EQ(rig.animator->timer(), nullptr);
        rig.animator->rate.setValue(20);
        rig.animator->tick();
        rig.animator.reset();
    }
}

} // namespace
} // namespace gui
