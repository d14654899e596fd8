#include "gui/Canvas.h"

#include "foundation/tests/AllocationCounter.h"
#include "gui/Gradient.h"
#include "gui/Text.h"
#include "gui/tests/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace gui {
namespace {

using test::Call;
using test::Op;
using test::RecordingCanvas;
using test::RectBitmap;

class CountingListener : public PropertyOwner {
public:
    explicit CountingListener(Canvas& canvas) : canvas_(canvas) {}
    void propertyChanged(AbstractProperty& p) override {
        if (&p == &canvas_.clip) ++clips;
        if (&p == &canvas_.opacity) ++opacities;
        if (&p == &canvas_.origin) ++origins;
    }
    int clips = 0, opacities = 0, origins = 0;

private:
    Canvas& canvas_;
};

struct CanvasFixture : ::testing::Test {
    RecordingCanvas target;
    Canvas canvas{&target};
    RectBitmap bitmap{40, 20};

    void SetUp() override { canvas.clip.setValue({0, 0, 100, 100}); }
    const std::vector<Call>& calls() const { return target.calls; }
};

TEST_F(CanvasFixture, OriginSnapsAndClipShiftsWithIt) {
    struct Case {
        float scale, origin, snapped;
    };
    // At 1.5, 10.25 snaps up to 10.6667 and 10.1 down to 10.0.
    const Case cases[] = {
        {1.0f, 3.2f, 3.0f}, {1.0f, 3.3f, 4.0f}, {1.5f, 10.25f, 32.0f / 3.0f}, {1.5f, 10.1f, 10.0f}};
    for (const Case& c : cases) {
        target.calls.clear();
        target.setScale(c.scale);
        canvas.origin.setValue({c.origin, 0.0f});
        canvas.clip.setValue({-5, 0, 10, 10});
        // The rect starts at the snapped origin; the clip stays where it was
        // given, so its right edge lies at origin + 10 in the target.
        canvas.fillRect({0, 0, 50, 5}, Color(1, 2, 3, 255));
        ASSERT_EQ(calls().size(), 1u);
        EXPECT_FLOAT_EQ(calls()[0].rect.left, c.snapped);
        EXPECT_FLOAT_EQ(calls()[0].rect.right, c.origin + 10.0f) << c.scale << " " << c.origin;
    }
}

TEST_F(CanvasFixture, ClippingMovesSourceMaskAndOffsetByTheClippedAmount) {
    canvas.origin.setValue({100, 200});
    canvas.clip.setValue({10, 5, 30, 25});
    RectBitmap mask(40, 40);
    canvas.drawBitmap(bitmap, {0, 0, 40, 20}, {3, 4}, 255);
    canvas.drawBitmapMasked(bitmap, {0, 0, 40, 20}, {3, 4}, mask, {7, 8}, 255);
    CurveStyle style;
    canvas.drawCurve(style, {0, 0, 40, 40}, {1, 2});
    ASSERT_EQ(calls().size(), 3u);
    EXPECT_EQ(calls()[0].rect, Rect(110, 205, 130, 220));
    EXPECT_EQ(calls()[0].point, Point(13, 9));
    EXPECT_EQ(calls()[1].point, Point(13, 9));
    EXPECT_EQ(calls()[1].point2, Point(17, 13));
    // The curve keeps its whole area; its offset follows the clipped corner.
    EXPECT_EQ(calls()[2].rect, Rect(110, 205, 130, 225));
    EXPECT_EQ(calls()[2].rect2, Rect(100, 200, 140, 240));
    EXPECT_EQ(calls()[2].point, Point(11, 7));
}

TEST_F(CanvasFixture, NothingReachesTheTargetOutsideTheClip) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Gradient gradient(Color(0, 0, 0), Color(255, 255, 255));
    canvas.clip.setValue({0, 0, 0, 0});
    canvas.fillRect({0, 0, 10, 10}, Color(1, 1, 1));
    canvas.drawBitmap(bitmap, Point(0, 0), 255);
    canvas.fillGradient(gradient, {0, 0, 10, 10}, Direction::kRight, 0, 1, 255);
    canvas.drawLine({0, 0}, {5, 5}, {0, 0, 10, 10}, Color(1, 1, 1), 1.0f);
    canvas.setPixel({0, 0}, Color(1, 1, 1));
    canvas.clip.setValue({0, 0, 100, 100});
    canvas.fillRect({200, 0, 300, 10}, Color(1, 1, 1));
    canvas.fillRect({0, 0, nan, 10}, Color(1, 1, 1));
    canvas.drawBitmapInRect(bitmap, {0, 0, 40, 20}, {0, 0, 40, nan}, 255);
    EXPECT_TRUE(calls().empty());
}

