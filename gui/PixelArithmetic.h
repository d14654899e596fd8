#pragma once

// The byte arithmetic every software drawing operation shares, one pixel at
// a time. Pixels are 32-bit values whose bytes in memory are blue, green,
// red and T = 255 - alpha; colours are premultiplied by alpha, and a fully
// transparent pixel is 0xFF000000.
//
//   product of two bytes / 255:   t = a x b + 128, (t + (t >> 8)) >> 8
//   source over destination:      colour = s + d x T_s / 255, T = T_d x T_s / 255
//                                  (sums saturate at 255)
//   opacity o applied to a source: colour x o / 255, T = T x o / 255 + 255 - o
//   cross-fade of p and q by w:   w' = w + (w >> 7), byte = (p (256 - w') + q w') >> 8
//
// The row kernels (gui/PixelRows.h) do the same four pixels at a time and
// use these for the pixels before and after their aligned groups.

#include "gui/Color.h"

#include <algorithm>
#include <cstdint>

namespace gui::pixel {

inline constexpr std::uint32_t kTransparent = 0xFF000000u;

constexpr std::uint32_t multiply255(std::uint32_t a, std::uint32_t b) {
    std::uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

constexpr std::uint32_t byteAt(std::uint32_t pixel, int index) {
    return (pixel >> (8 * index)) & 0xFF;
}

constexpr std::uint32_t make(std::uint32_t b, std::uint32_t g, std::uint32_t r, std::uint32_t t) {
    return b | (g << 8) | (r << 16) | (t << 24);
}

// The stored pixel of a colour: premultiplied, T = 255 - alpha.
constexpr std::uint32_t premultiply(Color color) {
    std::uint32_t a = color.a;
    return make(multiply255(color.b, a), multiply255(color.g, a), multiply255(color.r, a), 255 - a);
}

// The colour of a stored pixel: each colour x 255 / alpha (integer division)
// when 0 < alpha < 255, else as stored.
constexpr Color unpremultiply(std::uint32_t pixel) {
    std::uint32_t a = 255 - byteAt(pixel, 3);
    std::uint32_t b = byteAt(pixel, 0), g = byteAt(pixel, 1), r = byteAt(pixel, 2);
    if (a > 0 && a < 255) {
        b = std::min<std::uint32_t>(255, b * 255 / a);
        g = std::min<std::uint32_t>(255, g * 255 / a);
        r = std::min<std::uint32_t>(255, r * 255 / a);
    }
    return Color{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b), std::uint8_t(a)};
}

constexpr std::uint32_t sourceOver(std::uint32_t destination, std::uint32_t source) {
    std::uint32_t ts = byteAt(source, 3);
    std::uint32_t out = 0;
    for (int i = 0; i < 3; ++i)
        out |= std::min<std::uint32_t>(255, byteAt(source, i) + multiply255(byteAt(destination, i), ts))
               << (8 * i);
    return out | multiply255(byteAt(destination, 3), ts) << 24;
}

constexpr std::uint32_t withOpacity(std::uint32_t source, std::uint32_t opacity) {
    return make(multiply255(byteAt(source, 0), opacity), multiply255(byteAt(source, 1), opacity),
                multiply255(byteAt(source, 2), opacity),
                multiply255(byteAt(source, 3), opacity) + 255 - opacity);
}

constexpr std::uint32_t crossFade(std::uint32_t p, std::uint32_t q, std::uint32_t weight) {
    std::uint32_t w = weight + (weight >> 7);
    std::uint32_t out = 0;
    for (int i = 0; i < 4; ++i)
        out |= ((byteAt(p, i) * (256 - w) + byteAt(q, i) * w) >> 8) << (8 * i);
    return out;
}

} // namespace gui::pixel
