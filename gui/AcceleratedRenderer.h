#pragma once

// The accelerated drawing back end, independent of the graphics API: every
// canvas operation is turned, on the CPU, into device-pixel vertex, texture
// coordinate and colour arrays and then into one of a few back-end calls
// (the pure virtual operations below) that a subclass issues to the GPU.
//
// Coordinates handed to the back end are device pixels of the viewport with
// y running down; colours are premultiplied floats (r, g, b, a in 0..1).
// Curves, level fills and lines are built as vertical columns of vertices
// joined by triangle strips through a fixed index buffer (the layouts
// below), so anti-aliasing comes from interpolated vertex colours.
//
// Index layouts, for N = the longer side of the viewport (columns run along
// either axis) and n vertices per column: strip s joins vertices s and s + 1
// of every column, 2 x (N + 1) indices (s, s + 1), (n + s, n + s + 1), ...
//   3-vertex layout: strips 0 and 1, from index 0;
//   6-vertex layout: strips 0 to 4, from 4 (N + 1);
//   10-vertex layout: strips 0 to 8, from 14 (N + 1);
//   the 4 x 4 grid (vertex 4 x row + column): strips 0 to 2, from 32 (N + 1),
//   strip s running (s, s + 1), (4 + s, 5 + s), (8 + s, 9 + s), (12 + s, 13 + s).
// The largest index is 10 N + 9, past 16 bits on wide displays: indices are
// 32 bits.
//
// Threading: the thread that draws, under the root control's lock.

#include "gui/BasicRect.h"
#include "gui/ICanvas.h"

#include <array>
#include <cstdint>
#include <vector>

namespace gui {

class CurveSampler;

class AcceleratedRenderer : public ICanvas {
public:
    // Vertices per column of the column layouts.
    static constexpr int kLevelColumn = 3;
    static constexpr int kOneLayerColumn = 6;
    static constexpr int kTwoLayerColumn = 10;
    // Ten vertices for each column: the most that any operation emits.
    static constexpr int kMaxColumnVertices = 10;
    static constexpr int kGridVertices = 16;

    AcceleratedRenderer() = default;
    AcceleratedRenderer(const AcceleratedRenderer&) = delete;
    AcceleratedRenderer& operator=(const AcceleratedRenderer&) = delete;

    // ICanvas: rects and points in logical units of the viewport.
    void drawBitmap(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                    int alpha) override;
    void drawBitmapMasked(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                          const IBitmap& mask, const Point& maskPoint, int alpha) override;
    void drawCurve(const CurveStyle& style, const Rect& clipRect, const Rect& destRect, const Point& offset,
                   Orientation orientation, int alpha) override;
    // Mode 1: a bar about the middle whose height follows the curve (and the
    // parameter), colorA in the middle fading to transparent at both ends.
    // Other modes: colorA at the dest's top to colorB at its bottom. Both
    // fade with the curve's value.
    void drawColorized(int mode, const ICurve& curve, const Rect& clipRect, const Rect& destRect,
                       const Point& offset, Color colorA, Color colorB, float parameter) override;
    void fillGradient(const IGradient& gradient, const Rect& rect, Direction direction, float start,
                      float end, int alpha) override;
    void drawLine(const Rect& bounds, const Point& from, const Point& to, Color color, float width) override;
    void fillRect(const Rect& rect, Color color) override;
    DeviceBacking* getDeviceBacking() override { return &deviceBacking(); }
    // The frame cannot be read back: (0, 0, 0, 0).
    Color getPixel(const Point& point) override;
    void setPixel(const Point& point, Color color) override;

    // The back end.
    virtual DeviceBacking& deviceBacking() = 0;
    // The vertex buffer (x, y pairs) and the colour buffer (four floats per
    // vertex), each with room for maxVertices().
    virtual void buffers(float*& vertices, float*& colours) = 0;
    // Called when the index buffer has been rebuilt for a new viewport size.
    virtual void indicesRebuilt() {}
    // Called after each curve, level fill and line.
    virtual void shapeDrawn() {}
    // An indexed triangle strip of count indices from index first; color
    // null means per-vertex colours.
    virtual void drawElements(int first, int count, const float* color) = 0;
    // The four vertices of the buffer with the bitmap's texture (unit 0,
    // coordinates texCoords(0)) times alpha, masked by the mask's alpha
    // (unit 1, texCoords(1)) when given.
    virtual void texturedQuads(const IBitmap& bitmap, int alpha, const IBitmap* mask) = 0;
    // A triangle strip of the first count vertices.
    virtual void drawArrays(int count, const float* color) = 0;
    // Drawing limited to the rect (device pixels of the viewport); the full
    // viewport rect means no limit.
    virtual void setScissor(const PixelRect& rect) = 0;
    virtual void beginFrame() = 0;

    // The viewport as last set (device pixels of the window) and its full
    // rect (0, 0, width, height).
    const PixelRect& viewport() const { return viewport_; }
    const PixelRect& fullRect() const { return fullRect_; }
    // Columns the index layouts and buffers are sized for: the longer side of the viewport.
    int layoutLength() const { return layoutLength_; }
    int maxVertices() const { return maxVerticesFor(layoutLength_); }
    // The first index of strip s of the layout with n vertices per column
    // (kLevelColumn, kOneLayerColumn, kTwoLayerColumn or kGridVertices).
    int stripStart(int n, int strip) const { return stripStartFor(layoutLength_, n, strip); }
    static int stripStartFor(int length, int n, int strip);
    static int maxVerticesFor(int length);
    // The whole index buffer for a layout length.
    static void buildIndices(int length, std::vector<std::uint32_t>& indices);
    const std::array<float, 8>& texCoords(int unit) const { return unit == 0 ? texCoords0_ : texCoords1_; }

protected:
    // Stores the viewport; true when the layout length changed (the caller
    // then rebuilds its index buffer and buffers).
    bool storeViewport(const PixelRect& viewport);

private:
    void drawTextured(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                      const IBitmap* mask, const Point& maskPoint, int alpha);
    bool deviceRect(const Rect& rect, PixelRect& out);
    float scale();

    PixelRect viewport_;
    PixelRect fullRect_;
    int layoutLength_ = 0;
    std::array<float, 8> texCoords0_{};
    std::array<float, 8> texCoords1_{};
};

} // namespace gui
