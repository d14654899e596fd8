#include "gui/ScrollStrip.h"

#include "gui/Animator.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/ScrollArea.h"
#include "gui/ScrollButton.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <memory>

namespace gui {
namespace {

using headless::HeadlessInterface;

// A 200 x 40 strip whose buttons are 20 wide (from their styles), over
// content of the given width.
struct Rig {
    HeadlessInterface ui{400.0f, 300.0f, 1000};
    Button::Style style{ui};
    ScrollStrip* strip = nullptr;
    Control* block = nullptr;

    explicit Rig(float content) {
        style.width.setValue(20);
        style.height.setValue(40);
        strip = new ScrollStrip(ui, &style, &style);
        strip->setBoundsXYWH(0, 0, 200, 40);
        strip->parent.setValue(&ui.root());
        block = new Control(ui);
        block->setBoundsXYWH(0, 0, content, 40);
        block->enabled.setValue(false);
        block->parent.setValue(strip->scrollArea()->content());
    }
    ~Rig() { delete strip; }
    bool backwardShown() const { return strip->backwardButton()->visible.getValue(); }
    bool forwardShown() const { return strip->forwardButton()->visible.getValue(); }
};

TEST(ScrollStrip, TheAreaFillsTheStripAndTheButtonsSitAtItsEnds) {
    Rig rig(1000);
    ScrollStrip& s = *rig.strip;
    EXPECT_EQ(s.scrollArea()->bounds.getValue(), Rect(0, 0, 200, 40));
    EXPECT_EQ(s.backwardButton()->bounds.getValue(), Rect(0, 0, 20, 40));
    EXPECT_EQ(s.forwardButton()->bounds.getValue(), Rect(180, 0, 200, 40));
    EXPECT_EQ(s.forwardButton()->backgroundStyle.getValue(), Button::BackgroundStyle::kCentred);
    EXPECT_EQ(s.forwardButton()->direction(), ScrollButton::ScrollDirection::kForward);
    EXPECT_EQ(s.forwardButton()->scrollArea(), s.scrollArea());
    s.setBoundsXYWH(0, 0, 300, 30);
    EXPECT_EQ(s.forwardButton()->bounds.getValue(), Rect(280, 0, 300, 30));
    EXPECT_EQ(s.scrollArea()->bounds.getValue(), Rect(0, 0, 300, 30));
    // Buttons are on top of the area.
    EXPECT_EQ(s.children().front(), s.scrollArea());
}

TEST(ScrollStrip, TheStripAndItsAreaDeleteWhatWasPutInThem) {
    Rig rig(1000);
    const std::size_t before = rig.ui.components().size();
    auto* inStrip = new Control(rig.ui);
    inStrip->parent.setValue(rig.strip);
    auto* inArea = new Control(rig.ui);
    inArea->parent.setValue(rig.strip->scrollArea());
    auto* bar = new ScrollArea::ScrollBar(rig.ui, nullptr, Orientation::kHorizontal);
    bar->parent.setValue(rig.strip->scrollArea());
    EXPECT_EQ(rig.strip->scrollArea()->scrollBar(Orientation::kHorizontal), bar);
    ASSERT_GT(rig.ui.components().size(), before);
    delete rig.strip;
    rig.strip = nullptr;
    // The strip, its area, content, block and buttons, and the three above.
    EXPECT_EQ(rig.ui.components().size(), before - 6);
}

TEST(ScrollStrip, ButtonsShowWhileThereIsSomethingToScrollToOnTheirSide) {
    Rig rig(1000);
    ScrollStrip& s = *rig.strip;
    ScrollArea& a = *s.scrollArea();
    const struct {
        float position;
        bool backward, forward;
    } cases[] = {{0, false, true},     {0.25f, false, true},   {0.3f, true, true},
                 {799.7f, true, true}, {799.75f, true, false}, {800, true, false}};
    for (const auto& c : cases) {
        a.scrollX.setValue(c.position);
        EXPECT_EQ(rig.backwardShown(), c.backward) << c.position;
        EXPECT_EQ(rig.forwardShown(), c.forward) << c.position;
    }
    // The tail does not count as something to scroll to.
    a.tailX.setValue(100);
    a.scrollX.setValue(800);
    EXPECT_FALSE(rig.forwardShown());
    a.tailX.setValue(0);

    // With padding both show.
    a.paddingX.setValue(5);
    a.scrollX.setValue(0);
    EXPECT_TRUE(rig.backwardShown());
    EXPECT_TRUE(rig.forwardShown());

    // Hidden while the content fits, when asked; the area then drops its
    // padding.
    s.hideButtonsWhenFitting.setValue(true);
    EXPECT_TRUE(a.padWhenScrolling.getValue());
    EXPECT_TRUE(rig.forwardShown());
    rig.block->setSize(150, 40);
    EXPECT_FLOAT_EQ(a.contentWidth.getValue(), 150.0f);
    EXPECT_FALSE(rig.backwardShown());
    EXPECT_FALSE(rig.forwardShown());
    rig.block->setSize(400, 40);
    EXPECT_TRUE(rig.backwardShown());
    EXPECT_TRUE(rig.forwardShown());
}

TEST(ScrollStrip, PressingAButtonScrollsTheStrip) {
    Rig rig(1000);
    Animator animator(rig.ui, [&] { return rig.ui.time(); });
    animator.rate.setValue(15);
    animator.tick();
    ScrollArea& a = *rig.strip->scrollArea();
    // Only the forward half of a centred button without a bitmap hits.
    rig.ui.mouseDown(0, Point(185, 20));
    EXPECT_FALSE(rig.strip->forwardButton()->isRunning());
    rig.ui.mouseUp(0, Point(185, 20));
    rig.ui.mouseDown(0, Point(195, 20));
    for (int i = 0; i < 10; ++i) {
        rig.ui.advance(16);
        animator.tick();
    }
    EXPECT_GT(a.scrollX.getValue(), 10.0f);
    EXPECT_TRUE(rig.backwardShown());
    rig.ui.mouseUp(0, Point(195, 20));
    delete rig.strip; // while its button still runs
    rig.strip = nullptr;
    rig.ui.advance(16);
    animator.tick();
}

TEST(ScrollStrip, TheButtonsTakeTheirEndsOfTheSharedBackground) {
    Rig rig(1000);
    Bitmap background(rig.ui.deviceBacking());
    background.setSize(100, 40);
    background.clear();
    background.getCanvas().fillRect(Rect(0, 0, 20, 40), Color(0, 0, 255, 255));
    background.getCanvas().fillRect(Rect(80, 0, 100, 40), Color(0, 255, 0, 255));
    rig.strip->setScrollButtonBackground(&background, Rect(0, 0, 100, 40));
    auto draw = [&](ScrollButton& b) {
        Bitmap out(rig.ui.deviceBacking());
        out.setSize(20, 40);
        out.clear();
        b.draw(out.getCanvas());
        return std::make_pair(out.pixelAt(0, 20), out.pixelAt(19, 20));
    };
    const auto backward = draw(*rig.strip->backwardButton());
    const auto forward = draw(*rig.strip->forwardButton());
    EXPECT_EQ(backward.first, Color(0, 0, 255, 255));
    EXPECT_EQ(backward.second, Color(0, 0, 255, 255));
    EXPECT_EQ(forward.first, Color(0, 255, 0, 255));
    EXPECT_EQ(forward.second, Color(0, 255, 0, 255));
}

} // namespace
} // namespace gui
