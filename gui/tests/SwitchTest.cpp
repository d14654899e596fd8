#include "gui/Switch.h"

#include "gui/Animator.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/Timer.h"
#include "gui/tests/GestureRecorder.h"
#include "gui/tests/PlainBitmap.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gui {
namespace {

using test::GestureRecorder;
using test::joined;

using test::fill;

const Color kRed(255, 0, 0, 255);
const Color kGreen(0, 255, 0, 255);
const Color kBlue(0, 0, 255, 255);
const Color kWhite(255, 255, 255, 255);

struct Rig {
    std::uint32_t now = 1000;
    // Outlives the user interface: a switch that dies inside a gesture still
    // tells its listener the gesture ended.
    GestureRecorder recorder;
    test::TestInterface ui{[this] { return now; }};
    RootControl& root = ui.root();
    Switch::Style style{ui};
    std::unique_ptr<Animator> animator;

    Rig() { root.setBoundsXYWH(0, 0, 300, 300); }
    void animate() {
        animator = std::make_unique<Animator>(ui, [this] { return now; });
    }
    void tickAt(std::uint32_t time) {
        now = time;
        animator->timer()->tick();
    }
    // The style of a switch whose positions lie 20 apart: a red track of
    // 30 x 10 (or 10 x 30) and a blue handle of 10 x 10.
    void stepStyle(bool vertical) {
        fill(style.track(), vertical ? 10 : 30, vertical ? 30 : 10, kRed);
        fill(style.handle(), 10, 10, kBlue);
    }
    Switch* add(int max) {
        auto* s = new Switch(ui, &style);
        s->maximum.setValue(max);
        s->setListener(&recorder);
        s->parent.setValue(&root);
        return s;
    }
    std::unique_ptr<Bitmap> render(Switch& s) {
        auto out = std::make_unique<Bitmap>(ui.deviceBacking());
        const Rect r = s.localRect();
        out->setSize(r.width(), r.height());
        out->clear();
        s.draw(out->getCanvas());
        return out;
    }
};

TEST(Switch, ANewSwitchHasTwoPositionsAndTheTrackSize) {
    Rig rig;
    rig.stepStyle(false);
    Switch* s = rig.add(1);
    EXPECT_EQ(s->minimum.getValue(), 0);
    EXPECT_EQ(s->maximum.getValue(), 1);
    EXPECT_TRUE(s->isStepped());
    EXPECT_EQ(s->localRect(), Rect::fromXYWH(0, 0, 30, 10));
    EXPECT_FALSE(s->vertical());
    EXPECT_FALSE(s->tracker().acceleration.getValue());
    EXPECT_EQ(s->touchFlags.getValue(), 1);
    s->autoSize.setValue(false);
    s->setSize(20, 20);
    EXPECT_TRUE(s->vertical()); // not wider than high
    Switch::Style lit(rig.ui);  // only a highlighted track gives the size
    fill(lit.makeTrackHighlighted(), 12, 7, kRed);
    Switch other(rig.ui, &lit);
    EXPECT_EQ(other.localRect(), Rect::fromXYWH(0, 0, 12, 7));
}

TEST(Switch, AutoSizeAddsTheTrackLessTheHandlePerStep) {
    Rig rig;
    fill(rig.style.track(), 40, 10, kRed);
    fill(rig.style.handle(), 10, 10, kBlue);
    Switch* s = rig.add(4);
    EXPECT_FLOAT_EQ(s->localRect().width(), 130.0f); // 4 * 20 + 5 * 10
    s->startMargin.setValue(3);
    s->endMargin.setValue(2);
    EXPECT_FLOAT_EQ(s->localRect().width(), 135.0f);
    EXPECT_FLOAT_EQ(s->localRect().height(), 10.0f);
    EXPECT_FLOAT_EQ(s->travel(), 120.0f);
}

TEST(Switch, HandlePositionsWithMargins) {
    const struct {
        const char* name;
        bool verticalStyle;
        bool autoSize;
        int max;
        int value;
        Point handle;
    } cases[] = {
        {"horizontal", false, true, 4, 1, {23, 0}},
        {"horizontal max", false, true, 4, 4, {83, 0}},
        {"vertical stepped", true, true, 4, 1, {0, 23}},
        {"vertical slider", true, false, 100, 20, {0, 79}},
        {"vertical slider min", true, false, 100, 0, {0, 98}},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.stepStyle(c.verticalStyle);
        Switch* s = rig.add(1);
        s->autoSize.setValue(c.autoSize);
        if (!c.autoSize) s->setSize(10, 110);
        s->maximum.setValue(c.max);
        s->startMargin.setValue(3);
        s->endMargin.setValue(2);
        EXPECT_FLOAT_EQ(s->travel(), c.autoSize ? 80.0f : 95.0f) << c.name;
        s->value.setValue(c.value);
        EXPECT_EQ(s->handlePosition(), c.handle) << c.name;
    }
}

TEST(Switch, AClickOnAHandlesCentrePicksItsPositionWhateverTheStartMargin) {
    for (bool vertical : {false, true}) {
        Rig rig;
        rig.stepStyle(vertical);
        Switch* s = rig.add(4);
        s->startMargin.setValue(12); // more than half the 20-pixel spacing
        for (int k = 0; k <= 4; ++k) {
            s->value.setValue(k);
            EXPECT_EQ(s->positionIndexAt(s->handlePosition() + Point(5, 5)), k) << vertical;
        }
    }
}

TEST(Switch, TheHandleDrawsOverTheTrackAtItsPosition) {
    Rig rig;
    rig.stepStyle(false);
    Switch* s = rig.add(4);
    s->value.setValue(2);
    auto out = rig.render(*s);
    EXPECT_EQ(out->pixelAt(39, 5), kRed);
    EXPECT_EQ(out->pixelAt(40, 5), kBlue);
    EXPECT_EQ(out->pixelAt(49, 5), kBlue);
    EXPECT_EQ(out->pixelAt(50, 5), kRed);
}

TEST(Switch, StepsWithHysteresisWhileDragged) {
    Rig rig;
    rig.stepStyle(false);
    Switch* s = rig.add(4); // 90 long, travel 80
    ASSERT_FLOAT_EQ(s->travel(), 80.0f);
    rig.root.handleMouseMove({5, 5}, 0);
    rig.root.handleMouseDown(0, {5, 5}, kLeftButton);
    EXPECT_TRUE(s->dragging());
    EXPECT_TRUE(s->tracker().stepped.getValue());
    const struct {
        float x;
        int value;
    } moves[] = {{16, 0}, {17, 1}, {14, 1}, {13, 0}, {29, 1}, {37, 2}};
    for (const auto& m : moves) {
        rig.now += 100;
        rig.root.handleMouseMove({m.x, 5}, kLeftButton);
        EXPECT_EQ(s->value.getValue(), m.value) << m.x;
    }
    rig.root.handleMouseUp(0, {37, 5}, 0);
    EXPECT_FALSE(s->dragging());
    EXPECT_EQ(joined(rig.recorder.log), "b c1 c-1 c1 c1 e");
}

TEST(Switch, ASlowSteppedDragGlidesAndAFastOneJumps) {
    Rig rig;
    rig.animate();
    rig.stepStyle(false);
    Switch* s = rig.add(4);
    rig.tickAt(2000);
    rig.root.handleMouseDown(0, {5, 5}, kLeftButton);
    rig.tickAt(3000); // 12 pixels in a second: slow
    rig.root.handleMouseMove({17, 5}, kLeftButton);
    EXPECT_EQ(s->value.getValue(), 1);
    EXPECT_FLOAT_EQ(s->handlePosition().x, 0.0f);
    rig.tickAt(3030);
    EXPECT_NEAR(s->handlePosition().x, 20.0f * 0.1459f, 0.002f);
    rig.tickAt(3075);
    EXPECT_FLOAT_EQ(s->handlePosition().x, 20.0f);
    rig.now = 3095; // 20 pixels in 20 ms: fast
    rig.root.handleMouseMove({37, 5}, kLeftButton);
    EXPECT_EQ(s->value.getValue(), 2);
    EXPECT_FLOAT_EQ(s->handlePosition().x, 40.0f);
    EXPECT_FALSE(rig.animator->isRunning(&s->handlePosition()));
    rig.root.handleMouseUp(0, {37, 5}, 0);
}

TEST(Switch, AClickOffTheHandleOfASteppedSwitchSelectsThePositionAtTheRelease) {
    Rig rig;
    rig.stepStyle(false);
    Switch* s = rig.add(2); // 50 long: positions at 0, 20 and 40
    rig.root.handleMouseMove({46, 5}, 0);
    rig.root.handleMouseDown(0, {46, 5}, kLeftButton);
    EXPECT_FALSE(s->dragging());
    EXPECT_EQ(s->value.getValue(), 0);
    rig.root.handleMouseUp(0, {46, 5}, 0);
    EXPECT_EQ(s->value.getValue(), 2);
    rig.root.handleMouseDown(0, {23, 5}, kLeftButton);
    rig.root.handleMouseUp(0, {23, 5}, 0);
    EXPECT_EQ(s->value.getValue(), 1);
    EXPECT_EQ(joined(rig.recorder.log), "b c2 e b c-1 e");
}

TEST(Switch, ASliderDraggedFromOffTheHandleAcceleratesAndCtrlResets) {
    Rig rig;
    rig.stepStyle(true);
    Switch* s = rig.add(1);
    s->autoSize.setValue(false);
    s->setSize(10, 110);
    s->maximum.setValue(4096);
    s->defaultValue.setValue(1000);
    EXPECT_FALSE(s->isStepped());
    rig.root.handleMouseDown(0, {5, 50}, kLeftButton); // the handle is at the bottom
    EXPECT_TRUE(s->dragging());
    EXPECT_TRUE(s->tracker().acceleration.getValue());
    rig.now += 5;
    rig.root.handleMouseMove({5, 40}, kLeftButton); // upwards increases
    EXPECT_GT(s->value.getValue(), 0);
    rig.root.handleMouseUp(0, {5, 40}, 0);
    EXPECT_FALSE(s->tracker().acceleration.getValue());

    rig.root.handleMouseDown(0, {5, 50}, kLeftButton | kCtrl);
    EXPECT_EQ(s->value.getValue(), 1000);
    EXPECT_FALSE(s->dragging());
    rig.root.handleMouseUp(0, {5, 50}, 0);
}

TEST(Switch, TheHoverPositionFollowsThePointer) {
    Rig rig;
    rig.stepStyle(false);
    Switch* s = rig.add(4);
    s->minimum.setValue(1);
    s->maximum.setValue(5); // 90 long, travel 80
    std::vector<int> seen;
    s->hoverPositionChangedEvent.addHandler(NotifyEvent::bind([&] { seen.push_back(s->hoverPosition()); }));
    for (float x : {2.0f, 14.0f, 16.0f, 44.0f, 89.0f})
        rig.root.handleMouseMove({x, 5}, 0);
    rig.root.handleMouseMove({150, 150}, 0);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 5, 0}));
    EXPECT_EQ(s->hoverPosition(), 0);
}

