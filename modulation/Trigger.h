#pragma once

// Trigger: turns a level signal into on and off events with hysteresis, so
// that an envelope generator can start from the input or side-chain level
// instead of notes.
//
// Off -> on when the level exceeds the threshold; on -> off after more than
// the hold count of consecutive samples below half the threshold. The state
// and the below-count carry over between blocks until a reset, which starts
// the trigger off again (the envelope generator it drives resets it with
// itself). The hold count follows the hold time and the sample rate.
//
// Threading: detectEvents and the domain switch may run on the audio thread
// and allocate nothing: the event list and the decibel conversion block are
// made at construction.

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"
#include "foundation/Property.h"

#include <cstdint>
#include <vector>

enum class GainChangeDomain : std::int32_t { kLinear = 0, kDecibels = 1 };

class Trigger : public PropertyOwner, public wave::Output {
public:
    enum class EventType : std::int32_t { kOff = 0, kOn = 1 };
    struct Event {
        EventType type;
        std::int32_t offset;
    };

    explicit Trigger(wave::Environment& environment);
    ~Trigger() override;

    // Milliseconds.
    Property<float> holdTime{this, 0.0f};
    Property<bool> enabled{this, true};
    Property<GainChangeDomain> domain{this, GainChangeDomain::kLinear};
    // Linear 0..1, or -180..0 dB in the decibel domain.
    FloatParameterBus threshold;

    // Runs the detection for the current block, at most once per block.
    void detectEvents(int count) noexcept;
    const std::vector<Event>& getEvents() const { return events_; }
    // Off, no event, nothing counted: as a new trigger.
    void reset() noexcept;
    bool isOn() const { return on_; }
    std::int32_t getHoldCount() const { return holdCount_; }

    void propertyChanged(AbstractProperty& property) override;

private:
    void updateHoldCount();
    void onSampleRateChanged();

    wave::BasicBlock<float> converted_;
    std::int32_t holdCount_ = 1;
    bool on_ = false;
    std::int32_t belowCount_ = 0;
    std::uint32_t lastBlock_ = 0;
    bool processedOnce_ = false;
    std::vector<Event> events_;
};
