// Curves drawn into a gui::Bitmap: each pixel column of the clip is built
// from top to bottom (the fill above, each layer's line with its soft
// ramps, the fills between and below) as source colours, faded by the fade
// gradient, and blended over the bitmap. Orientation 1 exchanges x and y:
// the "columns" are then rows of the bitmap.

#include "gui/Bitmap.h"

#include "gui/CurveSampler.h"
#include "gui/CurveStyle.h"
#include "gui/PixelArithmetic.h"
#include "gui/PixelCoordinates.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace gui {

namespace {

std::uint32_t styleColour(Color c, int alpha) {
    return pixel::premultiply(c.withAlpha(std::uint8_t(pixel::multiply255(c.a, std::uint32_t(alpha)))));
}

std::uint32_t floatColour(FloatColor f, int alpha) {
    auto byte = [](float v) { return std::uint8_t(!(v >= 0.0f) ? 0 : int(std::min(v, 255.0f) + 0.5f)); };
    return styleColour(Color(byte(f.r), byte(f.g), byte(f.b), byte(f.a)), alpha);
}

// Coverage of row p by a ramp from start to end (0 above its first row, 1 below its last).
double rampCoverage(double start, double end, double slope, std::int64_t p) {
    const double firstRow = std::floor(start), lastRow = std::floor(end), row = double(p);
    if (row < firstRow) return 0.0;
    if (row > lastRow) return 1.0;
    if (firstRow == lastRow) return std::clamp(firstRow + 1.0 - (start + end) / 2.0, 0.0, 1.0);
    if (row == firstRow)
        return std::clamp((firstRow + 1.0 - start) * (firstRow + 1.0 - start) * slope / 2.0, 0.0, 1.0);
    if (row == lastRow) return std::clamp(1.0 - (end - lastRow) * (end - lastRow) * slope / 2.0, 0.0, 1.0);
    return std::clamp(((firstRow + 1.0) - start + 0.5) * slope + (row - firstRow - 1.0) * slope, 0.0, 1.0);
}

// A gradient run into a column of source colours (not blended): positions
// [first, last) of the column whose row 0 is `origin`.
void runInto(std::uint32_t* column, int origin, int rows, std::int64_t first, std::int64_t last,
             std::uint32_t c0, std::uint32_t c1, std::int64_t p0, std::int64_t p1) {
    first = std::max<std::int64_t>(first, origin);
    last = std::min<std::int64_t>(last, std::int64_t(origin) + rows);
    if (first >= last) return;
    if (pixel::byteAt(c0, 3) == 255 && pixel::byteAt(c1, 3) == 255 && (c0 & 0xFFFFFFu) == 0 &&
        (c1 & 0xFFFFFFu) == 0)
        return;
    const std::int64_t step = 0xFF0000 / std::max<std::int64_t>(p1 - p0, 1);
    std::int64_t acc = (first - p0) * step;
    for (std::int64_t p = first; p < last; ++p, acc += step) {
        std::uint32_t& out = column[std::size_t(p - origin)];
        if (c0 == c1) {
            out = c0;
            continue;
        }
        std::int64_t weight = std::clamp<std::int64_t>((acc >> 16) + (acc >> 23), 0, 256);
        std::uint32_t mixed = 0;
        for (int b = 0; b < 4; ++b)
            mixed |=
                std::uint32_t((pixel::byteAt(c0, b) * (256 - weight) + pixel::byteAt(c1, b) * weight) >> 8)
                << (8 * b);
        out = mixed;
    }
}

struct LayerColumn {
    std::uint32_t justAbove, line, justBelow;
    double topStart, topEnd, topSlope = 1.0;
    double bottomStart, bottomEnd, bottomSlope = 1.0;
    std::int64_t firstRow, lastRow;
    bool topSlopeSet = false, bottomSlopeSet = false;
};

} // namespace

