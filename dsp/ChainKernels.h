#pragma once

// The pipelined filter chains, written once over a lane set of one or two
// groups of four lanes (dsp/Simd.h) and included by the kernel source of
// each instruction set: BlockKernels.cpp (SSE2 and the scalar reference, one
// group), PairKernels.cpp (the SSE2 pair) and PairKernelsAvx2.cpp (AVX2).
//
// Everything here lies in an unnamed namespace: each source gets a copy of
// its own, compiled for its own instruction set, so the linker can never
// take an AVX2-compiled copy for the SSE2 path. For the same reason nothing
// here instantiates a standard-library template.
//
// A chain takes the block in chunks, transposed so that one vector holds one
// sample across the lanes. Within a chunk, at step t stage j filters sample
// t - j from what stage j - 1 produced at step t - 1, so the stages'
// recurrences run side by side instead of one after another; the finishing
// step (the state-variable filter's clip) follows one step behind the last
// stage. Every stage and the finishing step keep a segment cursor per group,
// so each group computes exactly what its filter computes alone: the same
// operations on the same coefficients, bit for bit. A group with fewer
// stages than the chain passes its signal through the stages it lacks (their
// lanes compute and are discarded; their states are neither read from nor
// written to its arrays).

#include "dsp/BlockKernels.h"

#include <cstdint>

