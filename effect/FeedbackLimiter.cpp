#include "effect/FeedbackLimiter.h"

#include <cmath>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
} // namespace

void FeedbackLimiter::setLevels(SignalSmoother* delayLevel, SignalSmoother* filteredLevel) {
    setNumeratorLevel(delayLevel);
    setDenominatorLevel(filteredLevel);
    levels_[0] = filteredLevel;
    levels_[1] = delayLevel;
}

void FeedbackLimiter::process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                              wave::ProduceMode mode) noexcept {
    if (unfiltered_ == nullptr || &in != &unfiltered_->getCurrentBlock() ||
        !unfiltered_->isComputedThisBlock()) {
        if (levels_[0] != nullptr && levels_[1] != nullptr && levels_[0] == getDenominatorLevel() &&
            levels_[1] == getNumeratorLevel())
            SignalSmoother::processTogether(levels_, 2, count);
        GainAdjuster::process(in, out, count, mode);
        return;
    }
    const wave::BasicBlock<float>& g = gain.pull(count);
    const float* x = in.data();
    const float* gv = g.data();
    float* y = out->data();
    if (g.isConstant()) {
        const float value = gv[0];
        if (std::fabs(value - 1.0f) <= kEpsilon) {
            setCurrentBlock(in);
            return;
        }
        for (int i = 0; i < count; ++i)
            y[i] = x[i] * value;
    } else {
        for (int i = 0; i < count; ++i)
            y[i] = x[i] * gv[i];
    }
    out->setConstant(in.isConstant() && g.isConstant());
}
