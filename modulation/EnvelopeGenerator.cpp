#include "modulation/EnvelopeGenerator.h"

#include "dsp/BlockKernels.h"
#include "modulation/Trigger.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
constexpr float kAlmostOne = 0.9999999f;
// The scaled update interval is 64 samples at 44100 Hz: 64 / 44100 s.
constexpr float kScaledIntervalSeconds = 0.0014512471f;
constexpr std::int32_t kFixedInterval = 64;
// Below 4 samples the chunk loop could not advance.
constexpr std::int32_t kShortestInterval = 4;
// The longest stage in samples (keeps every count an int32 multiple of 4).
constexpr double kLongestStage = 1.0e9;
// Gate events fire at most every 0.1 s.
constexpr float kGateEventSpacing = 0.1f;

struct CurveRow {
    float key;
    std::array<float, 5> k;
};
// k5..k1 of P(p) = k5 p^5 + k4 p^4 + k3 p^3 + k2 p^2 + k1 p; every row sums to 1.
constexpr CurveRow kCurveTable[] = {
    {-1.0f, {0.3f, 0.4f, 0.3f, 0.0f, 0.0f}},        {0.0f, {0.0f, 0.0f, 0.0f, 0.0f, 1.0f}},
    {0.2f, {-3.0f, 10.0f, -12.625f, 6.625f, 0.0f}}, {0.5f, {0.0f, 0.0f, 0.0f, -1.0f, 2.0f}},
    {0.6f, {-0.525f, 1.45f, -0.825f, -1.6f, 2.5f}}, {1.0f, {0.3f, -1.9f, 4.9f, -6.3f, 4.0f}},
};

// A sample count of a time: truncated, then up to a multiple of 4.
std::int32_t ceil4(double samples) {
    if (!(samples > 0.0)) return 0;
    samples = std::min(samples, kLongestStage);
    auto t = static_cast<std::int32_t>(samples);
    return (t + 3) & ~3;
}

std::int32_t roundUp4(std::int32_t n) {
    return (n + 3) & ~3;
}

bool changed(float last, float now) {
    return std::isnan(last) || std::fabs(now - last) > kEpsilon;
}

// A finite, non-negative time (NaN and negatives count as 0).
float timeOf(float x) {
    return x > 0.0f ? std::min(x, 1.0e6f) : 0.0f;
}

// The key of the decay's upward curve for a decay key.
float decayUpKey(float key) {
    if (key < 0.0f) return key;
    if (key <= 0.6f) return key / 3.0f;
    return (key - 0.6f) * 2.0000002f + 0.2f;
}
} // namespace

std::array<float, 5> EnvelopeGenerator::curveCoefficients(float key) {
    constexpr std::size_t rows = std::size(kCurveTable);
    if (!(key > kCurveTable[0].key)) return kCurveTable[0].k;
    if (key >= kCurveTable[rows - 1].key) return kCurveTable[rows - 1].k;
    std::size_t i = 1;
    while (kCurveTable[i].key < key)
        ++i;
    const CurveRow& lo = kCurveTable[i - 1];
    const CurveRow& hi = kCurveTable[i];
    float t = (key - lo.key) / (hi.key - lo.key);
    std::array<float, 5> k{};
    for (std::size_t j = 0; j < 5; ++j)
        k[j] = lo.k[j] + (hi.k[j] - lo.k[j]) * t;
    return k;
}

float EnvelopeGenerator::evaluate(const Coefficients& c, float p) {
    return (((c[0] * p + c[1]) * p + c[2]) * p + c[3]) * p * p + c[4] * p;
}

void EnvelopeGenerator::replaceCurve(Coefficients& c, const Coefficients& next, float& phase) {
    if (!(phase >= kEpsilon && phase <= kAlmostOne)) {
        c = next;
        return;
    }
    float value = std::clamp(evaluate(c, phase), 0.0f, 1.0f);
    c = next;
    float lo = 0.0f, hi = 1.0f;
    for (int i = 0; i < 64; ++i) {
        float mid = 0.5f * (lo + hi);
        float v = evaluate(c, mid);
        if (std::fabs(v - value) <= 0.001f) {
            phase = mid;
            return;
        }
        if (v < value)
            lo = mid;
        else
            hi = mid;
    }
    phase = 0.5f * (lo + hi);
}

