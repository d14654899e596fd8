#include "dsp/DelayLine.h"

#include "dsp/Smoothing.h"
#include "dsp/ValueMaps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// Samples of the ring at five seconds of the construction rate.
constexpr double kInitialSeconds = 5.0;
// The longest ring a line asks for (about 23 minutes at 48 kHz).
constexpr double kLongestRing = 67108864.0;
// Stretch fades last 85 ms, change crossfades 0.2 s.
constexpr double kStretchSeconds = 0.085;
constexpr double kChangeFadeSeconds = 0.2;
// The smoother counts as settled this close to the target.
constexpr double kSettled = 0.001;
// Input at or below this magnitude (-140 dB) counts as silence for isIdle.
constexpr float kSilence = 1.0e-7f;

// A ring length in whole samples: 0 for nothing (or NaN), at most the longest.
int ringSamples(double samples) {
    if (!(samples > 0.0)) return 0;
    return static_cast<int>(std::min(samples, kLongestRing));
}

bool hasSound(const wave::BasicBlock<float>& block, int count) {
    const float* x = block.data();
    if (block.isConstant()) return std::fabs(x[0]) > kSilence;
    for (int i = 0; i < count; ++i)
        if (std::fabs(x[i]) > kSilence) return true;
    return false;
}
} // namespace

// ----------------------------------------------------------- DelayLineBase --

DelayLineBase::DelayLineBase(wave::Environment& environment)
    : wave::DelayFilterBase(environment, ringSamples(environment.getSampleRate() * kInitialSeconds),
                            kWriteDeferred),
      scratch_(environment) {
    maximumDelaySamples_ = getDelay().getMaxDelay();
    environment.sampleRateChanged.addHandler(NotifyEvent::bind(this, &DelayLineBase::onSampleRateChanged));
}

DelayLineBase::~DelayLineBase() {
    wave::Environment& e = getEnvironment();
    if (!e.isTearingDown()) e.sampleRateChanged.removeHandler(this, &DelayLineBase::onSampleRateChanged);
}

void DelayLineBase::onSampleRateChanged() {
    prepare();
}

void DelayLineBase::prepare() {
    int samples = ringSamples(static_cast<double>(maximumDelay_) * 0.001 * getEnvironment().getSampleRate());
    // The ring always reaches the shortest readable delay.
    int maxDelay = std::max(samples, static_cast<int>(readableRange(true).shortest));
    wave::Delay& delay = getDelay();
    delay.setMaxDelay(maxDelay);
    delay.clear();
    maximumDelaySamples_ = delay.getMaxDelay();
    prepared_ = true;
    scratch_.data()[0] = 0.0f;
    holdsSound_ = false;
}

void DelayLineBase::setMaximumDelay(float milliseconds) {
    maximumDelay_ = milliseconds > 0.0f ? milliseconds : 0.0f; // NaN too
    prepare();
}

DelayLineBase::DelayRange DelayLineBase::readableRange(bool allpass) const {
    double shortest = getEnvironment().getMaxChunkSize() + (allpass ? 1 : 0);
    return {shortest, std::max<double>(maximumDelaySamples_, shortest)};
}

void DelayLineBase::produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept {
    wave::DelayFilterBase::produce(block, count, mode);
    if (mode != wave::Environment::kScheduledFirst || getInput() == nullptr) return;
    // The order-0 call has just written the input's block into the ring.
    if (hasSound(getInput()->getCurrentBlock(), count)) {
        holdsSound_ = true;
        soundEnd_ = getEnvironment().getSamplePosition() + static_cast<std::uint64_t>(count);
    }
}

bool DelayLineBase::isIdle() const {
    if (!holdsSound_) return true;
    // Sound stays readable for the maximum delay after it entered the ring.
    return getEnvironment().getSamplePosition() >
           soundEnd_ + static_cast<std::uint64_t>(maximumDelaySamples_);
}

void DelayLineBase::reset() {
    wave::DelayFilterBase::reset();
    holdsSound_ = false;
}

// --------------------------------------------------------------- DelayLine --

DelayLine::DelayLine(wave::Environment& environment)
    : DelayLineBase(environment), timeInput(environment, 0.0f), tap0_(environment), tap1_(environment) {
    reader_.taps[0] = &tap0_;
    reader_.taps[1] = &tap1_;
    setOrder(0);
    prepare();
}

