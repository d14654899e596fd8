#include "gui/CurveSampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gui {

namespace {

constexpr float kSaturation = 4194304.0f; // 2^22
// Windows from this size on keep running sums for their monotonic stretches.
constexpr int kRunningSumWindow = 11;

bool sameSign(double a, double b) {
    return (a > 0.0 && b > 0.0) || (a < 0.0 && b < 0.0);
}

} // namespace

float CurveSampler::valueOf(int column) const {
    float v = curve_->valueAt(float(double(column) / scale_)) * scale_ + y0_;
    if (std::isnan(v)) return bottom_;
    return std::clamp(v, -kSaturation, kSaturation);
}

void CurveSampler::append(float value) {
    if (count_ == n_) {
        ++start_;
        --count_;
    }
    if (start_ + count_ >= kRing - 1) {
        std::memmove(values_.data(), values_.data() + start_, sizeof(float) * std::size_t(count_));
        std::memmove(diffs_.data(), diffs_.data() + start_, sizeof(float) * std::size_t(count_));
        start_ = 0;
    }
    int at = start_ + count_;
    values_[std::size_t(at)] = value;
    diffs_[std::size_t(at)] = count_ > 0 ? value - values_[std::size_t(at - 1)] : 0.0f;
    ++count_;
}

void CurveSampler::start(float scale, const ICurve& curve, float lineWidth, float softWidth, int column,
                         float y0, float bottom) {
    curve_ = &curve;
    scale_ = scale > 0.0f ? scale : 1.0f;
    h_ = std::isfinite(lineWidth) ? std::max(0.0f, scale_ * lineWidth) : 0.0f;
    g_ = std::isfinite(softWidth) ? std::max(0.0f, scale_ * softWidth) : 0.0f;
    y0_ = y0;
    bottom_ = bottom;
    double steps = std::trunc(std::min(double(g_) + double(h_), 1000.0) * 0.5 + 0.495);
    n_ = std::clamp(int(steps) * 2 + 3, kMinWindow, kMaxWindow);
    half_ = n_ / 2;
    const double r = std::max((double(h_) + double(g_) + 1.0) / 2.0, 1.0);
    for (int j = 0; j < half_; ++j)
        weights_[std::size_t(j)] = float(std::clamp(r - j, 0.0, 1.0) / r);
    start_ = 0;
    count_ = 0;
    for (int c = column - half_; c < column + half_; ++c)
        append(valueOf(c));
    sumLeft_ = sumRight_ = 0.0;
    countdown_ = 0;
}

CurveSampler::Extent CurveSampler::advance(int column) {
    const bool filling = count_ < n_;
    append(valueOf(column + half_));
    const int c = start_ + half_;
    const int last = start_ + n_ - 1;
    if (n_ >= kRunningSumWindow) {
        if (filling) {
            sumLeft_ = sumRight_ = 0.0;
            for (int k = c - half_ + 2; k <= c; ++k)
                sumLeft_ += diff(k);
            for (int k = c + 1; k <= c + half_ - 1; ++k)
                sumRight_ += diff(k);
        } else {
            // The window moved by one: the centre's sums gain and lose one difference each.
            sumLeft_ += double(diff(c)) - double(diff(c - half_ + 1));
            sumRight_ += double(diff(c + half_ - 1)) - double(diff(c));
        }
        --countdown_;
        if (sameSign(diff(last), -diff(last - 1))) countdown_ = n_;
    }
    double left, right;
    const double w0 = weights_[0];
    if (countdown_ > 0 || n_ < kRunningSumWindow) {
        left = w0 * diff(c);
        right = w0 * diff(c + 1);
        for (int j = 1; j < half_; ++j) {
            double termLeft = double(weights_[std::size_t(j)]) * diff(c - j);
            if (sameSign(termLeft, left) || std::fabs(termLeft) <= std::fabs(left)) left += termLeft;
            double termRight = double(weights_[std::size_t(j)]) * diff(c + 1 + j);
            if (sameSign(termRight, right) || std::fabs(termRight) <= std::fabs(right)) right += termRight;
        }
    } else {
        const double edge = weights_[std::size_t(half_ - 1)];
        left = w0 * sumLeft_ + edge * diff(c - (half_ - 1));
        right = w0 * sumRight_ + edge * diff(c + half_);
    }
    Extent extent;
    extent.up = float(std::max({0.0, left, -right}));
    extent.down = float(std::max({0.0, -left, right}));
    return extent;
}

} // namespace gui
