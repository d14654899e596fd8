#include "gui/FadeOverlay.h"

#include "gui/Canvas.h"
#include "gui/PixelArithmetic.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

TEST(FadeOverlay, HitAlphaFollowsTheFade) {
    test::TestInterface ui;
    FadeOverlay overlay(ui);
    overlay.setBoundsXYWH(0, 0, 50, 100);
    for (float y : {0.0f, 50.0f, 84.0f, 99.9f})
        EXPECT_EQ(overlay.hitAlpha({10.0f, y}), 0) << "no edge enabled";
    overlay.bottomEdge.setValue(true);
    EXPECT_TRUE(overlay.isEdgeEnabled(3));
    const struct {
        float y;
        int alpha;
    } cases[] = {{83.9f, 0}, {84.0f, 0}, {92.0f, 127}, {99.9f, 253}};
    for (const auto& c : cases)
        EXPECT_EQ(overlay.hitAlpha({10.0f, c.y}), c.alpha) << c.y;
    // The left edge is opaque at its outer side; extensions lengthen an edge.
    overlay.leftEdge.setValue(true);
    overlay.edgeExtensions.setValue({4, 0, 0, 0});
    EXPECT_EQ(overlay.hitAlpha({0.0f, 10.0f}), 255);
    EXPECT_EQ(overlay.hitAlpha({10.0f, 10.0f}), 127);
    EXPECT_EQ(overlay.hitAlpha({20.0f, 10.0f}), 0);
}

struct Drawn {
    explicit Drawn(bool withBackground, int opacity)
        : overlay(ui), target(ui.deviceBacking()), background(ui.deviceBacking()) {
        overlay.setBoundsXYWH(0, 0, 40, 20);
        overlay.fadeColor.setValue(Color(200, 100, 0, 255));
        overlay.fadeLength.setValue(10.0f);
        overlay.leftEdge.setValue(true);
        overlay.opacity.setValue(opacity);
        target.setSize(40.0f, 20.0f);
        background.setSize(40.0f, 20.0f);
        background.fillRect({0, 0, 40, 20}, Color(200, 100, 0, 255));
        if (withBackground) overlay.setBackground(&background);
        Canvas& canvas = target.getCanvas();
        canvas.opacity.setValue(opacity); // as the tree draws a control at its opacity
        overlay.draw(canvas);
    }
    test::TestInterface ui;
    FadeOverlay overlay;
    Bitmap target;
    Bitmap background;
};

TEST(FadeOverlay, EdgesAreOpaqueOutsideAndClearInside) {
    for (bool withBackground : {false, true}) {
        SCOPED_TRACE(withBackground ? "from the background" : "gradient");
        Drawn full(withBackground, 255);
        EXPECT_GE(full.target.pixelAt(0, 5).a, 240);
        EXPECT_LE(full.target.pixelAt(9, 5).a, 32);
        EXPECT_EQ(full.target.pixelAt(15, 5).a, 0);
        EXPECT_EQ(full.target.pixelAt(0, 5).r, 200);

        // At opacity 128 a full-alpha edge draws at 64: the overlay and the canvas both apply it.
        Drawn half(withBackground, 128);
        EXPECT_NEAR(half.target.pixelAt(0, 5).a, 64 * full.target.pixelAt(0, 5).a / 255, 2);
    }
    // No edge: nothing drawn.
    test::TestInterface ui;
    FadeOverlay overlay(ui);
    overlay.setBoundsXYWH(0, 0, 40, 20);
    Bitmap target(ui.deviceBacking());
    target.setSize(40.0f, 20.0f);
    overlay.draw(target.getCanvas());
    for (int i = 0; i < 800; ++i)
        ASSERT_EQ(target.getPixels()[i], pixel::kTransparent);
}

TEST(FadeOverlay, TracksTheHoveredEdge) {
    test::TestInterface ui;
    FadeOverlay overlay(ui);
    overlay.setBoundsXYWH(0, 0, 100, 100);
    overlay.topEdge.setValue(true);
    overlay.rightEdge.setValue(true);
    int hovers = 0, leaves = 0;
    overlay.hoverEvent.addHandler(NotifyEvent::bind([&hovers] { ++hovers; }));
    overlay.leaveEvent.addHandler(NotifyEvent::bind([&leaves] { ++leaves; }));
    overlay.mouseMove({50, 5}, 0);
    EXPECT_EQ(overlay.hoveredEdge(), 2);
    EXPECT_EQ(overlay.hoverLevel(2), 255); // no animator: at once
    overlay.mouseMove({52, 6}, 0);
    EXPECT_EQ(hovers, 1);
    overlay.mouseMove({95, 5}, 0); // the right edge comes first in edge order
    EXPECT_EQ(overlay.hoveredEdge(), 1);
    overlay.mouseMove({50, 50}, 0);
    EXPECT_EQ(overlay.hoveredEdge(), FadeOverlay::kNoEdge);
    EXPECT_EQ(hovers, 3);
    overlay.mouseMove({95, 50}, 0);
    overlay.mouseLeave();
    EXPECT_EQ(overlay.hoveredEdge(), FadeOverlay::kNoEdge);
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(hovers, 5);
}

} // namespace
} // namespace gui
