#pragma once

// GainAdjuster: multiplies a signal by a gain input and, when both level
// producers are connected, by the ratio numerator / denominator limited to
// [0.1, 1] (1 while the denominator is not above 0). The effect uses it as
// its feedback limiter: the ratio of the delay output's level to the
// feedback filters' output level keeps resonant filters from raising the
// loop gain.
//
// Without both levels, a constant gain of 1 (within 1.1920929e-7) hands on
// the input block itself.
//
// Threading: process runs on the audio thread and never allocates; the
// level producers are not owned and are set while building the graph.

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"

class GainAdjuster : public wave::Filter {
public:
    explicit GainAdjuster(wave::Environment& environment, float initialGain = 1.0f);

    FloatParameterBus gain;

    wave::Producer* getDenominatorLevel() const { return denominator_; }
    wave::Producer* getNumeratorLevel() const { return numerator_; }
    void setDenominatorLevel(wave::Producer* level) { denominator_ = level; }
    void setNumeratorLevel(wave::Producer* level) { numerator_ = level; }

    // numerator / denominator limited to [0.1, 1]; 1 when the denominator is
    // not above 0; NaN gives 0.1.
    static float limitRatio(float numerator, float denominator) noexcept {
        if (!(denominator > 0.0f)) return 1.0f;
        float ratio = numerator / denominator;
        if (!(ratio >= 0.1f)) return 0.1f;
        return ratio < 1.0f ? ratio : 1.0f;
    }

    void process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                 wave::ProduceMode mode) noexcept override;

private:
    wave::Producer* denominator_ = nullptr;
    wave::Producer* numerator_ = nullptr;
};
