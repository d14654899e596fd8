#include "modulation/XLFO.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
// The half indicator turns on only when more than 1/16 s passed since the
// previous crossing of the balance point.
constexpr double kHalfGuardSeconds = 0.0625;
// A glide never shorter than (0.0002 x Freq)^2 of the step.
constexpr double kGlideFloorFactor = 0.0002;
// The block is "fast" (too quick to show sample by sample) above this many
// half steps per second.
constexpr float kFastLimit = 15.0f;
constexpr std::int32_t kGlideSinePoints = 2048;
constexpr std::uint32_t kRandomTap = 0x11d872b;
constexpr double kRandomScale = 1.0 / 16777216.0; // 2^-24
constexpr float kRandomGap = 0.2f;

class GlideSineFunction : public FunctionTableFunction {
public:
    double value(double x) const override { return 0.5 * (std::sin((x - 0.5) * std::numbers::pi) + 1.0); }
};

const FunctionTable& glideSineTable() {
    static const FunctionTable table = [] {
        FunctionTable t;
        t.build(kGlideSinePoints, GlideSineFunction(), 0.0, 1.0);
        return t;
    }();
    return table;
}

double fraction(double x) {
    double f = x - std::floor(x);
    return f >= 1.0 ? 0.0 : f;
}

float snapValue(float v) {
    float k = std::floor((v + 1.0f) * 12.0f + 0.5f);
    k = std::clamp(k, 0.0f, 24.0f);
    return (k - 12.0f) / 12.0f;
}
} // namespace

float glideCurveValue(float base, float amount, float glide, XLFO::GlideCurve curve, float position) {
    if (position <= 1.0f - glide) return base;
    float t = (position - (1.0f - glide)) / glide;
    float f;
    switch (curve) {
    case XLFO::GlideCurve::kSqr:
        f = t * t;
        break;
    case XLFO::GlideCurve::kSqrt:
        f = std::copysign(std::sqrt(std::fabs(t)), t);
        break;
    case XLFO::GlideCurve::kSine:
        f = glideSineTable().lookup(t);
        break;
    default:
        f = t;
        break;
    }
    return base + amount * f;
}

void XLFO::Step::propertyChanged(AbstractProperty& property) {
    if (&property == &value || &property == &random || &property == &snap) cached = false;
}

XLFO::XLFO(wave::Environment& environment)
    : wave::Source(environment), freq(environment, 1.0f), balance(environment, 0.5f),
      glide(environment, 0.0f), phaseOffset(environment, 0.0f), outputGain(environment, 1.0f) {
    glideSineTable();
    freq.getParameter().setLimits(0.0f, 5000.0f);
    freq.getParameter().smallChangeTime.setValue(0.1f);
    freq.getParameter().largeChangeTime.setValue(0.1f);
    balance.getParameter().setLimits(0.0001f, 0.9999f);
    balance.getParameter().smallChangeTime.setValue(0.5f);
    balance.getParameter().largeChangeTime.setValue(0.5f);
    glide.getParameter().setLimits(-1.0f, 1.0f);
    phaseOffset.getParameter().setLimits(-2.0f, 2.0f);
    for (std::int32_t i = 0; i < kMaxSteps; ++i)
        steps_.push_back(std::make_unique<Step>(*this, i));
    randomState_ = static_cast<std::uint32_t>(std::rand() % (1 << 23)) + (1u << 23);
    for (auto& step : steps_)
        step->lastRandom = nextRandom(0.5f);
    layoutSteps(0.5f);
    registerComponent();
}

XLFO::~XLFO() = default;

void XLFO::propertyChanged(AbstractProperty& property) {
    if (&property == &numSteps) {
        numSteps_ = std::clamp(numSteps.getValue(), 1, kMaxSteps);
        layoutSteps(balanceInUse_);
        currentStep_ = std::min(currentStep_, numSteps_ - 1);
    } else if (&property == &glideCurve) {
        for (auto& step : steps_)
            step->glideCurve.setValue(glideCurve.getValue());
    }
}

void XLFO::layoutSteps(float s) {
    if (!(s > 0.0f && s < 1.0f)) s = 0.5f;
    if (s != balanceInUse_) {
        // Keep the position within the current half.
        double old = balanceInUse_;
        double p = phase_;
        double moved = p < old ? p * s / old : s + (p - old) / (1.0 - old) * (1.0 - s);
        setPhase(fraction(moved), fraction(phaseNoOffset_ + (moved - p)));
        secondHalf_ = phase_ >= s;
    }
    balanceInUse_ = s;
    const std::int32_t n = numSteps_;
    for (std::int32_t i = 0; i < n; ++i) {
        Step& step = *steps_[static_cast<std::size_t>(i)];
        step.start = 2 * i < n ? (2.0 * s / n) * i : s + (2.0 * (1.0 - s) / n) * (i - n / 2.0);
        step.straddlesBalance = 2 * i + 1 == n;
    }
    for (std::int32_t i = 0; i < n; ++i) {
        Step& step = *steps_[static_cast<std::size_t>(i)];
        step.end = i + 1 < n ? steps_[static_cast<std::size_t>(i + 1)]->start : 1.0;
        double width = step.end - step.start;
        step.invWidth = width > 0.0 ? 1.0 / width : 0.0;
    }
}

