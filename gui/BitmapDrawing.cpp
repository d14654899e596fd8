// The drawing operations of gui::Bitmap (its gui::ICanvas side): every
// operation converts its rects to pixels once (gui/PixelCoordinates.h),
// clips them to this bitmap and to every bitmap it reads, draws with the
// shared arithmetic and reports the pixel rect it touched.

#include "gui/Bitmap.h"

#include "gui/Gradient.h"
#include "gui/PixelArithmetic.h"
#include "gui/PixelCoordinates.h"
#include "gui/PixelRows.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

int clampByte(int v) {
    return std::clamp(v, 0, 255);
}

// The part of a destination rect whose source (at sourceX, sourceY for the
// rect's corner) lies inside the source's pixel rect, with that source corner.
struct SourceSpan {
    PixelRect destination;
    int sourceX = 0;
    int sourceY = 0;
};

// Clips destination to bounds and to a source of size (width, height) whose
// pixel (sourceX, sourceY) belongs at the destination's corner. False when
// nothing remains.
bool clipWithSource(PixelRect destination, const PixelRect& bounds, int sourceX, int sourceY, int width,
                    int height, SourceSpan& span) {
    // Source coordinates saturate like destination ones, so the differences stay in range.
    std::int64_t dx = std::int64_t(sourceX) - destination.left;
    std::int64_t dy = std::int64_t(sourceY) - destination.top;
    PixelRect clipped = clipTo(destination, bounds);
    clipped.left = int(std::max<std::int64_t>(clipped.left, -dx));
    clipped.top = int(std::max<std::int64_t>(clipped.top, -dy));
    clipped.right = int(std::min<std::int64_t>(clipped.right, std::int64_t(width) - dx));
    clipped.bottom = int(std::min<std::int64_t>(clipped.bottom, std::int64_t(height) - dy));
    if (clipped.isEmpty()) return false;
    span.destination = clipped;
    span.sourceX = int(clipped.left + dx);
    span.sourceY = int(clipped.top + dy);
    return true;
}

std::uint32_t scaledColour(FloatColor c, int alpha) {
    auto round = [](float v) {
        if (!(v >= 0.0f)) return 0;
        return int(std::min(v, 255.0f) + 0.5f);
    };
    Color colour(std::uint8_t(round(c.r)), std::uint8_t(round(c.g)), std::uint8_t(round(c.b)),
                 std::uint8_t(pixel::multiply255(std::uint32_t(round(c.a)), std::uint32_t(alpha))));
    return pixel::premultiply(colour);
}

} // namespace

void Bitmap::drawBitmap(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint, int alpha) {
    alpha = clampByte(alpha);
    const std::uint32_t* source = bitmap.getPixels();
    PixelRect destination, sourceRect = bitmap.getPixelRect();
    int sx = 0, sy = 0;
    float scale = getScale();
    if (pixels_ == nullptr || source == nullptr || alpha == 0 || !toPixelRect(destRect, scale, destination) ||
        !toPixel(sourcePoint.x, scale, sx) || !toPixel(sourcePoint.y, scale, sy))
        return;
    SourceSpan span;
    if (!clipWithSource(destination, getPixelRect(), sx, sy, sourceRect.right, sourceRect.bottom, span))
        return;
    const int count = span.destination.width();
    for (int y = span.destination.top; y < span.destination.bottom; ++y) {
        const std::uint32_t* from =
            source + std::size_t(span.sourceY + y - span.destination.top) * std::size_t(sourceRect.right) +
            std::size_t(span.sourceX);
        std::uint32_t* to = row(y) + span.destination.left;
        if (alpha == 255)
            FastPixelRows::blend(to, from, count);
        else
            FastPixelRows::blendWithOpacity(to, from, count, alpha);
    }
    pixelsChanged(span.destination);
}

