#pragma once

// The rate of an XLFO: free (Hz, or octaves in rate modes 1 and 2) or synced
// to the tempo in one of 11 lengths from 16 bars to 1/64 bar. A tempo
// change (setTempo) recomputes the synced rate and places the XLFO's cycle
// on the song position. A controller may follow a transport record instead
// of being told: when it runs it takes the record's tempo and position as
// setTempo would, whenever the record moved on since it last looked.
//
// Threading: audio thread (setTempo and the transport record from the
// processor's tempo operation).

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"
#include "foundation/Property.h"

#include <cstdint>

class XLFO;

class XLFOFreqController : public wave::Source, public PropertyOwner {
public:
    enum class RateMode : std::int32_t { kHertz = 0, kOctaves = 1, kOctavesWithTail = 2 };
    static constexpr std::int32_t kMaxSyncMode = 11;

    XLFOFreqController(wave::Environment& environment, XLFO& xlfo);

    // The free rate (a producer, not owned; none reads as 0).
    void setRateInput(wave::Producer* input) { rateInput_ = input; }
    // 0 free, 1..11 synced (clamped).
    Property<std::int32_t> syncMode{this, 0};
    Property<RateMode> rateMode{this, RateMode::kHertz};
    // The synced rate's factor: 0.5..2 in rate mode 0, else octaves.
    FloatParameterBus frequencyOffset;

    // Beats per minute and song position in beats.
    void setTempo(float tempo, double position);

    // The tempo operation's record: each operation sets tempo and position
    // and moves the serial on.
    struct Transport {
        float tempo = 120.0f;
        double position = 0.0;
        std::uint32_t serial = 0;
    };
    // Null follows none (only setTempo then).
    void followTransport(const Transport* transport) {
        transport_ = transport;
        seenSerial_ = transport != nullptr ? transport->serial : 0;
    }
    static float barsOf(std::int32_t mode);

    void propertyChanged(AbstractProperty& property) override;
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;

private:
    wave::Producer* rateInput_ = nullptr;
    FloatParameter syncedRate_;
    XLFO* xlfo_;
    float tempo_ = 120.0f;
    double position_ = 0.0;
    bool tempoPending_ = false;
    double tempoMark_ = -1000.0;
    const Transport* transport_ = nullptr;
    std::uint32_t seenSerial_ = 0;
};