void DelayLine::prepare() {
    DelayLineBase::prepare();
    FloatParameter& time = timeInput.getParameter();
    float maximum =
        interpretation.getValue() == kSamples ? static_cast<float>(getMaximumDelaySamples()) : maximumDelay_;
    time.setLimits(time.getMinimum(), maximum);
    updateSmoothing();
    resetReader();
    reader_.buildGains();
}

void DelayLine::reset() {
    DelayLineBase::reset();
    smoother_.restart = true;
    smoother_.velocity = 0.0;
    smoother_.position = 0.0;
    reader_.allpassState = 0.0f;
    resetReader();
    prepared_ = true;
    oldDelay_ = 0;
    currentDelay_ = 0;
    fadePosition_ = 0;
    fadeLength_ = 0;
    scratch_.data()[0] = 0.0f;
}

void DelayLine::updateSmoothing() {
    smoother_.coefficient =
        smoothingCoefficient(smoothingFrequency.getValue(), getEnvironment().getSampleRate());
    smoother_.restart = true;
}

void DelayLine::propertyChanged(AbstractProperty& property) {
    if (&property == &interpretation)
        prepare();
    else if (&property == &readType && readType.getValue() == kStretch)
        resetReader();
    else if (&property == &smoothingFrequency)
        updateSmoothing();
}

void DelayLine::resetReader() {
    reader_.restart(getEnvironment().getSampleRate());
}

void DelayLine::CrossfadeReader::restart(float sampleRate) {
    length = std::max(static_cast<int>(kStretchSeconds * static_cast<double>(sampleRate)), 1);
    step = 1.0f / static_cast<float>(length);
    position = 0;
    current = -1;
    tapDelay[0] = -1;
    tapDelay[1] = -1;
}

void DelayLine::CrossfadeReader::buildGains() {
    gains.resize(static_cast<std::size_t>(length));
    for (int p = 0; p < length; ++p)
        gains[static_cast<std::size_t>(p)] = levelFromPosition(1.0f - static_cast<float>(p) * step);
}

int DelayLine::integerDelay(float time, const DelayRange& range) const noexcept {
    if (interpretation.getValue() == kSamples) // to the nearest, halves away from zero
        return range.whole(time < 0.0f ? static_cast<double>(time) - 0.5 : static_cast<double>(time) + 0.5);
    return range.whole(static_cast<double>(time) * getEnvironment().getSampleRate() * 0.001);
}

void DelayLine::process(wave::BasicBlock<float>& out, int count) noexcept {
    const wave::BasicBlock<float>& timeBlock = timeInput.pull(count);
    const float* time = timeBlock.data();
    int type = readType.getValue();
    if (type < kTape || type > kAllpass) type = kTape;
    DelayRange range = readableRange(type == kAllpass);
    int delay = integerDelay(time[0], range);
    float* o = out.data();
    out.setConstant(false);

    if (type == kChangeCrossfade) {
        readChangeCrossfade(delay, o, count);
        return;
    }

    bool smoothing = timeSmoothing.getValue();
    bool steady = !smoothing || smoother_.restart || std::fabs(smoother_.position - delay) < kSettled;
    // Stretch keeps fading while its taps differ, and after a glide until
    // they have reached the block's delay: the smoother comes within 0.001 of
    // the delay while a glide from below still truncates to one sample less,
    // and a whole-block read at the delay would jump there without a fade.
    const int* taps = reader_.tapDelay;
    bool fading = type == kStretch && (taps[0] != taps[1] ||
                                       (smoothing && !smoother_.restart && taps[0] >= 0 && taps[0] != delay));
    if (timeBlock.isConstant() && steady && !fading) {
        readFixed(delay, o, count);
        scratch_.data()[0] = static_cast<float>(delay);
        return;
    }

    float* s = scratch_.data();
    if (smoothing) {
        smoothTimes(time, count, timeBlock.isConstant(), range);
    } else {
        double k = interpretation.getValue() == kSamples ? 1.0 : getEnvironment().getSampleRate() * 0.001;
        for (int i = 0; i < count; ++i)
            s[i] = static_cast<float>(range.limit(static_cast<double>(time[i]) * k));
    }

    switch (type) {
    case kStretch:
        readStretch(o, count);
        break;
    case kAllpass:
        readAllpass(s, reader_.allpassState, o, count);
        break;
    default:
        readLinear(s, o, count);
        break;
    }
}

