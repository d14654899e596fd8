// Lines, level fills and the gradient runs they share, of gui::Bitmap.
// Coordinates are converted once and saturated (gui/PixelCoordinates.h);
// every loop runs over the clipped pixel rect only.

#include "gui/Bitmap.h"

#include "gui/Curve.h"
#include "gui/PixelArithmetic.h"
#include "gui/PixelCoordinates.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

// A colour with every byte and its alpha scaled by w / 255 (unchanged at 255).
std::uint32_t scaledBy(std::uint32_t colour, std::uint32_t w) {
    if (w >= 255) return colour;
    return pixel::make(pixel::multiply255(pixel::byteAt(colour, 0), w),
                       pixel::multiply255(pixel::byteAt(colour, 1), w),
                       pixel::multiply255(pixel::byteAt(colour, 2), w),
                       255 - pixel::multiply255(255 - pixel::byteAt(colour, 3), w));
}

// Coverage of pixel row p by a ramp from start to end (0 above it, 1 below).
double rampCoverage(double start, double end, double slope, std::int64_t p) {
    double firstRow = std::floor(start), lastRow = std::floor(end);
    double row = double(p);
    if (row < firstRow) return 0.0;
    if (row > lastRow) return 1.0;
    if (firstRow == lastRow) return firstRow + 1.0 - (start + end) / 2.0;
    if (row == firstRow) return (firstRow + 1.0 - start) * (firstRow + 1.0 - start) * slope / 2.0;
    if (row == lastRow) return 1.0 - (end - lastRow) * (end - lastRow) * slope / 2.0;
    return ((firstRow + 1.0) - start + 0.5) * slope + (row - firstRow - 1.0) * slope;
}

} // namespace

void Bitmap::fillRun(std::uint32_t* pixel, int step, int count, std::uint32_t c0, std::uint32_t c1, int p0,
                     int p1, int first) {
    if (count <= 0) return;
    if (pixel::byteAt(c0, 3) == 255 && pixel::byteAt(c1, 3) == 255 && (c0 & 0xFFFFFFu) == 0 &&
        (c1 & 0xFFFFFFu) == 0)
        return;
    if (c0 == c1) {
        for (int i = 0; i < count; ++i, pixel += step)
            *pixel = pixel::byteAt(c0, 3) == 0 ? c0 : pixel::sourceOver(*pixel, c0);
        return;
    }
    const std::int64_t stepSize = 0xFF0000 / std::max<std::int64_t>(std::int64_t(p1) - p0, 1);
    std::int64_t acc = (std::int64_t(first) - p0) * stepSize;
    for (int i = 0; i < count; ++i, pixel += step, acc += stepSize) {
        std::int64_t weight = std::clamp<std::int64_t>((acc >> 16) + (acc >> 23), 0, 256);
        std::uint32_t mixed = 0;
        for (int b = 0; b < 4; ++b)
            mixed |=
                std::uint32_t((pixel::byteAt(c0, b) * (256 - weight) + pixel::byteAt(c1, b) * weight) >> 8)
                << (8 * b);
        *pixel = pixel::sourceOver(*pixel, mixed);
    }
}

