#pragma once

// DelayTimeController: the time source of one delay line, in milliseconds.
//
// "Free": the block of the line's modulated time target is handed on as it
// is (no clamp here; the time parameter's own range applies): pulls are
// forwarded to it. Synced: the
// synced time (set from the host tempo by the processor, gliding like any
// float parameter) times the block of the offset target, each sample
// clamped into [5, 5000] ms. The offset is a factor ("x 1.5" lengthens).
//
// Threading: the sync property and the synced time are written on the audio
// thread (parameter bindings, the tempo operation); produce runs there and
// allocates nothing. Construction on the main thread.

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"
#include "foundation/Property.h"

#include <array>
#include <cstdint>

// The delay set's "Sync" values ("Free,Two Notes,Note,Half Note,Quarter Note").
enum class DelaySync : std::int32_t {
    kFree = 0,
    kTwoNotes = 1,
    kNote = 2,
    kHalfNote = 3,
    kQuarterNote = 4,
};

class DelayTimeController : public wave::Producer, public PropertyOwner {
public:
    // The range of a synced time, in milliseconds.
    static constexpr float kMinimumTime = 5.0f;
    static constexpr float kMaximumTime = 5000.0f;
    // Milliseconds per beat-per-minute of each sync value: a note length in
    // quarter notes times the 60000 ms of one minute ("Free" unused).
    static constexpr std::array<float, 5> kMillisecondsPerBpm = {0.0f, 120000.0f, 60000.0f, 30000.0f,
                                                                 15000.0f};

    // time and offset: the producers of the line's "Time" and "Offset"
    // targets (not owned; none reads as silence).
    DelayTimeController(wave::Environment& environment, wave::Producer* time, wave::Producer* offset);

    Property<DelaySync> sync{this, DelaySync::kFree};

    FloatParameterSource& getSyncedTime() { return syncedTime_; }
    wave::Producer* getTimeInput() const { return time_; }
    wave::Producer* getOffsetInput() const { return offset_; }

    // Sets the synced time from a tempo (beats per minute) for the current
    // sync; nothing happens with "Free" or a tempo of 0.
    void setTempo(float tempo) noexcept;

    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;
    void propertyChanged(AbstractProperty& property) override;

private:
    FloatParameterSource syncedTime_;
    wave::Producer* time_;
    wave::Producer* offset_;
};