void DelayLine::smoothTimes(const float* time, int count, bool constant, const DelayRange& range) noexcept {
    // Targets are whole samples: milliseconds truncate, samples round.
    bool samples = interpretation.getValue() == kSamples;
    double k = samples ? 1.0 : static_cast<double>(getEnvironment().getSampleRate());
    double scale = samples ? 1.0 : 0.001;
    double r = samples ? 0.5 : 0.0;
    auto target = [&](float t) {
        return static_cast<double>(range.whole(static_cast<double>(t) * k * scale + r));
    };

    TimeSmoother& sm = smoother_;
    if (sm.restart) {
        sm.position = target(time[0]);
        sm.velocity = 0.0;
        sm.restart = false;
    }
    double c = sm.coefficient;
    double position = sm.position;
    double velocity = sm.velocity;
    float* s = scratch_.data();
    // Per sample: position += c velocity; out = position;
    // velocity += (target - d velocity - position) c. The velocity update is
    // evaluated as velocity (1 - d c - c^2) + c (target - old position), the
    // same recursion with half the dependency chain.
    double a = 1.0 - TimeSmoother::kDamping * c - c * c;
    if (constant) {
        // A constant block has one target.
        double t = target(time[0]);
        for (int i = 0; i < count; ++i) {
            double next = position + c * velocity;
            velocity = velocity * a + (t - position) * c;
            position = next;
            s[i] = static_cast<float>(position);
        }
    } else {
        for (int i = 0; i < count; ++i) {
            double t = target(time[i]);
            double next = position + c * velocity;
            velocity = velocity * a + (t - position) * c;
            position = next;
            s[i] = static_cast<float>(position);
        }
    }
    sm.position = position;
    sm.velocity = velocity;
}

void DelayLine::readStretch(float* out, int count) noexcept {
    CrossfadeReader& r = reader_;
    int d0 = static_cast<int>(scratch_.data()[0]);
    if (r.current < 0) {
        r.position = 0;
        r.current = 0;
        r.tapDelay[0] = d0;
    }
    float* tap[2] = {r.taps[0]->data(), r.taps[1]->data()};
    std::size_t bytes = static_cast<std::size_t>(count) * sizeof(float);
    readFixed(r.tapDelay[0], tap[0], count);
    if (r.tapDelay[1] >= 0) {
        if (r.tapDelay[1] == r.tapDelay[0])
            std::memcpy(tap[1], tap[0], bytes);
        else
            readFixed(r.tapDelay[1], tap[1], count);
    }
    bool tabled = static_cast<int>(r.gains.size()) == r.length;
    int i = 0;
    while (i < count) {
        int cur = r.current;
        int next = (cur + 1) & 1;
        if (r.position == 0) {
            // A new fade towards the delay of this block's start.
            r.tapDelay[next] = d0;
            if (d0 == r.tapDelay[cur])
                std::memcpy(tap[next], tap[cur], bytes);
            else
                readFixed(d0, tap[next], count);
        }
        int m = std::min(count - i, r.length - r.position);
        const float* incoming = tap[next];
        const float* outgoing = tap[cur];
        for (int j = 0; j < m; ++j, ++i) {
            float g = tabled ? r.gains[static_cast<std::size_t>(r.position + j)]
                             : levelFromPosition(1.0f - static_cast<float>(r.position + j) * r.step);
            out[i] = (1.0f - g) * incoming[i] + g * outgoing[i];
        }
        r.position += m;
        if (r.position >= r.length) {
            r.current = next;
            r.position = 0;
        }
    }
}

void DelayLine::readChangeCrossfade(int delay, float* out, int count) noexcept {
    if (prepared_) {
        currentDelay_ = delay;
        fadePosition_ = fadeLength_;
        prepared_ = false;
    } else if (fadePosition_ >= fadeLength_ && delay != currentDelay_) {
        oldDelay_ = currentDelay_;
        currentDelay_ = delay;
        fadePosition_ = 0;
        fadeLength_ =
            static_cast<int>(static_cast<double>(getEnvironment().getSampleRate()) * kChangeFadeSeconds);
    }
    readFixed(currentDelay_, out, count);
    if (fadePosition_ >= fadeLength_) return;
    float* old = scratch_.data();
    readFixed(oldDelay_, old, count);
    int m = std::min(count, fadeLength_ - fadePosition_);
    float length = static_cast<float>(fadeLength_);
    for (int i = 0; i < m; ++i) {
        float g = static_cast<float>(fadePosition_ + i) / length;
        out[i] = old[i] * (1.0f - g) + out[i] * g;
    }
    fadePosition_ += m;
}
