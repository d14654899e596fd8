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
            return;
        }
        float v = static_cast<float>(first);
        for (int i = 0; i < count; ++i)
            y[i] = v;
        out->setConstant(true);
        return;
    }
    // band += (x - 2 band - low) g with the new low, evaluated as
    // band (1 - 2g - g^2) + g (x - old low): the same recursion with half the
    // dependency chain.
    double g = g_;
    double a = 1.0 - 2.0 * g - g * g;
    double low = low_;
    double band = band_;
    if (rectify) {
        for (int i = 0; i < count; ++i) {
            double next = low + g * band;
            band = band * a + (std::fabs(static_cast<double>(x[i])) - low) * g;
            low = next;
            y[i] = static_cast<float>(low);
        }
    } else {
        for (int i = 0; i < count; ++i) {
            double next = low + g * band;
            band = band * a + (static_cast<double>(x[i]) - low) * g;
            low = next;
            y[i] = static_cast<float>(low);
        }
    }
    if (!std::isfinite(low) || !std::isfinite(band)) {
        // A non-finite input would stick in the state until a reset.
        low = 0.0;
        band = 0.0;
    }
    low_ = low;
    band_ = band;
    out->setConstant(false);
}
