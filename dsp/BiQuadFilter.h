#pragma once

// BiQuadFilter: a linear cascade of 1, 2 or 4 second-order sections designed
// per segment from an analog prototype (AnalogFilterPrototype) and run as
// zero-delay-feedback (trapezoidal) state-variable sections. It offers every
// response at every slope, slope 0 (6 dB/oct) included for the responses
// whose prototype is not a band kind.
//
// Section mapping: the analog section (b2 s^2 + b1 s + b0)/(a2 s^2 + a1 s +
// a0), at the prototype frequency 1, is taken at its own natural frequency
// w0 = sqrt(a0/a2): with s = w0 s', it reads (high s'^2 + band s' + low) /
// (s'^2 + 2R s' + 1) with high = b2/a2, band = b1/sqrt(a0 a2), low = b0/a0,
// 2R = a1/sqrt(a0 a2). The trapezoidal section with g = t w0 (t = tan(w/2),
// w the digital cut-off) is then exactly the bilinear transform of the
// section with its frequency 1 prewarped to w. A first-order section
// (b1 s + b0)/(a1 s + a0) becomes the same double-pole section with R = 1 and
// the numerator times (s' + 1): low = b0/a0, high = b1/a1, band = low + high,
// w0 = a0/a1 (exact: the second pole cancels).
//
// Shared by up to four filters (a ParallelFilterUnit), it runs their lanes
// in one pass of all sections, and each lane keeps its own segments
// (LaneSegments::kOwn): a filter sounds bit for bit the same on a shared
// biquad as on a biquad of its own.
//
// The filter's gain input is applied as a plain linear gain (the first
// section's output weights are scaled by it); the biquad has no saturation.
// The peak is limited to [0, 1] for the pass responses' quality rule, which
// would otherwise turn negative above 1.0143.
//
// Threading: construction on the main thread; the per-segment design runs
// on the audio thread and never allocates (fixed arrays of 8 sections).

#include "dsp/AnalogFilterPrototype.h"
#include "dsp/BlockKernels.h"
#include "dsp/GenericFilter.h"

#include <cstdint>
#include <vector>

class BiQuadFilter : public GenericFilter::ParallelFilterUnit {
public:
    // Quality of the sections after the first: 0 one prototype of the whole
    // order (low- and high-pass), 1 peak scaled by (4 - s) x 0.1, 2 peak
    // limited to 0.8.
    enum PeakMode : std::int32_t { kWholeOrder = 0, kScaledPeak = 1, kLimitedPeak = 2 };

    static constexpr int kMaxStages = 4;

    explicit BiQuadFilter(wave::Environment& environment);
    ~BiQuadFilter() override;

    Property<PeakMode> peakMode;

    // The prototype kind of a response.
    static int prototypeKind(int response) noexcept;

    bool supportsSlope(int slope) const override;
    void clearState() noexcept override;
    void process(const float* in, float* out, int count) noexcept override;
    void prepareBlock() noexcept override;
    void computeCoefficients(int lane, int segment, float frequency, float peak,
                             float gain) noexcept override;
    void processParallel(int count) noexcept override;
    // Two biquads run in one pass (PairKernels).
    bool canRunWith(const ParallelFilterUnit& other) const noexcept override;
    void processTogether(ParallelFilterUnit& other, int count, int trail,
                         const ChainMix mixes[kLanes]) noexcept override;
    void resetLane(int lane) noexcept override;

    int sectionCount() const noexcept { return sections_; }
    // The section coefficients of a stage as last computed for a lane and segment.
    TptSection section(int lane, int segment, int stage) const noexcept;
    const AnalogFilterPrototype& prototype() const noexcept { return prototype_; }

private:
    // An analog section at the prototype frequency 1.
    struct AnalogSection {
        double b2, b1, b0, a2, a1, a0;
    };
    // The last design per stage (the design does not depend on the
    // frequency, so a moving frequency only re-maps the sections).
    struct CachedDesign {
        int kind = -1;
        double order = 0.0, q = 0.0, gain = 0.0;
        int count = 0;
        AnalogSection sections[kMaxStages];
    };

    // The lanes as a cascade kernel takes them; the arrays live in this
    // record, so it stays where it is made.
    struct CascadeLanes {
        const float* in[kLanes];
        float* out[kLanes];
        const TptSection4* sections[kMaxStages];
        TptCascadeLanes lanes;
    };

    static TptSection mapSection(const AnalogSection& s, double t) noexcept;
    // Lanes without a filter run on silence with neutral sections.
    void neutralizeInactiveLanes() noexcept;
    void describe(CascadeLanes& r) noexcept;
    void store(int lane, int segment, int stage, const TptSection& c) noexcept;
    float sectionQuality(int stage, float peak) const noexcept;
    const CachedDesign& design(CachedDesign& cache, int kind, double order, double q, double gain) noexcept;

    AnalogFilterPrototype prototype_;
    CachedDesign stageDesigns_[kMaxStages];
    CachedDesign wholeDesign_;
    int sections_ = 1;
    int maxBlock_;
    std::vector<TptSection> single_;    // [stage x maxBlock + segment]
    std::vector<TptSection4> parallel_; // [stage x maxBlock + segment]
    float s1_[kMaxStages * kLanes] = {};
    float s2_[kMaxStages * kLanes] = {};
};
