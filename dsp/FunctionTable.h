#pragma once

// Sampled curves for the state-variable filters.
//
// A FunctionTable samples a FunctionTableFunction at a power-of-two number of
// evenly spaced points once (main thread, at construction of whoever owns
// it) and is read-only afterwards, so any number of audio threads may look it
// up at the same time. Lookups interpolate linearly and clamp: an argument
// below the table's range reads the first entry, one above it the last (and a
// NaN the first), never outside the stored values.
//
// The curves of the state-variable filter and the clip curve are below; the
// five coefficient tables and the clip table with a = 1 exist once per
// process (FilterTables::shared(), built on first use, thread-safe).

#include <cstdint>
#include <vector>

class FunctionTableFunction {
public:
    virtual ~FunctionTableFunction() = default;
    virtual double value(double x) const = 0;
};

class FunctionTable {
public:
    // Size: the smallest power of two, at least 2, not below the request (at
    // most 2^24). The range is [min(lo, hi), max(lo, hi)]; the first and last
    // points sit exactly on its ends.
    void build(std::int32_t requestedSize, const FunctionTableFunction& function, double lo, double hi);

    // Linear interpolation at x; clamped to the ends of the range.
    float lookup(float x) const noexcept {
        double position = double(x) * scale_ - offset_;
        return at(position);
    }

    // The same at a table position (x x scale - offset) given directly.
    float at(double position) const noexcept {
        if (!(position > 0.0)) return values_[0];
        double last = double(size_ - 1);
        if (position >= last) return values_[size_ - 1];
        auto i = std::int32_t(position);
        float fraction = float(position - i);
        return values_[i] + (values_[i + 1] - values_[i]) * fraction;
    }

    std::int32_t size() const noexcept { return size_; }
    float lowerBound() const noexcept { return lo_; }
    float indexScale() const noexcept { return float(scale_); }
    // The index of x is x x indexScale - indexOffset; the offset is also kept
    // split into its whole part and fraction (whole + fraction = offset).
    double indexOffset() const noexcept { return offset_; }
    std::int32_t indexOffsetWhole() const noexcept { return offsetWhole_; }
    float indexOffsetFraction() const noexcept { return offsetFraction_; }
    // size + 1 values; the last repeats the one before it.
    const float* values() const noexcept { return values_.data(); }

private:
    std::vector<float> values_ = std::vector<float>(3, 0.0f);
    std::int32_t size_ = 2;
    float lo_ = 0.0f;
    double scale_ = 0.0;
    double offset_ = 0.0;
    std::int32_t offsetWhole_ = 0;
    float offsetFraction_ = 0.0f;
};

// The output saturation: arctan(x) below 0, arctan(a x) / a from 0 up (a
// softer positive half for a < 1). 8192 points over [-40, 40.00976800976801],
// a step of 80/8190, so that 0 lies exactly on point 4095.
class ClipTable {
public:
    class ClipFunction : public FunctionTableFunction {
    public:
        explicit ClipFunction(double a) : a(a) {}
        double value(double x) const override;
        double a;
    };

    static constexpr std::int32_t tableSize = 8192;
    static constexpr double rangeLow = -40.0;
    static constexpr double rangeHigh = 40.00976800976801;

    ClipTable() = default;
    explicit ClipTable(float a) { build(a); }

    // Rebuilds for a when it differs from the current parameter by more than
    // 1.1920929e-7 (or when never built). A parameter at or below 0 (or NaN)
    // gives the plain arctan with a = 1.
    void build(float a);
    bool isBuilt() const noexcept { return built_; }
    float parameter() const noexcept { return a_; }
    const FunctionTable& table() const noexcept { return table_; }

    // Clip(x) with the index clamped to the table and no fraction at a clamp.
    float clip(float x) const noexcept;
    // out[i] = gain x Clip(in[i] x scale) for count samples (in place allowed).
    void clipBlock(const float* in, float* out, int count, float scale, float gain) const noexcept;
    // Three sub-samples per output sample: out[i] = gain x (Clip(in[3i] x
    // scale) + Clip(in[3i+1] x scale) + Clip(in[3i+2] x scale)) x 0.33333334.
    void clipBlockDecimate3(const float* in, float* out, int count, float scale, float gain) const noexcept;

private:
    float a_ = 0.0f;
    bool built_ = false;
    FunctionTable table_;
};

// Curves of the state-variable filter. Frequencies are log2(f / fs).
class FreqFunction : public FunctionTableFunction {
public:
    // 2 sin((pi / 3) x min(2^x, 1)): the per-iteration frequency coefficient
    // of a stage iterated three times per sample.
    double value(double x) const override;
};

class PeakLimitFunction : public FunctionTableFunction {
public:
    // Highest peak for several stages of high-pass and band-pass: piecewise
    // linear through (-1.5, 1.0) (-1.32, 0.085) (-0.5, 0.04) (0.4, 0.001).
    double value(double x) const override;
};

class DampLimitFunction : public FunctionTableFunction {
public:
    // Lowest damping that keeps a stage stable at frequency coefficient x:
    // 2 for x <= 0.01, else min(2/x - x, 2).
    double value(double x) const override;
};

class DampLimit2Function : public FunctionTableFunction {
public:
    // The same for the second stage: piecewise linear from 2.0 at 0.55 down
    // to 0.65 at 0.95.
    double value(double x) const override;
};

class DampFunction : public FunctionTableFunction {
public:
    // Damping from resonance: 2 (1 - x^(1/4)); negative above 1.
    double value(double x) const override;
};

struct FilterTables {
    FunctionTable freq;       // 8192 over [-30, 20]
    FunctionTable peakLimit;  // 512 over [-30, 20]
    FunctionTable dampLimit;  // 256 over [0, 1]
    FunctionTable dampLimit2; // 256 over [0, 1]
    FunctionTable damp;       // 4096 over [0, 5]
    ClipTable clip{1.0f};

    // The process-wide set, built by the first caller.
    static const FilterTables& shared();

private:
    FilterTables();
};
