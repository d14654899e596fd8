#include "dsp/BlockKernels.h"

#include "dsp/ChainKernels.h"

#include <algorithm>
#include <cstdint>

namespace {

using simd::Scalar;
using simd::Sse;

template <class L> typename L::F loadPartial(const float* p, int n) {
    if (n >= 4) return L::load(p);
    float t[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int i = 0; i < n; ++i)
        t[i] = p[i];
    return L::load(t);
}

template <class L> void storePartial(float* p, typename L::F v, int n) {
    if (n >= 4) {
        L::store(p, v);
        return;
    }
    float t[4];
    L::store(t, v);
    for (int i = 0; i < n; ++i)
        p[i] = t[i];
}

// out[i] = op(in vectors at i), four samples per step, the tail zero padded.
template <class L, class Op> void mapBlock(float* out, int count, Op op) {
    int i = 0;
    for (; i + 4 <= count; i += 4)
        L::store(out + i, op(i, 4));
    if (i < count) storePartial<L>(out + i, op(i, count - i), count - i);
}

template <class Step>
void runOneLane(const float* in, float* out, int count, const int* segments, Step& step, int outputs) {
    SegmentCursor cursor(segments);
    float y[3];
    for (int i = 0; i < count; ++i) {
        if (cursor.next()) step.load(cursor.index());
        step(in[i], y);
        for (int k = 0; k < outputs; ++k)
            out[i * outputs + k] = y[k];
    }
}

// A cascade of N one-lane sections as a software pipeline: at step t,
// section j filters sample t - j, taking the sample that section j - 1
// produced at step t - 1. Each section keeps its own segment cursor, so it
// steps through exactly the operations (and coefficient loads) of running it
// alone. Sections run last to first within a step, so carry[j - 1] is read
// before it is overwritten; out[t - N + 1] is written only after in[t] has
// been read, so out may equal in.
template <int N> struct TptCascade {
    TptStep<OneLane> step[N];
    SegmentCursor cursor[N];
    float carry[N > 1 ? N - 1 : 1] = {};

    float advance(int j, float x) {
        if (cursor[j].next()) step[j].load(cursor[j].index());
        float y;
        step[j](x, &y);
        return y;
    }
    // One step with every section inside [0, count).
    void full(const float* in, float* out, int t) {
        for (int j = N - 1; j > 0; --j) {
            float y = advance(j, carry[j - 1]);
            if (j == N - 1)
                out[t - j] = y;
            else
                carry[j] = y;
        }
        float y = advance(0, in[t]);
        if (N == 1)
            out[t] = y;
        else
            carry[0] = y;
    }
    // A step at the start or the end of the block: only the sections whose
    // sample lies inside [0, count) run.
    void partial(const float* in, float* out, int t, int count) {
        for (int j = N - 1; j >= 0; --j) {
            int i = t - j;
            if (i < 0 || i >= count) continue;
            float y = advance(j, j == 0 ? in[i] : carry[j - 1]);
            if (j == N - 1)
                out[i] = y;
            else
                carry[j] = y;
        }
    }
    void run(const float* in, float* out, int count, const int* segments, const TptSection* const c[],
             float s1[], float s2[]) {
        for (int j = 0; j < N; ++j) {
            step[j].c = reinterpret_cast<const float*>(c[j]);
            step[j].recordSize = 5;
            step[j].s1 = s1[j];
            step[j].s2 = s2[j];
            cursor[j] = SegmentCursor(segments);
        }
        const int steady = std::min(N - 1, count);
        int t = 0;
        for (; t < steady; ++t)
            partial(in, out, t, count);
        for (; t < count; ++t)
            full(in, out, t);
        for (; t < count + N - 1; ++t)
            partial(in, out, t, count);
        for (int j = 0; j < N; ++j) {
            s1[j] = step[j].s1;
            s2[j] = step[j].s2;
        }
    }
};

// Four lanes: four samples of every lane are loaded, transposed so that each
// vector holds one sample across the lanes, stepped, and transposed back.
template <class L, class Step>
void runFourLanes(const float* const in[4], float* const out[4], int count, const int* segments, Step& step,
                  int outputs) {
    using F = typename L::F;
    SegmentCursor cursor(segments);
    F ys[12];
    for (int i = 0; i < count; i += 4) {
        int n = std::min(4, count - i);
        F x[4] = {loadPartial<L>(in[0] + i, n), loadPartial<L>(in[1] + i, n), loadPartial<L>(in[2] + i, n),
                  loadPartial<L>(in[3] + i, n)};
        L::transpose(x[0], x[1], x[2], x[3]);
        for (int k = 0; k < n; ++k) {
            if (cursor.next()) step.load(cursor.index());
            step(x[k], ys + k * outputs);
        }
        int produced = n * outputs;
        for (int k = produced; k < 4 * outputs; ++k)
            ys[k] = L::splat(0.0f);
        for (int g = 0; g * 4 < produced; ++g) {
            F a = ys[4 * g], b = ys[4 * g + 1], c = ys[4 * g + 2], d = ys[4 * g + 3];
            L::transpose(a, b, c, d);
            int base = i * outputs + 4 * g;
            int m = std::min(4, produced - 4 * g);
            storePartial<L>(out[0] + base, a, m);
            storePartial<L>(out[1] + base, b, m);
            storePartial<L>(out[2] + base, c, m);
            storePartial<L>(out[3] + base, d, m);
        }
    }
}

template <class L, bool Saturating, bool Three>
void svfOne(const float* in, float* out, int count, const int* segments, const OversampledSvfCoefficients& c,
            float& band, float& low) {
    SvfStep<OneLane, Saturating, Three> step{&c};
    step.band = band;
    step.low = low;
    runOneLane(in, out, count, segments, step, step.kOutputs);
    band = step.band;
    low = step.low;
}

template <class L, bool Saturating, bool Three>
void svfFour(const float* const in[4], float* const out[4], int count, const int* segments,
             const OversampledSvfCoefficients& c, float band[4], float low[4]) {
    SvfStep<FourLanes<L>, Saturating, Three> step{&c};
    step.band = L::load(band);
    step.low = L::load(low);
    runFourLanes<L>(in, out, count, segments, step, step.kOutputs);
    L::store(band, step.band);
    L::store(low, step.low);
}

// ---- Table lookup of four values.
template <class L>
[[gnu::always_inline]] inline typename L::F lookupFour(typename L::F x, typename L::F scale,
                                                       const TableLookup& t) {
    using F = typename L::F;
    using I = typename L::I;
    F v = (x * L::splat(t.m)) * scale - L::splat(t.offset);
    // Keeps floor and the index offset inside the int range; NaN goes low.
    v = min(max(v, L::splat(-1073741824.0f)), L::splat(1073741824.0f));
    I whole = truncToInt(v);
    whole = whole + asInt(toFloat(whole) > v); // floor: -1 where truncation went up
    F fraction = v - toFloat(whole);
    int offset = std::clamp(t.indexOffset, -(1 << 29), 1 << 29);
    I index = whole + L::splatInt(offset);
    F indexF = toFloat(index);
    auto below = indexF < L::splat(0.0f);
    auto above = indexF > L::splat(static_cast<float>(t.maxIndex));
    index = select(below, L::splatInt(0), select(above, L::splatInt(t.maxIndex), index));
    fraction = select(below | above, L::splat(0.0f), fraction);
    std::int32_t idx[4];
    L::storeInt(idx, index);
    const float* tab = t.table;
    F a = L::set(tab[idx[0]], tab[idx[1]], tab[idx[2]], tab[idx[3]]);
    F b = L::set(tab[idx[0] + 1], tab[idx[1] + 1], tab[idx[2] + 1], tab[idx[3] + 1]);
    return a + (b - a) * fraction;
}

// Per-sample segment values for four consecutive samples.
class SegmentValues {
public:
    SegmentValues(const int* segments, const float* a, const float* b) : cursor_(segments), a_(a), b_(b) {}
    // The values of the next n samples when one segment holds them all (the
    // usual case): true, with a and b set, and no per-sample arrays needed.
    bool nextRun(int n, float& a, float& b) {
        if (!cursor_.nextRun(n)) return false;
        last_ = cursor_.index();
        a = a_[last_];
        b = b_[last_];
        return true;
    }
    void next4(int n, float* a, float* b) {
        for (int k = 0; k < 4; ++k) {
            if (k < n) {
                cursor_.next();
                last_ = cursor_.index();
            }
            a[k] = a_[last_];
            b[k] = b_[last_];
        }
    }

private:
    SegmentCursor cursor_;
    const float* a_;
    const float* b_;
    int last_ = 0;
};

} // namespace