void XLFO::setPhase(double phase, double phaseNoOffset) {
    phase_ = phase;
    phaseNoOffset_ = phaseNoOffset;
}

std::int32_t XLFO::findStep(double phase) const {
    std::int32_t n = numSteps_;
    std::int32_t i = std::clamp(currentStep_, 0, n - 1);
    for (std::int32_t tries = 0; tries < n; ++tries) {
        const Step& step = *steps_[static_cast<std::size_t>(i)];
        if (phase >= step.start && phase < step.end) return i;
        i = (i + 1) % n;
    }
    return phase >= steps_[static_cast<std::size_t>(n - 1)]->start ? n - 1 : 0;
}

float XLFO::positionInStep(const Step& step, double phase) const {
    if (step.straddlesBalance) {
        double s = balanceInUse_;
        if (phase < s) return float((phase - step.start) * (0.5 / (s - step.start)));
        return float(0.5 + (phase - s) * (0.5 / (step.end - s)));
    }
    return float((phase - step.start) * step.invWidth);
}

float XLFO::nextRandom(float previous) {
    randomState_ <<= 1;
    if (randomState_ & (1u << 24)) randomState_ ^= kRandomTap;
    randomState_ &= 0xFFFFFFu;
    // Signed, so that the draw spans 0..1 around the middle state.
    double r = double(static_cast<std::int32_t>(randomState_) - 0x800000) * kRandomScale + 0.5;
    float value = randomRange.getValue() == RandomRange::kBipolar ? float(2.0 * r - 1.0) : float(r);
    if (std::fabs(value - previous) < kRandomGap)
        value = previous >= 0.5f ? previous - kRandomGap : previous + kRandomGap;
    return value;
}

float XLFO::stepValue(std::int32_t i) {
    Step& step = *steps_[static_cast<std::size_t>(i)];
    if (step.cached) return step.cachedValue;
    float v;
    if (step.random.getValue()) {
        if (numSteps_ > 1) {
            const Step& prev = *steps_[static_cast<std::size_t>((i + numSteps_ - 1) % numSteps_)];
            float previous = prev.cached ? prev.cachedValue
                                         : (prev.random.getValue() ? prev.lastRandom : prev.value.getValue());
            v = nextRandom(previous);
        } else {
            v = step.lastRandom;
            step.lastRandom = nextRandom(v);
        }
    } else {
        v = step.value.getValue();
    }
    if (step.snap.getValue()) v = snapValue(v);
    step.cachedValue = v;
    step.cached = true;
    return v;
}

void XLFO::leaveStep(std::int32_t i) {
    Step& step = *steps_[static_cast<std::size_t>(i)];
    if (step.random.getValue()) step.cached = false;
}

void XLFO::noteHalf(bool second) {
    if (second == secondHalf_) return;
    secondHalf_ = second;
    double guard = double(getEnvironment().getSampleRate()) * kHalfGuardSeconds;
    bool indicator = second && double(samplesSinceHalf_) > guard;
    samplesSinceHalf_ = 0;
    if (indicator != halfIndicator_) {
        halfIndicator_ = indicator;
        halfIndicatorChanged.notify(this);
    }
}

void XLFO::resetPhase() {
    setPhase(fraction(phase_ - phaseNoOffset_), 0.0);
    syncStart_ = -10000.0;
    secondHalf_ = phase_ >= balanceInUse_;
    for (auto& step : steps_) {
        step->cachedValue = step->value.getValue();
        step->cached = false;
        step->lastRandom = nextRandom(step->lastRandom);
    }
    fadeLength_ = 0;
    fadePosition_ = 0;
}

void XLFO::reset() {
    beatsPerSample_ = 0.0;
    halfIndicator_ = false;
    secondHalf_ = false;
    fadeLength_ = 0;
    fadePosition_ = 0;
    balanceInUse_ = 0.5f;
    lastOutput_ = -2.0f;
    lastSongPosition_ = -10000.0;
    layoutSteps(balance.getParameter().getTarget());
    resetPhase();
    syncStart_ = 0.0;
}

void XLFO::beginRestartFade(float held, std::int32_t length) {
    heldValue_ = held;
    fadePosition_ = 0;
    fadeLength_ = std::max(length, 0);
}

