#pragma once

// EnvelopeGenerator: a hold/delay/attack/decay/sustain/release envelope,
// started by notes (through the owner) or by a Trigger on an audio level.
//
// Segments are fifth-order polynomials of a phase, shaped by a curve key
// (-1..1) interpolated between the rows of a small table. Every split of a
// block is a multiple of 4 samples, so an event arriving at offset 10 acts
// at sample 8. Controls (the times, levels and curves, themselves smoothed
// inputs that slots may modulate) are re-read once per chunk of the update
// interval. The hold counts from the trigger: while fewer than the hold
// samples passed since it, a closed gate keeps the envelope going.
//
// Levels: under Range 0 the output rests at 0 and sustains at the sustain
// level; under Range 1 it rests at minus the sustain level and sustains at 0.
//
// Threading: audio thread; the gate event fires there and its handlers
// must only post. The owner's noteOn and noteOff are safe in every state.

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"
#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"

#include <array>
#include <cstdint>

class Trigger;

class EnvelopeGenerator : public wave::Source, public PropertyOwner, public wave::MuteController {
public:
    enum class Range : std::int32_t { kAbsolute = 0, kRelativeToSustain = 1 };
    enum class RetriggerMode : std::int32_t { kFromCurrent = 0, kFromRest = 1 };
    // Control re-read interval: 64 samples, or 64 at 44100 Hz scaled with the rate.
    enum class UpdateMode : std::int32_t { kFixed = 0, kScaled = 1 };
    enum class State : std::int32_t { kIdle = 0, kRunning = 1, kFinished = 2 };

    // produce() mode bit: a constant result is acceptable.
    static constexpr int kConstantAllowed = 1;

    explicit EnvelopeGenerator(wave::Environment& environment);
    ~EnvelopeGenerator() override;

    // Times in seconds, levels 0..1, curve keys -1..1.
    FloatParameterBus attackTime;
    FloatParameterBus attackCurve;
    FloatParameterBus decayTime;
    FloatParameterBus decayCurve;
    FloatParameterBus delayTime;
    FloatParameterBus holdTime;
    FloatParameterBus outputGain;
    FloatParameterBus sustainLevel;
    FloatParameterBus releaseTime;
    FloatParameterBus releaseCurve;

    Property<bool> latch{this, false};
    Property<Range> range{this, Range::kAbsolute};
    Property<RetriggerMode> retriggerMode{this, RetriggerMode::kFromCurrent};
    Property<UpdateMode> updateMode{this, UpdateMode::kFixed};

    // Fired (argument: this) when the gate changed, at most every 0.1 s.
    NotifyEvent gateChanged;

    // Owner access: a note-on starts the envelope at the next block; a
    // note-off releases the gate as a trigger's off event does.
    void noteOn() noexcept { pendingTrigger_ = true; }
    void noteOff() noexcept;
    // Not owned; null for note triggering only.
    void setTrigger(Trigger* trigger) { trigger_ = trigger; }
    Trigger* getTrigger() const { return trigger_; }

    float currentValue() const override;
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;
    void reset() override;
    bool isMuted() const override { return state_ == State::kIdle && !pendingTrigger_; }

    State getState() const { return state_; }
    bool isGateOn() const { return gate_; }
    std::int32_t getUpdateInterval() const { return updateInterval_; }
    float getEnvelopeValue() const { return current_; }

    void propertyChanged(AbstractProperty& property) override;

    // The coefficients k5..k1 of a curve key (rows interpolated, ends held).
    static std::array<float, 5> curveCoefficients(float key);

private:
    using Coefficients = std::array<float, 5>;

    struct Controls {
        const float* attack;
        const float* attackCurve;
        const float* decay;
        const float* decayCurve;
        const float* delay;
        const float* hold;
        const float* sustain;
        const float* release;
        const float* releaseCurve;
    };

    void pullControls(int count) noexcept;
    void readControls(int i) noexcept;
    void startTrigger() noexcept;
    void releaseGate() noexcept;
    // Renders samples from..to of the block in chunks of the update interval.
    void renderChunks(float* block, int from, int to, int mode) noexcept;
    void renderChunk(float* out, int n, int mode) noexcept;
    void updateInterval() noexcept;
    static float evaluate(const Coefficients& c, float phase);
    // Installs new coefficients keeping the curve's value at the phase.
    static void replaceCurve(Coefficients& c, const Coefficients& next, float& phase);

    Controls controls_{};
    Coefficients attackCoefficients_{};
    Coefficients decayDownCoefficients_{};
    Coefficients decayUpCoefficients_{};
    Coefficients releaseCoefficients_{};

    State state_ = State::kIdle;
    bool gate_ = false;
    bool pendingTrigger_ = false;
    float current_ = 0.0f;
    float attackStart_ = 0.0f;
    float releaseStart_ = 0.0f;
    std::int64_t samplesSinceTrigger_ = 0;
    std::int32_t remainingDelay_ = 0;
    std::int32_t remainingAttack_ = 0;
    float attackPhase_ = 0.0f;
    float attackStep_ = 1.0f;
    float decayPhase_ = 0.0f;
    float decayStep_ = 1.0f;
    float releasePhase_ = 1.0f;
    float releaseStep_ = 1.0f;
    float decaySpan_ = 0.0f;
    bool decayStarted_ = false;
    std::int64_t holdSamples_ = 0;
    std::int32_t countdown_ = 64;
    std::int32_t updateInterval_ = 64;
    float sustain_ = 1.0f;
    float base_ = 1.0f;
    // The last values read from each control (NaN: never read).
    float lastAttack_, lastAttackCurve_, lastDecay_, lastDecayCurve_, lastDelay_, lastHold_, lastSustain_,
        lastRelease_, lastReleaseCurve_, lastRate_;
    std::int64_t samplesSinceNotify_ = 0;
    bool notifyPending_ = false;
    bool gateChangedInBlock_ = false;
    Trigger* trigger_ = nullptr;
};