// ---------------------------------------------------------- arithmetic ---

template <class L> void BlockKernels<L>::copy(const float* in, float* out, int count) noexcept {
    mapBlock<L>(out, count, [&](int i, int n) { return loadPartial<L>(in + i, n); });
}

template <class L> void BlockKernels<L>::scale(const float* in, float gain, float* out, int count) noexcept {
    auto g = L::splat(gain);
    mapBlock<L>(out, count, [&](int i, int n) { return loadPartial<L>(in + i, n) * g; });
}

template <class L>
void BlockKernels<L>::multiply(const float* a, const float* b, float* out, int count) noexcept {
    mapBlock<L>(out, count,
                [&](int i, int n) { return loadPartial<L>(a + i, n) * loadPartial<L>(b + i, n); });
}

template <class L>
void BlockKernels<L>::multiply(const float* a, const float* b, const float* c, float* out,
                               int count) noexcept {
    mapBlock<L>(out, count, [&](int i, int n) {
        return (loadPartial<L>(a + i, n) * loadPartial<L>(b + i, n)) * loadPartial<L>(c + i, n);
    });
}

template <class L>
void BlockKernels<L>::limitedRatio(const float* numerator, const float* denominator, const float* in,
                                   const float* gain, float* out, int count) noexcept {
    mapBlock<L>(out, count, [&](int i, int n) {
        auto d = loadPartial<L>(denominator + i, n);
        auto ratio = loadPartial<L>(numerator + i, n) / d;
        ratio = select(ratio >= L::splat(0.1f), ratio, L::splat(0.1f));
        ratio = min(ratio, L::splat(1.0f));
        ratio = select(d > L::splat(0.0f), ratio, L::splat(1.0f));
        return (ratio * loadPartial<L>(in + i, n)) * loadPartial<L>(gain + i, n);
    });
}

