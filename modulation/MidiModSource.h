#pragma once

// MIDI modulation sources. One MidiModSource::Cache per processor receives
// the decoded MIDI messages, keeps the latest value of each kind in 133
// cells (0-127 controllers, then mod wheel, pitch bend, velocity, pressure
// and key number) and tells every registered source of each change. A
// source follows one cell through its response curve into a smoothed output.
//
// Threading: audio thread only (the cache is fed by the processor's MIDI
// handling inside block processing). Sources register on the main thread.

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"
#include "foundation/Property.h"
#include "plugin/MidiDecoder.h"

#include <array>
#include <cstdint>
#include <vector>

class MidiModSource : public wave::Source, public PropertyOwner {
public:
    enum class MidiInput : std::int32_t {
        kModWheel = 0,
        kPitchBend = 1,
        kVelocity = 2,
        kAftertouch = 3,
        kKeyTrack = 4,
        kController = 5,
    };
    // 0: -1..0, 1: -1..1, any other value: 0..1.
    enum class Range : std::int32_t { kNegative = 0, kBipolar = 1, kUnipolar = 2 };
    enum class ResponseCurve : std::int32_t {
        kLinear = 0,
        kExp = 1,
        kLog = 2,
        kSqr = 3,
        kSqrt = 4,
        kSine = 5
    };

    class Cache : public MidiListener {
    public:
        static constexpr std::int32_t kNumCells = 133;
        static constexpr std::int32_t kModWheelCell = 128;
        static constexpr std::int32_t kPitchBendCell = 129;
        static constexpr std::int32_t kVelocityCell = 130;
        static constexpr std::int32_t kPressureCell = 131;
        static constexpr std::int32_t kKeyCell = 132;

        Cache();
        void channelPressure(float value) override;
        void keyPressure(int32_t key, float value) override;
        // Controllers outside 0..127 (malformed data) are ignored.
        void controlChange(int32_t controller, int32_t value, float normalised) override;
        void modWheel(float value) override;
        void noteOn(int32_t key, float velocity) override;
        void pitchBend(float value) override;

        float getCell(std::int32_t c) const {
            return c >= 0 && c < kNumCells ? cells_[std::size_t(c)] : 0.0f;
        }
        void setCell(std::int32_t c, float value) {
            if (c >= 0 && c < kNumCells) cells_[std::size_t(c)] = value;
        }
        // -1 accepts every key.
        std::int32_t keyFilter = -1;
        // 1: velocity and key values go to the sources' pending note value.
        std::int32_t noteValueMode = 0;

        void addListener(MidiModSource* source);
        void removeListener(MidiModSource* source);

    private:
        void notify(std::int32_t c);
        bool passesFilter(std::int32_t key) const { return keyFilter == -1 || keyFilter == key; }

        std::array<float, kNumCells> cells_{};
        std::vector<MidiModSource*> listeners_;
    };

    MidiModSource(wave::Environment& environment, Cache& cache);
    ~MidiModSource() override;

    // 0..127.
    Property<std::int32_t> controller{this, 0};
    Property<bool> resetToZero{this, false};
    Property<MidiInput> midiInput{this, MidiInput::kModWheel};
    Property<Range> range{this, Range::kBipolar};
    Property<ResponseCurve> responseCurve{this, ResponseCurve::kLinear};
    FloatParameterBus gain;

    // Called by the cache with a changed cell.
    void onMidiValue(std::int32_t cell, float value) noexcept;
    // Milliseconds; negative: the automatic ramp.
    void setNoteRampTime(float ms) { noteRampTime_ = ms; }
    float getPendingNoteValue() const { return pendingNoteValue_; }
    FloatParameter& getOutput() { return output_; }

    static float curveValue(ResponseCurve curve, float x);

    float currentValue() const override;
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;
    void reset() override;
    void propertyChanged(AbstractProperty& property) override;

private:
    float curve(float x) const { return curveValue(curve_, x); }
    void setOutput(float value, float timeMs) noexcept { output_.setValue(value, timeMs); }

    Cache* cache_;
    FloatParameter output_;
    ResponseCurve curve_ = ResponseCurve::kLinear;
    float noteRampTime_ = -1.0f;
    float pendingNoteValue_ = 0.0f;
    bool resetFlag_ = false;
};
