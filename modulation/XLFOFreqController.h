#pragma once

// The rate of an XLFO: free (Hz, or octaves in rate modes 1 and 2) or synced
// to the tempo in one of 11 lengths from 16 bars to 1/64 bar. A tempo
// change (setTempo) recomputes the synced rate and places the XLFO's cycle
// on the song position.
//
// Threading: audio thread (setTempo from the processor's tempo operation).

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
};
