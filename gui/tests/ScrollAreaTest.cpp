#include "gui/ScrollArea.h"

#include "gui/Animator.h"
#include "gui/ControlBar.h"
#include "gui/FlexibleInfo.h"
#include "gui/Timer.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>

namespace gui {
namespace {

using headless::HeadlessInterface;

// A headless window with a 100 x 50 scroll area at its origin. The
// animator (when made) is ticked by hand on the window's clock.
struct Rig {
    HeadlessInterface ui{400.0f, 300.0f, 1000};
    RootControl& root = ui.root();
    std::unique_ptr<Animator> animator;
    ScrollArea* area = nullptr;

    explicit Rig(bool animated = false) {
        if (animated) {
            animator = std::make_unique<Animator>(ui, [this] { return ui.time(); });
            animator->rate.setValue(15); // stops its timer: the tests tick it
        }
        area = new ScrollArea(ui);
        area->setBoundsXYWH(0, 0, 100, 50);
        area->parent.setValue(&root);
    }
    ~Rig() {
        delete area;
        animator.reset();
    }

    // A control in the content that takes no presses (they reach the
    // content's background).
    Control* block(float x, float y, float w, float h) {
        auto* c = new Control(ui);
        c->setBoundsXYWH(x, y, w, h);
        c->enabled.setValue(false);
        c->parent.setValue(area->content());
        return c;
    }
    void tick() { animator->tick(); }
};

TEST(ScrollArea, RangesFollowTheContentAndTheView) {
    Rig rig;
    ScrollArea& a = *rig.area;
    Control* c = rig.block(0, 0, 300, 20);
    EXPECT_FLOAT_EQ(a.contentWidth.getValue(), 300.0f);
    EXPECT_FLOAT_EQ(a.contentHeight.getValue(), 20.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getMaximum(), 200.0f);
    EXPECT_FLOAT_EQ(a.scrollY.getMaximum(), 0.0f);

    // Margins on both sides and a tail once; scrollToStart shows the first
    // child at the leading edge.
    a.marginX.setValue(5);
    a.tailX.setValue(30);
    EXPECT_FLOAT_EQ(a.contentWidth.getValue(), 340.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getMaximum(), 240.0f);
    a.scrollToStart();
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 5.0f);
    EXPECT_FLOAT_EQ(c->toRoot(Point(0, 0)).x, 0.0f);

    // Shrinking content brings the position back inside; a content smaller
    // than the view cannot scroll.
    a.scrollX.setValue(200);
    c->setSize(60, 20);
    EXPECT_FLOAT_EQ(a.contentWidth.getValue(), 100.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getMaximum(), 0.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 0.0f);
    a.tailX.setValue(0);
    a.scrollX.setValue(10);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 0.0f);

    // Insets shrink the view.
    c->setSize(300, 20);
    a.marginX.setValue(0);
    a.insets.setValue(Rect(10, 0, 20, 0));
    EXPECT_FLOAT_EQ(a.viewLength(Orientation::kHorizontal), 70.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getMaximum(), 230.0f);

    // Unbounded: any position between -2^31 and 2^31.
    a.unbounded.setValue(true);
    a.scrollX.setValue(-1.0e9f);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), -1.0e9f);
    a.scrollY.setValue(1.0e12f);
    EXPECT_FLOAT_EQ(a.scrollY.getValue(), 2147483648.0f);
    a.unbounded.setValue(false);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 0.0f);
    EXPECT_FLOAT_EQ(a.scrollY.getValue(), 0.0f);
}

TEST(ScrollArea, PaddingCountsOnlyWhileScrollingWhenAsked) {
    Rig rig;
    ScrollArea& a = *rig.area;
    a.paddingX.setValue(10);
    Control* c = rig.block(0, 0, 50, 20);
    EXPECT_FLOAT_EQ(a.contentWidth.getValue(), 70.0f); // padding always counts
    EXPECT_FLOAT_EQ(c->toRoot(Point(0, 0)).x, 10.0f);

    a.padWhenScrolling.setValue(true);
    EXPECT_FLOAT_EQ(a.contentWidth.getValue(), 50.0f);
    EXPECT_FLOAT_EQ(c->toRoot(Point(0, 0)).x, 0.0f);

    // Growing past the view: the padding counts again and shows first.
    c->setSize(300, 20);
    EXPECT_FLOAT_EQ(a.contentWidth.getValue(), 320.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getMaximum(), 220.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 10.0f);
    EXPECT_FLOAT_EQ(c->toRoot(Point(0, 0)).x, 0.0f);

    // And back: it fits without the padding.
    c->setSize(100, 20);
    EXPECT_FLOAT_EQ(a.contentWidth.getValue(), 100.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 0.0f);
}

