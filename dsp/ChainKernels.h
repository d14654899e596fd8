#pragma once

// The steps of the state-variable filters and the pipelined filter chains,
// written once over a lane set (dsp/Simd.h; the chains over one or two
// groups of four lanes) and included by the kernel source of each
// instruction set: BlockKernels.cpp (SSE2 and the scalar reference, one
// group), PairKernels.cpp (the SSE2 pair) and PairKernelsAvx2.cpp (AVX2).
//
// Everything here lies in an unnamed namespace: each source gets a copy of
// its own, compiled for its own instruction set, so the linker can never
// take an AVX2-compiled copy for the SSE2 path. For the same reason nothing
// here instantiates a standard-library template.
//
// A chain runs through the block as one software pipeline, its samples
// transposed four at a time so that one vector holds one sample across the
// lanes (see Pipeline). At step t stage j filters sample t - j from what
// stage j - 1 produced at step t - 1, so the stages' recurrences run side by
// side instead of one after another; the finishing step (the state-variable
// filter's clip) follows one step behind the last stage. Every stage and the
// finishing step keep a segment cursor per group, so each group computes
// exactly what its filter computes alone: the same operations on the same
// coefficients, bit for bit. A group with fewer stages than the chain passes
// its signal through the stages it lacks (their lanes compute on borrowed
// coefficients and states, and the results are discarded, never stored).

#include "dsp/KernelArguments.h"

#include <cstdint>

