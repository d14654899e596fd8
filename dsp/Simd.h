#pragma once

// Float lanes behind one small interface, in implementations that give the
// same bits for the same inputs:
//
//   simd::Sse      four lanes, SSE2 intrinsics (both builds are x86-64, so
//                  always there);
//   simd::Scalar   four lanes, plain floats doing the same operations in the
//                  same order;
//   simd::SsePair  eight lanes as two SSE2 vectors: the fallback of the
//                  eight-lane kernels (whose AVX2 lane set, dsp/SimdAvx2.h,
//                  is compiled only into the AVX2 kernel source).
//
// Kernels are templates over a lane set (Lanes::F, Lanes::I, Lanes::M); the
// product runs them with simd::Sse (the eight-lane ones with simd::SsePair or
// AVX2), and the tests run the lane sets against each other and compare bits.
// A lane set holds kGroups groups of kGroupLanes = 4 lanes (group g is
// lanes 4g to 4g + 3): an eight-lane kernel runs two four-lane filters side
// by side, one per group, each with its own coefficients.
// Rules that keep the two identical:
//
//  - min(a, b) is (a < b ? a : b) and max(a, b) is (a > b ? a : b): exactly
//    what minps/maxps do, so a NaN in the first operand yields the second in
//    both. Clamps are written as min(max(x, lo), hi), which sends NaN to lo.
//  - truncToInt gives INT32_MIN for NaN and for values outside the int32
//    range, as cvttps2dq does.
//  - No fused multiply-add: the build passes -ffp-contract=off, and nothing
//    here uses FMA intrinsics. Negation is never written as -x (which would
//    keep the sign of zero differently from 0 - x); kernels subtract.
//
// Loads and stores are unaligned (no cost on aligned data), so kernels work
// on any float array; masks are all-ones or all-zeros per lane.

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

namespace simd {

// ---------------------------------------------------------------- SSE2 ---

struct SseF4 {
    __m128 v;
};
struct SseI4 {
    __m128i v;
};
struct SseM4 {
    __m128 v;
};

inline SseF4 operator+(SseF4 a, SseF4 b) {
    return {_mm_add_ps(a.v, b.v)};
}
inline SseF4 operator-(SseF4 a, SseF4 b) {
    return {_mm_sub_ps(a.v, b.v)};
}
inline SseF4 operator*(SseF4 a, SseF4 b) {
    return {_mm_mul_ps(a.v, b.v)};
}
inline SseF4 operator/(SseF4 a, SseF4 b) {
    return {_mm_div_ps(a.v, b.v)};
}
inline SseF4 min(SseF4 a, SseF4 b) {
    return {_mm_min_ps(a.v, b.v)};
}
inline SseF4 max(SseF4 a, SseF4 b) {
    return {_mm_max_ps(a.v, b.v)};
}
inline SseF4 abs(SseF4 a) {
    return {_mm_and_ps(a.v, _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff)))};
}
inline SseM4 operator<(SseF4 a, SseF4 b) {
    return {_mm_cmplt_ps(a.v, b.v)};
}
inline SseM4 operator<=(SseF4 a, SseF4 b) {
    return {_mm_cmple_ps(a.v, b.v)};
}
inline SseM4 operator>(SseF4 a, SseF4 b) {
    return {_mm_cmpgt_ps(a.v, b.v)};
}
inline SseM4 operator>=(SseF4 a, SseF4 b) {
    return {_mm_cmpge_ps(a.v, b.v)};
}
inline SseM4 operator&(SseM4 a, SseM4 b) {
    return {_mm_and_ps(a.v, b.v)};
}
inline SseM4 operator|(SseM4 a, SseM4 b) {
    return {_mm_or_ps(a.v, b.v)};
}
inline SseF4 select(SseM4 m, SseF4 a, SseF4 b) {
    return {_mm_or_ps(_mm_and_ps(m.v, a.v), _mm_andnot_ps(m.v, b.v))};
}
inline SseI4 select(SseM4 m, SseI4 a, SseI4 b) {
    __m128i mi = _mm_castps_si128(m.v);
    return {_mm_or_si128(_mm_and_si128(mi, a.v), _mm_andnot_si128(mi, b.v))};
}
inline int bits(SseM4 m) {
    return _mm_movemask_ps(m.v);
}