template <class L>
void BlockKernels<L>::midSideEncode(const float* l, const float* r, float* mid, float* side,
                                    int count) noexcept {
    auto half = L::splat(0.5f);
    for (int i = 0; i < count; i += 4) {
        int n = std::min(4, count - i);
        auto x0 = loadPartial<L>(l + i, n);
        auto x1 = loadPartial<L>(r + i, n);
        auto s = (x1 - x0) * half;
        storePartial<L>(mid + i, s + x0, n);
        storePartial<L>(side + i, s, n);
    }
}

template <class L>
void BlockKernels<L>::midSideDecode(const float* mid, const float* side, float* l, float* r,
                                    int count) noexcept {
    for (int i = 0; i < count; i += 4) {
        int n = std::min(4, count - i);
        auto m = loadPartial<L>(mid + i, n);
        auto s = loadPartial<L>(side + i, n);
        storePartial<L>(l + i, m - s, n);
        storePartial<L>(r + i, m + s, n);
    }
}

// ------------------------------------------------------- state-variable ---

template <class L>
void BlockKernels<L>::tptSvf(const float* in, float* out, int count, const int* segments, const TptSection* c,
                             float& s1, float& s2) noexcept {
    static_assert(sizeof(TptSection) == 5 * sizeof(float));
    TptStep<OneLane> step{reinterpret_cast<const float*>(c), 5};
    step.s1 = s1;
    step.s2 = s2;
    runOneLane(in, out, count, segments, step, 1);
    s1 = step.s1;
    s2 = step.s2;
}

