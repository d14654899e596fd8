#include "gui/AcceleratedRenderer.h"

#include "gui/Curve.h"
#include "gui/CurveStyle.h"
#include "gui/DeviceBacking.h"
#include "gui/IBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace gui {
namespace {

// Records every back-end call with the vertices and colours it draws.
class RecordingRenderer : public AcceleratedRenderer {
public:
    struct Call {
        enum class Kind { kElements, kArrays, kTextured, kScissor } kind;
        int first = 0;
        int count = 0;
        bool constant = false;
        std::vector<float> vertices; // the vertices the call reaches, as x, y pairs
        std::vector<float> colours;  // their colours (per vertex), or the constant colour
        PixelRect scissor;
    };

    RecordingRenderer(DeviceBacking& backing, const PixelRect& viewport) : backing_(backing) {
        storeViewport(viewport);
        AcceleratedRenderer::buildIndices(layoutLength(), indices_);
        vertices_.assign(std::size_t(maxVertices()) * 2, 0.0f);
        colours_.assign(std::size_t(maxVertices()) * 4, 0.0f);
    }

    DeviceBacking& deviceBacking() override { return backing_; }
    void buffers(float*& vertices, float*& colours) override {
        vertices = vertices_.data();
        colours = colours_.data();
    }
    void drawElements(int first, int count, const float* color) override {
        Call call{Call::Kind::kElements, first, count, color != nullptr};
        for (int i = first; i < first + count; ++i)
            addVertex(call, int(indices_[std::size_t(i)]), color);
        calls.push_back(call);
    }
    void drawArrays(int count, const float* color) override {
        Call call{Call::Kind::kArrays, 0, count, color != nullptr};
        for (int i = 0; i < count; ++i)
            addVertex(call, i, color);
        calls.push_back(call);
    }
    void texturedQuads(const IBitmap&, int, const IBitmap*) override {
        calls.push_back({Call::Kind::kTextured, 0, 4, true});
    }
    void setScissor(const PixelRect& rect) override {
        Call call{Call::Kind::kScissor};
        call.scissor = rect;
        calls.push_back(call);
    }
    void beginFrame() override {}
    void prepare(const Rect&) override {}

    std::vector<Call> drawCalls() const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.kind != Call::Kind::kScissor) out.push_back(c);
        return out;
    }

    std::vector<Call> calls;

private:
    void addVertex(Call& call, int index, const float* color) {
        call.vertices.push_back(vertices_[std::size_t(index) * 2]);
        call.vertices.push_back(vertices_[std::size_t(index) * 2 + 1]);
        const float* c = color != nullptr ? color : &colours_[std::size_t(index) * 4];
        call.colours.insert(call.colours.end(), c, c + 4);
    }

    DeviceBacking& backing_;
    std::vector<std::uint32_t> indices_;
    std::vector<float> vertices_;
    std::vector<float> colours_;
};

class FunctionCurve : public ICurve {
public:
    explicit FunctionCurve(std::function<float(float)> f) : f_(std::move(f)) {}
    float valueAt(float x) const override { return f_(x); }

private:
    std::function<float(float)> f_;
};

CurveStyle oneLayer(const ICurve& curve) {
    CurveStyle style;
    style.colorAbove = Color(0, 0, 255);
    style.layerCount = 1;
    style.layers[0] = {&curve, Color(0, 0, 255), Color(255, 0, 0), nullptr, Color(0, 255, 0), 1.0f, 1.0f};
    style.colorBelow = Color(0, 255, 0);
    return style;
}

// The x of every emitted column, from a strip call of a column layout.
std::vector<float> columnXs(const RecordingRenderer::Call& call) {
    std::vector<float> xs;
    for (std::size_t i = 0; i < call.vertices.size(); i += 4)
        xs.push_back(call.vertices[i]);
    return xs;
}

struct Fixture {
    DeviceBacking backing;
    RecordingRenderer renderer{backing, {0, 0, 200, 100}};
};

TEST(AcceleratedRendererTest, IndicesReachPastSixteenBitsOnWideViewports) {
    // 7000 device pixels: ten vertices for each of 7001 columns.
    std::vector<std::uint32_t> indices;
    AcceleratedRenderer::buildIndices(7000, indices);
    const int columns = 7001;
    EXPECT_EQ(indices.size(), std::size_t(32 * columns + 24));
    EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), 10u * 7000u + 9u);
    EXPECT_GT(10u * 7000u + 9u, 65535u);
    // Strip 8 of the 10-vertex layout: vertices 8 and 9 of every column.
    const int start = AcceleratedRenderer::stripStartFor(7000, AcceleratedRenderer::kTwoLayerColumn, 8);
    EXPECT_EQ(indices[std::size_t(start)], 8u);
    EXPECT_EQ(indices[std::size_t(start + 1)], 9u);
    EXPECT_EQ(indices[std::size_t(start + 2 * columns - 1)], 10u * 7000u + 9u);
    // The grid's strip 1 joins columns 1 and 2 of the four rows.
    const int grid = AcceleratedRenderer::stripStartFor(7000, AcceleratedRenderer::kGridVertices, 1);
    EXPECT_EQ(std::vector<std::uint32_t>(indices.begin() + grid, indices.begin() + grid + 8),
              (std::vector<std::uint32_t>{1, 2, 5, 6, 9, 10, 13, 14}));
}