TEST(ScrollArea, APressHandsOverAfterMoreThanFourUnitsAndDragsTheContent) {
    Rig rig;
    ScrollArea& a = *rig.area;
    rig.block(0, 0, 300, 50);
    int clicks = 0;
    a.clickEvent.setHandler(NotifyEvent::bind([&] { ++clicks; }));
    ScrollArea::State duringClick = ScrollArea::State::kIdle;
    a.releaseEvent.setHandler(NotifyEvent::bind([&] { duringClick = a.state(); }));

    rig.ui.mouseDown(0, Point(50, 20));
    EXPECT_EQ(rig.root.getCaptureHolder(), a.content());
    rig.ui.mouseMove(Point(46, 20)); // 4.0: still a press
    EXPECT_EQ(a.state(), ScrollArea::State::kIdle);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 0.0f);
    rig.ui.mouseMove(Point(45.99f, 20)); // 4.01: the area takes over here
    EXPECT_EQ(a.state(), ScrollArea::State::kContentDrag);
    EXPECT_EQ(rig.root.getCaptureHolder(), &a);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 0.0f);
    rig.ui.mouseMove(Point(25.99f, 25));
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 20.0f);
    EXPECT_FLOAT_EQ(a.scrollY.getValue(), 0.0f); // no vertical range
    rig.ui.mouseMove(Point(-400, 20));
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 200.0f); // held in the range
    rig.ui.mouseUp(0, Point(-400, 20));
    EXPECT_EQ(a.state(), ScrollArea::State::kIdle);
    EXPECT_EQ(duringClick, ScrollArea::State::kContentDrag);
    EXPECT_EQ(clicks, 0); // released outside
    EXPECT_EQ(rig.root.getCaptureHolder(), nullptr);
}

TEST(ScrollArea, AQuickReleaseGlidesWithTheRootHoldingTheArea) {
    Rig rig(true);
    ScrollArea& a = *rig.area;
    rig.block(0, 0, 1000, 50);
    auto& channel = rig.ui.messageChannel();

    // 40 units per second: no glide.
    rig.ui.mouseDown(0, Point(50, 20));
    rig.ui.mouseMove(Point(45, 20));
    rig.ui.advance(100);
    rig.ui.mouseMove(Point(41, 20));
    EXPECT_FLOAT_EQ(a.velocity().x, 40.0f);
    rig.ui.mouseUp(0, Point(41, 20));
    EXPECT_FALSE(a.isGliding());
    EXPECT_EQ(channel.postedCount(gui::kGuiList), 0u);

    // 400 units per second: glides by 100 over one second, eased out.
    const float start = a.scrollX.getValue();
    rig.ui.mouseDown(0, Point(50, 20));
    rig.ui.mouseMove(Point(45, 20));
    rig.ui.advance(10);
    rig.ui.mouseMove(Point(41, 20));
    EXPECT_FLOAT_EQ(a.velocity().x, 400.0f);
    const float released = a.scrollX.getValue();
    EXPECT_FLOAT_EQ(released, start + 4.0f);
    rig.tick();
    rig.ui.mouseUp(0, Point(41, 20));
    EXPECT_TRUE(a.isGliding());
    EXPECT_EQ(channel.postedCount(gui::kGuiList), 1u);
    EXPECT_EQ(rig.root.scrollingArea(), nullptr); // until the message arrives
    rig.ui.advance(10);
    EXPECT_EQ(rig.root.scrollingArea(), &a);

    rig.ui.advance(490);
    rig.tick();
    EXPECT_NEAR(a.scrollX.getValue() - released, 77.986451f, 1e-4f);
    EXPECT_EQ(rig.root.scrollingArea(), &a);
    rig.ui.advance(500);
    rig.tick();
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), released + 100.0f);
    EXPECT_FALSE(a.isGliding());
    EXPECT_EQ(rig.root.scrollingArea(), nullptr);
    rig.ui.advance(20);
    EXPECT_EQ(channel.postedCount(gui::kGuiList), 0u);

    // A press stops a glide; the slot empties with it, and an area that
    // dies while gliding leaves the slot empty too.
    rig.ui.mouseDown(0, Point(50, 20));
    rig.ui.mouseMove(Point(45, 20));
    rig.ui.advance(10);
    rig.ui.mouseMove(Point(41, 20));
    rig.tick();
    rig.ui.mouseUp(0, Point(41, 20));
    rig.ui.advance(10);
    ASSERT_EQ(rig.root.scrollingArea(), &a);
    rig.ui.mouseDown(0, Point(50, 20));
    EXPECT_FALSE(a.isGliding());
    EXPECT_EQ(rig.root.scrollingArea(), nullptr);
    rig.ui.mouseMove(Point(45, 20));
    rig.ui.advance(10);
    rig.ui.mouseMove(Point(41, 20));
    rig.tick();
    rig.ui.mouseUp(0, Point(41, 20));
    rig.ui.advance(10);
    ASSERT_EQ(rig.root.scrollingArea(), &a);
    delete rig.area;
    rig.area = nullptr;
    EXPECT_EQ(rig.root.scrollingArea(), nullptr);
    rig.ui.advance(100);
    rig.tick();
}