inline SseI4 operator+(SseI4 a, SseI4 b) {
    return {_mm_add_epi32(a.v, b.v)};
}
inline SseI4 operator-(SseI4 a, SseI4 b) {
    return {_mm_sub_epi32(a.v, b.v)};
}
inline SseI4 shiftLeft(SseI4 a, int n) {
    return {_mm_sll_epi32(a.v, _mm_cvtsi32_si128(n))};
}
inline SseI4 truncToInt(SseF4 a) {
    return {_mm_cvttps_epi32(a.v)};
}
inline SseF4 toFloat(SseI4 a) {
    return {_mm_cvtepi32_ps(a.v)};
}
inline SseF4 asFloat(SseI4 a) {
    return {_mm_castsi128_ps(a.v)};
}
// -1 in lanes where the mask is set, else 0.
inline SseI4 asInt(SseM4 m) {
    return {_mm_castps_si128(m.v)};
}

struct Sse {
    using F = SseF4;
    using I = SseI4;
    using M = SseM4;
    static F splat(float x) { return {_mm_set1_ps(x)}; }
    static F set(float a, float b, float c, float d) { return {_mm_setr_ps(a, b, c, d)}; }
    static F load(const float* p) { return {_mm_loadu_ps(p)}; }
    static void store(float* p, F a) { _mm_storeu_ps(p, a.v); }
    static I splatInt(std::int32_t x) { return {_mm_set1_epi32(x)}; }
    static void storeInt(std::int32_t* p, I a) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a.v); }
    static float lane(F a, int i) {
        alignas(16) float t[4];
        _mm_store_ps(t, a.v);
        return t[i];
    }
    // Rows become columns: afterwards a holds the first element of each input.
    static void transpose(F& a, F& b, F& c, F& d) { _MM_TRANSPOSE4_PS(a.v, b.v, c.v, d.v); }

    static constexpr int kGroups = 1;
    static constexpr int kGroupLanes = 4;
    // Group g from the four floats at p[g].
    static F loadGroups(const float* const p[kGroups]) { return load(p[0]); }
    // Every lane of group g set to v[g].
    static F setGroups(const float v[kGroups]) { return splat(v[0]); }
    static I setGroupsInt(const std::int32_t v[kGroups]) { return splatInt(v[0]); }
    // The four lanes of group g to p.
    static void storeGroup(float* p, F a, int) { store(p, a); }
    // Lane l of group g reads a = tables[g][i] and b = tables[g][i + 1], i
    // its index (each pair with one 64-bit load).
    static void gatherPairs(const float* const tables[kGroups], I index, F& a, F& b) {
        alignas(16) std::int32_t i[4];
        storeInt(i, index);
        const float* t = tables[0];
        __m128 p[4];
        for (int k = 0; k < 4; ++k) {
            double pair; // two floats, one 64-bit load (no alignment asked)
            std::memcpy(&pair, t + i[k], sizeof pair);
            p[k] = _mm_castpd_ps(_mm_set_sd(pair));
        }
        const __m128 low = _mm_unpacklo_ps(p[0], p[1]);  // a0 a1 b0 b1
        const __m128 high = _mm_unpacklo_ps(p[2], p[3]); // a2 a3 b2 b3
        a.v = _mm_movelh_ps(low, high);
        b.v = _mm_movehl_ps(high, low);
    }
};

// ------------------------------------------------------------ SSE2 pair ---

struct SsePairF {
    SseF4 lo, hi;
};
struct SsePairI {
    SseI4 lo, hi;
};
struct SsePairM {
    SseM4 lo, hi;
};