EnvelopeGenerator::EnvelopeGenerator(wave::Environment& environment)
    : wave::Source(environment), attackTime(environment, 0.0f), attackCurve(environment, 0.2f),
      decayTime(environment, 0.0f), decayCurve(environment, 0.6f), delayTime(environment, 0.0f),
      holdTime(environment, 0.0f), outputGain(environment, 1.0f), sustainLevel(environment, 1.0f),
      releaseTime(environment, 0.0f), releaseCurve(environment, 0.6f) {
    delayTime.getParameter().setLimits(0.0f, 100.0f);
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    lastAttack_ = lastAttackCurve_ = lastDecay_ = lastDecayCurve_ = lastDelay_ = lastHold_ = lastSustain_ =
        lastRelease_ = lastReleaseCurve_ = lastRate_ = nan;
    updateInterval();
    // The initial controls, as if read from constant inputs.
    float values[9] = {0.0f, 0.2f, 0.0f, 0.6f, 0.0f, 0.0f, 1.0f, 0.0f, 0.6f};
    controls_ = {&values[0], &values[1], &values[2], &values[3], &values[4],
                 &values[5], &values[6], &values[7], &values[8]};
    readControls(0);
    controls_ = {};
    countdown_ = kFixedInterval;
    samplesSinceNotify_ = std::numeric_limits<std::int32_t>::max();
    registerComponent();
}

EnvelopeGenerator::~EnvelopeGenerator() = default;

void EnvelopeGenerator::propertyChanged(AbstractProperty& property) {
    if (&property == &updateMode) {
        updateInterval();
    } else if (&property == &range) {
        base_ = range.getValue() == Range::kRelativeToSustain ? 0.0f : sustain_;
        if (state_ == State::kIdle) current_ = base_ - sustain_;
    }
}

void EnvelopeGenerator::updateInterval() noexcept {
    if (updateMode.getValue() == UpdateMode::kScaled) {
        float samples = std::floor(getEnvironment().getSampleRate() * kScaledIntervalSeconds);
        auto n = samples > 0.0f ? static_cast<std::int32_t>(std::min(samples, 1.0e6f)) : 0;
        updateInterval_ = std::max(n & ~3, kShortestInterval);
    } else {
        updateInterval_ = kFixedInterval;
    }
}

float EnvelopeGenerator::currentValue() const {
    return outputGain.getSource()->currentValue() * current_;
}

void EnvelopeGenerator::reset() {
    state_ = State::kIdle;
    current_ = 0.0f;
    gate_ = false;
    pendingTrigger_ = false;
    releasePhase_ = 1.0f;
    releaseStart_ = 0.0f;
    remainingDelay_ = 0;
    remainingAttack_ = 0;
    updateInterval();
    if (trigger_ != nullptr) trigger_->reset();
}

void EnvelopeGenerator::noteOff() noexcept {
    releaseGate();
}

void EnvelopeGenerator::releaseGate() noexcept {
    if (gate_) gateChangedInBlock_ = true;
    gate_ = false;
    pendingTrigger_ = false;
    countdown_ = 0;
}

void EnvelopeGenerator::pullControls(int count) noexcept {
    controls_.attack = attackTime.pull(count).data();
    controls_.attackCurve = attackCurve.pull(count).data();
    controls_.decay = decayTime.pull(count).data();
    controls_.decayCurve = decayCurve.pull(count).data();
    controls_.delay = delayTime.pull(count).data();
    controls_.hold = holdTime.pull(count).data();
    controls_.sustain = sustainLevel.pull(count).data();
    controls_.release = releaseTime.pull(count).data();
    controls_.releaseCurve = releaseCurve.pull(count).data();
}

