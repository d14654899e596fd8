// The bitmap-to-bitmap operations of gui::Bitmap: this bitmap is the
// destination and takes its size from the source (or from the rect asked
// for). Pixels a source does not have read as transparent (0xFF000000).

#include "gui/Bitmap.h"

#include "gui/BitmapResampler.h"
#include "gui/BlendTables.h"
#include "gui/PixelArithmetic.h"
#include "gui/PixelCoordinates.h"
#include "gui/PixelRows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace gui {

namespace {

// 16 response curves of glyph coverage, chosen by the text colour's brightness:
// curve k has the exponent 0.45^(k / 15).
using TextCurves = std::array<std::array<std::uint8_t, 256>, 16>;

const TextCurves& textCurves() {
    static const TextCurves curves = [] {
        TextCurves made{};
        for (int k = 0; k < 16; ++k) {
            double exponent = std::pow(0.45, k / 15.0);
            for (int v = 0; v < 256; ++v)
                made[std::size_t(k)][std::size_t(v)] =
                    std::uint8_t(std::lround(std::pow(v / 255.0, exponent) * 255.0));
        }
        return made;
    }();
    return curves;
}

std::uint32_t sampleOf(const Bitmap& bitmap, std::int64_t x, std::int64_t y) {
    const std::uint32_t* pixels = bitmap.getPixels();
    if (pixels == nullptr || x < 0 || y < 0 || x >= bitmap.pixelWidth() || y >= bitmap.pixelHeight())
        return pixel::kTransparent;
    return pixels[std::size_t(y) * std::size_t(bitmap.pixelWidth()) + std::size_t(x)];
}

// Half away from zero.
int roundHalfAway(double v) {
    return int(v < 0.0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5));
}

Color fromHsl(double hue, double s, double l, std::uint8_t alpha) {
    if (!std::isfinite(hue) || !std::isfinite(s) || !std::isfinite(l)) return Color(0, 0, 0, alpha);
    double q = l > 127.5 ? l + s - l * s / 255.0 : (s + 255.0) * l / 255.0;
    int qi = roundHalfAway(q);
    if (qi <= 0) return Color(0, 0, 0, alpha);
    int p = roundHalfAway(2.0 * l - qi);
    double h = hue / 60.0;
    int sector = std::clamp(int(h), 0, 5);
    int f = int((h - sector) * (qi - p));
    auto byte = [](int v) { return std::uint8_t(std::clamp(v, 0, 255)); };
    switch (sector) {
    case 0:
        return Color(byte(qi), byte(p + f), byte(p), alpha);
    case 1:
        return Color(byte(qi - f), byte(qi), byte(p), alpha);
    case 2:
        return Color(byte(p), byte(qi), byte(p + f), alpha);
    case 3:
        return Color(byte(p), byte(qi - f), byte(qi), alpha);
    case 4:
        return Color(byte(p + f), byte(p), byte(qi), alpha);
    default:
        return Color(byte(qi), byte(p), byte(qi - f), alpha);
    }
}

Color unpremultipliedExact(std::uint32_t p) {
    std::uint32_t a = 255 - pixel::byteAt(p, 3);
    std::uint32_t b = pixel::byteAt(p, 0), g = pixel::byteAt(p, 1), r = pixel::byteAt(p, 2);
    if (a >= 1 && a <= 254) {
        b = std::min<std::uint32_t>(255, b * 255 / a);
        g = std::min<std::uint32_t>(255, g * 255 / a);
        r = std::min<std::uint32_t>(255, r * 255 / a);
    }
    return Color(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b), std::uint8_t(a));
}

