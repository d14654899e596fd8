#pragma once

// SignalSmoother: low-passes a control or level signal with a critically
// damped two-pole state-variable filter (damping 2), optionally rectifying
// it first. Per sample, in double precision:
//   low += g band;  y = low;  band += (x - 2 band - low) g
// with g = min(2 sin(pi min(f / fs, 0.5)), 0.5), recomputed on reset and on
// every change of the frequency. The limit 0.5 (reached at about 0.08 fs)
// keeps the recursion from ringing; above 2 sqrt(2) - 2 it would diverge.
// A reset also restarts the state: band 0, low 0 or (start from input) the
// first input sample.
//
// While the input block is constant and the smoothed value has reached it
// (within 0.0001), the state is left alone and the input passes untouched
// (the input block itself when not rectifying).
//
// Defaults: 5 Hz, plain smoothing, start from 0.
//
// processTogether computes up to four smoothers in one loop: their
// recursions (each a dependency chain of its own) run side by side, and
// each smoother gets exactly what it gets when pulled alone.
//
// Threading: process, reset and the property changes run on the audio
// thread and never allocate.

#include "dsp/wave/Producer.h"
#include "foundation/Property.h"

class SignalSmoother : public wave::Filter, public PropertyOwner {
public:
    enum SmoothMethod : int {
        kSmooth = 0,  // the signal as it is (any value other than kRectify)
        kRectify = 1, // the absolute value
    };

    explicit SignalSmoother(wave::Environment& environment);

    Property<float> frequency{this, 5.0f};
    Property<SmoothMethod> smoothMethod{this, kSmooth};
    Property<bool> startFromInput{this, false};

    float getCoefficient() const { return g_; }
    double getLow() const { return low_; }

    void reset() override;
    void propertyChanged(AbstractProperty& property) override;
    void process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                 wave::ProduceMode mode) noexcept override;

    static constexpr int kMaxTogether = 4;
    // Computes those of the smoothers (at most kMaxTogether) that have not
    // been computed this block, pulling their inputs, in one loop; each is
    // then computed for the block as if it had been pulled.
    static void processTogether(SignalSmoother* const smoothers[], int n, int count) noexcept;

private:
    // One smoother's recursion over a block (see process): state in and out.
    struct Run {
        const float* x;
        float* y;
        bool rectify;
        double g, a, low, band;
    };

    void updateCoefficient();
    // Steps 1 to 3 of process: restart, and the input passed on when the
    // smoothed value has reached it. False when that settled the block;
    // else run describes the recursion still to compute.
    bool begin(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count, Run& run) noexcept;
    // Stores the state of a computed run.
    void finish(const Run& run, wave::BasicBlock<float>* out) noexcept;
    template <int N> static void runTogether(Run runs[], int count) noexcept;

    double band_ = 0.0;
    float g_ = 0.0f;
    double low_ = 0.0;
    bool restart_ = true;
};