void EnvelopeGenerator::readControls(int i) noexcept {
    const float rate = getEnvironment().getSampleRate();
    const bool rateChanged = changed(lastRate_, rate);
    lastRate_ = rate;

    float delay = timeOf(controls_.delay[i]);
    if (rateChanged || changed(lastDelay_, delay)) {
        // A delay that is counting down moves by the change of its length;
        // once it is over it stays over.
        std::int32_t old = std::isnan(lastDelay_) ? 0 : ceil4(double(lastDelay_) * rate);
        std::int32_t now = ceil4(double(delay) * rate);
        if (remainingDelay_ > 0) remainingDelay_ = std::max(remainingDelay_ + now - old, 0);
        lastDelay_ = delay;
    }
    float curve = controls_.attackCurve[i];
    if (changed(lastAttackCurve_, curve)) {
        replaceCurve(attackCoefficients_, curveCoefficients(curve), attackPhase_);
        lastAttackCurve_ = curve;
    }
    float attack = timeOf(controls_.attack[i]);
    if (rateChanged || changed(lastAttack_, attack)) {
        std::int32_t n = ceil4(double(attack) * rate);
        attackStep_ = n > 0 ? 1.0f / float(n) : 1.0f;
        if (remainingAttack_ > 0) {
            double left = 3.0 - std::trunc(double(attackPhase_ - 1.0f) * n);
            remainingAttack_ = static_cast<std::int32_t>(std::min(left, kLongestStage)) & ~3;
        }
        lastAttack_ = attack;
    }
    curve = controls_.decayCurve[i];
    if (changed(lastDecayCurve_, curve)) {
        Coefficients down = curveCoefficients(curve);
        Coefficients up = curveCoefficients(decayUpKey(curve));
        if (current_ < base_ - kEpsilon) {
            replaceCurve(decayUpCoefficients_, up, decayPhase_);
            decayDownCoefficients_ = down;
        } else {
            replaceCurve(decayDownCoefficients_, down, decayPhase_);
            decayUpCoefficients_ = up;
        }
        lastDecayCurve_ = curve;
    }
    float decay = timeOf(controls_.decay[i]);
    if (rateChanged || changed(lastDecay_, decay)) {
        float samples = decay * rate;
        decayStep_ = decay < kEpsilon || !(samples > 0.0f) ? 1.0f : 1.0f / samples;
        lastDecay_ = decay;
    }
    float sustain = controls_.sustain[i];
    if (changed(lastSustain_, sustain)) {
        float oldBase = base_;
        sustain_ = sustain;
        base_ = range.getValue() == Range::kRelativeToSustain ? 0.0f : sustain;
        if (state_ == State::kIdle) current_ = base_ - sustain_;
        if (remainingAttack_ == 0 && remainingDelay_ == 0) {
            // The decay continues from the current value toward the new base.
            float c = current_;
            float phase = (std::fabs(oldBase - c) - std::fabs(base_ - c)) + decayPhase_;
            phase = phase < 0.0f ? 0.0f : std::min(phase, std::max(decayPhase_, 0.95f));
            float v = c <= base_ ? evaluate(decayUpCoefficients_, phase) - 1.0f
                                 : 1.0f - evaluate(decayDownCoefficients_, phase);
            if (std::fabs(v) <= kEpsilon || std::isnan(v)) {
                decayPhase_ = 1.0f;
                decaySpan_ = 0.0f;
            } else {
                decayPhase_ = phase;
                decaySpan_ = (c - base_) / v;
            }
        } else {
            decaySpan_ = std::max(kAlmostOne - sustain_, 0.0f);
        }
        lastSustain_ = sustain;
    }
    curve = controls_.releaseCurve[i];
    if (changed(lastReleaseCurve_, curve)) {
        replaceCurve(releaseCoefficients_, curveCoefficients(curve), releasePhase_);
        lastReleaseCurve_ = curve;
    }
    float release = timeOf(controls_.release[i]);
    if (rateChanged || changed(lastRelease_, release)) {
        float samples = release * rate;
        releaseStep_ = release < kEpsilon || !(samples > 0.0f) ? 1.0f : 1.0f / samples;
        lastRelease_ = release;
    }
    float hold = timeOf(controls_.hold[i]);
    if (rateChanged || changed(lastHold_, hold)) {
        holdSamples_ = static_cast<std::int64_t>(std::min(double(hold) * rate, kLongestStage));
        lastHold_ = hold;
    }
    countdown_ = updateInterval_;
}

void EnvelopeGenerator::startTrigger() noexcept {
    const float rate = getEnvironment().getSampleRate();
    samplesSinceTrigger_ = 0;
    attackStart_ = retriggerMode.getValue() == RetriggerMode::kFromCurrent ? current_ : base_ - sustain_;
    decaySpan_ = std::max(kAlmostOne - sustain_, 0.0f);
    remainingDelay_ = ceil4(double(lastDelay_) * rate);
    remainingAttack_ = ceil4(double(lastAttack_) * rate);
    attackStep_ = remainingAttack_ > 0 ? 1.0f / float(remainingAttack_) : 1.0f;
    attackPhase_ = 0.0f;
    decayPhase_ = 0.0f;
    releasePhase_ = 0.0f;
    state_ = State::kRunning;
    if (!gate_) gateChangedInBlock_ = true;
    gate_ = true;
    decayStarted_ = false;
}

void EnvelopeGenerator::renderChunks(float* block, int from, int to, int mode) noexcept {
    int i = from;
    while (i < to) {
        if (countdown_ <= 0) readControls(i);
        int n = std::min(to - i, countdown_);
        renderChunk(block + i, n, mode);
        countdown_ = (countdown_ - n) & ~3;
        i += n;
    }
}