TEST(Switch, TheWheelStepsAlongTheAxis) {
    Rig rig;
    rig.stepStyle(true);
    Switch* s = rig.add(4); // vertical stepped: min at the top
    s->value.setValue(2);
    rig.root.handleMouseMove({5, 40}, 0);
    rig.root.handleMouseWheel({5, 40}, 0, {0, 1}, {0, 120}, 1);
    rig.root.RootControl::endGesture(); // the rig's root only logs it
    EXPECT_EQ(s->value.getValue(), 1);
    rig.root.handleMouseWheel({5, 40}, 0, {0, -1}, {0, -120}, 1);
    rig.root.RootControl::endGesture(); // the rig's root only logs it
    EXPECT_EQ(s->value.getValue(), 2);
    rig.root.handleMouseWheel({5, 40}, 0, {1, 0}, {120, 0}, 1); // across the axis
    rig.root.RootControl::endGesture();                         // the rig's root only logs it
    EXPECT_EQ(s->value.getValue(), 2);
}

TEST(Switch, HandleOnlyPaintsAndHitsTheHandleAlone) {
    Rig rig;
    rig.stepStyle(false);
    rig.style.handleOnly.setValue(true);
    Switch* s = rig.add(4);
    s->value.setValue(1);
    Rect paint;
    s->getPaintBounds(paint);
    EXPECT_EQ(paint, Rect::fromXYWH(20, 0, 10, 10));
    EXPECT_EQ(s->hitAlpha({25, 5}), 255);
    EXPECT_EQ(s->hitAlpha({5, 5}), 0);
    rig.root.handleMouseDown(0, {5, 5}, kLeftButton);
    rig.root.handleMouseUp(0, {5, 5}, 0);
    EXPECT_TRUE(rig.recorder.log.empty());
    auto out = rig.render(*s);
    EXPECT_EQ(out->pixelAt(5, 5).a, 0);
    EXPECT_EQ(out->pixelAt(25, 5), kBlue);
}

