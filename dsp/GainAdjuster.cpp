#include "dsp/GainAdjuster.h"

#include "dsp/BlockKernels.h"

#include <cmath>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
} // namespace

GainAdjuster::GainAdjuster(wave::Environment& environment, float initialGain)
    : wave::Filter(environment), gain(environment, initialGain) {}

void GainAdjuster::process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                           wave::ProduceMode) noexcept {
    const wave::BasicBlock<float>& g = gain.pull(count);
    const float* x = in.data();
    float* y = out->data();
    if (denominator_ == nullptr || numerator_ == nullptr) {
        if (g.isConstant()) {
            float value = g.data()[0];
            if (std::fabs(value - 1.0f) <= kEpsilon) {
                setCurrentBlock(in);
                return;
            }
            Kernels::scale(x, value, y, count);
        } else {
            Kernels::multiply(x, g.data(), y, count);
        }
        out->setConstant(in.isConstant() && g.isConstant());
        return;
    }
    const wave::BasicBlock<float>& den = denominator_->pull(count);
    const wave::BasicBlock<float>& num = numerator_->pull(count);
    Kernels::limitedRatio(num.data(), den.data(), x, g.data(), y, count);
    out->setConstant(in.isConstant() && g.isConstant() && den.isConstant() && num.isConstant());
}