TEST(AcceleratedRendererTest, AStraightCurveEmitsOnlyItsFirstAndLastColumns) {
    Fixture f;
    const Cubic straight(20.0, 0.25, 0.0, 0.0);
    const CurveStyle style = oneLayer(straight);
    f.renderer.drawCurve(style, {10, 0, 110, 100}, {10, 0, 110, 100}, {0, 0}, Orientation::kHorizontal, 255);
    auto calls = f.renderer.drawCalls();
    ASSERT_EQ(calls.size(), 5u); // the five bands of a one-layer column
    for (const auto& call : calls) {
        EXPECT_EQ(call.count, 4);
        EXPECT_EQ(columnXs(call), (std::vector<float>{10.0f, 110.499f}));
    }
    // The clip goes on first and off last.
    EXPECT_EQ(f.renderer.calls.front().scissor.left, 10);
    EXPECT_TRUE(f.renderer.calls.back().scissor == f.renderer.fullRect());
}

TEST(AcceleratedRendererTest, ACurveWithAKinkEmitsColumnsAroundTheKink) {
    Fixture f;
    const FunctionCurve kink([](float x) { return x < 60.0f ? 30.0f : 30.0f + (x - 60.0f); });
    const CurveStyle style = oneLayer(kink);
    f.renderer.drawCurve(style, {0, 0, 150, 100}, {0, 0, 150, 100}, {0, 0}, Orientation::kHorizontal, 255);
    const auto xs = columnXs(f.renderer.drawCalls().front());
    ASSERT_GT(xs.size(), 3u);
    EXPECT_FLOAT_EQ(xs.front(), 0.0f);
    EXPECT_FLOAT_EQ(xs.back(), 150.499f);
    for (std::size_t i = 1; i + 1 < xs.size(); ++i)
        EXPECT_NEAR(xs[i], 60.0f, 8.0f) << "column " << xs[i];
}

TEST(AcceleratedRendererTest, AVerticalCurveRunsItsColumnsAlongY) {
    Fixture f;
    const Cubic straight(40.0, 0.0, 0.0, 0.0);
    const CurveStyle style = oneLayer(straight);
    f.renderer.drawCurve(style, {0, 5, 100, 95}, {0, 5, 100, 95}, {0, 0}, Orientation::kVertical, 255);
    const auto calls = f.renderer.drawCalls();
    ASSERT_FALSE(calls.empty());
    // Every vertex's y is a column (5 or 95.499); its x lies about the curve's value 40.
    for (const auto& call : calls)
        for (std::size_t i = 0; i < call.vertices.size(); i += 2) {
            EXPECT_TRUE(call.vertices[i + 1] == 5.0f || call.vertices[i + 1] == 95.499f);
            EXPECT_GE(call.vertices[i], 0.0f);
            EXPECT_LE(call.vertices[i], 100.0f);
        }
    EXPECT_EQ(f.renderer.calls.front().scissor.top, 5);
    EXPECT_EQ(f.renderer.calls.front().scissor.bottom, 95);
}

TEST(AcceleratedRendererTest, AVerticalCurveInATallViewportFitsTheBuffers) {
    // Columns along y: a viewport taller than wide needs room for its height.
    DeviceBacking backing;
    RecordingRenderer renderer(backing, {0, 0, 40, 300});
    EXPECT_GE(renderer.maxVertices(), AcceleratedRenderer::kTwoLayerColumn * 301);
    const FunctionCurve wiggle([](float y) { return 12.0f + 3.0f * std::sin(y * 0.9f); });
    const FunctionCurve other([](float y) { return 28.0f + 3.0f * std::cos(y * 0.8f); });
    CurveStyle style = oneLayer(wiggle);
    style.layerCount = 2;
    style.layers[1] = style.layers[0];
    style.layers[1].curve = &other;
    renderer.drawCurve(style, {0, 0, 40, 300}, {0, 0, 40, 300}, {0, 0}, Orientation::kVertical, 255);
    const auto calls = renderer.drawCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_GT(calls.front().count, 2 * 250); // nearly every row is a column of its own
    for (const auto& call : calls)
        for (std::size_t i = 1; i < call.vertices.size(); i += 2)
            EXPECT_LE(call.vertices[i], 300.5f);
}