void EnvelopeGenerator::renderChunk(float* out, int n, int mode) noexcept {
    std::int32_t d = std::min(n, remainingDelay_);
    std::int32_t a = std::min(n - d, remainingAttack_);
    std::int32_t s = n - d - a;
    std::int32_t r = 0;
    if (!gate_) {
        if (releasePhase_ > 0.0f) {
            d = a = s = 0;
        } else {
            std::int64_t held =
                latch.getValue()
                    ? std::int64_t(n)
                    : std::max<std::int64_t>(holdSamples_ - samplesSinceTrigger_, 0) & ~std::int64_t(3);
            auto h = static_cast<std::int32_t>(std::min<std::int64_t>(held, n));
            d = std::min(d, h);
            a = std::min(a, h - d);
            s = std::min(s, h - d - a);
        }
        r = n - d - a - s;
    }
    // The hold counts from the trigger, over every chunk rendered since.
    samplesSinceTrigger_ += n;

    const float rest = base_ - sustain_;
    if ((mode & kConstantAllowed) != 0 && state_ != State::kRunning) {
        std::fill(out, out + n, rest);
        current_ = rest;
        return;
    }
    if (d > 0) {
        std::fill(out, out + d, current_);
        remainingDelay_ = roundUp4(remainingDelay_ - d);
    }
    if (a > 0) {
        float peak = 1.0f - (sustain_ - base_) - kEpsilon;
        renderPolynomialSegment(out + d, a, attackCoefficients_.data(), attackPhase_, attackStep_,
                                attackStart_, peak - attackStart_);
        remainingAttack_ = roundUp4(remainingAttack_ - a);
        current_ = out[d + a - 1];
        releaseStart_ = current_;
    }
    if (s > 0) {
        float* o = out + d + a;
        if (!decayStarted_ || current_ > base_ + kEpsilon) {
            decayStarted_ = true;
            renderPolynomialSegment(o, s, decayDownCoefficients_.data(), decayPhase_, decayStep_,
                                    base_ + decaySpan_, -decaySpan_);
        } else if (current_ < base_ - kEpsilon) {
            renderPolynomialSegment(o, s, decayUpCoefficients_.data(), decayPhase_, decayStep_,
                                    base_ - decaySpan_, decaySpan_);
        } else {
            decayPhase_ = 0.0f;
            std::fill(o, o + s, base_);
        }
        current_ = o[s - 1];
        releaseStart_ = current_;
    }
    if (r > 0) {
        float* o = out + d + a + s;
        bool ended = renderPolynomialSegment(o, r, releaseCoefficients_.data(), releasePhase_, releaseStep_,
                                             releaseStart_, rest - releaseStart_);
        if (ended && state_ == State::kRunning) state_ = State::kFinished;
        current_ = o[r - 1];
    }
}

void EnvelopeGenerator::produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept {
    float* out = block->data();
    block->setConstant(false);
    if (state_ == State::kFinished) state_ = State::kIdle;
    const bool triggerActive = trigger_ != nullptr && trigger_->enabled.getValue();
    if (state_ == State::kIdle && !pendingTrigger_ && !triggerActive && (mode & kConstantAllowed) != 0) {
        float sustain = sustainLevel.pull(count).data()[0];
        sustain_ = sustain;
        base_ = range.getValue() == Range::kRelativeToSustain ? 0.0f : sustain;
        current_ = base_ - sustain_;
        std::fill(out, out + roundUp4(count), current_);
        block->setConstant(true);
        outputGain.applyGain(out, out, count);
        return;
    }
    pullControls(count);
    if (state_ == State::kIdle && !pendingTrigger_) {
        // At rest the output follows the sustain level at once.
        float sustain = controls_.sustain[0];
        if (sustain != sustain_) {
            sustain_ = sustain;
            lastSustain_ = sustain;
            base_ = range.getValue() == Range::kRelativeToSustain ? 0.0f : sustain;
            current_ = base_ - sustain_;
        }
    }
    if (pendingTrigger_) {
        readControls(0);
        startTrigger();
        pendingTrigger_ = false;
    }
    if (!triggerActive) {
        renderChunks(out, 0, count, mode);
    } else {
        trigger_->detectEvents(count);
        int done = 0;
        for (const Trigger::Event& event : trigger_->getEvents()) {
            int at = std::clamp(event.offset, 0, count) & ~3;
            if (at > done) {
                renderChunks(out, done, at, mode);
                done = at;
            }
            if (event.type == Trigger::EventType::kOn)
                startTrigger();
            else
                releaseGate();
        }
        renderChunks(out, done, count, mode);
    }
    samplesSinceNotify_ += count;
    bool gateChangedInBlock = gateChangedInBlock_;
    gateChangedInBlock_ = false;
    if (gateChangedInBlock || notifyPending_) {
        if (float(samplesSinceNotify_) < kGateEventSpacing * getEnvironment().getSampleRate()) {
            notifyPending_ = true;
        } else {
            notifyPending_ = false;
            samplesSinceNotify_ = 0;
            gateChanged.notify(this);
        }
    }
    if (count > 0) current_ = out[count - 1];
    outputGain.applyGain(out, out, count);
}