template <class L>
void BlockKernels<L>::tptSvfCascade(const float* in, float* out, int count, const int* segments,
                                    const TptSection* const c[], int sections, float s1[],
                                    float s2[]) noexcept {
    static_assert(sizeof(TptSection) == 5 * sizeof(float));
    switch (sections) {
    case 1:
        TptCascade<1>{}.run(in, out, count, segments, c, s1, s2);
        break;
    case 2:
        TptCascade<2>{}.run(in, out, count, segments, c, s1, s2);
        break;
    case 3:
        TptCascade<3>{}.run(in, out, count, segments, c, s1, s2);
        break;
    case 4:
        TptCascade<4>{}.run(in, out, count, segments, c, s1, s2);
        break;
    case 5:
        TptCascade<5>{}.run(in, out, count, segments, c, s1, s2);
        break;
    case 6:
        TptCascade<6>{}.run(in, out, count, segments, c, s1, s2);
        break;
    case 7:
        TptCascade<7>{}.run(in, out, count, segments, c, s1, s2);
        break;
    case 8:
        TptCascade<8>{}.run(in, out, count, segments, c, s1, s2);
        break;
    default:
        break;
    }
}

template <class L>
void BlockKernels<L>::tptSvf4(const float* const in[4], float* const out[4], int count, const int* segments,
                              const TptSection4* c, float s1[4], float s2[4]) noexcept {
    static_assert(sizeof(TptSection4) == 20 * sizeof(float));
    TptStep<FourLanes<L>> step{reinterpret_cast<const float*>(c), 20};
    step.s1 = L::load(s1);
    step.s2 = L::load(s2);
    runFourLanes<L>(in, out, count, segments, step, 1);
    L::store(s1, step.s1);
    L::store(s2, step.s2);
}

template <class L>
void BlockKernels<L>::svfLinear(const float* in, float* out, int count, const int* segments,
                                const OversampledSvfCoefficients& c, float& band, float& low) noexcept {
    svfOne<L, false, false>(in, out, count, segments, c, band, low);
}
template <class L>
void BlockKernels<L>::svfLinear3(const float* in, float* out, int count, const int* segments,
                                 const OversampledSvfCoefficients& c, float& band, float& low) noexcept {
    svfOne<L, false, true>(in, out, count, segments, c, band, low);
}
template <class L>
void BlockKernels<L>::svfSaturating(const float* in, float* out, int count, const int* segments,
                                    const OversampledSvfCoefficients& c, float& band, float& low) noexcept {
    svfOne<L, true, false>(in, out, count, segments, c, band, low);
}
template <class L>
void BlockKernels<L>::svfSaturating3(const float* in, float* out, int count, const int* segments,
                                     const OversampledSvfCoefficients& c, float& band, float& low) noexcept {
    svfOne<L, true, true>(in, out, count, segments, c, band, low);
}
template <class L>
void BlockKernels<L>::svfLinear4(const float* const in[4], float* const out[4], int count,
                                 const int* segments, const OversampledSvfCoefficients& c, float band[4],
                                 float low[4]) noexcept {
    svfFour<L, false, false>(in, out, count, segments, c, band, low);
}
template <class L>
void BlockKernels<L>::svfLinear3x4(const float* const in[4], float* const out[4], int count,
                                   const int* segments, const OversampledSvfCoefficients& c, float band[4],
                                   float low[4]) noexcept {
    svfFour<L, false, true>(in, out, count, segments, c, band, low);
}
template <class L>
void BlockKernels<L>::svfSaturating4(const float* const in[4], float* const out[4], int count,
                                     const int* segments, const OversampledSvfCoefficients& c, float band[4],
                                     float low[4]) noexcept {
    svfFour<L, true, false>(in, out, count, segments, c, band, low);
}
template <class L>
void BlockKernels<L>::svfSaturating3x4(const float* const in[4], float* const out[4], int count,
                                       const int* segments, const OversampledSvfCoefficients& c,
                                       float band[4], float low[4]) noexcept {
    svfFour<L, true, true>(in, out, count, segments, c, band, low);
}