TEST(ScrollArea, ThumbGeometryThumbDragsAndGutterPaging) {
    Rig rig;
    ScrollArea& a = *rig.area;
    rig.block(0, 0, 400, 10);
    a.showScrollBars.setValue(true);
    ScrollArea::ScrollBar* thumb = a.scrollBar(Orientation::kHorizontal);
    ScrollArea::ScrollBarGutter* gutter = a.gutter(Orientation::kHorizontal);
    ASSERT_NE(thumb, nullptr);
    ASSERT_NE(gutter, nullptr);
    EXPECT_EQ(gutter->bounds.getValue(), Rect(0, 42, 100, 50));
    // Track 100, content 400: the thumb is 100 * 100 / 400 long.
    EXPECT_EQ(thumb->bounds.getValue(), Rect(0, 42, 25, 50));
    a.scrollX.setValue(150);
    EXPECT_FLOAT_EQ(thumb->x.getValue(), 37.5f); // (100 - 25) * 150 / 300
    // A short content: the thumb is never shorter than its minimum.
    EXPECT_FLOAT_EQ(a.thumbLength(Orientation::kHorizontal, 10.0f), 10.0f);
    EXPECT_FLOAT_EQ(a.thumbLength(Orientation::kHorizontal, 40.0f), 16.0f);
    // The bars stay on top of children added later.
    rig.block(0, 0, 10, 10);
    auto* other = new Control(rig.ui);
    other->parent.setValue(&a);
    EXPECT_EQ(a.children().back(), a.scrollBar(Orientation::kVertical));

    // Dragging the thumb: 30 units along a free track of 75 cover 30 / 75
    // of the 300 units of range.
    a.scrollX.setValue(0);
    rig.ui.mouseDown(0, Point(10, 45));
    EXPECT_EQ(a.state(), ScrollArea::State::kThumbDrag);
    EXPECT_EQ(rig.root.getCaptureHolder(), &a);
    rig.ui.mouseMove(Point(40, 45));
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 120.0f);
    EXPECT_EQ(thumb->drawingState(), Button::DrawingState::kPressed);
    rig.ui.mouseUp(0, Point(40, 45));
    EXPECT_EQ(a.state(), ScrollArea::State::kIdle);
    EXPECT_EQ(thumb->drawingState(), Button::DrawingState::kNormal);

    // Gutter presses: the ends snap within 20 units; beyond the thumb's
    // middle the thumb's length comes off.
    const struct {
        float from, at, expected;
    } pages[] = {{120, 15, 0}, {0, 85, 300}, {300, 20, 0}, {0, 60, 140}, {200, 30, 120}};
    for (const auto& p : pages) {
        a.scrollX.setValue(p.from);
        rig.ui.mouseDown(0, Point(p.at, 45));
        rig.ui.mouseUp(0, Point(p.at, 45));
        EXPECT_FLOAT_EQ(a.scrollX.getValue(), p.expected) << p.at;
    }

    // Held: nothing follows the pointer until 500 ms, then the gutter pages
    // again and follows.
    a.scrollX.setValue(0);
    rig.ui.mouseDown(0, Point(60, 45));
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 140.0f); // thumb now 35..60
    rig.ui.mouseMove(Point(70, 45));
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 140.0f);
    rig.ui.advance(499);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 140.0f);
    rig.ui.advance(1);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 180.0f); // (70 - 25) / 100 * 400
    rig.ui.mouseMove(Point(90, 45));
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 300.0f);
    rig.ui.mouseUp(0, Point(90, 45));
    EXPECT_FALSE(gutter->isHeld());
    EXPECT_FALSE(gutter->timer()->enabled.getValue());

    // Held on a spot the thumb has reached: no second page.
    a.scrollX.setValue(0);
    rig.ui.mouseDown(0, Point(50, 45));
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 100.0f); // thumb 25..50
    rig.ui.mouseMove(Point(40, 45));
    rig.ui.advance(500);
    EXPECT_FALSE(gutter->isFollowing());
    rig.ui.mouseMove(Point(80, 45));
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 100.0f);
    rig.ui.mouseUp(0, Point(80, 45));

    // Hiding the bars deletes them.
    a.showScrollBars.setValue(false);
    EXPECT_EQ(a.scrollBar(Orientation::kHorizontal), nullptr);
    EXPECT_EQ(a.gutter(Orientation::kVertical), nullptr);
}

