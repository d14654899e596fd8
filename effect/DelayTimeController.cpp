#include "effect/DelayTimeController.h"

#include <cmath>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
} // namespace

DelayTimeController::DelayTimeController(wave::Environment& environment, wave::Producer* time,
                                         wave::Producer* offset)
    : wave::Producer(environment), syncedTime_(environment, kMinimumTime), time_(time), offset_(offset) {
    syncedTime_.getParameter().setLimits(kMinimumTime, kMaximumTime, kMaximumTime - kMinimumTime);
}

void DelayTimeController::setTempo(float tempo) noexcept {
    auto s = static_cast<std::int32_t>(sync.getValue());
    if (s <= 0 || s >= static_cast<std::int32_t>(kMillisecondsPerBpm.size())) return;
    if (!(std::fabs(tempo) > kEpsilon)) return;
    FloatParameter& p = syncedTime_.getParameter();
    // The parameter clamps into [5, 5000]; a change this small is ignored.
    float value = kMillisecondsPerBpm[static_cast<std::size_t>(s)] / tempo;
    float clamped = value >= kMinimumTime ? (value > kMaximumTime ? kMaximumTime : value) : kMinimumTime;
    if (std::fabs(clamped - p.getTarget()) <= kEpsilon) return;
    p.setValue(value);
}

void DelayTimeController::propertyChanged(AbstractProperty&) {
    setForward(nullptr);
}

void DelayTimeController::produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept {
    wave::Environment& e = getEnvironment();
    if (sync.getValue() == DelaySync::kFree) {
        setCurrentBlock(wave::Producer::pull(time_, e, count));
        setForward(time_);
        return;
    }
    const wave::BasicBlock<float>& a = syncedTime_.pull(count);
    const wave::BasicBlock<float>& b = wave::Producer::pull(offset_, e, count);
    setCurrentBlock(*block);
    float* y = block->data();
    const float* x = a.data();
    const float* f = b.data();
    bool constant = a.isConstant() && b.isConstant();
    int n = constant ? 1 : count;
    for (int i = 0; i < n; ++i) {
        float v = x[i] * f[i];
        // NaN becomes the minimum.
        y[i] = v >= kMinimumTime ? (v > kMaximumTime ? kMaximumTime : v) : kMinimumTime;
    }
    if (constant)
        for (int i = 1; i < ((count + 3) & ~3); ++i)
            y[i] = y[0];
    block->setConstant(constant);
}