template <class L>
void BlockKernels<L>::svfChain4(const float* const in[4], float* const out[4], int count, const int* segments,
                                const OversampledSvfCoefficients stages[], int stageCount, float band[],
                                float low[], const ClipLookup4& clip) noexcept {
    const SvfChainLanes lanes{in, out, segments, stages, stageCount, band, low, &clip};
    const SvfChainLanes* groups[1] = {&lanes};
    runChain<SvfChain, L>(groups, stageCount, count);
}

template <class L> void BlockKernels<L>::tptSvfCascade4(const TptCascadeLanes& lanes, int count) noexcept {
    const TptCascadeLanes* groups[1] = {&lanes};
    runChain<TptChain, L>(groups, lanes.sectionCount, count);
}

// -------------------------------------------------------------- tables ---

template <class L>
void BlockKernels<L>::lookup(const float* in, float* out, int count, const int* segments,
                             const TableLookup& t) noexcept {
    SegmentValues values(segments, t.scales, t.gains);
    float s[4], g[4];
    mapBlock<L>(out, count, [&](int i, int n) {
        float s1 = 0.0f, g1 = 0.0f;
        if (values.nextRun(n, s1, g1))
            return L::splat(g1) * lookupFour<L>(loadPartial<L>(in + i, n), L::splat(s1), t);
        values.next4(n, s, g);
        return L::load(g) * lookupFour<L>(loadPartial<L>(in + i, n), L::load(s), t);
    });
}

template <class L>
void BlockKernels<L>::lookupDecimate3(const float* in, float* out, int count, const int* segments,
                                      const TableLookup& t) noexcept {
    SegmentValues values(segments, t.scales, t.gains);
    float s[4], g[4];
    mapBlock<L>(out, count, [&](int i, int n) {
        float s1 = 0.0f, g1 = 0.0f;
        const bool run = values.nextRun(n, s1, g1);
        if (!run) values.next4(n, s, g);
        // The 3n sub-samples of these n outputs, three vectors in stream order.
        int m = 3 * n;
        const float* x = in + 3 * i;
        float v[12];
        for (int part = 0; part < 3; ++part) {
            int j = 4 * part;
            auto scale = run ? L::splat(s1)
                             : L::set(s[std::min(j / 3, 3)], s[std::min((j + 1) / 3, 3)],
                                      s[std::min((j + 2) / 3, 3)], s[std::min((j + 3) / 3, 3)]);
            int avail = std::clamp(m - j, 0, 4);
            L::store(v + j, lookupFour<L>(loadPartial<L>(x + j, avail), scale, t));
        }
        auto sum = (L::set(v[0], v[3], v[6], v[9]) + L::set(v[1], v[4], v[7], v[10])) +
                   L::set(v[2], v[5], v[8], v[11]);
        auto gain = run ? L::splat(g1) : L::load(g);
        return (gain * L::splat(0.33333334f)) * sum;
    });
}

// --------------------------------------------------------------- phase ---

template <class L> typename L::F BlockKernels<L>::atan2(typename L::F y, typename L::F x) noexcept {
    using F = typename L::F;
    const F zero = L::splat(0.0f);
    const F one = L::splat(1.0f);
    const F pi = L::splat(3.14159265f);
    const F halfPi = pi * L::splat(0.5f);
    const F quarterPi = pi * L::splat(0.25f);

    F z = y / x;
    auto negative = z < zero;
    F a = abs(z);
    auto big = a > L::splat(2.4142137f);
    auto mid = a > L::splat(0.41421357f);
    F reduced = select(big, L::splat(-1.0f) / a, select(mid, (a - one) / (a + one), a));
    F base = select(big, halfPi, select(mid, quarterPi, zero));
    F zz = reduced * reduced;
    F p = (((L::splat(0.080537446f) * zz - L::splat(0.13877685f)) * zz + L::splat(0.19977711f)) * zz -
           L::splat(0.3333295f)) *
              zz * reduced +
          reduced;
    F r = p + base;
    r = select(negative, zero - r, r);
    // Quadrants: x < 0 adds pi towards y's side; x = 0 gives +-pi/2 (0 at the origin).
    F shift = select(y < zero, zero - pi, pi);
    r = select(x < zero, r + shift, r);
    auto onAxis = (x >= zero) & (x <= zero);
    F axis = select(y > zero, halfPi, select(y < zero, zero - halfPi, zero));
    return select(onAxis, axis, r);
}

