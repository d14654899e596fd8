#include "gui/ScrollButton.h"

#include "gui/Animator.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/ScrollArea.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace gui {
namespace {

using headless::HeadlessInterface;
using Dir = ScrollButton::ScrollDirection;

// A 200 x 40 area over 1000 units of content, a backward button at its left
// end and a forward one at its right end (20 wide), and an animator that
// the tests tick by hand every 16 ms.
struct Rig {
    HeadlessInterface ui{400.0f, 300.0f, 1000};
    RootControl& root = ui.root();
    std::unique_ptr<Animator> animator = std::make_unique<Animator>(ui, [this] { return ui.time(); });
    ScrollArea* area = new ScrollArea(ui);
    ScrollButton* backward = nullptr;
    ScrollButton* forward = nullptr;

    explicit Rig(float content = 1000.0f) {
        animator->rate.setValue(15); // stops its timer
        area->setBoundsXYWH(0, 0, 200, 40);
        area->parent.setValue(&root);
        auto* block = new Control(ui);
        block->setBoundsXYWH(0, 0, content, 40);
        block->enabled.setValue(false);
        block->parent.setValue(area->content());
        backward = button(Dir::kBackward, 0);
        forward = button(Dir::kForward, 180);
        animator->tick();
    }
    ~Rig() {
        delete backward;
        delete forward;
        delete area;
        animator.reset();
    }
    ScrollButton* button(Dir direction, float x) {
        auto* b = new ScrollButton(area, direction, nullptr);
        b->setBoundsXYWH(x, 0, 20, 40);
        b->parent.setValue(&root);
        return b;
    }
    // One animator tick 16 ms on.
    void tick() {
        ui.advance(16);
        animator->tick();
    }
};

TEST(ScrollButton, TargetSpeedsFollowThePointerHoverAndDrags) {
    Rig rig;
    ScrollButton& f = *rig.forward;
    ScrollButton& b = *rig.backward;
    const struct {
        ScrollButton* button;
        float pressX, moveX, atPress, afterMove;
    } presses[] = {
        {&f, 190, 165, 125, 0},   // 25 left of the press stops it
        {&f, 190, 200, 125, 175}, // 5 x (10 + 25)
        {&b, 10, 35, -125, 0},    // 25 right stops a backward button
        {&b, 10, 0, -125, -175},
    };
    for (const auto& p : presses) {
        rig.ui.mouseDown(0, Point(p.pressX, 20));
        EXPECT_FLOAT_EQ(p.button->targetSpeed(), p.atPress) << p.pressX;
        EXPECT_TRUE(p.button->isRunning());
        rig.ui.mouseMove(Point(p.moveX, 20));
        EXPECT_FLOAT_EQ(p.button->targetSpeed(), p.afterMove) << p.moveX;
        rig.ui.mouseUp(0, Point(300, 200)); // released elsewhere: 0
        EXPECT_FLOAT_EQ(p.button->targetSpeed(), 0.0f);
    }

    // Hovering: hoverSpeed while over, 0 once left; a release over the
    // button goes back to it.
    f.hoverSpeed.setValue(30);
    rig.ui.mouseMove(Point(190, 20));
    EXPECT_FLOAT_EQ(f.targetSpeed(), 30.0f);
    rig.ui.mouseMove(Point(100, 20));
    EXPECT_FLOAT_EQ(f.targetSpeed(), 0.0f);
    rig.ui.mouseDown(0, Point(190, 20));
    rig.ui.mouseUp(0, Point(195, 20));
    EXPECT_FLOAT_EQ(f.targetSpeed(), 30.0f);

    // A dragged object entering, resting on and leaving the button.
    const struct {
        int phase;
        float forward, backward;
    } drags[] = {{0, 50, -50}, {2, 150, -150}, {1, 0, 0}};
    for (const auto& d : drags) {
        f.fireEvent6(d.phase);
        b.fireEvent6(d.phase);
        EXPECT_FLOAT_EQ(f.targetSpeed(), d.forward) << d.phase;
        EXPECT_FLOAT_EQ(b.targetSpeed(), d.backward) << d.phase;
    }
}

TEST(ScrollButton, EasesInAndCarriesFractionsOfAUnit) {
    Rig rig;
    ScrollArea& a = *rig.area;
    rig.ui.mouseDown(0, Point(190, 20));
    EXPECT_EQ(rig.animator->runningCount(), 1);
    // 62.5 units per second for 16 ms is exactly one unit; then 1.5 and
    // 1.75 units, the halves carried.
    const struct { float speed, position; } steps[] = {{62.5f, 1}, {93.75f, 2}, {109.375f, 4}};
    for (const auto& s : steps) {
        rig.tick();
        EXPECT_FLOAT_EQ(rig.forward->currentSpeed(), s.speed);
        EXPECT_FLOAT_EQ(a.scrollX.getValue(), s.position);
    }
    rig.ui.mouseUp(0, Point(190, 20));

    // Without an animator nothing runs.
    rig.animator.reset();
    ScrollButton* lone = rig.button(Dir::kForward, 100);
    lone->setTargetSpeed(100);
    EXPECT_FALSE(lone->isRunning());
    delete lone;
}

// Held until full speed, then released elsewhere: the speed halves each
// tick and the button stops once at most 5 units per second, whichever its
// direction.
TEST(ScrollButton, ReleasedButtonsSlowDownByHalvesAndStopBothWays) {
    for (Dir direction : {Dir::kForward, Dir::kBackward}) {
        Rig rig;
        ScrollArea& a = *rig.area;
        a.scrollX.setValue(400);
        ScrollButton& button = direction == Dir::kForward ? *rig.forward : *rig.backward;
        const float sign = direction == Dir::kForward ? 1.0f : -1.0f;
        rig.ui.mouseDown(0, Point(direction == Dir::kForward ? 190.0f : 10.0f, 20));
        for (int i = 0; i < 40 && button.currentSpeed() != 125.0f * sign; ++i)
            rig.tick();
        ASSERT_FLOAT_EQ(button.currentSpeed(), 125.0f * sign);
        rig.ui.mouseMove(Point(100, 200));
        rig.ui.mouseUp(0, Point(100, 200));
        ASSERT_FLOAT_EQ(button.targetSpeed(), 0.0f);
        // 16 ms each: 1, 0.5, 0.25 and 0.125 units, 1.875 with the carry.
        const float released = a.scrollX.getValue();
        for (float speed : {62.5f, 31.25f, 15.625f, 7.8125f}) {
            rig.tick();
            EXPECT_FLOAT_EQ(button.currentSpeed(), speed * sign);
            EXPECT_TRUE(button.isRunning());
        }
        EXPECT_FLOAT_EQ(a.scrollX.getValue(), released + sign);
        const float before = a.scrollX.getValue();
        rig.tick();
        EXPECT_FALSE(button.isRunning());
        EXPECT_FLOAT_EQ(a.scrollX.getValue(), before);
        rig.tick();
        EXPECT_FLOAT_EQ(a.scrollX.getValue(), before);
    }
}

TEST(ScrollButton, AtTheEndThePositionStaysWhileTheButtonRuns) {
    Rig rig;
    ScrollArea& a = *rig.area;
    a.scrollX.setValue(799);
    rig.ui.mouseDown(0, Point(190, 20));
    for (int i = 0; i < 5; ++i)
        rig.tick();
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 800.0f);
    EXPECT_TRUE(rig.forward->isRunning());
    rig.ui.mouseUp(0, Point(190, 20));
}

