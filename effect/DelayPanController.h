#pragma once

// DelayPanController: a delay line's pan p (-1..1) as two gains, one per
// output channel: channel 0 gets 1 - max(p, 0), channel 1 gets 1 + min(p, 0).
// The near side stays at 1 while the far side falls linearly; p = 0 sends
// the line to both at unity.
//
// Threading: produce on the audio thread, no allocation.

#include "dsp/wave/Producer.h"

class DelayPanController : public wave::MultiProducer {
public:
    // pan: the producer of the line's "Pan" target (not owned; none reads as 0).
    DelayPanController(wave::Environment& environment, wave::Producer* pan);

    wave::Producer* getPanInput() const { return pan_; }
    void processAll(const wave::BasicBlock<float>** outputs, int count,
                    wave::ProduceMode mode) noexcept override;

private:
    wave::Producer* pan_;
    // Both blocks hold the gains of lastPan_ over their whole length.
    bool filled_ = false;
    float lastPan_ = 0.0f;
};
