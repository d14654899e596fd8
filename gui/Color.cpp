#include "gui/Color.h"

#include <algorithm>

namespace gui {

HslColor toHsl(Color color) {
    const float r = color.r;
    const float g = color.g;
    const float b = color.b;
    const float max = std::max({r, g, b});
    const float min = std::min({r, g, b});
    HslColor hsl;
    hsl.a = color.a;
    hsl.l = (max + min) / 2.0f;
    if (hsl.l == 0.0f || max == min) return hsl;
    const float range = max - min;
    float hue;
    if (r == max)
        hue = 60.0f * (g - b) / range;
    else if (g == max)
        hue = 60.0f * (b - r) / range + 120.0f;
    else
        hue = 60.0f * (r - g) / range + 240.0f;
    if (hue < 0.0f) hue += 360.0f;
    if (hue >= 360.0f) hue = 0.0f;
    hsl.h = hue;
    hsl.s = hsl.l <= 127.5f ? 255.0f * range / (max + min) : 255.0f * range / (510.0f - max - min);
    return hsl;
}

} // namespace gui