TEST(Switch, TheFillCoversOneSideOfTheHandleCentre) {
    const struct {
        bool vertical;
        Direction direction;
        Point filled, unfilled;
    } cases[] = {
        {false, Direction::kDown, {44, 5}, {46, 5}},
        {false, Direction::kRight, {46, 5}, {44, 5}},
        {true, Direction::kDown, {5, 44}, {5, 46}},
        {true, Direction::kUp, {5, 46}, {5, 44}},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.stepStyle(c.vertical);
        fill(rig.style.handle(), 2, 2, Color(0, 0, 0, 0)); // a clear handle
        fill(rig.style.makeFill(), c.vertical ? 10 : 90, c.vertical ? 90 : 10, kGreen);
        Switch* s = rig.add(1);
        s->autoSize.setValue(false);
        s->setSize(c.vertical ? 10 : 92, c.vertical ? 92 : 10);
        s->maximum.setValue(2);
        s->value.setValue(1); // the handle's centre at 45
        s->direction.setValue(c.direction);
        auto out = rig.render(*s);
        EXPECT_EQ(out->pixelAt(int(c.filled.x), int(c.filled.y)), kGreen) << int(c.direction);
        EXPECT_EQ(out->pixelAt(int(c.unfilled.x), int(c.unfilled.y)), kRed) << int(c.direction);
    }
}