template <class L>
void BlockKernels<L>::sectionPhase(const float* in, float* out, int count, float scale,
                                   const float c[6]) noexcept {
    auto sc = L::splat(scale);
    auto c0 = L::splat(c[0]), c1 = L::splat(c[1]), c2 = L::splat(c[2]);
    auto c3 = L::splat(c[3]), c4 = L::splat(c[4]), c5 = L::splat(c[5]);
    mapBlock<L>(out, count, [&](int i, int n) {
        auto w = sc * loadPartial<L>(in + i, n);
        auto w2 = w * w;
        auto numerator = atan2(c1 * w, c2 - c0 * w2);
        auto denominator = atan2(c4 * w, c5 - c3 * w2);
        return loadPartial<L>(out + i, n) + (numerator - denominator);
    });
}

// ------------------------------------------------------------ envelope ---

template <class L>
bool BlockKernels<L>::polynomialSegment(float* out, int count, const float c[5], float& phase, float step,
                                        float start, float span) noexcept {
    if (phase >= 0.9999999f) {
        auto end = L::splat(start + span);
        mapBlock<L>(out, count, [&](int, int) { return end; });
        return true;
    }
    auto p0 = L::splat(phase);
    auto st = L::splat(step);
    auto one = L::splat(1.0f);
    auto c0 = L::splat(c[0]), c1 = L::splat(c[1]), c2 = L::splat(c[2]), c3 = L::splat(c[3]),
         c4 = L::splat(c[4]);
    auto sp = L::splat(span), st0 = L::splat(start);
    mapBlock<L>(out, count, [&](int i, int) {
        auto j = L::set(static_cast<float>(i), static_cast<float>(i + 1), static_cast<float>(i + 2),
                        static_cast<float>(i + 3));
        auto p = min(p0 + j * st, one);
        auto poly = ((((c0 * p + c1) * p + c2) * p + c3) * p + c4) * p;
        return poly * sp + st0;
    });
    float next = phase + static_cast<float>(count) * step;
    phase = next < 1.0f ? next : 1.0f;
    return phase >= 0.9999999f;
}

// ------------------------------------------------------------ decibels ---

template <class L> void BlockKernels<L>::dbToGain(const float* in, float* out, int count) noexcept {
    mapBlock<L>(out, count, [&](int i, int n) {
        auto a = loadPartial<L>(in + i, n) * L::splat(0.115129255f);
        a = min(max(a, L::splat(-88.37626f)), L::splat(88.37626f));
        auto t = a * L::splat(1.442695f) + L::splat(0.5f);
        auto whole = truncToInt(t);
        whole = whole + asInt(toFloat(whole) > t);
        auto n0 = toFloat(whole);
        auto r = (a - n0 * L::splat(0.6933594f)) - n0 * L::splat(-0.00021219444f);
        auto poly =
            (((((L::splat(0.00019875691f) * r + L::splat(0.0013981999f)) * r + L::splat(0.008333452f)) * r +
               L::splat(0.041665796f)) *
                  r +
              L::splat(0.16666666f)) *
                 r +
             L::splat(0.5f));
        auto e = (L::splat(1.0f) + r) + (r * r) * poly;
        auto power = asFloat(shiftLeft(whole + L::splatInt(127), 23));
        return e * power;
    });
}

template struct BlockKernels<simd::Sse>;
template struct BlockKernels<simd::Scalar>;