TEST_F(CanvasFixture, OpacityScalesEveryAlpha) {
    struct Case {
        int opacity, alpha, result;
    };
    const Case cases[] = {{128, 255, 128}, {255, 255, 255}, {0, 255, 0},
                          {0, 0, 0},       {127, 1, 0},     {200, 100, 78}};
    for (const Case& c : cases) {
        target.calls.clear();
        canvas.opacity.setValue(c.opacity);
        canvas.drawBitmap(bitmap, {0, 0, 10, 10}, {0, 0}, c.alpha);
        canvas.fillRect({0, 0, 10, 10}, Color(9, 9, 9, static_cast<std::uint8_t>(c.alpha)));
        ASSERT_EQ(calls().size(), 2u);
        EXPECT_EQ(calls()[0].alpha, c.result);
        EXPECT_EQ(calls()[1].color, Color(9, 9, 9, static_cast<std::uint8_t>(c.result)));
    }
    canvas.opacity.setValue(128);
    target.calls.clear();
    Cubic curve;
    canvas.drawColorized(1, curve, {0, 0, 10, 10}, {0, 0}, Color(1, 2, 3, 255), Color(4, 5, 6, 100), 0.5f);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].color.a, 128);
    EXPECT_EQ(calls()[0].color2.a, 50);
    EXPECT_EQ(calls()[0].start, 0.5f);
}

// The gradient position of a pixel column as a back end computes it from
// the rect and its start and end.
float positionAt(const Call& c, float x) {
    const bool reversed = c.direction == Direction::kLeft || c.direction == Direction::kUp;
    const bool vertical = c.direction == Direction::kDown || c.direction == Direction::kUp;
    const float low = vertical ? c.rect.top : c.rect.left;
    const float high = vertical ? c.rect.bottom : c.rect.right;
    const float atLow = reversed ? c.end : c.start;
    const float atHigh = reversed ? c.start : c.end;
    return atLow + (x - low) * (atHigh - atLow) / (high - low);
}

TEST_F(CanvasFixture, ClippedGradientKeepsEveryPixelsPosition) {
    Gradient gradient(Color(0, 0, 0), Color(255, 255, 255));
    for (Direction d : {Direction::kRight, Direction::kLeft, Direction::kDown, Direction::kUp}) {
        target.calls.clear();
        canvas.clip.setValue({0, 0, 100, 100});
        const Rect rect(20, 20, 60, 60);
        canvas.fillGradient(gradient, rect, d, 0.2f, 0.9f, 255);
        canvas.clip.setValue({35, 30, 50, 45});
        canvas.fillGradient(gradient, rect, d, 0.2f, 0.9f, 255);
        ASSERT_EQ(calls().size(), 2u);
        EXPECT_EQ(calls()[1].rect, Rect(35, 30, 50, 45));
        for (float v : {35.0f, 40.0f, 44.5f})
            EXPECT_NEAR(positionAt(calls()[1], v), positionAt(calls()[0], v), 1e-5) << static_cast<int>(d);
    }
    // Reversed: position 0.2 lies at the high edge.
    EXPECT_NEAR(positionAt(calls()[0], 60.0f), 0.2f, 1e-6);
}

TEST_F(CanvasFixture, SetPixelExcludesTheRightAndBottomEdges) {
    canvas.clip.setValue({0, 0, 10, 10});
    canvas.origin.setValue({5, 5});
    canvas.opacity.setValue(128);
    canvas.setPixel({0, 0}, Color(1, 2, 3, 255));
    canvas.setPixel({9.5f, 9.5f}, Color(1, 2, 3, 255));
    canvas.setPixel({10, 5}, Color(1, 2, 3, 255));
    canvas.setPixel({5, 10}, Color(1, 2, 3, 255));
    canvas.setPixel({-0.1f, 5}, Color(1, 2, 3, 255));
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].point, Point(5, 5));
    EXPECT_EQ(calls()[0].color.a, 128);
    EXPECT_EQ(calls()[1].point, Point(14.5f, 14.5f));
    canvas.getPixel({1, 2});
    EXPECT_EQ(target.lastPixelRead, Point(6, 7));
}