inline SsePairF operator+(SsePairF a, SsePairF b) {
    return {a.lo + b.lo, a.hi + b.hi};
}
inline SsePairF operator-(SsePairF a, SsePairF b) {
    return {a.lo - b.lo, a.hi - b.hi};
}
inline SsePairF operator*(SsePairF a, SsePairF b) {
    return {a.lo * b.lo, a.hi * b.hi};
}
inline SsePairF operator/(SsePairF a, SsePairF b) {
    return {a.lo / b.lo, a.hi / b.hi};
}
inline SsePairF min(SsePairF a, SsePairF b) {
    return {min(a.lo, b.lo), min(a.hi, b.hi)};
}
inline SsePairF max(SsePairF a, SsePairF b) {
    return {max(a.lo, b.lo), max(a.hi, b.hi)};
}
inline SsePairF abs(SsePairF a) {
    return {abs(a.lo), abs(a.hi)};
}
inline SsePairM operator<(SsePairF a, SsePairF b) {
    return {a.lo < b.lo, a.hi < b.hi};
}
inline SsePairM operator<=(SsePairF a, SsePairF b) {
    return {a.lo <= b.lo, a.hi <= b.hi};
}
inline SsePairM operator>(SsePairF a, SsePairF b) {
    return {a.lo > b.lo, a.hi > b.hi};
}
inline SsePairM operator>=(SsePairF a, SsePairF b) {
    return {a.lo >= b.lo, a.hi >= b.hi};
}
inline SsePairM operator&(SsePairM a, SsePairM b) {
    return {a.lo & b.lo, a.hi & b.hi};
}
inline SsePairM operator|(SsePairM a, SsePairM b) {
    return {a.lo | b.lo, a.hi | b.hi};
}
inline SsePairF select(SsePairM m, SsePairF a, SsePairF b) {
    return {select(m.lo, a.lo, b.lo), select(m.hi, a.hi, b.hi)};
}
inline SsePairI select(SsePairM m, SsePairI a, SsePairI b) {
    return {select(m.lo, a.lo, b.lo), select(m.hi, a.hi, b.hi)};
}
inline SsePairI operator+(SsePairI a, SsePairI b) {
    return {a.lo + b.lo, a.hi + b.hi};
}
inline SsePairI operator-(SsePairI a, SsePairI b) {
    return {a.lo - b.lo, a.hi - b.hi};
}
inline SsePairI truncToInt(SsePairF a) {
    return {truncToInt(a.lo), truncToInt(a.hi)};
}
inline SsePairF toFloat(SsePairI a) {
    return {toFloat(a.lo), toFloat(a.hi)};
}
inline SsePairI asInt(SsePairM m) {
    return {asInt(m.lo), asInt(m.hi)};
}

struct SsePair {
    using F = SsePairF;
    using I = SsePairI;
    using M = SsePairM;
    static constexpr int kGroups = 2;
    static constexpr int kGroupLanes = 4;
    static F splat(float x) { return {Sse::splat(x), Sse::splat(x)}; }
    static F load(const float* p) { return {Sse::load(p), Sse::load(p + 4)}; }
    static void store(float* p, F a) {
        Sse::store(p, a.lo);
        Sse::store(p + 4, a.hi);
    }
    static I splatInt(std::int32_t x) { return {Sse::splatInt(x), Sse::splatInt(x)}; }
    static void storeInt(std::int32_t* p, I a) {
        Sse::storeInt(p, a.lo);
        Sse::storeInt(p + 4, a.hi);
    }
    static F loadGroups(const float* const p[kGroups]) { return {Sse::load(p[0]), Sse::load(p[1])}; }
    static F setGroups(const float v[kGroups]) { return {Sse::splat(v[0]), Sse::splat(v[1])}; }
    static I setGroupsInt(const std::int32_t v[kGroups]) {
        return {Sse::splatInt(v[0]), Sse::splatInt(v[1])};
    }
    static void storeGroup(float* p, F a, int group) { Sse::store(p, group == 0 ? a.lo : a.hi); }
    static void gatherPairs(const float* const tables[kGroups], I index, F& a, F& b) {
        Sse::gatherPairs(&tables[0], index.lo, a.lo, b.lo);
        Sse::gatherPairs(&tables[1], index.hi, a.hi, b.hi);
    }
    // Each group transposed on its own (as Sse::transpose).
    static void transpose(F& a, F& b, F& c, F& d) {
        Sse::transpose(a.lo, b.lo, c.lo, d.lo);
        Sse::transpose(a.hi, b.hi, c.hi, d.hi);
    }
};

// -------------------------------------------------------------- Scalar ---

struct ScalarF4 {
    float v[4];
};
struct ScalarI4 {
    std::int32_t v[4];
};
struct ScalarM4 {
    std::uint32_t v[4];
};

