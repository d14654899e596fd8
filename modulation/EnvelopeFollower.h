#pragma once

// EnvelopeFollower: the level of an audio signal in decibels mapped onto
// 0..1 (0 at -60 dB and below, 1 at 0 dB), smoothed with separate attack and
// release times; each time is the time to cover 90 % of a step.
//
// The level starts at -180 on its "dB above -60" scale, so the first output
// lies below 0 and rises with the attack; a reset (and a switch back on)
// starts it there again.

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"

class EnvelopeFollower : public wave::Filter {
public:
    explicit EnvelopeFollower(wave::Environment& environment);

    // Seconds, 0.0005..10.
    FloatParameterBus attackTime;
    // -2..2, applied to the finished block.
    FloatParameterBus outputGain;
    // Seconds, 0.0005..10.
    FloatParameterBus releaseTime;

    float getLevel() const { return level_; }
    void reset() override;

    void process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                 wave::ProduceMode mode) noexcept override;

private:
    float attackCoefficient_ = 0.0f;
    float attackLength_ = -1.0f;
    float releaseCoefficient_ = 0.0f;
    float releaseLength_ = -1.0f;
    float level_ = -180.0f;
};
