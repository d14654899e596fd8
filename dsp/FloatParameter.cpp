#include "dsp/FloatParameter.h"

#include "dsp/BlockKernels.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
// Longest glide in samples (about 6 hours at 48 kHz); keeps the length an int.
constexpr float kLongestRamp = 1.0e9f;

float fraction(float x) {
    return x - std::trunc(x);
}
} // namespace

FloatParameter::FloatParameter(wave::Environment& environment, float initialValue)
    : wave::Component(environment), block_(environment, *this) {
    if (std::isnan(initialValue)) initialValue = 0.0f;
    maximum_ = std::max(initialValue, 1.0f);
    minimum_ = std::min(initialValue, 0.0f);
    span_ = maximum_ - minimum_;
    target_ = initialValue;
    rampStart_ = initialValue;
}

FloatParameter::~FloatParameter() {
    releaseHolder();
}

float FloatParameter::clampToLimits(float value) const {
    if (value >= minimum_) return value > maximum_ ? maximum_ : value;
    return minimum_; // below the minimum, or NaN
}

void FloatParameter::setValue(float value, float timeMs) noexcept {
    value = clampToLimits(value);
    if (std::fabs(value - target_) <= kEpsilon) return;
    releaseHolder();

    wave::Environment& e = getEnvironment();
    std::uint64_t now = e.getSamplePosition();
    // Glide only when rendered in the block that just ended, after the last reset.
    bool jump = !(lastRenderPosition_ > e.getResetMark() && lastRenderPosition_ == now);
    lastRenderPosition_ = now;

    float start =
        (isRamping() && !jump) ? rampStart_ + static_cast<float>(rampPosition_) * rampStep_ : target_;
    rampPosition_ = 0;
    fillCount_ = 0;

    float period = wrapPeriod.getValue();
    if (period > 0.0f) {
        float d = fraction(fraction(value / period) - fraction(start / period));
        if (d > 0.5f)
            d -= 1.0f;
        else if (d < -0.5f)
            d += 1.0f;
        start = std::clamp(value - d * period, minimum_, maximum_);
    }
    float delta = value - start;

    float time;
    if (timeMs >= 0.0f) {
        time = timeMs;
    } else if (jump) {
        time = 0.0f;
    } else {
        float f = span_ > 0.0f ? std::max(0.3f - std::fabs(delta) / span_, 0.0f) : 0.0f;
        float small = smallChangeTime.getValue();
        float large = largeChangeTime.getValue();
        time = (small - large) * f * (f * 11.111111f) + large;
    }

    float samples = time * e.getSampleRate() * 0.001f;
    if (!(samples < kLongestRamp)) samples = std::isnan(samples) ? 0.0f : kLongestRamp;
    int length = static_cast<int>(samples);
    rampStart_ = start;
    rampLength_ = std::max(length, 0);
    rampStep_ = rampLength_ > 0 ? delta / static_cast<float>(rampLength_) : 0.0f;
    target_ = value;
}

void FloatParameter::setLimits(float minimum, float maximum) {
    setLimits(minimum, maximum, maximum - minimum);
}

void FloatParameter::setLimits(float minimum, float maximum, float span) {
    minimum_ = minimum;
    maximum_ = maximum;
    span_ = span;
    float clamped = clampToLimits(target_);
    if (clamped != target_) {
        releaseHolder();
        target_ = clamped;
        rampStart_ = clamped;
        rampPosition_ = 0;
        rampLength_ = 0;
        rampStep_ = 0.0f;
        fillCount_ = 0;
    }
}

const wave::BasicBlock<float>& FloatParameter::fillBlock(int count) noexcept {
    float* out = block_.data();
    if (!isRamping()) {
        block_.setConstant(true);
        for (int i = fillCount_; i < count; ++i)
            out[i] = target_;
        fillCount_ = count;
        return block_;
    }
    block_.setConstant(false);
    int k = std::min(rampLength_ - static_cast<int>(rampPosition_), count);
    float first = rampStart_ + static_cast<float>(rampPosition_) * rampStep_;
    out[0] = first;
    double value = first;
    for (int i = 1; i < k; ++i) {
        value += static_cast<double>(rampStep_);
        out[i] = static_cast<float>(value);
    }
    rampPosition_ += static_cast<std::uint32_t>(k);
    for (int i = k; i < count; ++i)
        out[i] = target_;
    return block_;
}

const wave::BasicBlock<float>& FloatParameter::advanceRamp(int count) noexcept {
    wave::Environment& e = getEnvironment();
    std::uint64_t now = e.getSamplePosition();
    std::uint64_t resetMark = e.getResetMark();
    if (!(now == lastRenderPosition_ && lastRenderPosition_ > resetMark) && isRamping()) {
        std::uint32_t left = static_cast<std::uint32_t>(rampLength_) - rampPosition_;
        if (lastRenderPosition_ > resetMark) {
            // Skip the samples that passed unrendered.
            std::uint64_t skipped = now > lastRenderPosition_ ? now - lastRenderPosition_ : 0;
            rampPosition_ += static_cast<std::uint32_t>(std::min<std::uint64_t>(skipped, left));
        } else {
            rampPosition_ += left; // a reset came since: the glide is over
        }
    }
    lastRenderPosition_ = now + static_cast<std::uint64_t>(count);
    return fillBlock(count);
}

// ------------------------------------------------------------------------

FloatParameterSource::FloatParameterSource(wave::Environment& environment, float initialValue)
    : wave::Source(environment, kNoOwnBlock), parameter_(environment, initialValue) {}

void FloatParameterSource::produce(wave::BasicBlock<float>*, int count, wave::ProduceMode) noexcept {
    setCurrentBlock(parameter_.advanceHeld(*this, count));
}

FloatParameterForwarder::FloatParameterForwarder(wave::Environment& environment, FloatParameter& parameter)
    : wave::Source(environment, kNoOwnBlock), parameter_(&parameter) {}

void FloatParameterForwarder::produce(wave::BasicBlock<float>*, int count, wave::ProduceMode) noexcept {
    setCurrentBlock(parameter_->advanceBlock(count));
}

FloatParameterBus::FloatParameterBus(wave::Environment& environment, float initialValue)
    : ownSource_(environment, initialValue), source_(&ownSource_) {}

bool FloatParameterBus::applyGain(const float* in, float* out, int count) noexcept {
    const wave::BasicBlock<float>& gain = pull(count);
    if (gain.isConstant()) {
        float g = gain.data()[0];
        if (std::fabs(g - 1.0f) <= kEpsilon) return false;
        Kernels::scale(in, g, out, count);
    } else {
        Kernels::multiply(in, gain.data(), out, count);
    }
    return true;
}