#define VARNEL_SIMD_LANES(expr)                                                                              \
    for (int i = 0; i < 4; ++i)                                                                              \
    r.v[i] = (expr)

inline ScalarF4 operator+(ScalarF4 a, ScalarF4 b) {
    ScalarF4 r;
    VARNEL_SIMD_LANES(a.v[i] + b.v[i]);
    return r;
}
inline ScalarF4 operator-(ScalarF4 a, ScalarF4 b) {
    ScalarF4 r;
    VARNEL_SIMD_LANES(a.v[i] - b.v[i]);
    return r;
}
inline ScalarF4 operator*(ScalarF4 a, ScalarF4 b) {
    ScalarF4 r;
    VARNEL_SIMD_LANES(a.v[i] * b.v[i]);
    return r;
}
inline ScalarF4 operator/(ScalarF4 a, ScalarF4 b) {
    ScalarF4 r;
    VARNEL_SIMD_LANES(a.v[i] / b.v[i]);
    return r;
}
inline ScalarF4 min(ScalarF4 a, ScalarF4 b) {
    ScalarF4 r;
    VARNEL_SIMD_LANES(a.v[i] < b.v[i] ? a.v[i] : b.v[i]);
    return r;
}
inline ScalarF4 max(ScalarF4 a, ScalarF4 b) {
    ScalarF4 r;
    VARNEL_SIMD_LANES(a.v[i] > b.v[i] ? a.v[i] : b.v[i]);
    return r;
}
inline ScalarF4 abs(ScalarF4 a) {
    ScalarF4 r;
    for (int i = 0; i < 4; ++i) {
        std::uint32_t u;
        std::memcpy(&u, &a.v[i], 4);
        u &= 0x7fffffffu;
        std::memcpy(&r.v[i], &u, 4);
    }
    return r;
}
inline ScalarM4 operator<(ScalarF4 a, ScalarF4 b) {
    ScalarM4 r;
    VARNEL_SIMD_LANES(a.v[i] < b.v[i] ? ~0u : 0u);
    return r;
}
inline ScalarM4 operator<=(ScalarF4 a, ScalarF4 b) {
    ScalarM4 r;
    VARNEL_SIMD_LANES(a.v[i] <= b.v[i] ? ~0u : 0u);
    return r;
}
inline ScalarM4 operator>(ScalarF4 a, ScalarF4 b) {
    ScalarM4 r;
    VARNEL_SIMD_LANES(a.v[i] > b.v[i] ? ~0u : 0u);
    return r;
}
inline ScalarM4 operator>=(ScalarF4 a, ScalarF4 b) {
    ScalarM4 r;
    VARNEL_SIMD_LANES(a.v[i] >= b.v[i] ? ~0u : 0u);
    return r;
}
inline ScalarM4 operator&(ScalarM4 a, ScalarM4 b) {
    ScalarM4 r;
    VARNEL_SIMD_LANES(a.v[i] & b.v[i]);
    return r;
}
inline ScalarM4 operator|(ScalarM4 a, ScalarM4 b) {
    ScalarM4 r;
    VARNEL_SIMD_LANES(a.v[i] | b.v[i]);
    return r;
}
inline ScalarF4 select(ScalarM4 m, ScalarF4 a, ScalarF4 b) {
    ScalarF4 r;
    VARNEL_SIMD_LANES(m.v[i] ? a.v[i] : b.v[i]);
    return r;
}
inline ScalarI4 select(ScalarM4 m, ScalarI4 a, ScalarI4 b) {
    ScalarI4 r;
    VARNEL_SIMD_LANES(m.v[i] ? a.v[i] : b.v[i]);
    return r;
}
inline int bits(ScalarM4 m) {
    return (m.v[0] ? 1 : 0) | (m.v[1] ? 2 : 0) | (m.v[2] ? 4 : 0) | (m.v[3] ? 8 : 0);
}