void Bitmap::drawCurve(const CurveStyle& style, const Rect& clipRect, const Rect& destRect,
                       const Point& offset, Orientation orientation, int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    const bool swapped = orientation == Orientation::kVertical;
    auto across = [swapped](const Rect& r) { return swapped ? Rect(r.top, r.left, r.bottom, r.right) : r; };
    const Rect clipArea = across(clipRect), destArea = across(destRect);
    const Point origin = swapped ? Point(offset.y, offset.x) : offset;
    const float scale = getScale();
    PixelRect clip, dest;
    int x0 = 0, y0 = 0;
    if (pixels_ == nullptr || alpha == 0 || !toPixelRect(clipArea, scale, clip) ||
        !toPixelRect(destArea, scale, dest) || !toPixel(clipArea.left - origin.x, scale, x0) ||
        !toPixel(clipArea.top - origin.y, scale, y0))
        return;
    const PixelRect bounds = swapped ? PixelRect(0, 0, pixelHeight_, pixelWidth_) : getPixelRect();
    clip = clipTo(clip, bounds);
    if (clip.isEmpty()) return;
    const int layerCount = std::clamp(style.layerCount, 0, 2);
    for (int i = 0; i < layerCount; ++i)
        if (style.layers[i].curve == nullptr) return;

    const std::int64_t top = dest.top, bottom = dest.bottom;
    const double span = double(std::max<std::int64_t>(bottom - top, 1));
    const std::uint32_t above = styleColour(style.colorAbove, alpha),
                        below = styleColour(style.colorBelow, alpha);
    CurveSampler samplers[2];
    LayerColumn layers[2];
    for (int i = 0; i < layerCount; ++i) {
        const CurveStyle::Layer& l = style.layers[i];
        samplers[i].start(scale, *l.curve, l.lineWidth, l.softWidth, clip.left - x0, float(y0) + 0.5f,
                          float(bottom));
        layers[i].justAbove = styleColour(l.colorJustAbove, alpha);
        layers[i].justBelow = styleColour(l.colorJustBelow, alpha);
        layers[i].line = styleColour(l.lineColor, alpha);
    }
    const int rows = clip.height();
    curveColumn_.resize(std::size_t(rows));
    std::uint32_t* column = curveColumn_.data();

    for (int x = clip.left; x < clip.right; ++x) {
        for (int i = 0; i < layerCount; ++i) {
            const CurveSampler::Extent e = samplers[i].advance(x - x0);
            const double y = samplers[i].centre();
            const double h = samplers[i].lineWidth(), g = samplers[i].softWidth();
            const double up = e.up, down = e.down;
            const double au = std::sqrt(1.0 + up * up), ad = std::sqrt(1.0 + down * down);
            const double coreTop = y - (h * au + up) / 2.0, coreBottom = y + (h * ad + down) / 2.0;
            LayerColumn& lc = layers[i];
            if (style.layers[i].lineGradient != nullptr)
                lc.line = floatColour(
                    style.layers[i].lineGradient->floatColourAt(float((y - double(top)) / span)), alpha);
            lc.topStart = coreTop - (g / 2.0) * au;
            lc.topEnd = coreTop + up;
            if (up > 0.0 || !lc.topSlopeSet) {
                double width = (g / 2.0) * au + up;
                lc.topSlope = width > 0.0 ? 1.0 / width : 1.0;
                lc.topSlopeSet = true;
            }
            lc.bottomStart = std::max(coreBottom - down, coreTop);
            lc.bottomEnd = coreBottom + (g / 2.0) * ad;
            if (down > 0.0 || !lc.bottomSlopeSet) {
                double width = (g / 2.0) * ad + down;
                lc.bottomSlope = width > 0.0 ? 1.0 / width : 1.0;
                lc.bottomSlopeSet = true;
            }
            lc.firstRow = std::int64_t(std::clamp(std::floor(lc.topStart), -4194304.0, 4194304.0));
            lc.lastRow = std::int64_t(std::clamp(std::floor(lc.bottomEnd), -4194304.0, 4194304.0));
        }

        // The column as source colours, from the clip's top down.
        std::fill(column, column + rows, pixel::kTransparent);
        if (layerCount == 0) {
            runInto(column, clip.top, rows, clip.top, clip.bottom, above, below, top, bottom);
        } else {
            std::int64_t at = clip.top;
            runInto(column, clip.top, rows, at, layers[0].firstRow, above, layers[0].justAbove, top, bottom);
            at = std::max<std::int64_t>(at, layers[0].firstRow);
            for (int current = 0; current < layerCount; ++current) {
                const LayerColumn& lc = layers[current];
                const std::int64_t end = std::min<std::int64_t>(lc.lastRow + 1, clip.bottom);
                for (std::int64_t r = std::max<std::int64_t>(at, clip.top); r < end; ++r) {
                    std::int64_t fadeWeight =
                        std::clamp<std::int64_t>((r - top) * 255 / std::int64_t(span), 0, 255);
                    std::uint32_t running = pixel::crossFade(above, lc.justAbove, std::uint32_t(fadeWeight));
                    const double q = std::clamp((double(r) - double(top)) / span, 0.0, 1.0);
                    for (int k = current; k < layerCount; ++k) {
                        const LayerColumn& mix = layers[k];
                        if (r < mix.firstRow || r > mix.lastRow) continue;
                        double t = rampCoverage(mix.topStart, mix.topEnd, mix.topSlope, r);
                        double b = rampCoverage(mix.bottomStart, mix.bottomEnd, mix.bottomSlope, r);
                        double c = t * (1.0 - b), cBoosted = c, bShare = b;
                        if (c < 1.0) {
                            cBoosted = (1.0 - (1.0 - c) * (1.0 - c)) * 0.3 + c * 0.7;
                            bShare = ((1.0 - cBoosted) / (1.0 - c)) * b;
                        }
                        std::int64_t wLine = std::int64_t(cBoosted * 256.0);
                        std::int64_t wJustBelow = std::int64_t((1.0 - q) * bShare * 256.0);
                        std::int64_t wBelow = std::int64_t(q * bShare * 256.0);
                        std::int64_t wRunning = std::max<std::int64_t>(0, 256 - wLine - wJustBelow - wBelow);
                        std::uint32_t mixed = 0;
                        for (int byte = 0; byte < 4; ++byte) {
                            std::int64_t sum = pixel::byteAt(mix.line, byte) * wLine +
                                               pixel::byteAt(mix.justBelow, byte) * wJustBelow +
                                               pixel::byteAt(below, byte) * wBelow +
                                               pixel::byteAt(running, byte) * wRunning;
                            mixed |= std::uint32_t(std::min<std::int64_t>(sum >> 8, 255)) << (8 * byte);
                        }
                        running = mixed;
                    }
                    column[std::size_t(r - clip.top)] = running;
                }
                at = std::max(at, lc.lastRow + 1);
                if (current + 1 < layerCount) {
                    const LayerColumn& next = layers[current + 1];
                    runInto(column, clip.top, rows, at, next.firstRow, lc.justBelow, next.justAbove,
                            lc.lastRow, next.firstRow);
                    at = std::max(at, next.firstRow);
                } else {
                    runInto(column, clip.top, rows, at, clip.bottom, lc.justBelow, below, top, bottom);
                }
            }
        }

        // The fade along the curve's axis, then over the bitmap.
        std::uint32_t fade = 255;
        if (style.fadeGradient != nullptr) {
            double at = (double(x) - dest.left) / double(std::max(dest.width(), 1));
            float a = style.fadeGradient->floatColourAt(float(at)).a;
            fade = !(a >= 0.0f) ? 0u : std::uint32_t(std::min(a, 255.0f));
        }
        for (int r = 0; r < rows; ++r) {
            std::uint32_t c = column[r];
            if (fade < 255) c = pixel::withOpacity(c, fade);
            std::uint32_t& target = swapped ? row(x)[clip.top + r] : row(clip.top + r)[x];
            target = pixel::sourceOver(target, c);
        }
    }
    pixelsChanged(swapped ? PixelRect(clip.top, clip.left, clip.bottom, clip.right) : clip);
}

} // namespace gui
