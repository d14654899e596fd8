#include "dsp/SignalSmoother.h"

#include "dsp/Smoothing.h"

#include <algorithm>
#include <cmath>

namespace {
// The smoothed value counts as having reached a constant input this close.
constexpr double kReached = 0.0001;
} // namespace

SignalSmoother::SignalSmoother(wave::Environment& environment) : wave::Filter(environment) {
    registerComponent();
    updateCoefficient();
}

void SignalSmoother::updateCoefficient() {
    g_ = smoothingCoefficient(frequency.getValue(), getEnvironment().getSampleRate());
}

void SignalSmoother::reset() {
    updateCoefficient();
    restart_ = true;
}

void SignalSmoother::propertyChanged(AbstractProperty& property) {
    if (&property == &frequency) updateCoefficient();
}

void SignalSmoother::process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                             wave::ProduceMode) noexcept {
    Run run{};
    if (!begin(in, out, count, run)) return;
    runTogether<1>(&run, count);
    finish(run, out);
}

bool SignalSmoother::begin(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                           Run& run) noexcept {
    const float* x = in.data();
    bool rectify = smoothMethod.getValue() == kRectify;
    double first = rectify ? std::fabs(x[0]) : x[0];
    if (restart_) {
        band_ = 0.0;
        low_ = startFromInput.getValue() ? first : 0.0;
        restart_ = false;
    }
    float* y = out->data();
    if (in.isConstant() && std::fabs(low_ - first) <= kReached) {
        // Reached: pass the input on and leave the state alone.
        if (!rectify) {
            setCurrentBlock(in);
            return false;
        }
        float v = static_cast<float>(first);
        for (int i = 0; i < count; ++i)
            y[i] = v;
        out->setConstant(true);
        return false;
    }
    // band += (x - 2 band - low) g with the new low, evaluated as
    // band (1 - 2g - g^2) + g (x - old low): the same recursion with half the
    // dependency chain.
    double g = g_;
    run = Run{x, y, rectify, g, 1.0 - 2.0 * g - g * g, low_, band_};
    return true;
}

template <int N> void SignalSmoother::runTogether(Run runs[], int count) noexcept {
    double g[N], a[N], low[N], band[N];
    const float* x[N];
    float* y[N];
    bool rectify[N];
    for (int k = 0; k < N; ++k) {
        g[k] = runs[k].g;
        a[k] = runs[k].a;
        low[k] = runs[k].low;
        band[k] = runs[k].band;
        x[k] = runs[k].x;
        y[k] = runs[k].y;
        rectify[k] = runs[k].rectify;
    }
    // Unrolled over the smoothers, so that each one's state stays in
    // registers (its recursion is the loop's critical path).
    for (int i = 0; i < count; ++i) {
#pragma GCC unroll 4
        for (int k = 0; k < N; ++k) {
            const double v = static_cast<double>(x[k][i]);
            double next = low[k] + g[k] * band[k];
            band[k] = band[k] * a[k] + ((rectify[k] ? std::fabs(v) : v) - low[k]) * g[k];
            low[k] = next;
            y[k][i] = static_cast<float>(low[k]);
        }
    }
    for (int k = 0; k < N; ++k) {
        runs[k].low = low[k];
        runs[k].band = band[k];
    }
}

void SignalSmoother::finish(const Run& run, wave::BasicBlock<float>* out) noexcept {
    double low = run.low;
    double band = run.band;
    if (!std::isfinite(low) || !std::isfinite(band)) {
        // A non-finite input would stick in the state until a reset.
        low = 0.0;
        band = 0.0;
    }
    low_ = low;
    band_ = band;
    out->setConstant(false);
}

void SignalSmoother::processTogether(SignalSmoother* const smoothers[], int n, int count) noexcept {
    Run runs[kMaxTogether];
    SignalSmoother* running[kMaxTogether];
    int pending = 0;
    for (int k = 0; k < n && k < kMaxTogether; ++k) {
        SignalSmoother& s = *smoothers[k];
        if (s.isComputedThisBlock()) continue;
        const wave::BasicBlock<float>& in = s.pullInput(count);
        wave::BasicBlock<float>* out = s.getOwnBlock();
        s.setCurrentBlock(*out);
        if (s.begin(in, out, count, runs[pending])) running[pending++] = &s;
        s.markComputed();
    }
    switch (pending) {
    case 1:
        runTogether<1>(runs, count);
        break;
    case 2:
        runTogether<2>(runs, count);
        break;
    case 3:
        runTogether<3>(runs, count);
        break;
    case 4:
        runTogether<4>(runs, count);
        break;
    default:
        break;
    }
    for (int k = 0; k < pending; ++k)
        running[k]->finish(runs[k], running[k]->getOwnBlock());
}