TEST(ScrollArea, GutterPagesGlideWithAnAnimator) {
    Rig rig(true);
    ScrollArea& a = *rig.area;
    rig.block(0, 0, 400, 10);
    a.showScrollBars.setValue(true);
    rig.tick();
    rig.ui.mouseDown(0, Point(60, 45));
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 0.0f);
    rig.ui.advance(100);
    rig.tick();
    EXPECT_GT(a.scrollX.getValue(), 0.0f);
    EXPECT_LT(a.scrollX.getValue(), 140.0f);
    rig.ui.advance(100);
    rig.tick();
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 140.0f);
    rig.ui.mouseUp(0, Point(60, 45));
}

TEST(ScrollArea, TheWheelScrollsByTheDistanceBothWays) {
    Rig rig;
    ScrollArea& a = *rig.area;
    a.tailX.setValue(30);
    rig.block(0, 0, 300, 200);
    ASSERT_FLOAT_EQ(a.scrollX.getMaximum(), 230.0f);
    ASSERT_FLOAT_EQ(a.scrollY.getMaximum(), 150.0f);

    // The speed (first delta) is ignored; the distance moves the content.
    EXPECT_TRUE(rig.ui.mouseWheel(Point(50, 20), 0, Point(0, -1), Point(0, -10), 1.0f));
    EXPECT_EQ(a.state(), ScrollArea::State::kWheel);
    EXPECT_FLOAT_EQ(a.scrollY.getValue(), 10.0f);
    rig.ui.mouseWheel(Point(50, 20), 0, Point(0, 1), Point(0, 4), 1.0f);
    EXPECT_FLOAT_EQ(a.scrollY.getValue(), 6.0f);
    rig.ui.mouseWheel(Point(50, 20), 0, Point(0.1f, 0), Point(7, 0), 1.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 7.0f);
    rig.ui.advance(500);
    EXPECT_EQ(a.state(), ScrollArea::State::kIdle);

    // Horizontally never into the tail, unless already there.
    a.scrollX.setValue(195);
    rig.ui.mouseWheel(Point(50, 20), 0, Point(1, 0), Point(20, 0), 1.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 200.0f);
    a.scrollX.setValue(210);
    rig.ui.mouseWheel(Point(50, 20), 0, Point(1, 0), Point(50, 0), 1.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 230.0f);
    rig.ui.mouseWheel(Point(50, 20), 0, Point(-1, 0), Point(-500, 0), 1.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 0.0f);
    rig.ui.advance(500);

    // Nothing to scroll: the wheel is not taken.
    rig.area->content()->children().front()->setSize(50, 20);
    EXPECT_FALSE(rig.ui.mouseWheel(Point(50, 20), 0, Point(0, -1), Point(0, -10), 1.0f));
}

TEST(ScrollArea, ScrollToShowBringsARectIntoView) {
    Rig rig;
    ScrollArea& a = *rig.area;
    a.marginX.setValue(5);
    rig.block(0, 0, 400, 20);
    Control* item = rig.block(250, 0, 30, 20);
    const struct {
        float from, left, width;
        bool withRect;
        float expected;
    } cases[] = {
        {0, 250, 30, true, 185},  // ends after the view: its end shows
        {300, 20, 30, true, 25},  // starts before it: its start shows
        {25, 20, 30, true, 25},   // visible: stays
        {0, 100, 150, true, 105}, // longer than the view: its start
        {0, 150, 20, false, 115}, // no rect: centred
        {0, 380, 20, false, 310}, // centred, held inside the content
    };
    for (const auto& c : cases) {
        item->setBoundsXYWH(c.left, 0, c.width, 20);
        a.scrollX.setValue(c.from);
        const Rect r = item->localRect();
        a.scrollToShow(item, c.withRect ? &r : nullptr, false);
        EXPECT_FLOAT_EQ(a.scrollX.getValue(), c.expected) << c.left;
    }
    // A part of a nested child.
    auto* inner = new Control(rig.ui);
    inner->setBoundsXYWH(10, 0, 10, 10);
    inner->parent.setValue(item);
    item->setBoundsXYWH(300, 0, 40, 20);
    a.scrollX.setValue(0);
    const Rect part(0, 0, 5, 5);
    a.scrollToShow(inner, &part, false);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 220.0f); // 310 + 5 + 5 - 100
    // Not inside the area: nothing.
    Control outside(rig.ui);
    a.scrollToShow(&outside, nullptr, false);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 220.0f);
}

