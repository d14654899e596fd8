#pragma once

// Test back ends: a canvas that records every call it receives with its
// (already mapped) arguments, and a bitmap that has rects only.

#include "gui/CurveStyle.h"
#include "gui/DeviceBacking.h"
#include "gui/IBitmap.h"
#include "gui/ICanvas.h"

#include <vector>

namespace test {

class RectBitmap : public gui::IBitmap {
public:
    explicit RectBitmap(float width = 0.0f, float height = 0.0f) : rect_(0.0f, 0.0f, width, height) {}

    gui::PixelRect getPixelRect() const override {
        return {0, 0, static_cast<int>(rect_.width()), static_cast<int>(rect_.height())};
    }
    gui::Rect getRect() const override { return rect_; }
    const std::uint32_t* getPixels() const override { return nullptr; }
    std::uint32_t* getPixels() override { return nullptr; }
    bool hasTransparency() const override { return false; }
    gui::ITexture* getTexture() const override { return nullptr; }
    void getChangedRects(const gui::PixelRect*& rects, int& count) const override {
        rects = nullptr;
        count = 0;
    }
    gui::BitmapChangeState getChangeState() const override { return gui::BitmapChangeState::kUnchanged; }
    void clearChangedRects() const override {}
    void setTexture(gui::ITexture*) const override {}

private:
    gui::Rect rect_;
};

enum class Op { kBitmap, kBitmapMasked, kCurve, kColorized, kGradient, kLine, kFill, kSetPixel };

struct Call {
    Op op = Op::kFill;
    const void* object = nullptr; // bitmap, style, curve or gradient
    gui::Rect rect;               // destination, clip rect or bounds
    gui::Rect rect2;              // the curve's whole area
    gui::Point point;             // source point, offset or line start
    gui::Point point2;            // mask point or line end
    int alpha = 0;
    gui::Color color;
    gui::Color color2;
    gui::Direction direction = gui::Direction::kRight;
    gui::Orientation orientation = gui::Orientation::kHorizontal;
    float start = 0.0f;
    float end = 0.0f;
};

class RecordingCanvas : public gui::ICanvas {
public:
    explicit RecordingCanvas(float scale = 1.0f) {
        calls.reserve(4096);
        setScale(scale);
    }

    // A table scale selects its own display class.
    void setScale(float scale) { backing.setSystemScale(scale); }

    void drawBitmap(const gui::IBitmap& bitmap, const gui::Rect& destRect, const gui::Point& sourcePoint,
                    int alpha) override {
        Call c;
        c.op = Op::kBitmap;
        c.object = &bitmap;
        c.rect = destRect;
        c.point = sourcePoint;
        c.alpha = alpha;
        calls.push_back(c);
    }
    void drawBitmapMasked(const gui::IBitmap& bitmap, const gui::Rect& destRect,
                          const gui::Point& sourcePoint, const gui::IBitmap&, const gui::Point& maskPoint,
                          int alpha) override {
        Call c;
        c.op = Op::kBitmapMasked;
        c.object = &bitmap;
        c.rect = destRect;
        c.point = sourcePoint;
        c.point2 = maskPoint;
        c.alpha = alpha;
        calls.push_back(c);
    }
    void drawCurve(const gui::CurveStyle& style, const gui::Rect& clipRect, const gui::Rect& destRect,
                   const gui::Point& offset, gui::Orientation orientation, int alpha) override {
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
    void drawColorized(int mode, const gui::ICurve& curve, const gui::Rect& clipRect,
                       const gui::Rect& destRect, const gui::Point& offset, gui::Color colorA,
                       gui::Color colorB, float parameter) override {
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
    void fillGradient(const gui::IGradient& gradient, const gui::Rect& rect, gui::Direction direction,
                      float start, float end, int alpha) override {
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
    void drawLine(const gui::Rect& bounds, const gui::Point& from, const gui::Point& to, gui::Color color,
                  float width) override {
        Call c;
        c.op = Op::kLine;
        c.rect = bounds;
        c.point = from;
        c.point2 = to;
        c.color = color;
        c.start = width;
        calls.push_back(c);
    }
    void fillRect(const gui::Rect& rect, gui::Color color) override {
        Call c;
        c.op = Op::kFill;
        c.rect = rect;
        c.color = color;
        calls.push_back(c);
    }
    gui::DeviceBacking* getDeviceBacking() override { return &backing; }
    gui::Color getPixel(const gui::Point& point) override {
        lastPixelRead = point;
        return {};
    }
    void setPixel(const gui::Point& point, gui::Color color) override {
        Call c;
        c.op = Op::kSetPixel;
        c.point = point;
        c.color = color;
        calls.push_back(c);
    }
    void prepare(const gui::Rect&) override {}

    gui::DeviceBacking backing;
    std::vector<Call> calls;
    gui::Point lastPixelRead;
};

} // namespace test