TEST(AcceleratedRendererTest, LinesShorterThanAHundredthDrawNothing) {
    Fixture f;
    f.renderer.drawLine({0, 0, 200, 100}, {10, 10}, {10.005f, 10.004f}, Color(255, 0, 0), 1.0f);
    EXPECT_TRUE(f.renderer.calls.empty());
}

TEST(AcceleratedRendererTest, ALineGivenBackwardsLiesOnePixelFurtherAlongItsMajorAxis) {
    for (const bool yMajor : {false, true}) {
        SCOPED_TRACE(yMajor ? "y major" : "x major");
        const Point a = yMajor ? Point(10, 10) : Point(10, 10);
        const Point b = yMajor ? Point(20, 50) : Point(50, 20);
        const float k = 10.0f / 40.0f;
        Fixture forward, backward;
        forward.renderer.drawLine({0, 0, 200, 100}, a, b, Color(255, 0, 0), 3.0f);
        backward.renderer.drawLine({0, 0, 200, 100}, b, a, Color(255, 0, 0), 3.0f);
        const auto f = forward.renderer.drawCalls(), r = backward.renderer.drawCalls();
        ASSERT_EQ(f.size(), 3u);
        ASSERT_EQ(r.size(), 3u);
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(f[c].count, 8);
            for (std::size_t i = 0; i < f[c].vertices.size(); i += 2) {
                const float dx = r[c].vertices[i] - f[c].vertices[i];
                const float dy = r[c].vertices[i + 1] - f[c].vertices[i + 1];
                EXPECT_NEAR(yMajor ? dy : dx, 1.0f, 1e-4f);
                EXPECT_NEAR(yMajor ? dx : dy, k, 1e-4f);
            }
            EXPECT_EQ(f[c].colours, r[c].colours);
        }
    }
}

TEST(AcceleratedRendererTest, ALevelFillOfAZeroCurveIsTransparent) {
    for (const int mode : {0, 1}) {
        Fixture f;
        const Cubic zero;
        f.renderer.drawColorized(mode, zero, {0, 10, 100, 50}, {0, 10, 100, 50}, {0, 0}, Color(255, 0, 0),
                                 Color(0, 255, 0), 0.5f);
        const auto calls = f.renderer.drawCalls();
        ASSERT_EQ(calls.size(), mode == 1 ? 2u : 1u);
        for (const auto& call : calls)
            for (float c : call.colours)
                EXPECT_EQ(c, 0.0f);
    }
}

TEST(AcceleratedRendererTest, ALevelBarAtParameterOneSpansTheWholeHeight) {
    Fixture f;
    const FunctionCurve wave([](float x) { return 0.5f + 0.5f * std::sin(x * 0.2f); });
    f.renderer.drawColorized(1, wave, {0, 10, 100, 50}, {0, 10, 100, 50}, {0, 0}, Color(255, 0, 0),
                             Color(0, 255, 0), 1.0f);
    const auto calls = f.renderer.drawCalls();
    ASSERT_EQ(calls.size(), 2u);
    // Strip 0 joins the top and middle vertices, strip 1 the middle and bottom ones.
    for (std::size_t i = 0; i < calls[0].vertices.size(); i += 4) {
        EXPECT_FLOAT_EQ(calls[0].vertices[i + 1], 10.0f);
        EXPECT_FLOAT_EQ(calls[1].vertices[i + 3], 50.0f);
    }
    EXPECT_GT(calls[0].count, 4); // the wave needs more than its end columns
}

TEST(AcceleratedRendererTest, NothingIsDrawnOutsideTheViewport) {
    Fixture f;
    const Cubic straight(20.0, 0.0, 0.0, 0.0);
    const CurveStyle style = oneLayer(straight);
    f.renderer.fillRect({300, 0, 400, 50}, Color(255, 0, 0));
    f.renderer.drawCurve(style, {250, 0, 300, 50}, {250, 0, 300, 50}, {0, 0}, Orientation::kHorizontal, 255);
    f.renderer.drawLine({-50, 0, -10, 50}, {-40, 10}, {-20, 30}, Color(255, 0, 0), 1.0f);
    f.renderer.setPixel({-1, 5}, Color(255, 0, 0));
    EXPECT_TRUE(f.renderer.calls.empty());
    EXPECT_EQ(f.renderer.getPixel({5, 5}), Color(0, 0, 0, 0));
}

} // namespace
} // namespace gui
