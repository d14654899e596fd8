#include "modulation/StaticMixer.h"

#include <cmath>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;

int roundUp4(int count) {
    return (count + 3) & ~3;
}
} // namespace

void StaticMixer::produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept {
    const int n = roundUp4(count);
    float* y = block->data();
    const wave::BasicBlock<float>* referenced = nullptr;
    float referencedGain = 1.0f;
    bool written = false;
    bool constant = true;
    for (const Pair& pair : pairs_) {
        if (pair.input == nullptr) continue;
        const wave::BasicBlock<float>& in = pair.input->pull(count);
        constant = constant && in.isConstant();
        if (referenced == nullptr && !written && std::fabs(pair.gain - 1.0f) <= kEpsilon) {
            // A leading unity pair is only referenced until another one adds.
            referenced = &in;
            referencedGain = pair.gain;
            continue;
        }
        const float* x = in.data();
        if (referenced != nullptr) {
            const float* r = referenced->data();
            for (int i = 0; i < n; ++i)
                y[i] = r[i] * referencedGain + x[i] * pair.gain;
            referenced = nullptr;
        } else if (!written) {
            for (int i = 0; i < n; ++i)
                y[i] = x[i] * pair.gain;
        } else {
            for (int i = 0; i < n; ++i)
                y[i] = y[i] + x[i] * pair.gain;
        }
        written = true;
    }
    if (referenced != nullptr) {
        setCurrentBlock(*referenced);
        return;
    }
    if (!written) {
        setCurrentBlock(getEnvironment().getZeroBlock());
        return;
    }
    if (constant)
        for (int i = 1; i < n; ++i)
            y[i] = y[0];
    block->setConstant(constant);
}