void Bitmap::drawBitmapMasked(const IBitmap& bitmap, const Rect& destRect, const Point& sourcePoint,
                              const IBitmap& mask, const Point& maskPoint, int alpha) {
    alpha = clampByte(alpha);
    const std::uint32_t* source = bitmap.getPixels();
    const std::uint32_t* maskPixels = mask.getPixels();
    PixelRect destination, sourceRect = bitmap.getPixelRect(), maskRect = mask.getPixelRect();
    int sx = 0, sy = 0, mx = 0, my = 0;
    float scale = getScale();
    if (pixels_ == nullptr || source == nullptr || maskPixels == nullptr || alpha == 0 ||
        !toPixelRect(destRect, scale, destination) || !toPixel(sourcePoint.x, scale, sx) ||
        !toPixel(sourcePoint.y, scale, sy) || !toPixel(maskPoint.x, scale, mx) ||
        !toPixel(maskPoint.y, scale, my))
        return;
    SourceSpan span, maskSpan;
    if (!clipWithSource(destination, getPixelRect(), sx, sy, sourceRect.right, sourceRect.bottom, span))
        return;
    // The mask limits the span as the source does.
    int maskX = int(std::clamp<std::int64_t>(std::int64_t(mx) + span.destination.left - destination.left,
                                             -kPixelSaturation, kPixelSaturation));
    int maskY = int(std::clamp<std::int64_t>(std::int64_t(my) + span.destination.top - destination.top,
                                             -kPixelSaturation, kPixelSaturation));
    if (!clipWithSource(span.destination, span.destination, maskX, maskY, maskRect.right, maskRect.bottom,
                        maskSpan))
        return;
    const PixelRect& d = maskSpan.destination;
    const int count = d.width();
    for (int y = d.top; y < d.bottom; ++y) {
        const std::uint32_t* from =
            source + std::size_t(span.sourceY + y - span.destination.top) * std::size_t(sourceRect.right) +
            std::size_t(span.sourceX + d.left - span.destination.left);
        const std::uint32_t* by = maskPixels +
                                  std::size_t(maskSpan.sourceY + y - d.top) * std::size_t(maskRect.right) +
                                  std::size_t(maskSpan.sourceX);
        FastPixelRows::blendMasked(row(y) + d.left, from, by, count, alpha);
    }
    pixelsChanged(d);
}

void Bitmap::fillRect(const Rect& rect, Color color) {
    PixelRect area;
    if (pixels_ == nullptr || !toPixelRect(rect, getScale(), area)) return;
    area = clipTo(area, getPixelRect());
    if (area.isEmpty() || color.a == 0) return;
    const std::uint32_t colour = pixel::premultiply(color);
    for (int y = area.top; y < area.bottom; ++y)
        FastPixelRows::fill(row(y) + area.left, colour, area.width());
    pixelsChanged(area);
}

Color Bitmap::getPixel(const Point& point) {
    int x = 0, y = 0;
    float scale = getScale();
    if (!toPixel(point.x, scale, x) || !toPixel(point.y, scale, y)) return Color(0, 0, 0, 0);
    return pixelAt(x, y);
}

void Bitmap::setPixel(const Point& point, Color color) {
    int x = 0, y = 0;
    float scale = getScale();
    if (pixels_ == nullptr || !toPixel(point.x, scale, x) || !toPixel(point.y, scale, y) || x < 0 || y < 0 ||
        x >= pixelWidth_ || y >= pixelHeight_)
        return;
    std::uint32_t& target = row(y)[x];
    target = pixel::sourceOver(target, pixel::premultiply(color));
    pixelsChanged({x, y, x + 1, y + 1});
}

void Bitmap::fillGradient(const IGradient& gradient, const Rect& rect, Direction direction, float start,
                          float end, int alpha) {
    alpha = clampByte(alpha);
    PixelRect area;
    const float scale = getScale();
    if (pixels_ == nullptr || alpha == 0 || std::isnan(start) || std::isnan(end) ||
        !toPixelRect(rect, scale, area))
        return;
    const bool vertical = isVertical(direction);
    const double low = vertical ? rect.top : rect.left;
    const double high = vertical ? rect.bottom : rect.right;
    if (!(high - low > 0.0)) return;
    PixelRect clipped = clipTo(area, getPixelRect());
    if (clipped.isEmpty()) return;
    // Positions at the pixel centres: pixel p covers logical [(p - 0.7) / s, (p + 0.3) / s).
    const double from = isReversed(direction) ? end : start;
    const double to = isReversed(direction) ? start : end;
    auto colourAt = [&](int p) {
        double centre = (double(p) - 0.2) / scale;
        double position = from + (to - from) * (centre - low) / (high - low);
        return scaledColour(gradient.floatColourAt(float(position)), alpha);
    };
    if (vertical) {
        for (int y = clipped.top; y < clipped.bottom; ++y)
            FastPixelRows::fill(row(y) + clipped.left, colourAt(y), clipped.width());
    } else {
        for (int x = clipped.left; x < clipped.right; ++x) {
            std::uint32_t colour = colourAt(x);
            for (int y = clipped.top; y < clipped.bottom; ++y)
                FastPixelRows::fill(row(y) + x, colour, 1);
        }
    }
    pixelsChanged(clipped);
}

} // namespace gui
