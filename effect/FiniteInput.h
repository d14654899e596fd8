#pragma once

// FiniteInput: hands on its input block when every sample is finite, and
// otherwise a copy in which NaN and infinities read as 0. The effect puts
// one behind every host input, so a broken host buffer can never reach a
// feedback loop (a non-finite sample would circulate in the delay forever).
//
// Threading: process on the audio thread, no allocation.

#include "dsp/wave/Producer.h"

class FiniteInput : public wave::Filter {
public:
    explicit FiniteInput(wave::Environment& environment) : wave::Filter(environment) {}
    void process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                 wave::ProduceMode mode) noexcept override;
};
