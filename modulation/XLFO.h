#pragma once

// XLFO: a step LFO. One cycle is divided into up to 16 steps, the first
// half of them before the Balance point and the second half after it; each
// step holds a value in [-1, 1] (or a random value), optionally snapped to
// a 1/12 grid, and glides into the next step over the end of its width.
//
// Inputs (smoothed, modulatable): Freq in Hz (fed by an XLFOFreqController
// for tempo sync), Balance, a global Glide added to every step's glide, and
// Phase Offset; the output gain applies to the finished block.
//
// Random steps come from a 24-bit Galois generator; consecutive random
// steps differ by at least 0.2.
//
// Threading: audio thread; the half indicator's event fires there and its
// handlers must only post. Steps and properties are set up on the main
// thread (or from the parameter queue drain).

#include "dsp/FloatParameter.h"
#include "dsp/FunctionTable.h"
#include "dsp/wave/Producer.h"
#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"

#include <cstdint>
#include <memory>
#include <vector>

class XLFO : public wave::Source, public PropertyOwner {
public:
    enum class GlideCurve : std::int32_t { kLinear = 0, kSqr = 1, kSqrt = 2, kSine = 3 };
    enum class RandomRange : std::int32_t { kBipolar = 0, kUnipolar = 1 };

    static constexpr std::int32_t kMaxSteps = 16;
    // produce() mode bit: a constant result is acceptable.
    static constexpr int kConstantAllowed = 1;

    class Step : public PropertyOwner {
    public:
        explicit Step(XLFO& owner, std::int32_t index) : index(index), owner(&owner) {}
        void propertyChanged(AbstractProperty& property) override;

        Property<float> value{this, 0.0f};
        Property<float> glide{this, 0.0f};
        Property<GlideCurve> glideCurve{this, GlideCurve::kLinear};
        Property<bool> random{this, false};
        Property<bool> snap{this, false};
        std::int32_t index;
        bool straddlesBalance = false;
        float cachedValue = 0.0f;
        bool cached = false;
        float lastRandom = 0.0f;
        double start = 0.0;
        double end = 1.0;
        double invWidth = 1.0;
        XLFO* owner;
    };

    explicit XLFO(wave::Environment& environment);
    ~XLFO() override;

    FloatParameterBus freq;
    FloatParameterBus balance;
    FloatParameterBus glide;
    FloatParameterBus phaseOffset;
    FloatParameterBus outputGain;

    // 1..16.
    Property<std::int32_t> numSteps{this, kMaxSteps};
    // Sets every step's curve.
    Property<GlideCurve> glideCurve{this, GlideCurve::kLinear};
    Property<RandomRange> randomRange{this, RandomRange::kBipolar};

    // Fired (argument: this) when the half indicator changes.
    NotifyEvent halfIndicatorChanged;

    Step& getStep(std::int32_t i) { return *steps_[static_cast<std::size_t>(i)]; }
    std::int32_t getNumSteps() const { return numSteps_; }

    // The value a step takes now (cached until the step is left).
    float stepValue(std::int32_t i);
    // A new random value drawn against the previous value (in the output range).
    float nextRandom(float previous);
    std::uint32_t getRandomState() const { return randomState_; }
    void setRandomState(std::uint32_t state) { randomState_ = state & 0xFFFFFFu; }

    // The editor's view of the output.
    float displayValue();
    // Back to the start of the cycle (keeping the phase offset).
    void resetPhase();
    // Lays the steps out for a balance (and the current step count).
    void layoutSteps(float balanceValue);
    // A crossfade from the held value over the next length samples. Nothing
    // in the product starts one; the arithmetic is kept for restarts.
    void beginRestartFade(float held, std::int32_t length);

    double getPhase() const { return phase_; }
    double getPhaseNoOffset() const { return phaseNoOffset_; }
    bool isSecondHalf() const { return secondHalf_; }
    bool getHalfIndicator() const { return halfIndicator_; }
    bool isFast() const { return fast_; }
    float getBalanceInUse() const { return balanceInUse_; }

    // Tempo sync (XLFOFreqController): places the cycle on the song
    // position; start position -10000 means none (the next one is taken).
    void placeOnSongPosition(double position, double barsPerCycle);
    double getSyncStart() const { return syncStart_; }
    void setBeatsPerSample(double value) { beatsPerSample_ = value; }

    float currentValue() const override;
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;
    void reset() override;
    void propertyChanged(AbstractProperty& property) override;

private:
    std::int32_t findStep(double phase) const;
    float positionInStep(const Step& step, double phase) const;
    void leaveStep(std::int32_t i);
    void noteHalf(bool secondHalf);
    void setPhase(double phase, double phaseNoOffset);

    std::vector<std::unique_ptr<Step>> steps_;
    std::int32_t numSteps_ = kMaxSteps;
    float balanceInUse_ = 0.5f;
    double phase_ = 0.0;
    double phaseNoOffset_ = 0.0;
    float lastPhaseOffset_ = 0.0f;
    std::int32_t currentStep_ = 0;
    bool secondHalf_ = false;
    bool halfIndicator_ = false;
    std::int64_t samplesSinceHalf_ = 0;
    float heldValue_ = 0.0f;
    std::int32_t fadePosition_ = 0;
    std::int32_t fadeLength_ = 0;
    std::uint32_t randomState_;
    float lastOutput_ = -2.0f;
    bool fast_ = false;
    double beatsPerSample_ = 0.0;
    double syncStart_ = -10000.0;
    double lastSongPosition_ = -10000.0;
};

// The glide shape: base until 1 - glide, then base + amount x f(t) with t
// running 0..1 over the rest of the step (f: t, t^2, signed sqrt, sine).
float glideCurveValue(float base, float amount, float glide, XLFO::GlideCurve curve, float position);
