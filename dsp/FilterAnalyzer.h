#pragma once

// FilterAnalyzer: turns a level signal into an activity value from 0 to 1.
// A one-pole follower (k = 1000 / (sample rate x time), at most 1, so short
// times follow the input instead of overshooting) smooths the input; the
// output is 1 at or above the threshold and level / threshold below it. A
// threshold at or below 0 gives 1. A block that is 1 throughout is marked
// constant.
//
// Threading: properties on the audio thread (or before processing starts);
// process on the audio thread, no allocation.

#include "dsp/wave/Producer.h"
#include "foundation/Property.h"

class FilterAnalyzer : public wave::Filter, public PropertyOwner {
public:
    explicit FilterAnalyzer(wave::Environment& environment);

    Property<float> time;      // milliseconds, 20
    Property<float> threshold; // 0.005

    float level() const noexcept { return level_; }

    void reset() override { level_ = 0.0f; }
    void process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                 wave::ProduceMode mode) noexcept override;
    void propertyChanged(AbstractProperty& property) override;

private:
    float reciprocal_ = 0.0f;
    float level_ = 0.0f;
};
