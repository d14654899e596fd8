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
    const int n = constant ? 1 : count;
    for (int i = 0; i < n; ++i) {
        a[i] = 1.0f - std::max(p[i], 0.0f);
        b[i] = 1.0f + std::min(p[i], 0.0f);
    }
    if (constant) {
        const int rounded = (count + 3) & ~3;
        std::fill(a + 1, a + rounded, a[0]);
        std::fill(b + 1, b + rounded, b[0]);
    }
    first.setConstant(constant);
    second.setConstant(constant);
}
