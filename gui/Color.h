#pragma once

// Colours: Color holds r, g, b, a bytes in this order (a = opacity, 255
// opaque, not premultiplied); FloatColor the same channels as floats on the
// 0..255 scale. Also the toolkit's rounded byte product and the conversion to
// hue, saturation and lightness.

#include <cstdint>

namespace gui {

struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;

    constexpr Color() = default;
    constexpr Color(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255)
        : r(r), g(g), b(b), a(a) {}

    constexpr Color withAlpha(std::uint8_t alpha) const { return {r, g, b, alpha}; }
    constexpr bool operator==(const Color& other) const = default;
};

struct FloatColor {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    constexpr bool operator==(const FloatColor& other) const = default;
};

// a × b / 255 for bytes, rounded to nearest: t = a × b + 128, (t + (t >> 8)) >> 8.
constexpr int multiplyBytes(int a, int b) {
    const int t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

// a × b / 255 rounded down: how opacities of nested controls combine.
constexpr int multiplyOpacity(int a, int b) {
    return a * b / 255;
}

// Hue in degrees [0, 360), saturation and lightness on 0..255, alpha as a float.
struct HslColor {
    float h = 0.0f;
    float s = 0.0f;
    float l = 0.0f;
    float a = 0.0f;
};

HslColor toHsl(Color color);

} // namespace gui
