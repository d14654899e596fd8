#pragma once

// FeedbackLimiter: the feedback gain of a delay channel. It multiplies the
// feedback filters' output by the feedback sign and by the ratio of the
// smoothed levels of the delay output and the filtered signal, limited to
// [0.1, 1] (see GainAdjuster), so resonant filters cannot raise the loop
// gain.
//
// While the feedback filters hand on the delay line's own block (both off,
// their mix settled at 0) the two levels are the same signal and the ratio
// is exactly 1: the level smoothers are then not run at all, which keeps
// the plain delay cheap. They resume from their last state when a filter
// comes in. When they run, both run in one loop (SignalSmoother::
// processTogether).
//
// Threading: process on the audio thread, no allocation.

#include "dsp/GainAdjuster.h"
#include "dsp/SignalSmoother.h"

class FeedbackLimiter : public GainAdjuster {
public:
    FeedbackLimiter(wave::Environment& environment, wave::Producer* unfiltered)
        : GainAdjuster(environment, 1.0f), unfiltered_(unfiltered) {}

    // The level of the delay output (numerator) and of the filtered signal
    // (denominator), as the gain adjuster's levels.
    void setLevels(SignalSmoother* delayLevel, SignalSmoother* filteredLevel);

    void process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                 wave::ProduceMode mode) noexcept override;

private:
    wave::Producer* unfiltered_;
    SignalSmoother* levels_[2] = {};
};
