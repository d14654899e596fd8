#pragma once

// A point in logical units (or pixels, for BasicPoint<int>).
//
// A Property<BasicPoint<float>> stores a new point only when a coordinate
// moved by more than 0.001 (never for a NaN coordinate), so sub-pixel noise
// from layout arithmetic does not cause redraws.

#include "foundation/Property.h"

#include <cmath>

namespace gui {

template <class T> struct BasicPoint {
    T x = T();
    T y = T();

    constexpr BasicPoint() = default;
    constexpr BasicPoint(T x, T y) : x(x), y(y) {}

    constexpr BasicPoint operator+(const BasicPoint& other) const { return {x + other.x, y + other.y}; }
    constexpr BasicPoint operator-(const BasicPoint& other) const { return {x - other.x, y - other.y}; }
    constexpr bool operator==(const BasicPoint& other) const = default;
};

using Point = BasicPoint<float>;

// Tolerance of geometry properties: a coordinate counts as moved only beyond it.
inline constexpr float kGeometryTolerance = 0.001f;

// True when candidate moved from held by more than the tolerance; a NaN
// candidate never counts as a move.
inline bool coordinateMoved(float held, float candidate) {
    if (std::isnan(candidate)) return false;
    if (std::isnan(held)) return true;
    return std::fabs(candidate - held) > kGeometryTolerance;
}

} // namespace gui

template <> struct PropertyEquality<gui::BasicPoint<float>> {
    static bool equal(const gui::BasicPoint<float>& held, const gui::BasicPoint<float>& candidate) {
        if (std::isnan(candidate.x) || std::isnan(candidate.y)) return true;
        return !gui::coordinateMoved(held.x, candidate.x) && !gui::coordinateMoved(held.y, candidate.y);
    }
};
