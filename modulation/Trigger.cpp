#include "modulation/Trigger.h"

#include "dsp/BlockKernels.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
// ln(10) / 20: decibels to the exponent of a gain.
constexpr float kDbToExponent = 0.1151292546497023f;
constexpr std::size_t kEventCapacity = 1024;
constexpr float kDefaultHoldMs = 15.0f;
} // namespace

Trigger::Trigger(wave::Environment& environment)
    : wave::Output(environment), threshold(environment, 0.9f), converted_(environment) {
    threshold.getParameter().setLimits(0.0f, 1.0f);
    events_.reserve(kEventCapacity);
    environment.sampleRateChanged.addHandler(NotifyEvent::bind(this, &Trigger::onSampleRateChanged));
    holdTime.setValue(kDefaultHoldMs);
}

Trigger::~Trigger() {
    wave::Environment& e = getEnvironment();
    if (!e.isTearingDown()) e.sampleRateChanged.removeHandler(this, &Trigger::onSampleRateChanged);
}

void Trigger::updateHoldCount() {
    double samples = double(getEnvironment().getSampleRate()) * 0.001 * double(holdTime.getValue());
    if (!(samples < 2.0e9)) samples = std::isnan(samples) ? 0.0 : 2.0e9;
    holdCount_ = std::max<std::int32_t>(1, static_cast<std::int32_t>(samples));
}

// The hold is a time: a new rate gives a new count.
void Trigger::onSampleRateChanged() {
    updateHoldCount();
}

void Trigger::propertyChanged(AbstractProperty& property) {
    if (&property == &holdTime) {
        updateHoldCount();
    } else if (&property == &domain) {
        FloatParameter& t = threshold.getParameter();
        if (domain.getValue() == GainChangeDomain::kDecibels)
            t.setLimits(-180.0f, 0.0f);
        else
            t.setLimits(0.0f, 1.0f);
    }
}

void Trigger::reset() noexcept {
    on_ = false;
    belowCount_ = 0;
    lastBlock_ = 0;
    processedOnce_ = false;
    events_.clear();
}

void Trigger::detectEvents(int count) noexcept {
    std::uint32_t block = getEnvironment().getBlockCounter();
    if (processedOnce_ && block == lastBlock_) return;
    events_.clear();
    if (getInput() == nullptr || !enabled.getValue()) return;
    const float* level = pullInput(count).data();
    const wave::BasicBlock<float>& t = threshold.pull(count);
    const float* thresholds = t.data();
    if (domain.getValue() == GainChangeDomain::kDecibels) {
        float* out = converted_.data();
        if (t.isConstant()) {
            float gain = std::exp(t.data()[0] * kDbToExponent);
            std::fill(out, out + count, gain);
        } else {
            dbToGainBlock(t.data(), out, count);
        }
        thresholds = out;
    }
    for (int i = 0; i < count; ++i) {
        float x = level[i];
        float th = thresholds[i];
        if (!on_) {
            if (x > th + kEpsilon) {
                on_ = true;
                belowCount_ = 0;
                if (events_.size() < events_.capacity()) events_.push_back({EventType::kOn, i});
            }
        } else if (x >= 0.5f * th + kEpsilon) {
            belowCount_ = 0;
        } else if (++belowCount_ > holdCount_) {
            on_ = false;
            belowCount_ = 0;
            if (events_.size() < events_.capacity()) events_.push_back({EventType::kOff, i});
        }
    }
    lastBlock_ = block;
    processedOnce_ = true;
}
