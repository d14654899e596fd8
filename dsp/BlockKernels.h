#pragma once

// Block kernels: the inner loops of the filters, envelopes, gains and
// conversions, as free functions over whole blocks with their state passed
// in and out (the calling class keeps it between blocks).
//
// Every kernel is written once as a template over a lane set (dsp/Simd.h)
// and compiled twice: BlockKernels<simd::Sse> is what the product runs
// (Kernels), BlockKernels<simd::Scalar> does the same operations on plain
// floats. Both give the same bits for every input, NaN, infinities and
// subnormals included; the tests hold them to it, and to fixed checksums that
// the Linux and the Windows builds share. No kernel calls a libm function:
// exponentials and arctangents use the polynomials below.
//
// Conventions:
//  - count is any length (chunks are cut at MIDI events); kernels handle the
//    tail themselves and read or write nothing beyond count samples (times
//    three for the threefold streams). State carried out is the state after
//    sample count - 1.
//  - Segmented coefficients: segments holds segment lengths summing to count;
//    segment s uses coefficient record s (one channel) or the four values
//    [s * 4 + lane] (four channels). Coefficients change only at segment
//    boundaries.
//  - Four-channel kernels take one input and one output pointer per lane;
//    each lane has its own coefficients and states, and a lane's result is
//    bit for bit the result of the one-channel kernel on that lane alone.
//  - out may equal in (in place) for every kernel that maps one sample to one.

#include "dsp/KernelArguments.h"
#include "dsp/Simd.h"

