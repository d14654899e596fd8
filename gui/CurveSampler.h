#pragma once

// The column sampler of a drawn curve, shared by the drawing back ends: it
// walks a curve one device-pixel column at a time and tells, per column, how
// far the line must reach up and down so that steep parts stay joined and
// soft. It keeps the curve's values over a window of n columns (odd, 3 to
// 105, from the line and soft widths) and weights the differences of
// neighbouring values with weights that fall off past half the line width.
//
// Values are device rows: curve.valueAt(column / scale) x scale + y0; a NaN
// value counts as the given bottom row, and every value saturates at
// +-2^22. Differences are value(k) - value(k - 1), so positive differences
// run downwards on the screen.
//
// Running sums of the differences left and right of the centre let long
// monotonic stretches take a short form; the full weighted sum is taken for
// small windows and for n columns after a peak or trough enters the window.

#include "gui/Curve.h"

#include <array>
#include <cstdint>

namespace gui {

class CurveSampler {
public:
    static constexpr int kMinWindow = 3;
    static constexpr int kMaxWindow = 105;

    struct Extent {
        float up = 0.0f;
        float down = 0.0f;
    };

    // Fills the window for the columns before `column`; the first advance
    // then gives the extents of `column`.
    void start(float scale, const ICurve& curve, float lineWidth, float softWidth, int column, float y0,
               float bottom);
    Extent advance(int column);

    // The value at the centre of the window after the last advance.
    float centre() const { return values_[std::size_t(start_ + half_)]; }
    int window() const { return n_; }
    float lineWidth() const { return h_; }
    float softWidth() const { return g_; }

private:
    static constexpr int kRing = 128;

    float valueOf(int column) const;
    float diff(int index) const { return diffs_[std::size_t(index)]; }
    void append(float value);

    const ICurve* curve_ = nullptr;
    float scale_ = 1.0f;
    float h_ = 0.0f;
    float g_ = 0.0f;
    float y0_ = 0.0f;
    float bottom_ = 0.0f;
    int n_ = kMinWindow;
    int half_ = 1;
    int start_ = 0; // ring index of the window's first value
    int count_ = 0; // values held from start_
    std::array<float, kRing> values_{};
    std::array<float, kRing> diffs_{};
    std::array<float, kMaxWindow / 2> weights_{};
    double sumLeft_ = 0.0;
    double sumRight_ = 0.0;
    int countdown_ = 0;
};

} // namespace gui
