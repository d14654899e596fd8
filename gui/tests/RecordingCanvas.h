#pragma once

// Test back ends: a canvas that records every call it receives with its
// (already mapped) arguments, and a bitmap that has rects only.

#include "gui/CurveStyle.h"
#include "gui/DeviceBacking.h"
#include "gui/IBitmap.h"
#include "gui/ICanvas.h"

#include <vector>

namespace gui::test {

class RectBitmap : public IBitmap {
public:
    explicit RectBitmap(float width = 0.0f, float height = 0.0f) : rect_(0.0f, 0.0f, width, height) {}

    PixelRect getPixelRect() const override {
        return {0, 0, static_cast<int>(rect_.width()), static_cast<int>(rect_.height())};
    }
    Rect getRect() const override { return rect_; }
    const std::uint32_t* getPixels() const override { return nullptr; }
    std::uint32_t* getPixels() override { return nullptr; }
    bool hasTransparency() const override { return false; }
    ITexture* getTexture() const override { return nullptr; }
    void getChangedRects(const PixelRect*& rects, int& count) const override {
        rects = nullptr;
        count = 0;
    }
    BitmapChangeState getChangeState() const override { return BitmapChangeState::kUnchanged; }
    void clearChangedRects() const override {}
    void setTexture(ITexture*) const override {}

private:
    Rect rect_;
};

enum class Op { kBitmap, kBitmapMasked, kCurve, kColorized, kGradient, kLine, kFill, kSetPixel };

struct Call {
    Op op = Op::kFill;
    const void* object = nullptr; // bitmap, style, curve or gradient
    Rect rect;                    // destination, clip rect or bounds
    Rect rect2;                   // the curve's whole area
    Point point;                  // source point, offset or line start
    Point point2;                 // mask point or line end
    int alpha = 0;
    Color color;
    Color color2;
    Direction direction = Direction::kRight;
    Orientation orientation = Orientation::kHorizontal;
    float start = 0.0f;
    float end = 0.0f;
};

class RecordingCanvas : public ICanvas {
public:
    explicit RecordingCanvas(float scale = 1.0f) {
        calls.reserve(4096);
        setScale(scale);
    }

    // A table scale selects its own display class.
    void setScale(float scale) { backing.setSystemScale(scale); }

    void drawBitmap(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                    int alpha) override {
        Call c;
        c.op = Op::kBitmap;
        c.object = &bitmap;
        c.rect = destRect;
        c.point = sourcePoint;
        c.alpha = alpha;
        calls.push_back(c);
    }
    void drawBitmapMasked(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                          const IBitmap&, const Point& maskPoint, int alpha) override {
        Call c;
        c.op = Op::kBitmapMasked;
        c.object = &bitmap;
        c.rect = destRect;
        c.point = sourcePoint;
        c.point2 = maskPoint;
        c.alpha = alpha;
        calls.push_back(c);
    }
    void drawCurve(const CurveStyle& style, const Rect& clipRect, const Rect& destRect, const Point& offset,
                   Orientation orientation, int alpha) override {
        Call c;
        c.op = Op::kCurve;
        c.object = &style;
        c.rect = clipRect;
        c.rect2 = destRect;
        c.point = offset;
        c.orientation = orientation;
        c.alpha = alpha;
        c.color = style.layers[0].lineColor;
        c.color2 = style.colorAbove;
        c.start = style.layers[0].lineWidth;
        calls.push_back(c);
    }
    void drawColorized(int mode, const ICurve& curve, const Rect& clipRect, const Rect& destRect,
                       const Point& offset, Color colorA, Color colorB, float parameter) override {
        Call c;
        c.op = Op::kColorized;
        c.object = &curve;
        c.rect = clipRect;
        c.rect2 = destRect;
        c.point = offset;
        c.color = colorA;
        c.color2 = colorB;
        c.alpha = mode;
        c.start = parameter;
        calls.push_back(c);
    }
    void fillGradient(const IGradient& gradient, const Rect& rect, Direction direction, float start,
                      float end, int alpha) override {
        Call c;
        c.op = Op::kGradient;
        c.object = &gradient;
        c.rect = rect;
        c.direction = direction;
        c.start = start;
        c.end = end;
        c.alpha = alpha;
        calls.push_back(c);
    }
    void drawLine(const Rect& bounds, const Point& from, const Point& to, Color color, float width) override {
        Call c;
        c.op = Op::kLine;
        c.rect = bounds;
        c.point = from;
        c.point2 = to;
        c.color = color;
        c.start = width;
        calls.push_back(c);
    }
    void fillRect(const Rect& rect, Color color) override {
        Call c;
        c.op = Op::kFill;
        c.rect = rect;
        c.color = color;
        calls.push_back(c);
    }
    DeviceBacking* getDeviceBacking() override { return &backing; }
    Color getPixel(const Point& point) override {
        lastPixelRead = point;
        return {};
    }
    void setPixel(const Point& point, Color color) override {
        Call c;
        c.op = Op::kSetPixel;
        c.point = point;
        c.color = color;
        calls.push_back(c);
    }
    void prepare(const Rect&) override {}

    DeviceBacking backing;
    std::vector<Call> calls;
    Point lastPixelRead;
};

} // namespace gui::test