namespace {

// The kernels here take four lanes to a group: the records they read
// (TptSection4, ClipLookup4, a stage's arrays of [segment * 4 + lane]) hold
// one group of four, and the pipeline transposes four samples at a time.
// Each kernel over a lane set asserts it.
template <class L> constexpr bool kFourLanesToAGroup = L::kGroupLanes == 4;

// Walks a segment list sample by sample (zero-length segments are skipped).
class SegmentCursor {
public:
    SegmentCursor() : segments_(nullptr) {}
    explicit SegmentCursor(const int* segments) : segments_(segments) {}
    // Moves on by one sample; true when that sample starts a new segment.
    [[gnu::always_inline]] bool next() {
        if (remaining_ > 0) {
            --remaining_;
            return false;
        }
        do {
            ++index_;
            remaining_ = segments_[index_];
        } while (remaining_ <= 0);
        --remaining_;
        return true;
    }
    // Moves on by n samples when they all lie in one segment (index() then
    // names it) and returns true; otherwise moves not at all.
    bool nextRun(int n) {
        if (remaining_ >= n) {
            remaining_ -= n;
            return true;
        }
        if (remaining_ > 0) return false;
        int index = index_;
        int length;
        do {
            ++index;
            length = segments_[index];
        } while (length <= 0);
        if (length < n) return false;
        index_ = index;
        remaining_ = length - n;
        return true;
    }
    int index() const { return index_; }

private:
    const int* segments_;
    int index_ = -1;
    int remaining_ = 0;
};

// One value per call: a plain float (one channel) or four lanes. Both run
// the same operations, so one channel and a lane of four agree bit for bit.
struct OneLane {
    using V = float;
    static constexpr int kStride = 1;
    static float splat(float x) { return x; }
    static float load(const float* p) { return *p; }
    static float vmin(float a, float b) { return a < b ? a : b; }
    static float vmax(float a, float b) { return a > b ? a : b; }
};

template <class L> struct FourLanes {
    static_assert(kFourLanesToAGroup<L>);
    using V = typename L::F;
    static constexpr int kStride = 4;
    static V splat(float x) { return L::splat(x); }
    static V load(const float* p) { return L::load(p); }
    static V vmin(V a, V b) { return min(a, b); }
    static V vmax(V a, V b) { return max(a, b); }
};

// ---- The steps of the state-variable filters: one sample of a section or
// stage, with its coefficients and state, for one lane or a lane set.

template <class O> struct TptStep {
    using V = typename O::V;
    const float* c; // TptSection or TptSection4 records as floats
    int recordSize;
    // inv = 1 / (1 + k g) once per segment: the per-sample recurrence then
    // multiplies instead of dividing (a division's latency sits in the loop).
    V g{}, k{}, inv{}, wl{}, wb{}, wh{};
    V s1{}, s2{};

    void load(int segment) {
        const float* r = c + segment * recordSize;
        set(O::load(r), O::load(r + O::kStride), O::load(r + 2 * O::kStride), O::load(r + 3 * O::kStride),
            O::load(r + 4 * O::kStride));
    }
    struct State {
        V s1, s2;
    };
    State state() const { return {s1, s2}; }
    template <class M> void keep(M mask, const State& saved) {
        s1 = select(mask, s1, saved.s1);
        s2 = select(mask, s2, saved.s2);
    }
    void set(V gain, V damping, V low, V band, V high) {
        g = gain;
        k = damping;
        wl = low;
        wb = band;
        wh = high;
        inv = O::splat(1.0f) / (O::splat(1.0f) + k * g);
    }
    [[gnu::always_inline]] void operator()(V x, V* y) {
        V high = ((x - k * s1) - s2) * inv;
        V band = high * g + s1;
        s1 = band + high * g;
        V low = s2 + band * g;
        s2 = low + band * g;
        y[0] = (wh * high + wb * band) + wl * low;
    }
};

template <class O, bool Saturating, bool Three> struct SvfStep {
    using V = typename O::V;
    static constexpr int kOutputs = Three ? 3 : 1;
    static constexpr bool kSaturating = Saturating;
    const OversampledSvfCoefficients* c;
    V f{}, q{}, wl{}, wb{}, wh{}, gain{}, drive{};
    V band{}, low{};

    void load(int segment) {
        int i = segment * O::kStride;
        f = O::load(c->f + i);
        q = O::load(c->q + i);
        wl = O::load(c->low + i);
        wb = O::load(c->band + i);
        wh = O::load(c->high + i);
        if constexpr (Saturating) {
            gain = O::load(c->gain + i);
            drive = O::load(c->drive + i);
        }
    }
    struct State {
        V band, low;
    };
    State state() const { return {band, low}; }
    // Keeps the new state in the lanes of mask, the saved one elsewhere.
    template <class M> void keep(M mask, const State& saved) {
        band = select(mask, band, saved.band);
        low = select(mask, low, saved.low);
    }
    [[gnu::always_inline]] static V cube(V b) { return (b * b) * b; }
    [[gnu::always_inline]] V output(V b, V h, V l) const { return (wb * b + wh * h) + wl * l; }

    [[gnu::always_inline]] void operator()(V x, V* y) {
        // Keeps the states away from subnormal numbers: added to the band
        // state after each sample and taken off before the low state reads
        // it, it is far below any audible level (-480 dB) and far above the
        // smallest normal float (about 1e-38).
        const V tiny = O::splat(1e-24f);
        V u = x;
        if constexpr (Saturating) u = x * gain;
        low = low + (band - tiny) * f;
        V h1 = (u - q * band) - low;
        V b1;
        if constexpr (Saturating)
            b1 = (h1 * f - drive * cube(band)) + band;
        else
            b1 = h1 * f + band;
        low = low + f * b1;
        if constexpr (Three) y[0] = output(b1, h1, low);
        V h2 = (u - q * b1) - low;
        V b2;
        if constexpr (Saturating)
            b2 = (h2 * f - drive * cube(b1)) + b1;
        else
            b2 = h2 * f + b1;
        low = low + f * b2;
        if constexpr (Three) y[1] = output(b2, h2, low);
        V h3 = (u - q * b2) - low;
        if constexpr (Saturating)
            band = ((b2 + h3 * f) - drive * cube(b2)) + tiny;
        else
            band = (b2 + h3 * f) + tiny;
        // The band state stays within full scale, where the cubic drive term
        // saturates it gently instead of running away; the low state, which
        // integrates the band, stays within 20 dB above full scale, so a hot
        // or resonant input cannot make it grow without end.
        band = O::vmin(O::vmax(band, O::splat(-1.0f)), O::splat(1.0f));
        low = O::vmin(O::vmax(low, O::splat(-10.0f)), O::splat(10.0f));
        y[kOutputs - 1] = output(band, h3, low);
    }
};

// The segment cursors of one stage, one per group: tells when any group
// starts a segment (the stage then reloads its coefficients).
template <int G> struct GroupCursors {
    SegmentCursor cursor[G];
    int segment[G] = {};

    void start(const int* const segments[G]) {
        for (int g = 0; g < G; ++g)
            cursor[g] = SegmentCursor(segments[g]);
    }
    // Every group moves on by a sample, or only group `only` (0 or more).
    [[gnu::always_inline]] bool next(int only = -1) {
        bool moved = false;
        for (int g = 0; g < G; ++g) {
            if (only >= 0 && g != only) continue;
            if (cursor[g].next()) {
                segment[g] = cursor[g].index();
                moved = true;
            }
        }
        return moved;
    }
};

// A step's coefficients for the current segments, per group: from the
// arrays of a stage ([segment * 4 + lane]) or from a section's records.
template <class L, class Step>
void loadCoefficients(Step& step, const OversampledSvfCoefficients* const c[], const int segment[]) {
    static_assert(kFourLanesToAGroup<L>);
    auto group = [&](const float* const OversampledSvfCoefficients::*array) {
        const float* p[L::kGroups];
        for (int g = 0; g < L::kGroups; ++g)
            p[g] = c[g]->*array + segment[g] * 4;
        return L::loadGroups(p);
    };
    step.f = group(&OversampledSvfCoefficients::f);
    step.q = group(&OversampledSvfCoefficients::q);
    step.wl = group(&OversampledSvfCoefficients::low);
    step.wb = group(&OversampledSvfCoefficients::band);
    step.wh = group(&OversampledSvfCoefficients::high);
    if constexpr (Step::kSaturating) {
        step.gain = group(&OversampledSvfCoefficients::gain);
        step.drive = group(&OversampledSvfCoefficients::drive);
    }
}

template <class L, class Step>
void loadCoefficients(Step& step, const TptSection4* const c[], const int segment[]) {
    static_assert(kFourLanesToAGroup<L>);
    auto group = [&](const float(TptSection4::*array)[4]) {
        const float* p[L::kGroups];
        for (int g = 0; g < L::kGroups; ++g)
            p[g] = c[g][segment[g]].*array;
        return L::loadGroups(p);
    };
    step.set(group(&TptSection4::g), group(&TptSection4::k), group(&TptSection4::low),
             group(&TptSection4::band), group(&TptSection4::high));
}

// A stage of a chain: a filter step (SvfStep or TptStep over the lane set)
// whose coefficients are loaded per group, from its Record of each group,
// when a segment starts.
template <class L, class Step, class Record> struct ChainStage {
    using F = typename L::F;
    static constexpr int G = L::kGroups;
    const Record* c[G] = {};
    GroupCursors<G> cursors;
    Step step{};

    // Moves on by a sample (see GroupCursors::next), reloading the
    // coefficients when a segment starts.
    [[gnu::always_inline]] void next(int only = -1) {
        if (cursors.next(only)) [[unlikely]]
            reload();
    }
    void reload() { loadCoefficients<L>(step, c, cursors.segment); }
    [[gnu::always_inline]] F operator()(F x) {
        F y;
        step(x, &y);
        return y;
    }
    // One sample through the stage for every group (only < 0) or for group
    // `only` alone (the other keeps its state); a group's lanes outside
    // present (a group without this stage) pass v on.
    [[gnu::always_inline]] F run(F v, int only, const typename L::M groupLanes[], typename L::M present) {
        F out;
        if (only < 0) {
            next();
            out = (*this)(v);
        } else {
            const auto saved = step.state();
            next(only);
            out = (*this)(v);
            step.keep(groupLanes[only], saved);
        }
        if constexpr (G > 1) out = select(present, out, v);
        return out;
    }
};

// A state-variable stage (the step of svfSaturating4 or svfLinear4) and a
// trapezoidal section (the step of tptSvf4) of a chain.
template <class L, bool Saturating>
using SvfStage = ChainStage<L, SvfStep<FourLanes<L>, Saturating, false>, OversampledSvfCoefficients>;
template <class L> using TptStage = ChainStage<L, TptStep<FourLanes<L>>, TptSection4>;

// The output clip of a state-variable chain (see ClipLookup4): per group one
// table, per lane the segment's scale and gain; lanes not active pass.
template <class L> struct ClipStage {
    static_assert(kFourLanesToAGroup<L>);
    using F = typename L::F;
    using I = typename L::I;
    using M = typename L::M;
    static constexpr int G = L::kGroups;
    static constexpr int kLanes = 4 * G;
    const ClipLookup4* c[G] = {};
    GroupCursors<G> cursors;
    F scale{}, gain{};
    F m{}, offset{}, maxIndex{};
    I indexOffset{}, maxIndexInt{};
    M active{};
    const float* table[G] = {}; // per group

    void setUp(const ClipLookup4* const clips[G]) {
        float ms[G], offsets[G], maxima[G];
        std::int32_t indexOffsets[G], maximaInt[G];
        float flags[kLanes];
        for (int g = 0; g < G; ++g) {
            c[g] = clips[g];
            const TableLookup& t = c[g]->table;
            table[g] = t.table;
            ms[g] = t.m;
            offsets[g] = t.offset;
            maxima[g] = static_cast<float>(t.maxIndex);
            maximaInt[g] = t.maxIndex;
            // Keeps floor and the index offset inside the int range.
            const int limit = 1 << 29;
            indexOffsets[g] = t.indexOffset < -limit ? -limit : t.indexOffset > limit ? limit : t.indexOffset;
            for (int lane = 0; lane < 4; ++lane)
                flags[4 * g + lane] = c[g]->active[lane] ? 1.0f : 0.0f;
        }
        m = L::setGroups(ms);
        offset = L::setGroups(offsets);
        maxIndex = L::setGroups(maxima);
        maxIndexInt = L::setGroupsInt(maximaInt);
        indexOffset = L::setGroupsInt(indexOffsets);
        active = L::load(flags) > L::splat(0.0f);
    }
    [[gnu::always_inline]] void next(int only = -1) {
        if (cursors.next(only)) [[unlikely]]
            reload();
    }
    void reload() {
        float s[kLanes], k[kLanes];
        for (int g = 0; g < G; ++g) {
            for (int lane = 0; lane < 4; ++lane) {
                s[4 * g + lane] = c[g]->scales[lane][cursors.segment[g]];
                k[4 * g + lane] = c[g]->gains[lane][cursors.segment[g]];
            }
        }
        scale = L::load(s);
        gain = L::load(k);
    }
    // The table lookup of BlockKernels::lookup, with each group's table.
    [[gnu::always_inline]] F lookup(F x) const {
        F v = (x * m) * scale - offset;
        v = min(max(v, L::splat(-1073741824.0f)), L::splat(1073741824.0f));
        I whole = truncToInt(v);
        whole = whole + asInt(toFloat(whole) > v); // floor: -1 where truncation went up
        F fraction = v - toFloat(whole);
        I index = whole + indexOffset;
        F indexF = toFloat(index);
        M below = indexF < L::splat(0.0f);
        M above = indexF > maxIndex;
        index = select(below, L::splatInt(0), select(above, maxIndexInt, index));
        fraction = select(below | above, L::splat(0.0f), fraction);
        F fa, fb;
        L::gatherPairs(table, index, fa, fb);
        return fa + (fb - fa) * fraction;
    }
    [[gnu::always_inline]] F operator()(F y) const { return select(active, gain * lookup(y), y); }
};

// Four samples of lane `lane` from each group g, starting at at[g]; samples
// outside [0, count) read as 0.
template <class L>
typename L::F loadRow(const float* const* const in[], int lane, const int at[], int count) {
    static_assert(kFourLanesToAGroup<L>);
    constexpr int G = L::kGroups;
    const float* p[G];
    float t[G][4];
    for (int g = 0; g < G; ++g) {
        const int s = at[g];
        if (s >= 0 && s + 4 <= count) {
            p[g] = in[g][lane] + s;
            continue;
        }
        for (int i = 0; i < 4; ++i)
            t[g][i] = s + i >= 0 && s + i < count ? in[g][lane][s + i] : 0.0f;
        p[g] = t[g];
    }
    return L::loadGroups(p);
}

// The first n of four samples of lane `lane` to each group g at at[g],
// those inside [0, count) only.
template <class L>
void storeRow(float* const* const out[], int lane, const int at[], int n, int count, typename L::F v) {
    static_assert(kFourLanesToAGroup<L>);
    for (int g = 0; g < L::kGroups; ++g) {
        const int s = at[g];
        if (n == 4 && s >= 0 && s + 4 <= count) {
            L::storeGroup(out[g][lane] + s, v, g);
            continue;
        }
        float t[4];
        L::storeGroup(t, v, g);
        for (int i = 0; i < n; ++i)
            if (s + i >= 0 && s + i < count) out[g][lane][s + i] = t[i];
    }
}

// The pipelined run of N stages and an optional finishing step over a
// block. Chain provides stage(j, v, only) and finish(v, only) (only: -1 for
// every group, else the one group whose sample is inside the block; the
// other keeps its state), and kFinishing.
//
// The pipeline runs on without stopping from the first sample to the last:
// inputs are loaded (and transposed) four samples ahead of stage 0, outputs
// stored four at a time behind the last step, through small rings. Group 1
// may trail group 0 by `trail` samples (a multiple of 4, at least kDepth +
// 3): its samples then enter that many steps later, so it may read what
// group 0 stored (its outputs, and the mixes of ChainMix) in the same pass.
template <class L, int N, class Chain> struct Pipeline {
    static_assert(kFourLanesToAGroup<L>);
    using F = typename L::F;
    using M = typename L::M;
    static constexpr int G = L::kGroups;
    static constexpr int kDepth = Chain::kFinishing ? N + 1 : N; // steps from input to output
    // The rings hold the four samples loaded ahead of stage 0 and the four
    // waiting to be stored behind the last step.
    static constexpr int kRing = 16;
    static constexpr int kMask = kRing - 1;

    explicit Pipeline(Chain& owner) : chain(owner) {}

    Chain& chain;
    F x[kRing];
    F y[kRing];
    F carry[N];
    int count = 0;
    int offset[G] = {}; // the step at which group g's sample 0 enters
    const float* const* in[G] = {};
    float* const* out[G] = {};
    const ChainMix* mixes = nullptr; // group 0's, or none

    // Stage j (N: the finishing step) on the sample in ring slot i.
    [[gnu::always_inline]] void at(int j, int i, int only) {
        if (j == N) {
            y[i] = chain.finish(carry[N - 1], only);
            return;
        }
        F v = chain.stage(j, j == 0 ? x[i] : carry[j - 1], only);
        if (!Chain::kFinishing && j == N - 1)
            y[i] = v;
        else
            carry[j] = v;
    }
    // Steps with every stage on a sample every group has; stages run last
    // to first, so each reads its predecessor's previous output before
    // that is replaced.
    [[gnu::always_inline]] void fullStep(int t) {
#pragma GCC unroll 8
        for (int j = kDepth - 1; j >= 0; --j)
            at(j, (t - j) & kMask, -1);
    }
    // Steps at the ends, where a stage's sample may lie outside the block
    // for one group (it then keeps its state) or for both (nothing runs).
    [[gnu::always_inline]] void edgeStep(int t) {
#pragma GCC unroll 8
        for (int j = kDepth - 1; j >= 0; --j) {
            const int v = t - j;
            int inside = 0;
            int group = -1;
            for (int g = 0; g < G; ++g) {
                if (v - offset[g] >= 0 && v - offset[g] < count) {
                    ++inside;
                    group = g;
                }
            }
            if (inside == G)
                at(j, v & kMask, -1);
            else if (inside == 1)
                at(j, v & kMask, group);
        }
    }
    // Inputs of the four steps from t (a multiple of 4).
    [[gnu::always_inline]] void load(int t) {
        int at[G];
        bool inside = true;
        for (int g = 0; g < G; ++g) {
            at[g] = t - offset[g];
            inside = inside && at[g] >= 0 && at[g] + 4 <= count;
        }
        const int slot = t & kMask;
        for (int lane = 0; lane < 4; ++lane) {
            if (inside) {
                const float* p[G];
                for (int g = 0; g < G; ++g)
                    p[g] = in[g][lane] + at[g];
                x[slot + lane] = L::loadGroups(p);
            } else {
                x[slot + lane] = loadRow<L>(in, lane, at, count);
            }
        }
        L::transpose(x[slot], x[slot + 1], x[slot + 2], x[slot + 3]);
    }
    // Outputs of the n steps from u (a multiple of 4), and group 0's mixes.
    [[gnu::always_inline]] void store(int u, int n) {
        int at[G];
        for (int g = 0; g < G; ++g)
            at[g] = u - offset[g];
        const int slot = u & kMask;
        F rows[4] = {y[slot], y[slot + 1], y[slot + 2], y[slot + 3]};
        L::transpose(rows[0], rows[1], rows[2], rows[3]);
        bool inside = n == 4;
        for (int g = 0; g < G; ++g)
            inside = inside && at[g] >= 0 && at[g] + 4 <= count;
        for (int lane = 0; lane < 4; ++lane) {
            if (inside) {
                for (int g = 0; g < G; ++g)
                    L::storeGroup(out[g][lane] + at[g], rows[lane], g);
            } else {
                storeRow<L>(out, lane, at, n, count, rows[lane]);
            }
        }
        if (mixes == nullptr) return;
        const int first = at[0] < 0 ? 0 : at[0];
        const int end = at[0] + n < count ? at[0] + n : count;
        for (int lane = 0; lane < 4; ++lane) {
            const ChainMix& m = mixes[lane];
            if (m.dest == nullptr) continue;
            const float* wet = out[0][lane];
            for (int i = first; i < end; ++i) {
                const float amount = m.amounts != nullptr ? m.amounts[i] : m.amount;
                m.dest[i] = (wet[i] - m.dry[i]) * amount + m.dry[i];
            }
        }
    }
    [[gnu::always_inline]] void edges(int t, int total) {
        if ((t & 3) == 0 && t < total) load(t);
    }
    [[gnu::always_inline]] void stores(int t, int total) {
        const int u = t - (kDepth - 1);
        if (u >= 0 && ((u & 3) == 3 || u == total - 1)) store(u & ~3, (u & 3) + 1);
    }
    void run(const float* const* const inputs[G], float* const* const outputs[G], int samples, int trail,
             const ChainMix* groupMixes) {
        count = samples;
        for (int g = 0; g < G; ++g) {
            in[g] = inputs[g];
            out[g] = outputs[g];
            offset[g] = g == 0 ? 0 : trail;
        }
        mixes = groupMixes;
        const int total = count + offset[G - 1];
        // Every stage of every group inside the block from steadyStart on,
        // up to (not including) steadyEnd.
        const int steadyStart = offset[G - 1] + kDepth - 1;
        const int steadyEnd = count;
        const int last = total + kDepth - 1;
        int t = 0;
        for (; t < steadyStart && t < last; ++t) {
            edges(t, total);
            edgeStep(t);
            stores(t, total);
        }
        for (; t < steadyEnd; ++t) {
            edges(t, total);
            fullStep(t);
            stores(t, total);
        }
        for (; t < last; ++t) {
            edges(t, total);
            edgeStep(t);
            stores(t, total);
        }
    }
};

// Whether stage j exists in each group's lanes (a group with fewer stages
// passes its signal through the others).
template <class L> typename L::M stagePresent(const int counts[], int j) {
    static_assert(kFourLanesToAGroup<L>);
    float flags[4 * L::kGroups];
    for (int g = 0; g < L::kGroups; ++g)
        for (int lane = 0; lane < 4; ++lane)
            flags[4 * g + lane] = j < counts[g] ? 1.0f : 0.0f;
    return L::load(flags) > L::splat(0.0f);
}

// The lanes of group g.
template <class L> typename L::M groupMask(int g) {
    static_assert(kFourLanesToAGroup<L>);
    float flags[4 * L::kGroups];
    for (int lane = 0; lane < 4 * L::kGroups; ++lane)
        flags[lane] = lane / 4 == g ? 1.0f : 0.0f;
    return L::load(flags) > L::splat(0.0f);
}

// A saturating stage, N - 1 linear stages and the clip, per group as
// svfChain4 (SvfChainLanes).
template <class L, int N> struct SvfChain {
    static_assert(kFourLanesToAGroup<L>);
    using F = typename L::F;
    using M = typename L::M;
    static constexpr int G = L::kGroups;
    static constexpr bool kFinishing = true;

    SvfStage<L, true> first;
    SvfStage<L, false> rest[N > 1 ? N - 1 : 1];
    ClipStage<L> clip;
    M present[N];

    M groupLanes[G];

    [[gnu::always_inline]] F stage(int j, F v, int only) {
        return j == 0 ? first.run(v, only, groupLanes, present[0])
                      : rest[j - 1].run(v, only, groupLanes, present[j]);
    }
    [[gnu::always_inline]] F finish(F v, int only) {
        clip.next(only);
        return clip(v);
    }

    void run(const SvfChainLanes* const lanes[G], int count, int trail) {
        const int* segments[G];
        const ClipLookup4* clips[G];
        const float* const* in[G];
        float* const* out[G];
        int counts[G];
        for (int g = 0; g < G; ++g) {
            segments[g] = lanes[g]->segments;
            clips[g] = lanes[g]->clip;
            in[g] = lanes[g]->in;
            out[g] = lanes[g]->out;
            counts[g] = lanes[g]->stageCount;
        }
        // A stage a group lacks reads its last stage's coefficients and
        // first stage's state: finite numbers whose results are discarded.
        auto stageOf = [&](int g, int j) { return j < counts[g] ? j : counts[g] - 1; };
        const float* band[G];
        const float* low[G];
        for (int g = 0; g < G; ++g) {
            first.c[g] = &lanes[g]->stages[0];
            band[g] = lanes[g]->band;
            low[g] = lanes[g]->low;
        }
        first.cursors.start(segments);
        first.step.band = L::loadGroups(band);
        first.step.low = L::loadGroups(low);
        present[0] = L::splat(0.0f) <= L::splat(1.0f);
        for (int j = 1; j < N; ++j) {
            for (int g = 0; g < G; ++g) {
                rest[j - 1].c[g] = &lanes[g]->stages[stageOf(g, j)];
                band[g] = lanes[g]->band + 4 * (j < counts[g] ? j : 0);
                low[g] = lanes[g]->low + 4 * (j < counts[g] ? j : 0);
            }
            rest[j - 1].cursors.start(segments);
            rest[j - 1].step.band = L::loadGroups(band);
            rest[j - 1].step.low = L::loadGroups(low);
            present[j] = stagePresent<L>(counts, j);
        }
        clip.setUp(clips);
        clip.cursors.start(segments);
        for (int g = 0; g < G; ++g)
            groupLanes[g] = groupMask<L>(g);

        Pipeline<L, N, SvfChain> pipeline(*this);
        pipeline.run(in, out, count, trail, lanes[0]->mixes);

        for (int g = 0; g < G; ++g) {
            L::storeGroup(lanes[g]->band, first.step.band, g);
            L::storeGroup(lanes[g]->low, first.step.low, g);
            for (int j = 1; j < counts[g] && j < N; ++j) {
                L::storeGroup(lanes[g]->band + 4 * j, rest[j - 1].step.band, g);
                L::storeGroup(lanes[g]->low + 4 * j, rest[j - 1].step.low, g);
            }
        }
    }
};

// N trapezoidal sections in cascade, per group as tptSvfCascade4
// (TptCascadeLanes).
template <class L, int N> struct TptChain {
    static_assert(kFourLanesToAGroup<L>);
    using F = typename L::F;
    using M = typename L::M;
    static constexpr int G = L::kGroups;
    static constexpr bool kFinishing = false;

    TptStage<L> sections[N];
    M present[N];

    M groupLanes[G];

    [[gnu::always_inline]] F stage(int j, F v, int only) {
        return sections[j].run(v, only, groupLanes, present[j]);
    }
    [[gnu::always_inline]] F finish(F v, int) { return v; }

    void run(const TptCascadeLanes* const lanes[G], int count, int trail) {
        const int* segments[G];
        const float* const* in[G];
        float* const* out[G];
        int counts[G];
        for (int g = 0; g < G; ++g) {
            segments[g] = lanes[g]->segments;
            in[g] = lanes[g]->in;
            out[g] = lanes[g]->out;
            counts[g] = lanes[g]->sectionCount;
        }
        for (int j = 0; j < N; ++j) {
            const float* s1[G];
            const float* s2[G];
            for (int g = 0; g < G; ++g) {
                const int own = j < counts[g] ? j : counts[g] - 1;
                sections[j].c[g] = lanes[g]->sections[own];
                s1[g] = lanes[g]->s1 + 4 * own;
                s2[g] = lanes[g]->s2 + 4 * own;
            }
            sections[j].cursors.start(segments);
            sections[j].step.s1 = L::loadGroups(s1);
            sections[j].step.s2 = L::loadGroups(s2);
            present[j] = stagePresent<L>(counts, j);
        }

        for (int g = 0; g < G; ++g)
            groupLanes[g] = groupMask<L>(g);

        Pipeline<L, N, TptChain> pipeline(*this);
        pipeline.run(in, out, count, trail, lanes[0]->mixes);

        for (int g = 0; g < G; ++g) {
            for (int j = 0; j < counts[g] && j < N; ++j) {
                L::storeGroup(lanes[g]->s1 + 4 * j, sections[j].step.s1, g);
                L::storeGroup(lanes[g]->s2 + 4 * j, sections[j].step.s2, g);
            }
        }
    }
};

// Runs the chain with the stage count as a constant (1 to 4; the largest of
// the groups'), group 1 trailing group 0 by trail samples.
template <template <class, int> class Chain, class L, class Lanes>
void runChain(const Lanes* const lanes[L::kGroups], int stages, int count, int trail = 0) {
    switch (stages) {
    case 1:
        Chain<L, 1>{}.run(lanes, count, trail);
        break;
    case 2:
        Chain<L, 2>{}.run(lanes, count, trail);
        break;
    case 3:
        Chain<L, 3>{}.run(lanes, count, trail);
        break;
    case 4:
        Chain<L, 4>{}.run(lanes, count, trail);
        break;
    default:
        break;
    }
}

} // namespace