void XLFO::placeOnSongPosition(double position, double barsPerCycle) {
    if (syncStart_ == -10000.0) syncStart_ = position;
    lastSongPosition_ = position;
    if (!(barsPerCycle > 0.0) || !std::isfinite(position)) return;
    double offset = phase_ - phaseNoOffset_;
    double p = fraction((position - syncStart_) * 0.25 / barsPerCycle);
    setPhase(fraction(p + offset), p);
    if (!std::isfinite(phase_)) setPhase(0.0, 0.0);
    secondHalf_ = phase_ >= balanceInUse_;
}

float XLFO::currentValue() const {
    return wave::Source::currentValue();
}

float XLFO::displayValue() {
    float lo = 1.0f, hi = -1.0f;
    for (std::int32_t i = 0; i < numSteps_; ++i) {
        float v = stepValue(i);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    float x = fast_ ? outputGain.getSource()->currentValue() * (lo + hi) * 0.5f : lastOutput_;
    if (lo < -kEpsilon && hi > kEpsilon) return (x - lo) / (hi - lo) * std::max(-lo, hi);
    return std::fabs(x);
}

void XLFO::produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept {
    float* out = block->data();
    const wave::BasicBlock<float>& f = freq.pull(count);
    const wave::BasicBlock<float>& b = balance.pull(count);
    const wave::BasicBlock<float>& g = glide.pull(count);
    const wave::BasicBlock<float>& o = phaseOffset.pull(count);
    layoutSteps(b.data()[0]);
    const double rate = getEnvironment().getSampleRate() > 0.0f ? getEnvironment().getSampleRate() : 1.0;
    const std::int32_t n = numSteps_;

    auto increment = [&](int i) {
        double v = double(f.data()[f.isConstant() ? 0 : i]) / rate;
        // A non-finite or negative rate stands still rather than hang.
        return std::isfinite(v) && v > 0.0 ? fraction(v) : 0.0;
    };

    const bool freqConstant = f.isConstant();
    const double constantIncrement = increment(0);
    const bool constantBlock =
        (mode & kConstantAllowed) != 0 && f.isConstant() && b.isConstant() && o.isConstant();
    int rendered = constantBlock ? std::min(count, 1) : count;
    float previousOffset = lastPhaseOffset_;
    for (int i = 0; i < rendered; ++i) {
        float offset = o.data()[o.isConstant() ? 0 : i];
        if (std::isfinite(offset) && offset != previousOffset) {
            double moved = fraction(phase_ + double(offset - previousOffset));
            phase_ = moved;
        }
        previousOffset = offset;
        std::int32_t found = findStep(phase_);
        if (found != currentStep_) {
            leaveStep(currentStep_);
            currentStep_ = found;
        }
        Step& step = *steps_[static_cast<std::size_t>(currentStep_)];
        float value = stepValue(currentStep_);
        float amount = stepValue((currentStep_ + 1) % n) - value;
        float glideAmount = 0.0f;
        if (!(n == 1 && !step.random.getValue())) {
            glideAmount = std::min(step.glide.getValue() + g.data()[g.isConstant() ? 0 : i], 1.0f);
            double floor = kGlideFloorFactor * double(f.data()[f.isConstant() ? 0 : i]);
            floor *= floor;
            if (!(glideAmount >= floor)) glideAmount = float(floor);
        }
        out[i] = glideCurveValue(value, amount, glideAmount, step.glideCurve.getValue(),
                                 positionInStep(step, phase_));
        double advance = constantBlock  ? fraction(increment(0) * double(count))
                         : freqConstant ? constantIncrement
                                        : increment(i);
        // Both phases and the advance lie in [0, 1): one wrap at most.
        double next = phase_ + advance;
        double nextNoOffset = phaseNoOffset_ + advance;
        setPhase(next >= 1.0 ? next - 1.0 : next, nextNoOffset >= 1.0 ? nextNoOffset - 1.0 : nextNoOffset);
        ++samplesSinceHalf_;
        noteHalf(phase_ >= balanceInUse_);
        if (!(phase_ >= step.start && phase_ < step.end)) {
            leaveStep(currentStep_);
            currentStep_ = findStep(phase_);
        }
    }
    lastPhaseOffset_ = previousOffset;
    if (constantBlock && count > 0) {
        samplesSinceHalf_ += count - 1;
        std::fill(out, out + ((count + 3) & ~3), out[0]);
        block->setConstant(true);
        lastOutput_ = -2.0f;
    } else {
        block->setConstant(false);
        if (fadeLength_ > 0) {
            for (int i = 0; i < count && fadePosition_ < fadeLength_; ++i, ++fadePosition_)
                out[i] =
                    heldValue_ + (out[i] - heldValue_) * float(fadePosition_ + 1) / float(fadeLength_ + 1);
            if (fadePosition_ >= fadeLength_) fadeLength_ = 0;
        }
        if (count > 0) lastOutput_ = out[0];
    }
    fast_ = float(n) * f.data()[0] * 0.5f > kFastLimit;
    outputGain.applyGain(out, out, count);
}
