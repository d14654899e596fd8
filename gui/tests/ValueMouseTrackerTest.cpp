#include "gui/ValueMouseTracker.h"

#include "gui/Control.h"
#include "gui/Modifiers.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace gui {
namespace {

struct Rig {
    std::uint32_t now = 1000;
    ValueMouseTracker tracker{[this] { return now; }};
};

TEST(ValueMouseTracker, DragStepsFollowSpeedAndFineMode) {
    const struct {
        int resolution;
        float delta;
        std::uint32_t ms;
        int modifiers;
        int steps;
        float carried;
    } cases[] = {
        {4096, 10.0f, 5, 0, 204, 0.8f},      // full speed
        {4096, 10.0f, 1000, 0, 38, 0.912f},  // slow: factor 0.19
        {4096, 10.0f, 5, kShift, 20, 0.48f}, // fine, whatever the speed
        {4096, 10.0f, 1000, kShift, 20, 0.48f}, {4096, -10.0f, 5, 0, -204, -0.8f},
        {36000, 1.0f, 20, 0, 99, 0.0f},                                    // half speed: factor 0.55
        {36000, 1.0f, 20, kShift, 18, 0.0f},    {4, 30.0f, 5, 0, 1, 0.5f}, // coarse: one step per 20 px
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.tracker.resolution.setValue(c.resolution);
        rig.now += c.ms;
        EXPECT_EQ(rig.tracker.dragStep(c.delta, c.modifiers), c.steps) << c.resolution << " " << c.delta;
        EXPECT_NEAR(rig.tracker.dragRemainder(), c.carried, 1e-4) << c.resolution << " " << c.delta;
    }
}

TEST(ValueMouseTracker, SteppedMovementHasHysteresis) {
    for (bool pixelByPixel : {false, true}) {
        SCOPED_TRACE(pixelByPixel ? "pixel by pixel" : "whole moves");
        Rig rig;
        rig.tracker.resolution.setValue(4);
        rig.tracker.dragLength.setValue(80.0f);
        rig.tracker.stepped.setValue(true);
        auto move = [&](float from, float to) {
            int steps = 0;
            if (!pixelByPixel) return rig.tracker.dragStep(to - from, 0);
            const float dir = to > from ? 1.0f : -1.0f;
            for (float at = from; at != to; at += dir)
                steps += rig.tracker.dragStep(dir, 0);
            return steps;
        };
        EXPECT_EQ(move(0, 11), 0);
        EXPECT_EQ(move(11, 12), 1); // a detent at 0.6 of a step
        EXPECT_EQ(move(12, 9), 0);
        EXPECT_EQ(move(9, 8), -1); // back 4 pixels
    }
}

TEST(ValueMouseTracker, DoubleClickFilterIgnoresSmallEarlyMoves) {
    const struct {
        float dx;
        std::uint32_t ms;
        bool ignored;
    } cases[] = {{4.0f, 100, true}, {4.01f, 100, false}, {1.0f, 500, true}, {1.0f, 501, false}};
    for (const auto& c : cases) {
        test::TestInterface ui;
        Control control(ui);
        Rig rig;
        rig.tracker.setClickPoint({50, 50});
        rig.now += c.ms;
        const int steps = rig.tracker.dragMove(control, {50 + c.dx, 50}, 10.0f, 0);
        EXPECT_EQ(steps == 0, c.ignored) << c.dx << " " << c.ms;
        // Once forgotten, the click point filters nothing more.
        if (!c.ignored) {
            EXPECT_NE(rig.tracker.dragMove(control, {50, 50}, 10.0f, 0), 0);
        }
    }
    test::TestInterface ui;
    Control control(ui);
    control.doubleClickEnabled.setValue(false);
    Rig rig;
    rig.tracker.setClickPoint({50, 50});
    EXPECT_NE(rig.tracker.dragMove(control, {51, 50}, 10.0f, 0), 0);
}

TEST(ValueMouseTracker, WheelMovesCoarseControlsAtLeastOneStep) {
    Rig rig;
    rig.tracker.resolution.setValue(3);
    EXPECT_EQ(rig.tracker.wheelStep(0.1f, 0.1f, 0), 1);    // first notch up
    EXPECT_EQ(rig.tracker.wheelStep(0.1f, 0.1f, 0), 0);    // accumulates 0.04 per unit
    EXPECT_EQ(rig.tracker.wheelStep(-0.1f, -0.1f, 0), -1); // new direction
    Rig fine;
    EXPECT_EQ(fine.tracker.wheelStep(0.01f, 0.01f, 0), 40);
    EXPECT_NEAR(fine.tracker.wheelRemainder(), 0.96f, 1e-3);
    EXPECT_EQ(fine.tracker.wheelStep(0.01f, 0.01f, kShift), 5); // 4.096 plus the carried 0.96
    EXPECT_NEAR(fine.tracker.wheelRemainder(), 0.056f, 1e-3);
}

} // namespace
} // namespace gui