TEST_F(CanvasFixture, FrameRectAndStrokeCurve) {
    canvas.frameRect({10, 10, 20, 30}, Color(1, 2, 3), 2.0f);
    ASSERT_EQ(calls().size(), 4u);
    EXPECT_EQ(calls()[0].rect, Rect(10, 8, 20, 10));
    EXPECT_EQ(calls()[1].rect, Rect(20, 8, 22, 32));
    EXPECT_EQ(calls()[2].rect, Rect(10, 30, 20, 32));
    EXPECT_EQ(calls()[3].rect, Rect(8, 8, 10, 32));

    target.calls.clear();
    Cubic curve(1.0, 0.0, 0.0, 0.0);
    const Color line(10, 0, 0), above(0, 20, 0), below(0, 0, 30);
    struct Spy : RecordingCanvas {
        CurveStyle seen;
        void drawCurve(const CurveStyle& style, const Rect& c, const Rect& d, const Point& o,
                       Orientation orientation, int alpha) override {
            seen = style;
            RecordingCanvas::drawCurve(style, c, d, o, orientation, alpha);
        }
    } spy;
    Canvas spyCanvas(&spy);
    spyCanvas.clip.setValue({0, 0, 100, 100});
    spyCanvas.strokeCurve(curve, {0, 0, 50, 50}, {0, 0}, line, above, below);
    ASSERT_EQ(spy.calls.size(), 1u);
    EXPECT_EQ(spy.calls[0].alpha, 255);
    const CurveStyle& s = spy.seen;
    EXPECT_EQ(s.layerCount, 1);
    EXPECT_EQ(s.layers[0].curve, &curve);
    EXPECT_EQ(s.layers[0].lineColor, line);
    EXPECT_EQ(s.colorAbove, above);
    EXPECT_EQ(s.layers[0].colorJustAbove, above);
    EXPECT_EQ(s.colorBelow, below);
    EXPECT_EQ(s.layers[0].colorJustBelow, below);
    EXPECT_EQ(s.layers[0].lineWidth, 2.0f);
    EXPECT_EQ(s.layers[0].softWidth, 0.0f);
    EXPECT_EQ(s.layers[0].lineGradient, nullptr);
    EXPECT_EQ(s.fadeGradient, nullptr);
}

TEST_F(CanvasFixture, ThreeSliceStretchAlongY) {
    RectBitmap button(30, 20);
    // Scale 1.0: caps of 10, then tiles of 1.0 from source row 10.
    canvas.drawBitmapInRect(button, {0, 0, 30, 20}, {0, 0, 30, 50}, 255);
    ASSERT_EQ(calls().size(), 2u + 30u);
    EXPECT_EQ(calls()[0].rect, Rect(0, 0, 30, 10));
    EXPECT_EQ(calls()[0].point, Point(0, 0));
    EXPECT_EQ(calls()[1].rect, Rect(0, 40, 30, 50));
    EXPECT_EQ(calls()[1].point, Point(0, 10));
    for (std::size_t i = 0; i < 30; ++i) {
        EXPECT_EQ(calls()[2 + i].rect, Rect(0, 10.0f + i, 30, 11.0f + i));
        EXPECT_EQ(calls()[2 + i].point, Point(0, 10));
    }

    // A cap size of 4: a middle of 12 rows tiled, the last piece cut.
    target.calls.clear();
    canvas.drawBitmapInRect(button, {0, 0, 30, 20}, {0, 0, 30, 50}, 255, 4.0f);
    ASSERT_EQ(calls().size(), 2u + 4u);
    EXPECT_EQ(calls()[1].rect, Rect(0, 46, 30, 50));
    EXPECT_EQ(calls()[1].point, Point(0, 16));
    EXPECT_EQ(calls()[2].rect, Rect(0, 4, 30, 16));
    EXPECT_EQ(calls()[2].point, Point(0, 4));
    EXPECT_EQ(calls()[5].rect, Rect(0, 40, 30, 46));

    // Scale 1.5: half of 15 rounds down to 11 device pixels.
    target.calls.clear();
    target.setScale(1.5f);
    RectBitmap odd(30, 15);
    canvas.drawBitmapInRect(odd, {0, 0, 30, 15}, {0, 0, 30, 50}, 255);
    EXPECT_FLOAT_EQ(calls()[0].rect.bottom, 11.0f / 1.5f);
}

TEST_F(CanvasFixture, ThreeSliceAlongXAndOnlyInsideTheClip) {
    RectBitmap bar(20, 10);
    canvas.drawBitmapInRect(bar, {0, 0, 20, 10}, {0, 0, 26, 10}, 255);
    ASSERT_EQ(calls().size(), 2u + 6u);
    EXPECT_EQ(calls()[1].rect, Rect(16, 0, 26, 10));
    EXPECT_EQ(calls()[1].point, Point(10, 0));

    // A huge destination records only the pieces inside the clip.
    target.calls.clear();
    canvas.clip.setValue({0, 500000, 100, 500003});
    canvas.drawBitmapInRect(bar, {0, 0, 20, 10}, {0, 0, 20, 1e6f}, 255);
    ASSERT_EQ(calls().size(), 3u);
    EXPECT_EQ(calls()[0].rect, Rect(0, 500000, 20, 500001));

    // Equal sizes: drawn once.
    target.calls.clear();
    canvas.clip.setValue({0, 0, 100, 100});
    canvas.drawBitmapInRect(bar, {0, 0, 20, 10}, {5, 5, 25, 15}, 255);
    ASSERT_EQ(calls().size(), 1u);
}