namespace {

// Walks a segment list sample by sample (zero-length segments are skipped).
class SegmentCursor {
public:
    SegmentCursor() : segments_(nullptr) {}
    explicit SegmentCursor(const int* segments) : segments_(segments) {}
    // Moves on by one sample; true when that sample starts a new segment.
    bool next() {
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

// The segment cursors of one stage, one per group: tells when any group
// starts a segment (the stage then reloads its coefficients).
template <int G> struct GroupCursors {
    SegmentCursor cursor[G];
    int segment[G] = {};

    void start(const int* const segments[G]) {
        for (int g = 0; g < G; ++g)
            cursor[g] = SegmentCursor(segments[g]);
    }
    bool next() {
        bool moved = false;
        for (int g = 0; g < G; ++g) {
            if (cursor[g].next()) {
                segment[g] = cursor[g].index();
                moved = true;
            }
        }
        return moved;
    }
};

// A state-variable stage (see BlockKernels::svfSaturating4 and svfLinear4),
// its coefficients loaded per group from [segment * 4 + lane].
template <class L, bool Saturating> struct SvfStage {
    using F = typename L::F;
    static constexpr int G = L::kGroups;
    const OversampledSvfCoefficients* c[G] = {};
    GroupCursors<G> cursors;
    F f{}, q{}, wl{}, wb{}, wh{}, gain{}, drive{};
    F band{}, low{};

    F group(const float* const OversampledSvfCoefficients::*array) const {
        const float* p[G];
        for (int g = 0; g < G; ++g)
            p[g] = c[g]->*array + cursors.segment[g] * 4;
        return L::loadGroups(p);
    }
    void next() {
        if (!cursors.next()) return;
        f = group(&OversampledSvfCoefficients::f);
        q = group(&OversampledSvfCoefficients::q);
        wl = group(&OversampledSvfCoefficients::low);
        wb = group(&OversampledSvfCoefficients::band);
        wh = group(&OversampledSvfCoefficients::high);
        if constexpr (Saturating) {
            gain = group(&OversampledSvfCoefficients::gain);
            drive = group(&OversampledSvfCoefficients::drive);
        }
    }
    static F cube(F b) { return (b * b) * b; }
    F operator()(F x) {
        const F tiny = L::splat(1e-24f);
        F u = x;
        if constexpr (Saturating) u = x * gain;
        low = low + (band - tiny) * f;
        F h1 = (u - q * band) - low;
        F b1;
        if constexpr (Saturating)
            b1 = (h1 * f - drive * cube(band)) + band;
        else
            b1 = h1 * f + band;
        low = low + f * b1;
        F h2 = (u - q * b1) - low;
        F b2;
        if constexpr (Saturating)
            b2 = (h2 * f - drive * cube(b1)) + b1;
        else
            b2 = h2 * f + b1;
        low = low + f * b2;
        F h3 = (u - q * b2) - low;
        if constexpr (Saturating)
            band = ((b2 + h3 * f) - drive * cube(b2)) + tiny;
        else
            band = (b2 + h3 * f) + tiny;
        band = min(max(band, L::splat(-1.0f)), L::splat(1.0f));
        low = min(max(low, L::splat(-10.0f)), L::splat(10.0f));
        return (wb * band + wh * h3) + wl * low;
    }
};

// A trapezoidal section (see BlockKernels::tptSvf4), its coefficients loaded
// per group from the group's TptSection4 record of the segment.
template <class L> struct TptStage {
    using F = typename L::F;
    static constexpr int G = L::kGroups;
    const TptSection4* c[G] = {};
    GroupCursors<G> cursors;
    F g{}, k{}, inv{}, wl{}, wb{}, wh{};
    F s1{}, s2{};

    F group(const float (TptSection4::*array)[4]) const {
        const float* p[G];
        for (int i = 0; i < G; ++i)
            p[i] = (c[i][cursors.segment[i]].*array);
        return L::loadGroups(p);
    }
    void next() {
        if (!cursors.next()) return;
        g = group(&TptSection4::g);
        k = group(&TptSection4::k);
        wl = group(&TptSection4::low);
        wb = group(&TptSection4::band);
        wh = group(&TptSection4::high);
        inv = L::splat(1.0f) / (L::splat(1.0f) + k * g);
    }
    F operator()(F x) {
        F high = ((x - k * s1) - s2) * inv;
        F band = high * g + s1;
        s1 = band + high * g;
        F low = s2 + band * g;
        s2 = low + band * g;
        return (wh * high + wb * band) + wl * low;
    }
};

// The output clip of a state-variable chain (see ClipLookup4): per group one
// table, per lane the segment's scale and gain; lanes not active pass.
template <class L> struct ClipStage {
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

    void setUp(const ClipLookup4* const clips[G]) {
        float ms[G], offsets[G], maxima[G];
        std::int32_t indexOffsets[G], maximaInt[G];
        float flags[kLanes];
        for (int g = 0; g < G; ++g) {
            c[g] = clips[g];
            const TableLookup& t = c[g]->table;
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
    void next() {
        if (!cursors.next()) return;
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
    F lookup(F x) const {
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
        std::int32_t idx[kLanes];
        L::storeInt(idx, index);
        float a[kLanes], b[kLanes];
        for (int lane = 0; lane < kLanes; ++lane) {
            const float* table = c[lane / 4]->table.table;
            a[lane] = table[idx[lane]];
            b[lane] = table[idx[lane] + 1];
        }
        F fa = L::load(a);
        F fb = L::load(b);
        return fa + (fb - fa) * fraction;
    }
    F operator()(F y) const { return select(active, gain * lookup(y), y); }
};

// Loads four samples of lane `lane` of every group (fewer than four: zeros
// after them) and stores them back.
template <class L> typename L::F loadRow(const float* const* const in[], int lane, int at, int n) {
    constexpr int G = L::kGroups;
    const float* p[G];
    float t[G][4];
    for (int g = 0; g < G; ++g) {
        p[g] = in[g][lane] + at;
        if (n < 4) {
            for (int i = 0; i < 4; ++i)
                t[g][i] = i < n ? p[g][i] : 0.0f;
            p[g] = t[g];
        }
    }
    return L::loadGroups(p);
}

template <class L> void storeRow(float* const* const out[], int lane, int at, int n, typename L::F v) {
    for (int g = 0; g < L::kGroups; ++g) {
        float* p = out[g][lane] + at;
        if (n >= 4) {
            L::storeGroup(p, v, g);
            continue;
        }
        float t[4];
        L::storeGroup(t, v, g);
        for (int i = 0; i < n; ++i)
            p[i] = t[i];
    }
}

// The chunked, pipelined run of N stages and an optional finishing step.
// Chain provides stage(j, v) (advancing stage j's cursors first),
// finish(v) and kFinishing; in and out hold four lane pointers per group.
template <class L, int N, class Chain> struct Pipeline {
    using F = typename L::F;
    static constexpr int G = L::kGroups;
    static constexpr int kChunk = 64;
    static constexpr int kDepth = Chain::kFinishing ? N + 1 : N; // steps from input to output

    explicit Pipeline(Chain& owner) : chain(owner) {}

    Chain& chain;
    F x[kChunk];
    F y[kChunk];
    F carry[N];

    // Stage j (N: the finishing step) on chunk sample i.
    [[gnu::always_inline]] void at(int j, int i) {
        if (j == N) {
            y[i] = chain.finish(carry[N - 1]);
            return;
        }
        F v = chain.stage(j, j == 0 ? x[i] : carry[j - 1]);
        if (!Chain::kFinishing && j == N - 1)
            y[i] = v;
        else
            carry[j] = v;
    }
    // One step; stages run last to first, so each reads its predecessor's
    // previous output before that is replaced.
    [[gnu::always_inline]] void step(int t, int n) {
#pragma GCC unroll 8
        for (int j = kDepth - 1; j >= 0; --j) {
            const int i = t - j;
            if (i >= 0 && i < n) at(j, i);
        }
    }
    [[gnu::always_inline]] void fullStep(int t) {
#pragma GCC unroll 8
        for (int j = kDepth - 1; j >= 0; --j)
            at(j, t - j);
    }
    void run(const float* const* const in[G], float* const* const out[G], int count) {
        for (int base = 0; base < count; base += kChunk) {
            const int n = count - base < kChunk ? count - base : kChunk;
            for (int i = 0; i < n; i += 4) {
                const int m = n - i < 4 ? n - i : 4;
                for (int lane = 0; lane < 4; ++lane)
                    x[i + lane] = loadRow<L>(in, lane, base + i, m);
                L::transpose(x[i], x[i + 1], x[i + 2], x[i + 3]);
            }
            const int lead = n < kDepth - 1 ? n : kDepth - 1;
            int t = 0;
            for (; t < lead; ++t)
                step(t, n);
            for (; t < n; ++t)
                fullStep(t);
            for (; t < n + kDepth - 1; ++t)
                step(t, n);
            for (int i = 0; i < n; i += 4) {
                const int m = n - i < 4 ? n - i : 4;
                for (int k = m; k < 4; ++k)
                    y[i + k] = L::splat(0.0f);
                F a = y[i], b = y[i + 1], c = y[i + 2], d = y[i + 3];
                L::transpose(a, b, c, d);
                storeRow<L>(out, 0, base + i, m, a);
                storeRow<L>(out, 1, base + i, m, b);
                storeRow<L>(out, 2, base + i, m, c);
                storeRow<L>(out, 3, base + i, m, d);
            }
        }
    }
};

// Whether stage j exists in each group's lanes (a group with fewer stages
// passes its signal through the others).
template <class L> typename L::M stagePresent(const int counts[], int j) {
    float flags[4 * L::kGroups];
    for (int g = 0; g < L::kGroups; ++g)
        for (int lane = 0; lane < 4; ++lane)
            flags[4 * g + lane] = j < counts[g] ? 1.0f : 0.0f;
    return L::load(flags) > L::splat(0.0f);
}

// A saturating stage, N - 1 linear stages and the clip, per group as
// svfChain4 (SvfChainLanes).
template <class L, int N> struct SvfChain {
    using F = typename L::F;
    using M = typename L::M;
    static constexpr int G = L::kGroups;
    static constexpr bool kFinishing = true;

    SvfStage<L, true> first;
    SvfStage<L, false> rest[N > 1 ? N - 1 : 1];
    ClipStage<L> clip;
    M present[N];

    [[gnu::always_inline]] F stage(int j, F v) {
        F out;
        if (j == 0) {
            first.next();
            out = first(v);
        } else {
            rest[j - 1].next();
            out = rest[j - 1](v);
        }
        if constexpr (G > 1) out = select(present[j], out, v);
        return out;
    }
    [[gnu::always_inline]] F finish(F v) {
        clip.next();
        return clip(v);
    }

    void run(const SvfChainLanes* const lanes[G], int count) {
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
        first.band = L::loadGroups(band);
        first.low = L::loadGroups(low);
        present[0] = L::splat(0.0f) <= L::splat(1.0f);
        for (int j = 1; j < N; ++j) {
            for (int g = 0; g < G; ++g) {
                rest[j - 1].c[g] = &lanes[g]->stages[stageOf(g, j)];
                band[g] = lanes[g]->band + 4 * (j < counts[g] ? j : 0);
                low[g] = lanes[g]->low + 4 * (j < counts[g] ? j : 0);
            }
            rest[j - 1].cursors.start(segments);
            rest[j - 1].band = L::loadGroups(band);
            rest[j - 1].low = L::loadGroups(low);
            present[j] = stagePresent<L>(counts, j);
        }
        clip.setUp(clips);
        clip.cursors.start(segments);

        Pipeline<L, N, SvfChain> pipeline(*this);
        pipeline.run(in, out, count);

        for (int g = 0; g < G; ++g) {
            L::storeGroup(lanes[g]->band, first.band, g);
            L::storeGroup(lanes[g]->low, first.low, g);
            for (int j = 1; j < counts[g] && j < N; ++j) {
                L::storeGroup(lanes[g]->band + 4 * j, rest[j - 1].band, g);
                L::storeGroup(lanes[g]->low + 4 * j, rest[j - 1].low, g);
            }
        }
    }
};

// N trapezoidal sections in cascade, per group as tptSvfCascade4
// (TptCascadeLanes).
template <class L, int N> struct TptChain {
    using F = typename L::F;
    using M = typename L::M;
    static constexpr int G = L::kGroups;
    static constexpr bool kFinishing = false;

    TptStage<L> sections[N];
    M present[N];

    [[gnu::always_inline]] F stage(int j, F v) {
        sections[j].next();
        F out = sections[j](v);
        if constexpr (G > 1) out = select(present[j], out, v);
        return out;
    }
    [[gnu::always_inline]] F finish(F v) { return v; }

    void run(const TptCascadeLanes* const lanes[G], int count) {
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
            sections[j].s1 = L::loadGroups(s1);
            sections[j].s2 = L::loadGroups(s2);
            present[j] = stagePresent<L>(counts, j);
        }

        Pipeline<L, N, TptChain> pipeline(*this);
        pipeline.run(in, out, count);

        for (int g = 0; g < G; ++g) {
            for (int j = 0; j < counts[g] && j < N; ++j) {
                L::storeGroup(lanes[g]->s1 + 4 * j, sections[j].s1, g);
                L::storeGroup(lanes[g]->s2 + 4 * j, sections[j].s2, g);
            }
        }
    }
};

// Runs the chain with the stage count as a constant (1 to 4; the largest of
// the groups').
template <template <class, int> class Chain, class L, class Lanes>
void runChain(const Lanes* const lanes[L::kGroups], int stages, int count) {
    switch (stages) {
    case 1:
        Chain<L, 1>{}.run(lanes, count);
        break;
    case 2:
        Chain<L, 2>{}.run(lanes, count);
        break;
    case 3:
        Chain<L, 3>{}.run(lanes, count);
        break;
    case 4:
        Chain<L, 4>{}.run(lanes, count);
        break;
    default:
        break;
    }
}

} // namespace