// Buttons that die while running, or while the animator steps them, leave
// nothing behind.
TEST(ScrollButton, DeletedButtonsUnregisterEvenInsideATick) {
    Rig rig;
    ScrollArea& a = *rig.area;
    a.scrollX.setValue(400);
    // Registered backward first, so it steps first; its scroll deletes the
    // forward button before that one's step.
    rig.backward->setTargetSpeed(-200);
    rig.forward->setTargetSpeed(200);
    ASSERT_EQ(rig.animator->runningCount(), 2);
    ScrollButton* doomed = rig.forward;
    a.scrollEvent.setHandler(NotifyEvent::bind([&] {
        if (doomed == nullptr) return;
        if (doomed == rig.forward) rig.forward = nullptr;
        if (doomed == rig.backward) rig.backward = nullptr;
        delete doomed;
        doomed = nullptr;
    }));
    rig.tick();
    EXPECT_EQ(rig.forward, nullptr);
    EXPECT_EQ(rig.animator->runningCount(), 1);
    EXPECT_FLOAT_EQ(a.scrollX.getValue(), 399.0f); // -100 units/s for 16 ms: the backward step alone
    // Now the stepping button itself goes with its scroll, the last act of
    // its step.
    doomed = rig.backward;
    rig.tick();
    EXPECT_EQ(rig.backward, nullptr);
    EXPECT_EQ(rig.animator->runningCount(), 0);
    a.scrollEvent.setHandler(nullptr);
    rig.tick();

    // A button that forgets a deleted area keeps running harmlessly.
    ScrollButton* lone = rig.button(Dir::kForward, 100);
    lone->setTargetSpeed(100);
    delete rig.area;
    rig.area = nullptr;
    EXPECT_EQ(lone->scrollArea(), nullptr);
    rig.tick();
    delete lone;
}

