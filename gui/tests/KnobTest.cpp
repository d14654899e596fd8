#include "gui/Knob.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/tests/GestureRecorder.h"
#include "gui/tests/PlainBitmap.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gui {
namespace {

using test::GestureRecorder;
using test::joined;

using test::fill;

struct Rig {
    std::uint32_t now = 1000;
    // Outlives the user interface: a knob that dies inside a gesture still
    // tells its listener the gesture ended.
    GestureRecorder recorder;
    test::TestInterface ui{[this] { return now; }};
    RootControl& root = ui.root();
    Knob::Style style{ui};

    Rig() { root.setBoundsXYWH(0, 0, 200, 200); }
    // A 40 x 40 knob at the origin, range 0..max.
    Knob* knob(int max, bool withBitmaps) {
        if (withBitmaps) {
            fill(style.bitmap(0), 40, 40, Color(10, 10, 10, 255));
            fill(style.bitmap(2), 40, 40, Color(0, 0, 0, 0));
            style.bitmap(2).getCanvas().fillRect(Rect::fromXYWH(19, 2, 2, 8), Color(255, 255, 255, 255));
        } else {
            style.bitmap(2).setSize(40, 40);
            style.bitmap(2).clear();
        }
        style.radius.setValue(18);
        auto* k = new Knob(ui, &style);
        k->maximum.setValue(max);
        k->setListener(&recorder);
        k->parent.setValue(&root);
        return k;
    }
};

TEST(Knob, AnglesOfValuesAndValuesOfAngles) {
    Rig rig;
    Knob* k = rig.knob(100, true);
    const struct {
        int value;
        float degrees;
    } cases[] = {{0, 210}, {50, 0}, {100, 150}, {25, 285}};
    for (const auto& c : cases)
        EXPECT_NEAR(k->angleForValue(c.value) * 360.0f, c.degrees, 1e-3f) << c.value;
    for (int v = 0; v <= 100; ++v)
        EXPECT_EQ(k->valueForAngle(k->angleForValue(v)), v);
    EXPECT_EQ(k->valueForAngle(0.49f), 100); // the gap holds at the ends
    EXPECT_EQ(k->valueForAngle(0.51f), 0);
}

TEST(Knob, AngleRangeAndOffsetAreHeld) {
    Rig rig;
    Knob* k = rig.knob(100, true);
    const struct {
        float range, offset, heldRange, heldOffset;
    } cases[] = {{0.5f, 0, 1, 0}, {400, 0, 360, 0}, {300, 400, 300, 359}, {300, -500, 300, -359}};
    for (const auto& c : cases) {
        k->angleRange.setValue(c.range);
        k->angleOffset.setValue(c.offset);
        EXPECT_FLOAT_EQ(k->angleRange.getValue(), c.heldRange);
        EXPECT_FLOAT_EQ(k->angleOffset.getValue(), c.heldOffset);
    }
}

TEST(Knob, LinearDragUpIncreases) {
    Rig rig;
    Knob* k = rig.knob(4096, true); // 10 pixels in 5 ms
    rig.root.handleMouseMove({20, 30}, 0);
    rig.root.handleMouseDown(0, {20, 30}, kLeftButton);
    EXPECT_EQ(k->dragMode(), Knob::DragMode::kLinear);
    rig.now += 5;
    rig.root.handleMouseMove({20, 20}, kLeftButton);
    EXPECT_EQ(k->value.getValue(), 204);
    rig.root.handleMouseUp(0, {20, 20}, 0);
    EXPECT_EQ(k->dragMode(), Knob::DragMode::kNone);
    EXPECT_EQ(rig.recorder.log.front(), "b");
    EXPECT_EQ(rig.recorder.log.back(), "e");
}

TEST(Knob, CtrlPressResetsWithoutADrag) {
    Rig rig;
    Knob* k = rig.knob(100, true);
    k->defaultValue.setValue(40);
    k->value.setValue(70);
    rig.root.handleMouseMove({20, 30}, 0);
    rig.root.handleMouseDown(0, {20, 30}, kLeftButton | kCtrl);
    EXPECT_EQ(k->value.getValue(), 40);
    EXPECT_EQ(k->dragMode(), Knob::DragMode::kNone);
    rig.root.handleMouseMove({20, 10}, kLeftButton);
    EXPECT_EQ(k->value.getValue(), 40);
    rig.root.handleMouseUp(0, {20, 10}, 0);
    EXPECT_EQ(joined(rig.recorder.log), "b c0 e"); // a reset reports no steps
}

TEST(Knob, RotaryDragFromTheHandleFollowsThePointer) {
    Rig rig;
    Knob* k = rig.knob(100, false);
    k->value.setValue(50); // the handle points up
    rig.root.handleMouseMove({20, 5}, 0);
    EXPECT_EQ(k->hoverState(), Knob::HoverState::kHandle);
    rig.root.handleMouseDown(0, {20, 5}, kLeftButton);
    EXPECT_EQ(k->dragMode(), Knob::DragMode::kRotary);
    rig.root.handleMouseMove({35, 20}, kLeftButton); // a quarter turn: 90 of 300 degrees
    EXPECT_EQ(k->value.getValue(), 80);
    rig.root.handleMouseMove({33, 32}, kLeftButton);
    EXPECT_EQ(k->value.getValue(), 94);
    rig.root.handleMouseMove({24, 36}, kLeftButton); // past the end of the arc: held at max
    EXPECT_EQ(k->value.getValue(), 100);
    rig.root.handleMouseMove({5, 30}, kLeftButton); // a jump of more than half the range is refused
    EXPECT_EQ(k->value.getValue(), 100);
    rig.root.handleMouseMove({20, 20}, kLeftButton); // through the dead zone
    rig.root.handleMouseMove({35, 19}, kLeftButton); // then a fifth of the range: refused
    EXPECT_EQ(k->value.getValue(), 100);
    rig.root.handleMouseMove({33, 32}, kLeftButton); // under a tenth: taken
    EXPECT_EQ(k->value.getValue(), 94);
    rig.root.handleMouseUp(0, {33, 32}, 0);
    EXPECT_EQ(k->dragMode(), Knob::DragMode::kNone);
}

TEST(Knob, AKnobWithoutBitmapsJumpsToAClickOnItsArc) {
    Rig rig;
    Knob* k = rig.knob(100, false);
    rig.root.handleMouseMove({35, 20}, 0); // off the handle, on the arc
    rig.root.handleMouseDown(0, {35, 20}, kLeftButton);
    EXPECT_EQ(k->dragMode(), Knob::DragMode::kNone);
    rig.root.handleMouseUp(0, {35, 20}, 0);
    EXPECT_EQ(k->value.getValue(), 80);
    EXPECT_EQ(joined(rig.recorder.log), "b c80 e");
    EXPECT_EQ(k->hitAlpha({20, 20}), 0);    // inside the inner radius
    EXPECT_EQ(k->hitAlpha({20, 38.5f}), 0); // the gap at the bottom
}

TEST(Knob, RendersTheIndicatorOnlyWhenStale) {
    Rig rig;
    Knob* k = rig.knob(100, true);
    Bitmap out(rig.ui.deviceBacking());
    out.setSize(40, 40);
    const struct {
        int value;
        int renders;
    } cases[] = {{0, 1}, {0, 1}, {50, 2}, {50, 2}, {51, 3}};
    for (const auto& c : cases) {
        k->value.setValue(c.value);
        k->draw(out.getCanvas());
        EXPECT_EQ(k->renderCount(), c.renders) << c.value;
    }
    // Value 50 points up: the indicator's top is white.
    k->value.setValue(50);
    out.clear();
    k->draw(out.getCanvas());
    EXPECT_EQ(out.pixelAt(20, 4), Color(255, 255, 255, 255));
    EXPECT_EQ(out.pixelAt(20, 36), Color(10, 10, 10, 255));
    // Hovering over the knob wants holder 3; empty, it falls back to holder 2.
    rig.root.handleMouseMove({20, 30}, 0);
    k->draw(out.getCanvas());
    EXPECT_EQ(k->renderCount(), 5);
    EXPECT_EQ(out.pixelAt(20, 4), Color(255, 255, 255, 255));
}

TEST(Knob, ShiftOnTheHandleOfABitmapKnobDragsLinearly) {
    Rig rig;
    Knob* k = rig.knob(100, true);
    k->value.setValue(50);
    rig.root.handleMouseMove({20, 5}, 0);
    EXPECT_EQ(k->hoverState(), Knob::HoverState::kHandle);
    EXPECT_FALSE(k->rotaryAllowed(kShift));
    EXPECT_TRUE(k->rotaryAllowed(kCtrl));
    rig.root.handleMouseMove({20, 5}, kShift);
    EXPECT_EQ(k->hoverState(), Knob::HoverState::kOver);
    rig.root.handleMouseDown(0, {20, 5}, kLeftButton | kShift);
    EXPECT_EQ(k->dragMode(), Knob::DragMode::kLinear);
    rig.root.handleMouseUp(0, {20, 5}, 0);
}

TEST(Knob, TheWheelStepsBothWays) {
    Rig rig;
    Knob* k = rig.knob(10, true);
    k->value.setValue(5);
    rig.root.handleMouseMove({20, 20}, 0);
    // The root's own gesture end (the test root only records its timer's).
    rig.root.handleMouseWheel({20, 20}, 0, {0, 1}, {0, 120}, 1);
    EXPECT_TRUE(k->inGesture());
    rig.root.RootControl::endGesture();
    EXPECT_FALSE(k->inGesture());
    EXPECT_EQ(k->value.getValue(), 6);
    rig.now += 1000;
    rig.root.handleMouseWheel({20, 20}, 0, {0, -1}, {0, -120}, 1);
    rig.root.RootControl::endGesture();
    EXPECT_EQ(k->value.getValue(), 5);
    EXPECT_EQ(joined(rig.recorder.log), "b c1 e b c-1 e");
    // While dragging the wheel is taken and does nothing.
    rig.root.handleMouseDown(0, {20, 20}, kLeftButton);
    EXPECT_TRUE(k->mouseWheel(1, {20, 20}, 0, {0, 1}, {0, 120}));
    EXPECT_EQ(k->value.getValue(), 5);
    rig.root.handleMouseUp(0, {20, 20}, 0);
}

TEST(Knob, AnArcTurnedPastTheTopWheelsTheOtherWay) {
    // Under 100 steps an arc turned past the top reverses the wheel.
    const struct {
        int max;
        float offset, range;
        int direction;
    } cases[] = {{10, 0, 300, 1}, {10, 200, 100, -1}, {10, 50, 100, 1}, {100, 200, 100, 1}};
    for (const auto& c : cases) {
        Rig rig;
        Knob* k = rig.knob(c.max, true);
        k->angleOffset.setValue(c.offset);
        k->angleRange.setValue(c.range);
        k->value.setValue(5);
        rig.root.handleMouseMove({20, 20}, 0);
        rig.root.handleMouseWheel({20, 20}, 0, {0, 1}, {0, 120}, 1);
        rig.root.RootControl::endGesture();
        const int moved = k->value.getValue() - 5;
        EXPECT_EQ(moved > 0 ? 1 : -1, c.direction) << c.max << " " << c.offset;
        EXPECT_NE(moved, 0);
    }
}

TEST(Knob, PaintRectHitTestsAndTheDefaultWhenDisabled) {
    Rig rig;
    Knob* k = rig.knob(100, true);
    rig.style.margin.setValue(2);
    rig.style.insets.setValue(Rect(1, 2, 3, 4));
    k->adjust.setValue(Rect(1, 1, 1, 1));
    Rect paint;
    k->getPaintBounds(paint);
    EXPECT_EQ(paint, Rect(4, 5, 36, 35));
    Bitmap& background = rig.style.bitmap(0); // a transparent 2 x 2 corner
    for (int i : {0, 1, 40, 41})
        background.getPixels()[i] = Bitmap::kTransparentPixel;
    const struct {
        Point p;
        int byAlpha, byCircle;
    } hits[] = {{{1, 1}, 0, 0}, {{5, 5}, 255, 0}, {{20, 20}, 255, 255}, {{20, 1}, 255, 255}};
    for (const auto& h : hits) {
        k->roundHit.setValue(false);
        EXPECT_EQ(k->hitAlpha(h.p), h.byAlpha) << h.p.x << "," << h.p.y;
        k->roundHit.setValue(true);
        EXPECT_EQ(k->hitAlpha(h.p), h.byCircle) << h.p.x << "," << h.p.y;
    }
    k->value.setValue(100);
    k->enabled.setValue(false);
    EXPECT_NEAR(k->currentAngle() * 360.0f, 150.0f, 1e-3f);
    k->showDefaultWhenDisabled.setValue(true);
    EXPECT_NEAR(k->currentAngle() * 360.0f, 210.0f, 1e-3f);
    k->enabled.setValue(true);
    EXPECT_NEAR(k->currentAngle() * 360.0f, 150.0f, 1e-3f);
}

TEST(Knob, PaintContentsDrawsWithoutTheBlend) {
    Rig rig;
    Knob* k = rig.knob(100, true);
    fill(rig.style.bitmap(1), 40, 40, Color(0, 200, 0, 255));
    k->normalOpacity.setValue(100);
    k->value.setValue(50);
    Bitmap out(rig.ui.deviceBacking());
    out.setSize(40, 40);
    const Color normal(10, 10, 10, 255), highlighted(0, 200, 0, 255), dim(10, 10, 10, 100);
    const struct {
        bool hovered;
        int mode; // -1: draw
        Color background;
    } cases[] = {{false, -1, dim},        {false, 0, normal}, {false, 2, highlighted},
                 {true, -1, highlighted}, {true, 0, normal},  {true, 2, highlighted}};
    for (const auto& c : cases) {
        rig.root.handleMouseMove(c.hovered ? Point(20, 30) : Point(150, 150), 0);
        out.clear();
        if (c.mode < 0)
            k->draw(out.getCanvas());
        else
            k->paintContents(out.getCanvas(), c.mode);
        EXPECT_EQ(out.pixelAt(20, 36), c.background) << c.hovered << " " << c.mode;
        EXPECT_EQ(out.pixelAt(20, 4), Color(255, 255, 255, 255)) << c.hovered << " " << c.mode;
    }
    out.clear();
    k->paintContents(out.getCanvas()); // the Control's entry: mode 0
    EXPECT_EQ(out.pixelAt(20, 36), normal);
}

TEST(Knob, AnEmptyIndicatorHolderFallsBackToTheNextLowerOne) {
    const Color colours[6] = {
        {}, {}, Color(255, 0, 0, 255), Color(0, 255, 0, 255), Color(0, 0, 255, 255), Color(255, 255, 0, 255)};
    // Holders wanted outside, over the knob, on the handle and dragging from it.
    const struct {
        std::vector<int> filled;
        int shown[4];
    } cases[] = {
        {{3, 4, 5}, {2, 3, 4, 5}}, {{3, 4}, {2, 3, 4, 4}}, {{3}, {2, 3, 3, 3}},
        {{}, {2, 2, 2, 2}},        {{4}, {2, 2, 4, 4}},    {{5}, {2, 2, 2, 5}},
    };
    for (const auto& c : cases) {
        Rig rig;
        Knob* k = rig.knob(100, true);
        k->value.setValue(50); // the handle points up
        for (int holder = 2; holder < Knob::Style::kBitmapCount; ++holder) {
            const bool filled =
                holder == 2 || std::find(c.filled.begin(), c.filled.end(), holder) != c.filled.end();
            if (filled)
                fill(rig.style.bitmap(holder), 40, 40, colours[holder]);
            else
                rig.style.bitmap(holder).resize(0, 0);
        }
        Bitmap out(rig.ui.deviceBacking());
        out.setSize(40, 40);
        const std::function<void()> moves[4] = {[] {},
                                                [&] {
                                                    rig.root.handleMouseMove({20, 30}, 0);
                                                },
                                                [&] {
                                                    rig.root.handleMouseMove({20, 5}, 0);
                                                },
                                                [&] {
                                                    rig.root.handleMouseDown(0, {20, 5}, kLeftButton);
                                                }};
        for (int state = 0; state < 4; ++state) {
            moves[state]();
            k->draw(out.getCanvas());
            k->draw(out.getCanvas()); // nothing stale: no second render
            EXPECT_EQ(k->renderCount(), state + 1);
            EXPECT_EQ(out.pixelAt(20, 20), colours[c.shown[state]]) << c.filled.size() << " state " << state;
        }
        EXPECT_EQ(k->dragMode(), Knob::DragMode::kRotary);
        rig.root.handleMouseUp(0, {20, 5}, 0);
    }
}

TEST(Knob, ALinearPressStartsFromWholeSteps) {
    Rig rig;
    Knob* k = rig.knob(100, true);
    k->acceleration.setValue(false);
    rig.root.handleMouseMove({20, 30}, 0);
    rig.root.handleMouseDown(0, {20, 30}, kLeftButton);
    rig.now += 100;
    rig.root.handleMouseMove({20, 23}, kLeftButton);
    const float remainder = k->tracker().dragRemainder();
    rig.root.handleMouseUp(0, {20, 23}, 0);
    ASSERT_NE(remainder, 0.0f);
    rig.root.handleMouseDown(0, {20, 23}, kLeftButton);
    EXPECT_EQ(k->tracker().dragRemainder(), 0.0f);
    rig.root.handleMouseUp(0, {20, 23}, 0);
}

TEST(Knob, AScaleChangeLoadsTheDoubleImageOncePerStyle) {
    Rig rig;
    // "ModelBoth" is red at 10 x 6 pixels and green at 20 x 12 as "_2x".
    const Color red(255, 0, 0, 255);
    rig.style.setBitmaps("ModelBoth", "ModelBoth", "", "", "", "");
    EXPECT_FLOAT_EQ(rig.style.bitmap(2).getSourceScale(), 1.0f);
    EXPECT_FLOAT_EQ(rig.style.radius.getValue(), rig.style.bitmap(0).getRect().width() * 0.5f - 2.0f);
    auto* a = new Knob(rig.ui, &rig.style);
    auto* b = new Knob(rig.ui, &rig.style);
    a->parent.setValue(&rig.root);
    b->parent.setValue(&rig.root);
    a->maximum.setValue(100);
    a->value.setValue(50); // upright: the rotation is exact
    Bitmap out(rig.ui.deviceBacking());
    out.setSize(a->localRect().width(), a->localRect().height());
    a->draw(out.getCanvas());
    EXPECT_EQ(out.pixelAt(5, 3), red);
    const int renders = a->renderCount();
    int loads = 0;
    rig.style.bitmap(2).changeEvent.addHandler(NotifyEvent::bind([&loads] { ++loads; }));
    rig.ui.deviceBacking().setSystemScale(2.0f); // tells both knobs
    EXPECT_EQ(loads, 2);                         // the refit, then one load for the style
    a->scaleChanged();
    b->scaleChanged();
    EXPECT_EQ(loads, 2);
    EXPECT_FLOAT_EQ(rig.style.bitmap(2).getSourceScale(), 2.0f);
    EXPECT_EQ(rig.style.bitmap(3).pixelWidth(), 0);
    a->draw(out.getCanvas());
    EXPECT_EQ(a->renderCount(), renders + 1);
    // Every pixel comes from the double image.
    ASSERT_EQ(out.pixelWidth(), 20);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(out.pixelAt(x, y), Color(0, 255, 0, 255)) << x << "," << y;
}

TEST(Knob, ADeletedStyleIsForgotten) {
    Rig rig;
    auto style = std::make_unique<Knob::Style>(rig.ui);
    fill(style->bitmap(2), 30, 30, Color(1, 2, 3, 255));
    auto* k = new Knob(rig.ui, style.get());
    k->parent.setValue(&rig.root);
    EXPECT_EQ(k->localRect(), Rect::fromXYWH(0, 0, 30, 30));
    style.reset();
    EXPECT_EQ(k->style(), nullptr);
    Bitmap out(rig.ui.deviceBacking());
    out.setSize(30, 30);
    out.clear();
    k->draw(out.getCanvas());
    EXPECT_EQ(out.pixelAt(15, 15).a, 0);
    rig.root.handleMouseMove({15, 15}, 0);
    rig.root.handleMouseDown(0, {15, 15}, kLeftButton);
    rig.root.handleMouseUp(0, {15, 15}, 0);
    delete k;
}

} // namespace
} // namespace gui