// An absent highlighted track or fill stands for its normal one.
TEST(Switch, FullyHighlightedWithoutHighlightedBitmapsDrawsTheNormalOnes) {
    Rig rig; // no animator: the highlight jumps to 255
    rig.stepStyle(false);
    fill(rig.style.handle(), 2, 2, Color(0, 0, 0, 0));
    fill(rig.style.makeFill(), 30, 10, kGreen);
    Switch* s = rig.add(1);
    s->direction.setValue(Direction::kRight);
    rig.root.handleMouseMove({1, 5}, 0);
    EXPECT_EQ(s->trackRollover().level(), 255);
    auto out = rig.render(*s);
    EXPECT_EQ(out->pixelAt(0, 5), kRed);
    EXPECT_EQ(out->pixelAt(20, 5), kGreen);
    fill(rig.style.makeTrackHighlighted(), 30, 10, kWhite);
    EXPECT_EQ(rig.render(*s)->pixelAt(0, 5), kWhite);
    rig.root.handleMouseMove({150, 150}, 0);
    EXPECT_EQ(s->trackRollover().level(), 0);
}

TEST(Switch, WithoutTravelTheHandleStaysAndNothingMoves) {
    const struct {
        const char* name;
        int max;
    } cases[] = {{"stepped", 4}, {"slider", 4096}};
    for (const auto& c : cases) {
        Rig rig;
        fill(rig.style.track(), 15, 10, kRed);
        fill(rig.style.handle(), 20, 10, kBlue); // longer than the track
        Switch* s = rig.add(1);
        s->autoSize.setValue(false);
        s->maximum.setValue(c.max);
        s->startMargin.setValue(2);
        ASSERT_LE(s->travel(), 0.0f) << c.name;
        s->value.setValue(3);
        EXPECT_EQ(s->handlePosition(), Point(2, 0)) << c.name;
        rig.root.handleMouseMove({8, 5}, 0);
        EXPECT_EQ(s->hoverPosition(), 0) << c.name;
        EXPECT_EQ(s->positionIndexAt({14, 9}), 0) << c.name;
        for (float x : {4.0f, 12.0f}) { // on the handle, then off it
            rig.root.handleMouseDown(0, {x, 5}, kLeftButton);
            rig.now += 10;
            rig.root.handleMouseMove({x + 1, 5}, kLeftButton);
            rig.now += 1000;
            rig.root.handleMouseMove({x - 3, 8}, kLeftButton);
            rig.root.handleMouseUp(0, {x - 3, 8}, 0);
            EXPECT_EQ(s->value.getValue(), 3) << c.name;
        }
        EXPECT_EQ(s->handlePosition(), Point(2, 0)) << c.name;
    }
}

