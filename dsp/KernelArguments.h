#pragma once

// The records the block kernels take (dsp/BlockKernels.h, and the chain and
// pair kernels of dsp/ChainKernels.h and dsp/PairKernels.h): coefficients by
// segment, table lookups, and the description of a four-lane filter's run.
// Plain data; the kernels only read what the pointers give.

// Trapezoidal (zero-delay-feedback) state-variable section, one segment:
// g the integrator gain, k = 2R + g the damping term, and output weights.
struct TptSection {
    float g, k, low, band, high;
};
struct TptSection4 {
    float g[4], k[4], low[4], band[4], high[4];
};

// Oversampled state-variable stage coefficients: arrays indexed by segment
// (one channel) or [segment * 4 + lane]. gain and drive (the cubic term) are
// read by the saturating kernels only.
struct OversampledSvfCoefficients {
    const float* f;
    const float* q;
    const float* low;
    const float* band;
    const float* high;
    const float* gain = nullptr;
    const float* drive = nullptr;
};

// A function table lookup. table must hold maxIndex + 2 readable entries
// (the last a guard copy). t = input * m * scale[segment] - offset; the
// entry index is floor(t) + indexOffset; indices below 0 read entry 0 and
// indices above maxIndex read entry maxIndex, both without interpolation;
// NaN reads entry 0. indexOffset is limited to +-2^29.
struct TableLookup {
    const float* table;
    int maxIndex;
    int indexOffset;
    float m;
    float offset;
    const float* scales; // per segment
    const float* gains;  // per segment
};

// The output clip of four lanes: one table (as TableLookup, whose scales
// and gains are not used) with each lane's own per-segment scales and gains;
// a lane that is not active passes unclipped.
struct ClipLookup4 {
    TableLookup table;
    const float* scales[4];
    const float* gains[4];
    bool active[4];
};

// A second output of a chain lane, the output mixed with a dry signal as a
// filter's mix step does it: dest[i] = (out[i] - dry[i]) * m + dry[i], m =
// amounts[i] or, without amounts, amount. dest null: none.
struct ChainMix {
    float* dest;
    const float* dry;
    const float* amounts;
    float amount;
};

// One four-lane state-variable filter as a chain kernel takes it (see
// svfChain4): stage s of lane l in band and low at [s * 4 + l].
struct SvfChainLanes {
    const float* const* in; // four lanes
    float* const* out;
    const int* segments;
    const OversampledSvfCoefficients* stages; // stages[0] saturating, the others linear
    int stageCount;                           // 1 to 4
    float* band;
    float* low;
    const ClipLookup4* clip;
    const ChainMix* mixes = nullptr; // four, written as the pass goes (PairKernels)
};

// One four-lane cascade of trapezoidal sections (see tptSvfCascade4):
// sections[j] holds section j's records by segment; its state of lane l is
// s1 and s2 at [j * 4 + l].
struct TptCascadeLanes {
    const float* const* in; // four lanes
    float* const* out;
    const int* segments;
    const TptSection4* const* sections;
    int sectionCount; // 1 to 4
    float* s1;
    float* s2;
    const ChainMix* mixes = nullptr; // four, written as the pass goes (PairKernels)
};
