#pragma once

// StateVariableFilter: the multimode unit behind the product's filters. Up
// to four cascaded two-pole stages (slope 1: one, 2: two, 3: four; bell and
// shelves always one), each iterated three times per sample with its
// frequency coefficient from the Freq table, then a saturating output stage
// (the clip curve, scaled by the clip level). The first stage carries the
// input gain (drive) and the cubic bending term; the states are clamped
// (band to [-1, 1], low to [-10, 10]), which holds self-oscillation.
//
// Coefficients are computed per segment and lane from the process-wide
// function tables (FilterTables); shapeResonance and driveFactor are the
// hooks through which the design filter gives a characteristic.
//
// The optional oversampled output (never used by the effect): the last stage
// writes its three inner iterations as three sub-samples, and the clip stage
// averages their clipped values into one sample (so the pass band keeps its
// level). Stages before the last run as usual.
//
// A gain input at or below 1.1920929e-7 gives clip level and clip scale 0:
// the output is exactly 0 (instead of 0 x infinity).
//
// Two filters may share one work block (partner at construction): the
// coefficients live there only during one process call. Such filters never
// run as a pair (canRunWith), which needs both units' coefficients at once.
//
// Threading: construction on the main thread (it may build the process-wide
// tables); everything else on the audio thread, without allocation.

#include "dsp/BlockKernels.h"
#include "dsp/FunctionTable.h"
#include "dsp/GenericFilter.h"
#include "foundation/AlignedBuffer.h"
#include "foundation/Property.h"

#include <cstdint>

class StateVariableFilter : public GenericFilter::ParallelFilterUnit {
public:
    using FreqFunction = ::FreqFunction;
    using PeakLimitFunction = ::PeakLimitFunction;
    using DampLimitFunction = ::DampLimitFunction;
    using DampLimit2Function = ::DampLimit2Function;
    using DampFunction = ::DampFunction;
    using ClipTable = ::ClipTable;

    enum FilterOversampling : std::int32_t { kOversamplingOff = 0, kOversamplingOn = 1 };

    static constexpr int kMaxStages = 4;
    static constexpr int kWorkBlockRows = 60;

    // clipTable: the output clip curve (null: the process-wide one with
    // a = 1); not owned. partner: a filter whose work block this one borrows.
    explicit StateVariableFilter(wave::Environment& environment, const ClipTable* clipTable = nullptr,
                                 StateVariableFilter* partner = nullptr);
    ~StateVariableFilter() override;

    Property<float> bellRange; // dB, 20
    Property<FilterOversampling> oversampling;
    Property<float> shelfRange; // dB, 20

    void setClipTable(const ClipTable* table) noexcept;
    const ClipTable& clipTable() const noexcept { return *clipTable_; }

    bool supportsSlope(int slope) const override;
    void clearState() noexcept override;
    void process(const float* in, float* out, int count) noexcept override;
    void prepareBlock() noexcept override;
    void computeCoefficients(int lane, int segment, float frequency, float peak,
                             float gain) noexcept override;
    void processParallel(int count) noexcept override;
    void resetLane(int lane) noexcept override;
    // Two state-variable filters without oversampling, each with a work
    // block of its own, run in one pass (PairKernels).
    bool canRunWith(const ParallelFilterUnit& other) const noexcept override;
    void processTogether(ParallelFilterUnit& other, int count, int trail,
                         const ChainMix mixes[kLanes]) noexcept override;

    // Resonance, cubic coefficient and clip level for a frequency (log2 Hz)
    // and a peak: here min(peak, 0.999), 0 and 0.1.
    virtual void shapeResonance(float frequency, float peak, float& resonance, float& cubic,
                                float& clipLevel) noexcept;
    virtual float driveFactor() const noexcept { return 1.0f; }

    int stageCount() const noexcept { return stages_; }
    float currentDriveFactor() const noexcept { return drive_; }

    // Coefficients of one segment and lane, as last computed (for tests and
    // response displays).
    struct Coefficients {
        float f, q[kMaxStages], low, band, high, cubic, inputGain, clipScale, clipLevel;
    };
    Coefficients coefficients(int lane, int segment) const noexcept;

    // Filter state of a stage and lane.
    float bandState(int stage, int lane) const noexcept { return band_[std::size_t(stage * 4 + lane)]; }
    float lowState(int stage, int lane) const noexcept { return low_[std::size_t(stage * 4 + lane)]; }

private:
    struct Arrays {
        float* f;
        float* q; // stage s at s x M x lanes
        float* low;
        float* band;
        float* high;
        float* cubic;
        float* inputGain;
        float* oversampled; // four buffers of 3 x M
        float* clipScale;   // [lane x M + segment]
        float* clipLevel;
    };
    // The lanes as a chain kernel takes them; the arrays live in this
    // record, so it stays where it is made.
    struct ChainLanes {
        const float* in[kLanes];
        float* out[kLanes];
        OversampledSvfCoefficients stages[kMaxStages];
        ClipLookup4 clip;
        SvfChainLanes lanes;
    };

    Arrays arrays() const noexcept;
    void clipLane(int lane, const float* in, float* out, int count, bool threefold) noexcept;
    // Lanes without a filter run on silence with neutral coefficients.
    void neutralizeInactiveLanes() noexcept;
    void describe(ChainLanes& r) noexcept;

    const FilterTables& tables_;
    const ClipTable* clipTable_;
    AlignedBuffer<float> ownWork_;
    float* work_;
    int maxBlock_;
    AlignedBuffer<float> band_;
    AlignedBuffer<float> low_;
    float log2SampleRate_ = 0.0f;
    float lastSampleRate_ = 0.0f;
    float drive_ = 1.0f;
    int stages_ = 1;
};