TEST(ScrollArea, TouchScrollsGlidesAndTapsClick) {
    Rig rig;
    ScrollArea& a = *rig.area;
    rig.block(0, 0, 1000, 50);
    int clicks = 0;
    a.clickEvent.setHandler(NotifyEvent::bind([&] { ++clicks; }));
    TouchRecord r;
    a.touchEvent(r, Point(50, 20));
    EXPECT_EQ(a.state(), ScrollArea::State::kTouch);
    r.phase = TouchRecord::Phase::kUp;
    a.touchEvent(r, Point(50, 20));
    EXPECT_EQ(clicks, 1);

    r.phase = TouchRecord::Phase::kDown;
    a.touchEvent(r, Point(50, 20));
    rig.ui.advance(20);
    r.phase = TouchRecord::Phase::kMove;
    a.touchEvent(r, Point(40, 20));
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 10.0f);
    EXPECT_FLOAT_EQ(a.velocity().x, 500.0f);
    r.phase = TouchRecord::Phase::kUp;
    a.touchEvent(r, Point(40, 20));
    // Without an animator the glide lands at once.
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 135.0f);
    EXPECT_EQ(a.state(), ScrollArea::State::kIdle);
    EXPECT_EQ(clicks, 1);

    // Through the tree: a touch drag on the content goes on to the area.
    a.scrollX.setValue(0);
    r.phase = TouchRecord::Phase::kDown;
    rig.root.dispatchTouch(r, Point(50, 20));
    r.phase = TouchRecord::Phase::kMove;
    rig.root.dispatchTouch(r, Point(44, 20));
    EXPECT_EQ(a.state(), ScrollArea::State::kTouch);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 6.0f);
    rig.ui.advance(100);
    rig.root.dispatchTouch(r, Point(40, 20));
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 10.0f);
    r.phase = TouchRecord::Phase::kUp;
    rig.root.dispatchTouch(r, Point(40, 20));
    EXPECT_EQ(a.state(), ScrollArea::State::kIdle);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 10.0f); // 40 units per second: no glide
    EXPECT_EQ(clicks, 2);
}

TEST(ScrollArea, TheContentWidthFollowsEachStepOfABarInsertion) {
    for (bool barIsContent : {false, true}) {
        SCOPED_TRACE(barIsContent ? "the bar is the content" : "the bar is in the content");
        Rig rig(true);
        ScrollArea& a = *rig.area;
        a.setSize(60, 50);
        auto* bar = new ControlBar(rig.ui);
        bar->fitToContent.setValue(true);
        if (barIsContent)
            a.setContent(bar); // relays nothing: the animation refreshes the area
        else
            bar->parent.setValue(a.content());
        auto* first = new Control(rig.ui);
        first->setBoundsXYWH(0, 0, 40, 20);
        bar->insertControl(0, first, &a);
        rig.ui.advance(300);
        rig.tick();
        ASSERT_FLOAT_EQ(a.contentWidth.getValue(), 40.0f);

        auto* grown = new Control(rig.ui);
        grown->setBoundsXYWH(0, 0, 40, 20);
        grown->opacity.setValue(200);
        bar->insertControl(1, grown, &a);
        // Both flags: the length grows in the first half, eased.
        const float lengths[] = {0.0f, 31.194580f, 40.0f, 40.0f, 40.0f};
        for (int i = 0; i < 5; ++i) {
            if (i > 0) {
                rig.ui.advance(75);
                rig.tick();
            }
            EXPECT_NEAR(a.contentWidth.getValue(), 40.0f + lengths[i], 1e-4f) << i;
            EXPECT_NEAR(a.scrollX.getMaximum(), std::max(lengths[i] - 20.0f, 0.0f), 1e-4f) << i;
        }
    }
}