TEST(Switch, NamedBitmapsLoadAndTakeTheDoubleImageOncePerStyle) {
    Rig rig;
    rig.style.setBitmaps("", "", "ModelBoth", "ModelBoth");
    EXPECT_EQ(rig.style.track().pixelWidth(), 0);
    EXPECT_EQ(rig.style.trackHighlighted(), nullptr); // made only for a name
    EXPECT_FLOAT_EQ(rig.style.handle().getSourceScale(), 1.0f);
    rig.style.setBitmaps("ModelBoth", "ModelBoth", "ModelBoth", "ModelBoth");
    ASSERT_NE(rig.style.trackHighlighted(), nullptr);
    Switch* a = rig.add(1);
    Switch* b = rig.add(1);
    int loads = 0;
    rig.style.handle().changeEvent.addHandler(NotifyEvent::bind([&loads] { ++loads; }));
    rig.ui.deviceBacking().setSystemScale(2.0f); // tells both switches
    EXPECT_EQ(loads, 2);                         // the refit, then one load for the style
    a->scaleChanged();
    b->scaleChanged();
    EXPECT_EQ(loads, 2);
    EXPECT_FLOAT_EQ(rig.style.handle().getSourceScale(), 2.0f);
    EXPECT_FLOAT_EQ(rig.style.trackHighlighted()->getSourceScale(), 2.0f);
}

TEST(Switch, ADeletedStyleIsForgotten) {
    Rig rig;
    auto style = std::make_unique<Switch::Style>(rig.ui);
    fill(style->track(), 30, 10, kRed);
    fill(style->handle(), 10, 10, kBlue);
    auto* s = new Switch(rig.ui, style.get());
    s->parent.setValue(&rig.root);
    s->maximum.setValue(4);
    style.reset();
    EXPECT_EQ(s->style(), nullptr);
    EXPECT_EQ(rig.render(*s)->pixelAt(5, 5).a, 0);
    rig.root.handleMouseMove({5, 5}, 0);
    rig.root.handleMouseDown(0, {5, 5}, kLeftButton);
    rig.root.handleMouseMove({25, 5}, kLeftButton);
    rig.root.handleMouseUp(0, {25, 5}, 0);
    delete s;
    Switch bare(rig.ui, nullptr); // no style at all
    EXPECT_EQ(bare.localRect().width(), 0.0f);
}

} // namespace
} // namespace gui