TEST_F(CanvasFixture, BitmapCellDrawsTwoHalves) {
    RectBitmap cell(20, 10);
    canvas.drawBitmapCell(cell, {0, 0, 30, 10}, 255, Orientation::kHorizontal);
    // First half 15 wide from the source's start, second from its end.
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].rect, Rect(0, 0, 15, 10));
    EXPECT_EQ(calls()[0].point, Point(0, 0));
    EXPECT_EQ(calls()[1].rect, Rect(15, 0, 30, 10));
    EXPECT_EQ(calls()[1].point, Point(5, 0));
}

class FixedText : public Text {
public:
    const IBitmap* render() override { return &bitmap; }
    float width() override { return 40; }
    float verticalOffset() override { return -1.5f; }
    float height() override { return 20; }
    RectBitmap bitmap{40, 20};
};

TEST_F(CanvasFixture, TextDrawsItsBitmapAtItsOffset) {
    FixedText text;
    canvas.drawText(text, {10, 10}, 255);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].object, &text.bitmap);
    EXPECT_EQ(calls()[0].rect, Rect(10, 8.5f, 50, 28.5f));
}

TEST(Canvas, MapSlicedPoint) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    RectBitmap source(30, 30); // caps of min(30 / 3, 30) = 10
    RectBitmap empty(0, 0);
    RectBitmap thin(4, 30); // cap 4/3 along x
    struct Case {
        const IBitmap* bitmap;
        Point in;
        Rect dest;
        float minCap;
        Point out;
    };
    const Case cases[] = {
        {&source, {5, 5}, {0, 0, 100, 100}, 0, {5, 5}},
        {&source, {95, 50}, {0, 0, 100, 100}, 0, {25, 10}},
        {&source, {25, 100}, {0, 0, 100, 200}, 0, {15, 10}},
        // minCap 15 leaves no middle: it maps to the cap edge
        {&source, {50, 50}, {0, 0, 100, 100}, 15, {15, 15}},
        {&empty, {50, 50}, {0, 0, 100, 100}, 0, {0, 0}},
        {&source, {nan, 50}, {0, 0, 100, 100}, 0, {0, 10}},
        {&source, {150, 5}, {0, 0, 100, 100}, 0, {std::nextafter(30.0f, 0.0f), 5}},
    };
    for (const Case& c : cases) {
        const Point p = Canvas::mapSlicedPoint(c.in, *c.bitmap, c.dest, c.minCap);
        EXPECT_FLOAT_EQ(p.x, c.out.x) << c.in.x << "," << c.in.y;
        EXPECT_FLOAT_EQ(p.y, c.out.y) << c.in.x << "," << c.in.y;
    }
    for (float x = -10; x < 110; x += 0.7f) {
        const Point p = Canvas::mapSlicedPoint({x, x}, thin, {0, 0, 100, 100}, 2.0f);
        ASSERT_TRUE(p.x >= 0 && p.x < 4 && p.y >= 0 && p.y < 30) << x;
    }
}

TEST_F(CanvasFixture, RestoreTellsOnlyChangedValues) {
    CountingListener listener(canvas);
    canvas.setListener(&listener);
    const Canvas::State saved = canvas.saveState();
    canvas.origin.setValue({5, 5});
    canvas.clip.setValue({0, 0, 100.0005f, 100});
    EXPECT_EQ(listener.origins, 1);
    EXPECT_EQ(listener.clips, 0);
    canvas.restoreState(saved);
    EXPECT_EQ(listener.origins, 2);
    EXPECT_EQ(listener.clips, 0);
    EXPECT_EQ(listener.opacities, 0);
}

TEST_F(CanvasFixture, DrawingAllocatesNothing) {
    Gradient gradient(Color(0, 0, 0), Color(255, 255, 255));
    Cubic curve;
    RectBitmap button(30, 20);
    FixedText text;
    canvas.origin.setValue({3.3f, 4.4f});
    ::test::AllocationCounter counter;
    for (int i = 0; i < 10; ++i) {
        canvas.fillRect({0, 0, 10, 10}, Color(1, 2, 3));
        canvas.drawBitmapInRect(button, {0, 0, 30, 20}, {0, 0, 30, 50}, 200);
        canvas.fillGradient(gradient, {0, 0, 50, 50}, Direction::kUp, 0, 1, 255);
        canvas.strokeCurve(curve, {0, 0, 50, 50}, {0, 0}, Color(1, 1, 1), Color(2, 2, 2), Color(3, 3, 3));
        canvas.frameRect({5, 5, 10, 10}, Color(1, 1, 1), 1.0f);
        canvas.drawText(text, {1, 1}, 255);
        const Canvas::State s = canvas.saveState();
        canvas.origin.setValue({9, 9});
        canvas.restoreState(s);
    }
    EXPECT_EQ(counter.allocations(), 0u);
}

} // namespace
} // namespace gui