TEST(ScrollButton, HitTestsTheBitmapAndTheHalfOnItsSide) {
    Rig rig;
    ScrollButton& f = *rig.forward;
    ScrollButton& b = *rig.backward;
    EXPECT_EQ(f.hitAlpha(Point(2, 20)), 255); // stretched: everywhere
    Button::Style style(rig.ui);
    style.stateBitmap(0).setSize(4, 4);
    style.stateBitmap(0).clear();
    f.setStyle(&style);
    b.setStyle(&style);
    for (ScrollButton* button : {&f, &b})
        button->backgroundStyle.setValue(Button::BackgroundStyle::kCentred);
    const struct {
        Point point;
        int forward, backward;
    } cases[] = {
        {{2, 20}, 0, 255}, {{15, 20}, 255, 0}, {{9, 19}, 255, 255}, {{9.99f, 5}, 0, 255}, {{10, 5}, 255, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(f.hitAlpha(c.point), c.forward) << c.point.x << "," << c.point.y;
        EXPECT_EQ(b.hitAlpha(c.point), c.backward) << c.point.x << "," << c.point.y;
    }
    f.setStyle(nullptr);
    b.setStyle(nullptr);
}

std::unique_ptr<Bitmap> render(UserInterface& ui, ScrollButton& button) {
    auto out = std::make_unique<Bitmap>(ui.deviceBacking());
    out->setSize(button.width.getValue(), button.height.getValue());
    out->clear();
    button.draw(out->getCanvas());
    return out;
}

TEST(ScrollButton, LooksComeFromTheSharedBackgroundAndTheGradient) {
    Rig rig;
    ScrollButton& f = *rig.forward;
    EXPECT_EQ(render(rig.ui, f)->pixelAt(10, 20).a, 0);
    EXPECT_EQ(f.look(), nullptr);

    // One stop: its colour fades out towards the button's direction.
    Gradient one;
    one.addColorStop(Color(255, 0, 0, 255), 0.0f);
    f.gradient.setValue(one);
    auto faded = render(rig.ui, f);
    EXPECT_EQ(f.look(), nullptr);
    // Pixel centres sit 0.2 left of the middle: 0.01 and 0.94 of the way.
    EXPECT_EQ(faded->pixelAt(0, 20).a, 255);
    EXPECT_NEAR(faded->pixelAt(19, 20).a, 15, 1);
    EXPECT_NEAR(faded->pixelAt(10, 20).a, 130, 1);
    rig.backward->gradient.setValue(one);
    auto b = render(rig.ui, *rig.backward);
    EXPECT_EQ(b->pixelAt(0, 20).a, 0);
    EXPECT_NEAR(b->pixelAt(19, 20).a, 240, 1);

    // A shared background: each button shows its own part of it.
    Bitmap background(rig.ui.deviceBacking());
    background.setSize(100, 40);
    background.clear();
    background.getCanvas().fillRect(Rect(0, 0, 50, 40), Color(0, 0, 255, 255));
    background.getCanvas().fillRect(Rect(50, 0, 100, 40), Color(0, 255, 0, 255));
    f.gradient.setValue(Gradient());
    f.setBackground(&background, Rect(80, 0, 100, 40));
    rig.backward->gradient.setValue(Gradient());
    rig.backward->setBackground(&background, Rect(0, 0, 20, 40));
    EXPECT_EQ(render(rig.ui, f)->pixelAt(10, 20), Color(0, 255, 0, 255));
    EXPECT_EQ(render(rig.ui, *rig.backward)->pixelAt(10, 20), Color(0, 0, 255, 255));
    ASSERT_NE(f.look(), nullptr);

    // Two stops go over the background into the cached look.
    f.gradient.setValue(Gradient(Color(255, 255, 255, 255), Color(255, 255, 255, 255)));
    EXPECT_EQ(render(rig.ui, f)->pixelAt(10, 20), Color(255, 255, 255, 255));
    // Resized: the look is rebuilt at the new size.
    f.setSize(30, 40);
    render(rig.ui, f);
    EXPECT_FLOAT_EQ(f.look()->getRect().width(), 30.0f);
    f.setBackground(nullptr, Rect());
    f.gradient.setValue(Gradient());
    render(rig.ui, f);
    EXPECT_EQ(f.look(), nullptr);
}

} // namespace
} // namespace gui