Color recolour(Color c, Color colorA, int mode, Color colorB) {
    if (mode == Bitmap::kRecolorMultiply)
        return Color(
            std::uint8_t(pixel::multiply255(c.r, colorA.r)), std::uint8_t(pixel::multiply255(c.g, colorA.g)),
            std::uint8_t(pixel::multiply255(c.b, colorA.b)), std::uint8_t(pixel::multiply255(c.a, colorA.a)));
    HslColor hsl = toHsl(c);
    HslColor a = toHsl(colorA);
    float s = hsl.s, l = hsl.l;
    if (mode == Bitmap::kRecolorRemap) {
        HslColor b = toHsl(colorB);
        auto remap = [](float v, float av, float bv) {
            if (v > bv || bv <= 0.0f) return (v - bv) * (255.0f - av) / (255.0f - bv) + av;
            return v * av / bv;
        };
        s = remap(s, a.s, b.s);
        l = remap(l, a.l, b.l);
    } else {
        s = std::min(s, a.s);
    }
    return fromHsl(a.h, std::clamp(s, 0.0f, 255.0f), std::clamp(l, 0.0f, 255.0f), c.a);
}

} // namespace

bool Bitmap::prepareCopy(int pw, int ph) {
    resize(pw, ph);
    return pixels_ != nullptr;
}

void Bitmap::composite(const Bitmap& a, const Bitmap& b, int weight, const Rect& clipRect) {
    if (&a == this || &b == this) return;
    weight = std::clamp(weight, 0, 255);
    setSizeLike(a);
    if (pixels_ == nullptr || a.pixels_ == nullptr) return;
    PixelRect area = getPixelRect();
    if (!clipRect.isEmpty()) {
        PixelRect clip;
        if (!toPixelRect(clipRect, getScale(), clip)) return;
        area = clipTo(area, clip);
        if (area.isEmpty()) return;
    }
    const int overlapRight = std::clamp(std::min(area.right, b.pixelWidth_), area.left, area.right);
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint32_t* p = a.pixels_ + std::size_t(y) * std::size_t(a.pixelWidth_);
        std::uint32_t* out = row(y);
        int x = area.left;
        if (y < b.pixelHeight_ && b.pixels_ != nullptr) {
            const std::uint32_t* q = b.pixels_ + std::size_t(y) * std::size_t(b.pixelWidth_);
            FastPixelRows::crossFade(out + x, p + x, q + x, overlapRight - x, weight);
            x = overlapRight;
        }
        for (; x < area.right; ++x)
            out[x] = pixel::crossFade(p[x], pixel::kTransparent, std::uint32_t(weight));
    }
    transparent.setValue(a.transparent.getValue() || b.transparent.getValue() || area != getPixelRect());
    pixelsChanged(area);
}

void Bitmap::colorizeGlyphCoverage(Color color) {
    if (pixels_ == nullptr) return;
    const auto& curve = textCurves()[std::size_t((color.r + color.g + color.b) / 48)];
    const std::uint32_t full = pixel::premultiply(color);
    const std::size_t count = std::size_t(pixelWidth_) * std::size_t(pixelHeight_);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t c = curve[255 - pixel::byteAt(pixels_[i], 0)];
        if (c == 255) {
            pixels_[i] = full;
            continue;
        }
        pixels_[i] = pixel::make(
            pixel::multiply255(pixel::byteAt(full, 0), c), pixel::multiply255(pixel::byteAt(full, 1), c),
            pixel::multiply255(pixel::byteAt(full, 2), c), 255 - pixel::multiply255(color.a, c));
    }
    transparent.setValue(true);
    pixelsChanged(getPixelRect());
}

void Bitmap::copyRecolored(const Bitmap& source, Color colorA, int mode, Color colorB) {
    if (&source == this) return;
    Hold hold(*this);
    setSizeLike(source);
    transparent.setValue(source.transparent.getValue());
    if (pixels_ != nullptr)
        for (int y = 0; y < pixelHeight_; ++y)
            for (int x = 0; x < pixelWidth_; ++x)
                row(y)[x] = pixel::premultiply(
                    recolour(unpremultipliedExact(sampleOf(source, x, y)), colorA, mode, colorB));
    requestUpdate();
}

void Bitmap::copyMirrored(const Bitmap& source, int flags) {
    if (&source == this) return;
    Hold hold(*this);
    setSizeLike(source);
    transparent.setValue(source.transparent.getValue());
    if (pixels_ != nullptr)
        for (int y = 0; y < pixelHeight_; ++y)
            for (int x = 0; x < pixelWidth_; ++x)
                row(y)[x] = sampleOf(source, (flags & 1) ? pixelWidth_ - 1 - x : x,
                                     (flags & 2) ? pixelHeight_ - 1 - y : y);
    requestUpdate();
}

