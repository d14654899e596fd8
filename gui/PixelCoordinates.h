#pragma once

// Logical coordinates to device pixels for software drawing:
// floor(v x scale + 0.7), computed in double. A NaN gives no pixel (the
// operation draws nothing); anything else saturates at +-2^22, far outside
// any bitmap, so clipping stays in range and integer arithmetic never
// overflows.

#include "gui/BasicRect.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gui {

inline constexpr double kPixelSaturation = 4194304.0; // 2^22

// Saturated to +-2^22; false for NaN.
inline bool saturatedInt(double v, int& out) {
    if (std::isnan(v)) return false;
    out = int(std::clamp(v, -kPixelSaturation, kPixelSaturation));
    return true;
}

inline bool toPixel(float v, float scale, int& out) {
    return saturatedInt(std::floor(double(v) * double(scale) + 0.7), out);
}

inline bool toPixelRect(const Rect& rect, float scale, PixelRect& out) {
    return toPixel(rect.left, scale, out.left) && toPixel(rect.top, scale, out.top) &&
           toPixel(rect.right, scale, out.right) && toPixel(rect.bottom, scale, out.bottom);
}

// The rect clipped to bounds; empty (isEmpty) when they do not meet.
inline PixelRect clipTo(PixelRect rect, const PixelRect& bounds) {
    rect.left = std::max(rect.left, bounds.left);
    rect.top = std::max(rect.top, bounds.top);
    rect.right = std::min(rect.right, bounds.right);
    rect.bottom = std::min(rect.bottom, bounds.bottom);
    return rect;
}

} // namespace gui
