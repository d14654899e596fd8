#include "effect/DelayPanController.h"

#include <algorithm>

DelayPanController::DelayPanController(wave::Environment& environment, wave::Producer* pan)
    : wave::MultiProducer(environment, 2), pan_(pan) {}

void DelayPanController::processAll(const wave::BasicBlock<float>**, int count, wave::ProduceMode) noexcept {
    const wave::BasicBlock<float>& in = wave::Producer::pull(pan_, getEnvironment(), count);
    wave::BasicBlock<float>& first = getOutputBlock(0);
    wave::BasicBlock<float>& second = getOutputBlock(1);
    const float* p = in.data();
    float* a = first.data();
    float* b = second.data();
    const bool constant = in.isConstant();
    if (constant) {
        // Whole blocks of a held pan's gains hold too.
        holdOutputsOn(pan_, nullptr, static_cast<int>(first.size()));
        // A steady pan leaves both blocks as they are.
        if (filled_ && p[0] == lastPan_) return;
        const float gain0 = 1.0f - std::max(p[0], 0.0f);
        const float gain1 = 1.0f + std::min(p[0], 0.0f);
        // The whole block, so that any later count reads whole values.
        std::fill(a, a + first.size(), gain0);
        std::fill(b, b + second.size(), gain1);
        first.setConstant(true);
        second.setConstant(true);
        filled_ = true;
        lastPan_ = p[0];
        return;
    }
    filled_ = false;
    for (int i = 0; i < count; ++i) {
        a[i] = 1.0f - std::max(p[i], 0.0f);
        b[i] = 1.0f + std::min(p[i], 0.0f);
    }
    first.setConstant(false);
    second.setConstant(false);
}