void Bitmap::copyRectWithOpacity(const Bitmap& source, const Rect& rect, int opacity) {
    if (&source == this) return;
    opacity = std::clamp(opacity, 0, 255);
    PixelRect area;
    if (!toPixelRect(rect, getScale(), area)) return;
    Hold hold(*this);
    std::int64_t w = std::int64_t(area.right) - area.left, h = std::int64_t(area.bottom) - area.top;
    if (!prepareCopy(int(std::clamp<std::int64_t>(w, 0, kMaxSide + 1)),
                     int(std::clamp<std::int64_t>(h, 0, kMaxSide + 1))))
        return;
    setLogicalSize(rect.width(), rect.height());
    for (int y = 0; y < pixelHeight_; ++y) {
        std::int64_t sy = std::int64_t(area.top) + y;
        std::uint32_t* out = row(y);
        int x = 0;
        // The part of the row inside the source goes through the row kernel.
        std::int64_t first = std::clamp<std::int64_t>(-std::int64_t(area.left), 0, pixelWidth_);
        std::int64_t last =
            std::clamp<std::int64_t>(std::int64_t(source.pixelWidth_) - area.left, first, pixelWidth_);
        if (sy >= 0 && sy < source.pixelHeight_ && source.pixels_ != nullptr && last > first) {
            for (; x < first; ++x)
                out[x] = pixel::withOpacity(pixel::kTransparent, std::uint32_t(opacity));
            const std::uint32_t* from = source.pixels_ + std::size_t(sy) * std::size_t(source.pixelWidth_) +
                                        std::size_t(area.left + first);
            FastPixelRows::copyWithOpacity(out + first, from, int(last - first), opacity);
            x = int(last);
        }
        for (; x < pixelWidth_; ++x)
            out[x] = pixel::withOpacity(pixel::kTransparent, std::uint32_t(opacity));
    }
    transparent.setValue(source.transparent.getValue() || opacity < 255);
    requestUpdate();
}

void Bitmap::copyScaled(const Bitmap& source, const Rect& sourceRect, const Rect& destRect) {
    if (&source == this) return;
    const float scale = getScale();
    PixelRect from, to;
    if (!toPixelRect(sourceRect, scale, from) || !toPixelRect(destRect, scale, to)) return;
    std::int64_t sw = std::int64_t(from.right) - from.left, sh = std::int64_t(from.bottom) - from.top;
    std::int64_t dw = std::int64_t(to.right) - to.left, dh = std::int64_t(to.bottom) - to.top;
    Hold hold(*this);
    if (!prepareCopy(int(std::clamp<std::int64_t>(dw, 0, kMaxSide + 1)),
                     int(std::clamp<std::int64_t>(dh, 0, kMaxSide + 1))))
        return;
    setLogicalSize(destRect.width(), destRect.height());
    transparent.setValue(true);
    requestUpdate();
    if (sw < 1 || sh < 1 || sw > kMaxSide || sh > kMaxSide || sw * sh > kMaxPixels) return;
    // The source rect as a block of its own; what the source lacks is transparent.
    std::vector<std::uint32_t> block(std::size_t(sw * sh));
    for (std::int64_t y = 0; y < sh; ++y)
        for (std::int64_t x = 0; x < sw; ++x)
            block[std::size_t(y * sw + x)] = sampleOf(source, from.left + x, from.top + y);
    resample::Block in{block.data(), int(sw), int(sh)};
    resample::Target out{pixels_, pixelWidth_, pixelHeight_};
    if (sw == 2 * std::int64_t(pixelWidth_) && sh == 2 * std::int64_t(pixelHeight_))
        resample::halve(in, out);
    else
        resample::nearest(in, out);
    transparent.setValue(source.transparent.getValue() || !source.getPixelRect().containsRect(from));
}