inline ScalarI4 operator+(ScalarI4 a, ScalarI4 b) {
    ScalarI4 r;
    // Wrapping like paddd.
    VARNEL_SIMD_LANES(
        static_cast<std::int32_t>(static_cast<std::uint32_t>(a.v[i]) + static_cast<std::uint32_t>(b.v[i])));
    return r;
}
inline ScalarI4 operator-(ScalarI4 a, ScalarI4 b) {
    ScalarI4 r;
    VARNEL_SIMD_LANES(
        static_cast<std::int32_t>(static_cast<std::uint32_t>(a.v[i]) - static_cast<std::uint32_t>(b.v[i])));
    return r;
}
inline ScalarI4 shiftLeft(ScalarI4 a, int n) {
    ScalarI4 r;
    VARNEL_SIMD_LANES(static_cast<std::int32_t>(static_cast<std::uint32_t>(a.v[i]) << n));
    return r;
}
inline ScalarI4 truncToInt(ScalarF4 a) {
    ScalarI4 r;
    VARNEL_SIMD_LANES((a.v[i] >= -2147483648.0f && a.v[i] < 2147483648.0f) ? static_cast<std::int32_t>(a.v[i])
                                                                           : INT32_MIN);
    return r;
}
inline ScalarF4 toFloat(ScalarI4 a) {
    ScalarF4 r;
    VARNEL_SIMD_LANES(static_cast<float>(a.v[i]));
    return r;
}
inline ScalarF4 asFloat(ScalarI4 a) {
    ScalarF4 r;
    std::memcpy(r.v, a.v, sizeof r.v);
    return r;
}
inline ScalarI4 asInt(ScalarM4 m) {
    ScalarI4 r;
    std::memcpy(r.v, m.v, sizeof r.v);
    return r;
}

#undef VARNEL_SIMD_LANES

struct Scalar {
    using F = ScalarF4;
    using I = ScalarI4;
    using M = ScalarM4;
    static F splat(float x) { return {{x, x, x, x}}; }
    static F set(float a, float b, float c, float d) { return {{a, b, c, d}}; }
    static F load(const float* p) { return {{p[0], p[1], p[2], p[3]}}; }
    static void store(float* p, F a) {
        for (int i = 0; i < 4; ++i)
            p[i] = a.v[i];
    }
    static I splatInt(std::int32_t x) { return {{x, x, x, x}}; }
    static void storeInt(std::int32_t* p, I a) {
        for (int i = 0; i < 4; ++i)
            p[i] = a.v[i];
    }
    static float lane(F a, int i) { return a.v[i]; }
    static constexpr int kGroups = 1;
    static constexpr int kGroupLanes = 4;
    static F loadGroups(const float* const p[kGroups]) { return load(p[0]); }
    static F setGroups(const float v[kGroups]) { return splat(v[0]); }
    static I setGroupsInt(const std::int32_t v[kGroups]) { return splatInt(v[0]); }
    static void storeGroup(float* p, F a, int) { store(p, a); }
    static void gatherPairs(const float* const tables[kGroups], I index, F& a, F& b) {
        const float* t = tables[0];
        for (int k = 0; k < 4; ++k) {
            a.v[k] = t[index.v[k]];
            b.v[k] = t[index.v[k] + 1];
        }
    }
    static void transpose(F& a, F& b, F& c, F& d) {
        const F r[4] = {a, b, c, d};
        F t[4];
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                t[i].v[j] = r[j].v[i];
        a = t[0];
        b = t[1];
        c = t[2];
        d = t[3];
    }
};

// The lane set the product runs with.
using Native = Sse;

// Flush-to-zero, denormals-are-zero, all exceptions masked, round to nearest:
// the control word the audio thread runs with.
constexpr unsigned kAudioThreadCsr = 0x9FC0;

// Sets the SSE control word for a scope and restores the previous one
// (writing it only where it differs: a scope inside another with the same
// word only reads it).
class ScopedControlWord {
public:
    explicit ScopedControlWord(unsigned csr = kAudioThreadCsr) : saved_(_mm_getcsr()), set_(csr) {
        if (saved_ != set_) _mm_setcsr(set_);
    }
    ~ScopedControlWord() {
        if (saved_ != set_) _mm_setcsr(saved_);
    }
    ScopedControlWord(const ScopedControlWord&) = delete;
    ScopedControlWord& operator=(const ScopedControlWord&) = delete;

private:
    unsigned saved_;
    unsigned set_;
};

} // namespace simd
