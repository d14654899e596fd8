#pragma once

// DelayLine: the graph filter that delays one signal by a time that may
// change every sample.
//
// The time input is a FloatParameterBus (by default the line's own
// parameter), read in milliseconds or in samples. Four read styles:
//   kTape            linear interpolation at each sample's (smoothed,
//                    fractional) delay: a moving time changes the pitch;
//   kStretch         whole-sample reads only; every 85 ms a crossfade moves
//                    the read point to the delay current at that moment, so
//                    the pitch never changes;
//   kChangeCrossfade a new delay is taken at block starts through a 0.2 s
//                    linear crossfade; a change during a fade waits for it;
//   kAllpass         as kTape through a first-order allpass interpolator.
// While the time does not move, every style reads whole blocks at the
// integer delay (the fast path); after a glide, Stretch returns to it only
// once its fades have reached that delay, so it never jumps unfaded.
//
// Milliseconds truncate to samples (trunc(T * fs / 1000)); a time given in
// samples rounds to the nearest sample, halves away from zero. A steady
// fractional time therefore reads the integer delay; fractional delays are
// read only while the time moves.
//
// The time smoother is a critically damped two-pole low-pass (damping 2,
// 5 Hz by default) towards the integer target; it restarts (jumps) after
// updateSmoothing, which runs on prepare and on every change of the
// smoothing frequency, and after a reset.
//
// Feedback: the line is built with the deferred write and scheduled at
// order 0, so a graph may feed the line's output back into its input (the
// environment writes the input after every consumer has read the block).
// Every read delay is therefore at least the environment's largest chunk
// (one sample more for the allpass read), so that no read reaches the block
// that is not written yet, and at most the ring's maximum delay.
//
// The line has a tail: isIdle is false from the block in which sound (above
// -140 dB) enters the ring until it can no longer be read (the maximum delay
// later); a full reset or prepare makes it idle at once.
//
// Threading: construction, prepare, setMaximumDelay, a change of the
// interpretation and sample-rate changes re-size the ring and run on the main
// thread only. Processing, the read-type, smoothing-switch and smoothing-
// frequency changes run on the audio thread and never allocate.

#include "dsp/FloatParameter.h"
#include "dsp/wave/Delay.h"
#include "foundation/Property.h"

#include <cstdint>
#include <vector>

class DelayLineBase : public wave::DelayFilterBase, public wave::AbstractDelay {
public:
    explicit DelayLineBase(wave::Environment& environment);
    ~DelayLineBase() override;

    // Forward to the ring buffer (positioned for the current block).
    void readFixed(int delay, float* out, int count) override { getDelay().readFixed(delay, out, count); }
    void readLinear(const float* delays, float* out, int count) override {
        getDelay().readLinear(delays, out, count);
    }
    void readAllpass(const float* delays, float& state, float* out, int count) override {
        getDelay().readAllpass(delays, state, out, count);
    }

    // Sizes the ring for the maximum delay at the current sample rate and
    // empties it. Main thread only.
    virtual void prepare();
    // Milliseconds; stores the value and runs prepare. Main thread only.
    virtual void setMaximumDelay(float milliseconds);
    float getMaximumDelay() const { return maximumDelay_; }
    // The ring's maximum delay in samples.
    int getMaximumDelaySamples() const { return maximumDelaySamples_; }

    bool isIdle() const override;
    void reset() override;
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;

protected:
    // The delays a read may use, in samples: from the largest chunk (one
    // more for the allpass read) to the ring's maximum delay.
    struct DelayRange {
        double shortest;
        double longest;
        // NaN gives the shortest.
        double limit(double samples) const noexcept {
            if (!(samples >= shortest)) return shortest;
            return samples > longest ? longest : samples;
        }
        // Whole samples: truncated after limiting (the limits are whole).
        int whole(double samples) const noexcept { return static_cast<int>(limit(samples)); }
    };
    DelayRange readableRange(bool allpass) const;

    // Change crossfade (read type 2).
    bool prepared_ = true;
    int oldDelay_ = 0;
    int currentDelay_ = 0;
    int fadePosition_ = 0;
    int fadeLength_ = 0;

    float maximumDelay_ = 5000.0f;
    int maximumDelaySamples_ = 0;
    // Per-sample delays in samples, and the second read of a crossfade.
    wave::BasicBlock<float> scratch_;

private:
    void onSampleRateChanged();

    // Silence tracking for isIdle: the sample position where the last block
    // with sound in it ended entering the ring.
    bool holdsSound_ = false;
    std::uint64_t soundEnd_ = 0;
};

class DelayLine : public DelayLineBase, public PropertyOwner {
public:
    enum DelayInterpretation : int {
        kMilliseconds = 0,
        kSamples = 1,
    };
    // Values outside 0..3 read as kTape.
    enum ReadType : int {
        kTape = 0,
        kStretch = 1,
        kChangeCrossfade = 2,
        kAllpass = 3,
    };

    explicit DelayLine(wave::Environment& environment);

    void prepare() override;
    // Empties the ring and forgets every read in progress: the time smoother
    // restarts (the first time after the reset is taken at once, not glided
    // to from the old one), and no stretch fade, change crossfade or allpass
    // state carries over. The line then reads as a new one.
    void reset() override;
    // Recomputes the smoother coefficient from the smoothing frequency,
    // g = min(2 sin(pi min(f / fs, 0.5)), 0.5), and restarts the smoother.
    // (Above 0.5 the recursion rings; above 2 sqrt(2) - 2 it diverges.)
    virtual void updateSmoothing();
    void propertyChanged(AbstractProperty& property) override;

    // The time: milliseconds or samples, per the interpretation.
    FloatParameterBus timeInput;
    Property<DelayInterpretation> interpretation{this, kMilliseconds};
    Property<ReadType> readType{this, kTape};
    Property<bool> timeSmoothing{this, true};
    // The time smoother's frequency in hertz.
    Property<float> smoothingFrequency{this, 5.0f};

    float getSmoothingCoefficient() const { return smoother_.coefficient; }
    // The stretch crossfade length in samples (trunc(0.085 fs)).
    int getStretchFadeLength() const { return reader_.length; }

protected:
    void process(wave::BasicBlock<float>& out, int count) noexcept override;

private:
    struct TimeSmoother {
        static constexpr double kDamping = 2.0;
        float coefficient = 0.0f;
        bool restart = true;
        double velocity = 0.0;
        double position = 0.0;
    };

    // Two whole-sample taps and a crossfade between them (read type 1); also
    // holds the allpass state of read type 3.
    struct CrossfadeReader {
        float allpassState = 0.0f;
        float step = 0.0f;
        int length = 1;
        int position = 0;
        int current = -1;
        int tapDelay[2] = {-1, -1};
        // The outgoing tap's gain at each fade position (levelFromPosition).
        std::vector<float> gains;
        wave::BasicBlock<float>* taps[2] = {nullptr, nullptr};

        void restart(float sampleRate);
        void buildGains();
    };

    // Delay in samples of a time value (truncated for milliseconds, rounded
    // for samples), limited to the readable range.
    int integerDelay(float time, const DelayRange& range) const noexcept;
    void smoothTimes(const float* time, int count, bool constant, const DelayRange& range) noexcept;
    void readStretch(float* out, int count) noexcept;
    void readChangeCrossfade(int delay, float* out, int count) noexcept;
    void resetReader();

    TimeSmoother smoother_;
    CrossfadeReader reader_;
    wave::BasicBlock<float> tap0_;
    wave::BasicBlock<float> tap1_;
};
