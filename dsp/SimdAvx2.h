#pragma once

// The eight-lane AVX2 lane set: the interface of dsp/Simd.h (two groups of
// four lanes, each 128-bit half a group) with the same rules, so a kernel
// gives the same bits here as on simd::SsePair. Comparisons use the ordered,
// signalling predicates of the SSE2 comparisons; min and max are vminps and
// vmaxps (a NaN in the first operand yields the second, as minps/maxps); no
// fused multiply-add.
//
// Only sources compiled with -mavx2 include this header (the product picks
// their kernels at start-up when the processor and the system have AVX2).
// Everything here is inline and named apart from the SSE2 lane sets, so no
// AVX2 code can stand in for an SSE2 function at link time.

#include <immintrin.h>

#include <cstdint>

namespace simd {

struct Avx2F {
    __m256 v;
};
struct Avx2I {
    __m256i v;
};
struct Avx2M {
    __m256 v;
};

inline Avx2F operator+(Avx2F a, Avx2F b) {
    return {_mm256_add_ps(a.v, b.v)};
}
inline Avx2F operator-(Avx2F a, Avx2F b) {
    return {_mm256_sub_ps(a.v, b.v)};
}
inline Avx2F operator*(Avx2F a, Avx2F b) {
    return {_mm256_mul_ps(a.v, b.v)};
}
inline Avx2F operator/(Avx2F a, Avx2F b) {
    return {_mm256_div_ps(a.v, b.v)};
}
inline Avx2F min(Avx2F a, Avx2F b) {
    return {_mm256_min_ps(a.v, b.v)};
}
inline Avx2F max(Avx2F a, Avx2F b) {
    return {_mm256_max_ps(a.v, b.v)};
}
inline Avx2F abs(Avx2F a) {
    return {_mm256_and_ps(a.v, _mm256_castsi256_ps(_mm256_set1_epi32(0x7fffffff)))};
}
inline Avx2M operator<(Avx2F a, Avx2F b) {
    return {_mm256_cmp_ps(a.v, b.v, _CMP_LT_OS)};
}
inline Avx2M operator<=(Avx2F a, Avx2F b) {
    return {_mm256_cmp_ps(a.v, b.v, _CMP_LE_OS)};
}
inline Avx2M operator>(Avx2F a, Avx2F b) {
    return {_mm256_cmp_ps(a.v, b.v, _CMP_GT_OS)};
}
inline Avx2M operator>=(Avx2F a, Avx2F b) {
    return {_mm256_cmp_ps(a.v, b.v, _CMP_GE_OS)};
}
inline Avx2M operator&(Avx2M a, Avx2M b) {
    return {_mm256_and_ps(a.v, b.v)};
}
inline Avx2M operator|(Avx2M a, Avx2M b) {
    return {_mm256_or_ps(a.v, b.v)};
}
inline Avx2F select(Avx2M m, Avx2F a, Avx2F b) {
    return {_mm256_or_ps(_mm256_and_ps(m.v, a.v), _mm256_andnot_ps(m.v, b.v))};
}
inline Avx2I select(Avx2M m, Avx2I a, Avx2I b) {
    __m256i mi = _mm256_castps_si256(m.v);
    return {_mm256_or_si256(_mm256_and_si256(mi, a.v), _mm256_andnot_si256(mi, b.v))};
}
inline Avx2I operator+(Avx2I a, Avx2I b) {
    return {_mm256_add_epi32(a.v, b.v)};
}
inline Avx2I operator-(Avx2I a, Avx2I b) {
    return {_mm256_sub_epi32(a.v, b.v)};
}
inline Avx2I truncToInt(Avx2F a) {
    return {_mm256_cvttps_epi32(a.v)};
}
inline Avx2F toFloat(Avx2I a) {
    return {_mm256_cvtepi32_ps(a.v)};
}
inline Avx2I asInt(Avx2M m) {
    return {_mm256_castps_si256(m.v)};
}

struct Avx2 {
    using F = Avx2F;
    using I = Avx2I;
    using M = Avx2M;
    static constexpr int kGroups = 2;
    static constexpr int kGroupLanes = 4;
    static F splat(float x) { return {_mm256_set1_ps(x)}; }
    static F load(const float* p) { return {_mm256_loadu_ps(p)}; }
    static void store(float* p, F a) { _mm256_storeu_ps(p, a.v); }
    static I splatInt(std::int32_t x) { return {_mm256_set1_epi32(x)}; }
    static void storeInt(std::int32_t* p, I a) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a.v); }
    static F loadGroups(const float* const p[kGroups]) {
        return {_mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(p[0])), _mm_loadu_ps(p[1]), 1)};
    }
    static F setGroups(const float v[kGroups]) {
        return {_mm256_insertf128_ps(_mm256_castps128_ps256(_mm_set1_ps(v[0])), _mm_set1_ps(v[1]), 1)};
    }
    static I setGroupsInt(const std::int32_t v[kGroups]) {
        return {
            _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_set1_epi32(v[0])), _mm_set1_epi32(v[1]), 1)};
    }
    // Lane l of group g reads a = tables[g][i] and b = tables[g][i + 1], i
    // its index (a gather per group and table entry).
    static void gatherPairs(const float* const tables[kGroups], I index, F& a, F& b) {
        const __m128i lo = _mm256_castsi256_si128(index.v), hi = _mm256_extracti128_si256(index.v, 1);
        a.v = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_i32gather_ps(tables[0], lo, 4)),
                                   _mm_i32gather_ps(tables[1], hi, 4), 1);
        b.v = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_i32gather_ps(tables[0] + 1, lo, 4)),
                                   _mm_i32gather_ps(tables[1] + 1, hi, 4), 1);
    }
    static void storeGroup(float* p, F a, int group) {
        _mm_storeu_ps(p, group == 0 ? _mm256_castps256_ps128(a.v) : _mm256_extractf128_ps(a.v, 1));
    }
    // Each group (128-bit half) transposed on its own, as _MM_TRANSPOSE4_PS.
    static void transpose(F& a, F& b, F& c, F& d) {
        __m256 t0 = _mm256_unpacklo_ps(a.v, b.v);
        __m256 t1 = _mm256_unpackhi_ps(a.v, b.v);
        __m256 t2 = _mm256_unpacklo_ps(c.v, d.v);
        __m256 t3 = _mm256_unpackhi_ps(c.v, d.v);
        a.v = _mm256_shuffle_ps(t0, t2, 0x44);
        b.v = _mm256_shuffle_ps(t0, t2, 0xEE);
        c.v = _mm256_shuffle_ps(t1, t3, 0x44);
        d.v = _mm256_shuffle_ps(t1, t3, 0xEE);
    }
};

} // namespace simd