// A bar fitted to its children and set as the content resizes itself as
// they come, go, grow and shrink; the range follows each change, with
// nobody telling the area, and the position is held inside the new range.
TEST(ScrollArea, TheRangeFollowsAContentThatResizesItself) {
    Rig rig(true);
    ScrollArea& a = *rig.area; // 100 wide
    auto* bar = new ControlBar(rig.ui);
    bar->fitToContent.setValue(true);
    a.setContent(bar);
    auto panel = [&rig, bar](float w) {
        auto* c = new Control(rig.ui);
        c->setBoundsXYWH(0, 0, w, 20);
        c->parent.setValue(bar);
        return c;
    };
    Control* first = panel(100);
    Control* middle = panel(100);
    Control* last = panel(100);
    ASSERT_FLOAT_EQ(a.scrollX.getMaximum(), 200.0f);
    a.scrollX.setValue(200.0f); // at the end
    Control* added = nullptr;
    const struct {
        const char* what;
        std::function<void()> change;
        float width, position;
    } steps[] = {
        {"the last panel grows", [&] { last->setSize(130, 20); }, 330, 200},
        {"the end is reachable", [&] { a.scrollX.setValue(1000.0f); }, 330, 230},
        {"a panel shrinks", [&] { middle->setSize(40, 20); }, 270, 170},
        {"a panel is added", [&] { added = panel(50); }, 320, 170},
        {"a panel is hidden", [&] { first->visible.setValue(false); }, 220, 120},
        {"a panel is deleted", [&] { delete added; }, 170, 70},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        EXPECT_FLOAT_EQ(a.contentWidth.getValue(), step.width);
        EXPECT_FLOAT_EQ(a.scrollX.getMaximum(), step.width - 100.0f);
        EXPECT_FLOAT_EQ(a.scrollX.getValue(), step.position);
        // The content stands where the position puts it.
        const Control* end = bar->children().back();
        EXPECT_FLOAT_EQ(end->toRoot(Point(end->width.getValue(), 0)).x, step.width - step.position);
    }

    // An animated collapse that is not given the area: every step reaches it.
    a.scrollX.setValue(1000.0f);
    bar->resizeControl(last);
    for (int i = 0; i < 20 && last->width.getValue() > 0.0f; ++i) {
        rig.ui.advance(50);
        rig.tick();
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(a.contentWidth.getValue(), bar->width.getValue());
        EXPECT_FLOAT_EQ(a.scrollX.getMaximum(), std::max(bar->width.getValue() - 100.0f, 0.0f));
        EXPECT_LE(a.scrollX.getValue(), a.scrollX.getMaximum());
    }
    EXPECT_FLOAT_EQ(last->width.getValue(), 0.0f);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 0.0f);
}

// A child that a FlexibleInfo excludes takes no room in the content.
struct Excluded : Control, FlexibleInfo {
    using Control::Control;
    Record flexibleRecord() const override {
        Record r;
        r.excluded = true;
        return r;
    }
};

TEST(ScrollArea, ExcludedFlexibleChildrenTakeNoRoom) {
    Rig rig;
    rig.block(0, 0, 120, 20);
    auto* backdrop = new Excluded(rig.ui);
    backdrop->setBoundsXYWH(0, 0, 500, 500);
    backdrop->parent.setValue(rig.area->content());
    EXPECT_FLOAT_EQ(rig.area->contentWidth.getValue(), 120.0f);
    EXPECT_FLOAT_EQ(rig.area->contentHeight.getValue(), 20.0f);
}

TEST(ScrollArea, ContentIsReplacedAndDeletedWithTheArea) {
    Rig rig;
    ScrollArea& a = *rig.area;
    const std::size_t before = rig.ui.components().size();
    auto* content = new Control(rig.ui);
    auto* child = new Control(rig.ui);
    child->setBoundsXYWH(0, 0, 150, 60);
    child->parent.setValue(content);
    a.setContent(content);
    EXPECT_EQ(content->getParent(), &a);
    EXPECT_FLOAT_EQ(a.contentWidth.getValue(), 150.0f);
    EXPECT_EQ(rig.ui.components().size(), before + 1); // the old content went
    a.setContent(nullptr);
    EXPECT_EQ(rig.ui.components().size(), before - 1);
    EXPECT_FLOAT_EQ(a.contentWidth.getValue(), 0.0f);
}

} // namespace
} // namespace gui