void Bitmap::drawLine(const Rect& bounds, const Point& from, const Point& to, Color color, float width) {
    PixelRect limits;
    const double scale = getScale();
    if (pixels_ == nullptr || color.a == 0 || !toPixelRect(bounds, getScale(), limits)) return;
    limits = clipTo(limits, getPixelRect());
    if (limits.isEmpty()) return;
    double x0 = double(from.x) * scale, y0 = double(from.y) * scale;
    double x1 = double(to.x) * scale, y1 = double(to.y) * scale;
    double w = double(width);
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1) ||
        !std::isfinite(w))
        return;
    const bool yMajor = std::fabs(y1 - y0) > std::fabs(x1 - x0);
    double major0 = yMajor ? y0 : x0, minor0 = yMajor ? x0 : y0;
    double major1 = yMajor ? y1 : x1, minor1 = yMajor ? x1 : y1;
    if (std::fabs(major1 - major0) < 0.01) return;
    const double k = (minor1 - minor0) / (major1 - major0);
    if (major1 < major0) {
        std::swap(major0, major1);
        std::swap(minor0, minor1);
        major0 += 1.0;
        major1 += 1.0;
        minor0 += k;
        minor1 += k;
    }
    const double half = std::sqrt(k * k + 1.0) * w * 0.5 * scale + std::fabs(k) / 2.0;
    const double slope = k == 0.0 ? 1.0 : 1.0 / std::fabs(k);
    const int majorLow = yMajor ? limits.top : limits.left, majorHigh = yMajor ? limits.bottom : limits.right;
    const int minorLow = yMajor ? limits.left : limits.top, minorHigh = yMajor ? limits.right : limits.bottom;
    const double firstMajor = std::floor(major0), lastMajor = std::floor(major1);
    const std::int64_t mStart =
        std::max<std::int64_t>(std::int64_t(std::max(firstMajor, -kPixelSaturation)), majorLow);
    const std::int64_t mEnd =
        std::min<std::int64_t>(std::int64_t(std::min(lastMajor, kPixelSaturation)) + 1, majorHigh);
    const std::uint32_t colour = pixel::premultiply(color);
    for (std::int64_t m = mStart; m < mEnd; ++m) {
        double c = (double(m) - major0) * k + minor0 + 0.5;
        double majorWeight = 255.0;
        if (double(m) == firstMajor)
            majorWeight = (firstMajor + 1.0 - major0) * 255.0;
        else if (double(m) == lastMajor)
            majorWeight = (major1 - lastMajor) * 255.0;
        const double upperStart = c - half, upperEnd = c - half + std::fabs(k);
        const double lowerStart = c + half - std::fabs(k), lowerEnd = c + half;
        double pFirst = std::max(std::floor(c - half), double(minorLow));
        double pLast = std::min(std::floor(c + half), double(minorHigh - 1));
        if (!(pFirst <= pLast)) continue;
        for (std::int64_t p = std::int64_t(pFirst); p <= std::int64_t(pLast); ++p) {
            double t = rampCoverage(upperStart, upperEnd, slope, p);
            double b = rampCoverage(lowerStart, lowerEnd, slope, p);
            int coverage = std::clamp(int((t - b * t) * majorWeight), 0, 255);
            if (coverage == 0) continue;
            std::uint32_t& target = yMajor ? row(int(m))[p] : row(int(p))[m];
            target = pixel::sourceOver(target, scaledBy(colour, std::uint32_t(coverage)));
        }
    }
    pixelsChanged(limits);
}

void Bitmap::drawColorized(int mode, const ICurve& curve, const Rect& clipRect, const Rect& destRect,
                           const Point& offset, Color colorA, Color colorB, float parameter) {
    const float scale = getScale();
    PixelRect clip, dest;
    int x0 = 0;
    if (pixels_ == nullptr || std::isnan(parameter) || !toPixelRect(clipRect, scale, clip) ||
        !toPixelRect(destRect, scale, dest) || !toPixel(clipRect.left - offset.x, scale, x0))
        return;
    clip = clipTo(clip, getPixelRect());
    if (clip.isEmpty()) return;
    const int top = dest.top, bottom = dest.bottom;
    const int mid = int((std::int64_t(top) + bottom) / 2);
    const std::uint32_t a = pixel::premultiply(colorA), b = pixel::premultiply(colorB);
    // A run over [first, last) of one column, clipped to the clip's rows.
    auto run = [&](int x, int first, int last, std::uint32_t c0, std::uint32_t c1, int p0, int p1) {
        int from = std::max(first, clip.top), to = std::min(last, clip.bottom);
        if (from >= to) return;
        fillRun(row(from) + x, pixelWidth_, to - from, c0, c1, p0, p1, from);
    };
    bool drawn = false;
    for (int x = clip.left; x < clip.right; ++x) {
        float value = curve.valueAt(float(double(x - x0) / scale));
        if (!(value > 0.0f)) continue; // NaN and values at or below 0 draw nothing
        const float v = std::min(value, 1.0f);
        const std::uint32_t w = std::uint32_t(v * 255.0f);
        if (w == 0) continue;
        drawn = true;
        const std::uint32_t scaledA = scaledBy(a, w);
        if (mode == kColorizeBand) {
            int e = 0;
            if (!saturatedInt(std::trunc(((1.0 - parameter) * v + parameter) * (double(mid) - top)), e))
                continue;
            run(x, mid - e, mid, b, scaledA, mid - e, mid);
            run(x, mid, mid + e, scaledA, b, mid, mid + e);
        } else {
            run(x, top, bottom, scaledA, scaledBy(b, w), top, bottom);
        }
    }
    if (drawn) pixelsChanged(clip);
}

} // namespace gui
