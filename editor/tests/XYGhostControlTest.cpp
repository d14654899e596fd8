#include "editor/XYGhostControl.h"

#include "gui/Canvas.h"
#include "gui/Overlay.h"
#include "gui/RootControl.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/tests/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A 30 by 30 handle.
XYGhostControl* handle(gui::Control& target, gui::Orientation orientation, std::uint32_t index,
                       XYGhostControl::Fraction fraction) {
    auto* ghost = new XYGhostControl(target, orientation, index, std::move(fraction));
    ghost->bitmap().setSize(30, 30);
    return ghost;
}

class XYGhostTest : public ::testing::Test {
public:
    void SetUp() override {
        ui = std::make_unique<gui::headless::HeadlessInterface>(400.0f, 300.0f, 1000);
        panel = new gui::Control(*ui);
        panel->setBoundsXYWH(20, 10, 300, 250);
        panel->parent.setValue(&ui->root());
        pad = new gui::Control(*ui);
        pad->setBoundsXYWH(30, 30, 100, 116); // at (50, 40) in the root
        pad->parent.setValue(panel);
    }
    void TearDown() override {
        ui->root().deleteChildren();
        ui.reset();
    }
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    gui::Control* panel = nullptr;
    gui::Control* pad = nullptr;
};

TEST_F(XYGhostTest, TheHandleSitsAtTheFractionAlongEachAxisUpwardsIncreasing) {
    float fraction = 0.0f;
    std::unique_ptr<XYGhostControl> x(
        handle(*pad, gui::Orientation::kHorizontal, 7, [&] { return fraction; }));
    std::unique_ptr<XYGhostControl> y(handle(*pad, gui::Orientation::kVertical, 8, [&] { return fraction; }));
    const struct {
        float fraction;
        float xLeft;
        float yTop;
    } cases[] = {
        // x: 50 + 100 f - 15; y: 40 + (1 - f) 116 - 15, never above the pad's top less half the handle.
        {0.0f, 35.0f, 141.0f},
        {0.5f, 85.0f, 83.0f},
        {1.0f, 135.0f, 25.0f},
    };
    for (const auto& c : cases) {
        fraction = c.fraction;
        EXPECT_EQ(x->getRect(), gui::Rect::fromXYWH(c.xLeft, 40, 30, 30)) << c.fraction;
        EXPECT_EQ(y->getRect(), gui::Rect::fromXYWH(50, c.yTop, 30, 30)) << c.fraction;
    }
    EXPECT_EQ(x->parameterIndex(), 7u);
}

// Two knobs share a place (the time and offset knobs of a delay); the one
// hidden by the sync switch was added last. Its ghost must not take the
// click, nor may a ghost of a dead or detached control.
TEST_F(XYGhostTest, OnlyAGhostOfALiveControlVisibleInTheTreeIsActive) {
    auto* offsetKnob = new gui::Control(*ui);
    offsetKnob->setBoundsXYWH(160, 60, 40, 40);
    offsetKnob->parent.setValue(panel);
    auto* timeKnob = new gui::Control(*ui);
    timeKnob->setBoundsXYWH(160, 60, 40, 40);
    timeKnob->parent.setValue(panel);
    timeKnob->visible.setValue(false);

    auto* overlay = new gui::Overlay(*ui);
    overlay->show();
    const auto centred = [] { return 0.5f; };
    overlay->addGhostControl(handle(*offsetKnob, gui::Orientation::kHorizontal, 1, centred));
    overlay->addGhostControl(handle(*timeKnob, gui::Orientation::kHorizontal, 0, centred));
    const gui::Point onBoth(200, 80);
    const int offsetGhost = 0;
    const int timeGhost = 1;

    auto drawnGhosts = [&] {
        test::RecordingCanvas target;
        gui::Canvas canvas(&target);
        canvas.clip.setValue(overlay->localRect());
        overlay->draw(canvas);
        int bitmaps = 0;
        for (const auto& call : target.calls)
            bitmaps += call.op == test::Op::kBitmap ? 1 : 0;
        return bitmaps;
    };

    EXPECT_EQ(overlay->findTargetAt(onBoth), offsetGhost);
    EXPECT_FALSE(overlay->ghost(timeGhost)->isActive(timeGhost));
    EXPECT_EQ(drawnGhosts(), 1);

    // Sync off: the time knob shows and, being on top, takes the click.
    timeKnob->visible.setValue(false);
    offsetKnob->visible.setValue(false);
    timeKnob->visible.setValue(true);
    EXPECT_EQ(overlay->findTargetAt(onBoth), timeGhost);

    // A hidden panel hides both; a detached one too.
    panel->visible.setValue(false);
    EXPECT_EQ(overlay->findTargetAt(onBoth), gui::Overlay::kNoTarget);
    panel->visible.setValue(true);
    timeKnob->parent.setValue(nullptr);
    EXPECT_EQ(overlay->findTargetAt(onBoth), gui::Overlay::kNoTarget);
    timeKnob->parent.setValue(panel);

    // The knob dies at run time: its ghost is gone for good.
    delete timeKnob;
    EXPECT_EQ(static_cast<XYGhostControl*>(overlay->ghost(timeGhost))->target(), nullptr);
    EXPECT_FALSE(overlay->ghost(timeGhost)->isActive(timeGhost));
    EXPECT_EQ(overlay->ghost(timeGhost)->getRect(), gui::Rect());
    offsetKnob->visible.setValue(true);
    EXPECT_EQ(overlay->findTargetAt(onBoth), offsetGhost);
    EXPECT_EQ(drawnGhosts(), 1);

    // The whole panel dies (children first, as the tree deletes), then the
    // overlay: nothing dangles.
    panel->deleteChildren();
    delete panel;
    panel = nullptr;
    EXPECT_EQ(overlay->findTargetAt(onBoth), gui::Overlay::kNoTarget);
    EXPECT_EQ(drawnGhosts(), 0);
    delete overlay;
}

} // namespace
