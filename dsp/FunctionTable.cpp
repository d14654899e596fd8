#include "dsp/FunctionTable.h"

#include <cmath>
#include <numbers>

void FunctionTable::build(std::int32_t requestedSize, const FunctionTableFunction& function, double lo,
                          double hi) {
    std::int32_t size = 2;
    while (size < requestedSize && size < (1 << 24))
        size *= 2;
    double low = lo < hi ? lo : hi;
    double high = lo < hi ? hi : lo;
    double step = (high - low) / double(size - 1);

    std::vector<float> values(std::size_t(size) + 1);
    values[0] = float(function.value(low));
    double x = low;
    for (std::int32_t i = 1; i <= size - 2; ++i) {
        x += step;
        values[std::size_t(i)] = float(function.value(x));
    }
    values[std::size_t(size - 1)] = values[std::size_t(size)] = float(function.value(high));

    values_ = std::move(values);
    size_ = size;
    lo_ = float(low);
    scale_ = step > 0.0 ? 1.0 / step : 0.0;
    offset_ = step > 0.0 ? double(size - 1) * low / (high - low) : 0.0;
    double whole = std::floor(offset_);
    offsetWhole_ = std::int32_t(whole);
    offsetFraction_ = float(offset_ - whole);
}

double ClipTable::ClipFunction::value(double x) const {
    if (x < 0.0) return std::atan(x);
    return std::atan(a * x) / a;
}

void ClipTable::build(float a) {
    if (!(a > 0.0f)) a = 1.0f;
    if (built_ && std::fabs(a - a_) <= 1.1920929e-7f) return;
    table_.build(tableSize, ClipFunction(a), rangeLow, rangeHigh);
    a_ = a;
    built_ = true;
}

float ClipTable::clip(float x) const noexcept {
    // Index from the split offset: floor(x s - fraction) - whole, so 0 maps
    // exactly onto its table point.
    float t = x * table_.indexScale() - table_.indexOffsetFraction();
    float whole = std::floor(t);
    const float* v = table_.values();
    float first = float(table_.indexOffsetWhole());
    float last = first + float(table_.size() - 1);
    if (!(whole >= first)) return v[0];
    if (whole >= last) return v[table_.size() - 1];
    auto i = std::int32_t(whole) - table_.indexOffsetWhole();
    float fraction = t - whole;
    return v[i] + (v[i + 1] - v[i]) * fraction;
}

void ClipTable::clipBlock(const float* in, float* out, int count, float scale, float gain) const noexcept {
    for (int i = 0; i < count; ++i)
        out[i] = gain * clip(in[i] * scale);
}

void ClipTable::clipBlockDecimate3(const float* in, float* out, int count, float scale,
                                   float gain) const noexcept {
    for (int i = 0; i < count; ++i) {
        float sum = clip(in[3 * i] * scale) + clip(in[3 * i + 1] * scale) + clip(in[3 * i + 2] * scale);
        out[i] = gain * (sum * 0.33333334f);
    }
}

double FreqFunction::value(double x) const {
    double r = std::exp2(x);
    if (r > 1.0) r = 1.0;
    return 2.0 * std::sin(std::numbers::pi / 3.0 * r);
}

namespace {

struct Point {
    double x, y;
};

template <std::size_t N> double piecewiseLinear(const Point (&points)[N], double x) {
    if (x <= points[0].x) return points[0].y;
    for (std::size_t i = 1; i < N; ++i) {
        if (x <= points[i].x) {
            const Point& a = points[i - 1];
            const Point& b = points[i];
            return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
        }
    }
    return points[N - 1].y;
}

} // namespace

double PeakLimitFunction::value(double x) const {
    static constexpr Point points[] = {{-1.5, 1.0}, {-1.32, 0.085}, {-0.5, 0.04}, {0.4, 0.001}};
    return piecewiseLinear(points, x);
}

double DampLimitFunction::value(double x) const {
    if (x <= 0.01) return 2.0;
    double v = 2.0 / x - x;
    return v < 2.0 ? v : 2.0;
}

double DampLimit2Function::value(double x) const {
    static constexpr Point points[] = {{0.0, 2.0},  {0.55, 2.0}, {0.6, 1.67},  {0.65, 1.4}, {0.7, 1.0},
                                       {0.75, 0.8}, {0.8, 0.77}, {0.85, 0.73}, {0.9, 0.7},  {0.95, 0.65}};
    return piecewiseLinear(points, x);
}

double DampFunction::value(double x) const {
    if (x <= 0.0) return 2.0;
    return 2.0 * (1.0 - std::sqrt(std::sqrt(x)));
}

FilterTables::FilterTables() {
    freq.build(8192, FreqFunction(), -30.0, 20.0);
    peakLimit.build(512, PeakLimitFunction(), -30.0, 20.0);
    dampLimit.build(256, DampLimitFunction(), 0.0, 1.0);
    dampLimit2.build(256, DampLimit2Function(), 0.0, 1.0);
    damp.build(4096, DampFunction(), 0.0, 5.0);
}

const FilterTables& FilterTables::shared() {
    static const FilterTables tables;
    return tables;
}
