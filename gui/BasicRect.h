#pragma once

// A rectangle: left, top, right, bottom. Empty when its width or height is
// not positive. intersect and unite follow the toolkit's rules for empty
// rects (see below), which invalidation and clipping rely on.
//
// A Property<BasicRect<float>> stores a new rect only when an edge moved by
// more than 0.001 (never for a NaN edge).

#include "gui/BasicPoint.h"

#include <algorithm>

namespace gui {

template <class T> struct BasicRect {
    T left = T();
    T top = T();
    T right = T();
    T bottom = T();

    constexpr BasicRect() = default;
    constexpr BasicRect(T left, T top, T right, T bottom)
        : left(left), top(top), right(right), bottom(bottom) {}

    static constexpr BasicRect fromXYWH(T x, T y, T width, T height) { return {x, y, x + width, y + height}; }

    constexpr T width() const { return right - left; }
    constexpr T height() const { return bottom - top; }
    // Not (width > 0 and height > 0): a NaN edge makes a rect empty.
    constexpr bool isEmpty() const { return !(right - left > T()) || !(bottom - top > T()); }
    constexpr BasicPoint<T> topLeft() const { return {left, top}; }
    constexpr BasicPoint<T> size() const { return {width(), height()}; }

    // Half-open: left <= x < right, top <= y < bottom.
    constexpr bool contains(const BasicPoint<T>& p) const {
        return left <= p.x && p.x < right && top <= p.y && p.y < bottom;
    }
    // Every edge of other lies inside this rect (edges may coincide).
    constexpr bool containsRect(const BasicRect& other) const {
        return left <= other.left && top <= other.top && other.right <= right && other.bottom <= bottom;
    }

    constexpr BasicRect offset(T dx, T dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    constexpr BasicRect offset(const BasicPoint<T>& by) const { return offset(by.x, by.y); }

    constexpr bool operator==(const BasicRect& other) const = default;
};

using Rect = BasicRect<float>;
using PixelRect = BasicRect<int>;

// rect := rect ∩ other. With an empty other, rect collapses to zero size at
// its own top-left. The result may be "inverted" (right < left) when they do
// not meet; isEmpty tells.
template <class T> constexpr void intersect(BasicRect<T>& rect, const BasicRect<T>& other) {
    if (other.isEmpty()) {
        rect.right = rect.left;
        rect.bottom = rect.top;
        return;
    }
    rect.left = std::max(rect.left, other.left);
    rect.top = std::max(rect.top, other.top);
    rect.right = std::min(rect.right, other.right);
    rect.bottom = std::min(rect.bottom, other.bottom);
}

template <class T> constexpr BasicRect<T> intersection(BasicRect<T> rect, const BasicRect<T>& other) {
    intersect(rect, other);
    return rect;
}

// rect := bounding rect of both; an empty other changes nothing, an empty
// rect becomes other.
template <class T> constexpr void unite(BasicRect<T>& rect, const BasicRect<T>& other) {
    if (other.isEmpty()) return;
    if (rect.isEmpty()) {
        rect = other;
        return;
    }
    rect.left = std::min(rect.left, other.left);
    rect.top = std::min(rect.top, other.top);
    rect.right = std::max(rect.right, other.right);
    rect.bottom = std::max(rect.bottom, other.bottom);
}

// 1 for v > 0, 0 for 0 (and NaN), -1 for v < 0.
template <class T> constexpr int sign(T v) {
    return v > T() ? 1 : (v < T() ? -1 : 0);
}

// True when some edge of b differs from a's by more than the geometry tolerance.
inline bool rectMoved(const Rect& a, const Rect& b) {
    return coordinateMoved(a.left, b.left) || coordinateMoved(a.top, b.top) ||
           coordinateMoved(a.right, b.right) || coordinateMoved(a.bottom, b.bottom);
}

} // namespace gui

template <> struct PropertyEquality<gui::BasicRect<float>> {
    static bool equal(const gui::BasicRect<float>& held, const gui::BasicRect<float>& candidate) {
        if (std::isnan(candidate.left) || std::isnan(candidate.top) || std::isnan(candidate.right) ||
            std::isnan(candidate.bottom))
            return true;
        return !gui::rectMoved(held, candidate);
    }
};