template <class Lanes> struct BlockKernels {
    // One group of four lanes: four samples per step, four channels per
    // four-channel kernel, coefficient arrays of [s * 4 + lane].
    static_assert(Lanes::kGroups == 1 && Lanes::kGroupLanes == 4);

    // ---- Block arithmetic.
    static void copy(const float* in, float* out, int count) noexcept;
    // out = in * gain
    static void scale(const float* in, float gain, float* out, int count) noexcept;
    // out = a * b
    static void multiply(const float* a, const float* b, float* out, int count) noexcept;
    // out = a * b * c, evaluated as (a * b) * c
    static void multiply(const float* a, const float* b, const float* c, float* out, int count) noexcept;
    // out = r * in * gain, evaluated as (r * in) * gain, with r the level
    // ratio numerator / denominator limited to [0.1, 1] (1 when the
    // denominator is not above 0, 0.1 when the ratio is NaN): the feedback
    // limit of GainAdjuster::limitRatio.
    static void limitedRatio(const float* numerator, const float* denominator, const float* in,
                             const float* gain, float* out, int count) noexcept;
    // Left/right to mid/side: mid = (r - l) * 0.5 + l, side = (r - l) * 0.5.
    static void midSideEncode(const float* l, const float* r, float* mid, float* side, int count) noexcept;
    // Mid/side to left/right: l = mid - side, r = mid + side.
    static void midSideDecode(const float* mid, const float* side, float* l, float* r, int count) noexcept;

    // ---- Trapezoidal state-variable filter:
    //   high = (x - k s1 - s2) * (1 / (1 + k g)); band = high g + s1; s1 = band + high g;
    //   low = s2 + band g; s2 = low + band g; y = wh high + wb band + wl low.
    static void tptSvf(const float* in, float* out, int count, const int* segments, const TptSection* c,
                       float& s1, float& s2) noexcept;
    static void tptSvf4(const float* const in[4], float* const out[4], int count, const int* segments,
                        const TptSection4* c, float s1[4], float s2[4]) noexcept;
    // A cascade of 1 to 4 four-lane sections in one pass (see
    // TptCascadeLanes): bit for bit tptSvf4 run once per section in order,
    // with the sections' recurrences overlapping.
    static void tptSvfCascade4(const TptCascadeLanes& lanes, int count) noexcept;
    // A cascade of sections (1 to kMaxCascade) over one channel: section j
    // filters the output of section j - 1, with coefficient records c[j] and
    // state s1[j], s2[j]. Bit for bit the result of tptSvf run once per
    // section in order, but all sections advance together per sample (section
    // j one sample behind section j - 1), so their recurrences overlap.
    static constexpr int kMaxCascade = 8;
    static void tptSvfCascade(const float* in, float* out, int count, const int* segments,
                              const TptSection* const c[], int sections, float s1[], float s2[]) noexcept;

    // ---- Oversampled state-variable stage: three iterations per sample.
    // Linear, per input sample x (state band, low; coefficients f, q):
    //   low += (band - 1e-24) f
    //   h1 = x - q band - low;  b1 = h1 f + band;  low += f b1
    //   h2 = x - q b1 - low;    b2 = h2 f + b1;    low += f b2
    //   h3 = x - q b2 - low;    band = b2 + h3 f + 1e-24
    //   band clamped to [-1, 1], low to [-10, 10] (NaN to the lower limit)
    //   y = wb band + wh h3 + wl low
    // Saturating: x is first multiplied by gain, and every band update
    // subtracts drive * b^3 of the band it starts from
    // (b1 = h1 f - drive band^3 + band, ..., band = b2 + h3 f - drive b2^3 + 1e-24).
    // The "3" variants write three samples per input sample (3 * count in
    // all, for a later decimation): after iteration j, wb b_j + wh h_j + wl
    // low with that iteration's high value h_j; the clamps come after the
    // third, which is therefore exactly the one-output kernel's sample. (The
    // filters' oversampling switch selects these; the effect leaves it off,
    // so they serve completeness and the filter tests.)
    static void svfLinear(const float* in, float* out, int count, const int* segments,
                          const OversampledSvfCoefficients& c, float& band, float& low) noexcept;
    static void svfLinear3(const float* in, float* out, int count, const int* segments,
                           const OversampledSvfCoefficients& c, float& band, float& low) noexcept;
    static void svfSaturating(const float* in, float* out, int count, const int* segments,
                              const OversampledSvfCoefficients& c, float& band, float& low) noexcept;
    static void svfSaturating3(const float* in, float* out, int count, const int* segments,
                               const OversampledSvfCoefficients& c, float& band, float& low) noexcept;
    static void svfLinear4(const float* const in[4], float* const out[4], int count, const int* segments,
                           const OversampledSvfCoefficients& c, float band[4], float low[4]) noexcept;
    static void svfLinear3x4(const float* const in[4], float* const out[4], int count, const int* segments,
                             const OversampledSvfCoefficients& c, float band[4], float low[4]) noexcept;
    static void svfSaturating4(const float* const in[4], float* const out[4], int count, const int* segments,
                               const OversampledSvfCoefficients& c, float band[4], float low[4]) noexcept;
    static void svfSaturating3x4(const float* const in[4], float* const out[4], int count,
                                 const int* segments, const OversampledSvfCoefficients& c, float band[4],
                                 float low[4]) noexcept;

    // A whole four-lane filter in one pass: a saturating stage (stages[0]),
    // then stageCount - 1 linear stages (stages[1...], each filtering the one
    // before, with only f, q and the weights read), then the clip. band and
    // low hold stage s of lane l at [s * 4 + l]; stageCount is 1 to 4. Bit
    // for bit svfSaturating4, svfLinear4 per further stage and lookup per
    // active lane, run one after the other; in one pass the stages'
    // recurrences overlap instead of each waiting for its own, and the clip
    // fills the time they wait.
    static void svfChain4(const float* const in[4], float* const out[4], int count, const int* segments,
                          const OversampledSvfCoefficients stages[], int stageCount, float band[],
                          float low[], const ClipLookup4& clip) noexcept;

    // ---- Function tables (see TableLookup):
    //   y = gain * (T[i] + (T[i + 1] - T[i]) * f)
    static void lookup(const float* in, float* out, int count, const int* segments,
                       const TableLookup& t) noexcept;
    // in holds 3 * count samples (a threefold stream); each output sample is
    // gain * 0.33333334 * (sum of the three lookups, without gain).
    static void lookupDecimate3(const float* in, float* out, int count, const int* segments,
                                const TableLookup& t) noexcept;

    // ---- Phase of a second-order section, added to out: with w = scale * x,
    // angle((c2 - c0 w^2) + j c1 w) - angle((c5 - c3 w^2) + j c4 w).
    static void sectionPhase(const float* in, float* out, int count, float scale, const float c[6]) noexcept;
    // The quadrant-corrected arctangent used above (polynomial, range reduced
    // at tan(pi/8) and tan(3pi/8)).
    static typename Lanes::F atan2(typename Lanes::F y, typename Lanes::F x) noexcept;

    // ---- Polynomial envelope segment: sample j gets
    // start + span * P(min(phase + j * step, 1)), P(p) = c0 p^5 + c1 p^4 +
    // c2 p^3 + c3 p^2 + c4 p (Horner). Once the phase is at least 0.9999999
    // every sample is start + span. phase becomes min(phase + count * step, 1);
    // returns whether it reached 0.9999999.
    static bool polynomialSegment(float* out, int count, const float c[5], float& phase, float step,
                                  float start, float span) noexcept;

    // ---- Decibels to gain, 10^(x / 20) as exp(x * 0.115129255) with the
    // argument clamped to +-88.37626 (NaN to the lower end): finite for every input.
    static void dbToGain(const float* in, float* out, int count) noexcept;
};

extern template struct BlockKernels<simd::Sse>;
extern template struct BlockKernels<simd::Scalar>;

// The kernels the product runs.
using Kernels = BlockKernels<simd::Native>;
using ScalarKernels = BlockKernels<simd::Scalar>;

inline bool renderPolynomialSegment(float* out, int count, const float c[5], float& phase, float step,
                                    float start, float span) noexcept {
    return Kernels::polynomialSegment(out, count, c, phase, step, start, span);
}

inline void dbToGainBlock(const float* in, float* out, int count) noexcept {
    Kernels::dbToGain(in, out, count);
}