void Bitmap::drawRotated(const Bitmap& source, float angle) {
    if (&source == this || pixels_ == nullptr) {
        if (pixels_ == nullptr) pixelsChanged(getPixelRect());
        return;
    }
    transparent.setValue(true);
    if (!std::isfinite(angle)) return;
    const double scale = getScale();
    const double c = std::cos(double(angle)), s = std::sin(double(angle));
    const double destCentreX = logicalWidth_ * 0.5 * scale - 0.5,
                 destCentreY = logicalHeight_ * 0.5 * scale - 0.5;
    const double sourceCentreX = source.logicalWidth_ * 0.5 * scale - 0.5;
    const double sourceCentreY = source.logicalHeight_ * 0.5 * scale - 0.5;
    constexpr double kFixedOne = 1024.0; // 10 fractional bits
    for (int y = 0; y < pixelHeight_; ++y) {
        std::uint32_t* out = row(y);
        for (int x = 0; x < pixelWidth_; ++x) {
            double dx = x - destCentreX, dy = y - destCentreY;
            // The inverse rotation about both centres, in fixed point.
            std::int64_t fx = std::llround((c * dx + s * dy + sourceCentreX) * kFixedOne);
            std::int64_t fy = std::llround((-s * dx + c * dy + sourceCentreY) * kFixedOne);
            std::int64_t ix = fx >> 10, iy = fy >> 10;
            const BilinearWeight& w = bilinearWeight(int((fx & 1023) >> 5), int((fy & 1023) >> 5));
            const std::uint32_t samples[4] = {sampleOf(source, ix, iy), sampleOf(source, ix + 1, iy),
                                              sampleOf(source, ix, iy + 1), sampleOf(source, ix + 1, iy + 1)};
            std::uint32_t sums[4] = {};
            for (int k = 0; k < 4; ++k) {
                std::uint32_t weight = w[std::size_t(k)] + (w[std::size_t(k)] >> 7);
                for (int b = 0; b < 4; ++b)
                    sums[b] += pixel::byteAt(samples[k], b) * weight;
            }
            out[x] = pixel::make(
                std::min<std::uint32_t>(255, sums[0] >> 8), std::min<std::uint32_t>(255, sums[1] >> 8),
                std::min<std::uint32_t>(255, sums[2] >> 8), std::min<std::uint32_t>(255, sums[3] >> 8));
        }
    }
    pixelsChanged(getPixelRect());
}

void Bitmap::modifyPixelRect(const Rect& rect, int mode) {
    PixelRect area;
    if (pixels_ == nullptr || !toPixelRect(rect, getScale(), area)) return;
    const std::int64_t wx = std::max<std::int64_t>(std::int64_t(area.right) - area.left - 1, 1);
    const std::int64_t wy = std::max<std::int64_t>(std::int64_t(area.bottom) - area.top - 1, 1);
    PixelRect clipped = clipTo(area, getPixelRect());
    if (clipped.isEmpty()) return;
    for (int y = clipped.top; y < clipped.bottom; ++y) {
        std::uint32_t* out = row(y);
        std::int64_t fy = std::int64_t(y) - area.top;
        for (int x = clipped.left; x < clipped.right; ++x) {
            std::int64_t fx = std::int64_t(x) - area.left;
            std::int64_t f = mode == kRampOutRight     ? 255 - fx * 255 / wx
                             : mode == kRampInFromLeft ? fx * 255 / wx
                             : mode == kRampOutDown    ? 255 - fy * 255 / wy
                                                       : fy * 255 / wy;
            std::uint32_t factor = std::uint32_t(std::clamp<std::int64_t>(f, 0, 255));
            std::uint32_t p = out[x];
            out[x] = pixel::make(pixel::multiply255(pixel::byteAt(p, 0), factor),
                                 pixel::multiply255(pixel::byteAt(p, 1), factor),
                                 pixel::multiply255(pixel::byteAt(p, 2), factor),
                                 255 - pixel::multiply255(255 - pixel::byteAt(p, 3), factor));
        }
    }
    transparent.setValue(true);
    pixelsChanged(clipped);
}

} // namespace gui
