#pragma once

// Four 32-bit pixels as sixteen bytes, widened to two sets of eight 16-bit
// lanes, behind one small interface in two implementations that give the
// same bytes for the same inputs:
//
//   pixel_lanes::Sse     SSE2 intrinsics (both builds are x86-64);
//   pixel_lanes::Scalar  plain arrays doing the same operations.
//
// Row kernels (gui/PixelRows.h) are templates over a lane set; the product
// runs them with Sse and the tests run both and compare bytes. Lane values
// stay below 65536 by construction (a product of two bytes plus 128 and its
// high byte), so 16-bit arithmetic never wraps; narrowing saturates at 255
// in both implementations.
//
// Pixel layout: bytes blue, green, red, T (255 - alpha) in memory; lane 3 of
// each pixel is T.

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace gui::pixel_lanes {

// The constants the kernels share, as their 16-bit lane patterns.
inline constexpr std::uint16_t kRoundingBias = 0x0080; // + 128 before dividing by 255
inline constexpr std::uint16_t kByteMask = 0x00FF;

// ---------------------------------------------------------------- SSE2 ---

struct Sse {
    struct Pixels {
        __m128i v;
    };
    struct Wide {
        __m128i v;
    };

    static Pixels load(const std::uint32_t* p) {
        return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))};
    }
    static void store(std::uint32_t* p, Pixels x) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), x.v); }
    static Pixels splatPixel(std::uint32_t pixel) { return {_mm_set1_epi32(std::int32_t(pixel))}; }

    // Pixels 0 and 1 (low), 2 and 3 (high), each byte in a 16-bit lane.
    static Wide low(Pixels x) { return {_mm_unpacklo_epi8(x.v, _mm_setzero_si128())}; }
    static Wide high(Pixels x) { return {_mm_unpackhi_epi8(x.v, _mm_setzero_si128())}; }
    // Back to bytes, saturating at 255.
    static Pixels narrow(Wide lo, Wide hi) { return {_mm_packus_epi16(lo.v, hi.v)}; }

    static Wide splat(std::uint16_t value) { return {_mm_set1_epi16(std::int16_t(value))}; }
    // The same four lane values for both pixels: b, g, r, t.
    static Wide perChannel(std::uint16_t b, std::uint16_t g, std::uint16_t r, std::uint16_t t) {
        return {_mm_setr_epi16(std::int16_t(b), std::int16_t(g), std::int16_t(r), std::int16_t(t),
                               std::int16_t(b), std::int16_t(g), std::int16_t(r), std::int16_t(t))};
    }
    static Wide add(Wide a, Wide b) { return {_mm_add_epi16(a.v, b.v)}; }
    static Wide sub(Wide a, Wide b) { return {_mm_sub_epi16(a.v, b.v)}; }
    static Wide mul(Wide a, Wide b) { return {_mm_mullo_epi16(a.v, b.v)}; }
    static Wide bitAnd(Wide a, Wide b) { return {_mm_and_si128(a.v, b.v)}; }
    static Wide shiftRight8(Wide a) { return {_mm_srli_epi16(a.v, 8)}; }
    // Lane 3 of each pixel (T) copied into all four of its lanes.
    static Wide broadcastT(Wide a) {
        return {
            _mm_shufflehi_epi16(_mm_shufflelo_epi16(a.v, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3))};
    }
};

// -------------------------------------------------------------- scalar ---

struct Scalar {
    struct Pixels {
        std::uint8_t b[16];
    };
    struct Wide {
        std::uint16_t v[8];
    };

    static Pixels load(const std::uint32_t* p) {
        Pixels x;
        std::memcpy(x.b, p, 16);
        return x;
    }
    static void store(std::uint32_t* p, Pixels x) { std::memcpy(p, x.b, 16); }
    static Pixels splatPixel(std::uint32_t pixel) {
        Pixels x;
        for (int i = 0; i < 4; ++i)
            std::memcpy(x.b + 4 * i, &pixel, 4);
        return x;
    }

    static Wide low(Pixels x) {
        Wide w;
        for (int i = 0; i < 8; ++i)
            w.v[i] = x.b[i];
        return w;
    }
    static Wide high(Pixels x) {
        Wide w;
        for (int i = 0; i < 8; ++i)
            w.v[i] = x.b[8 + i];
        return w;
    }
    static Pixels narrow(Wide lo, Wide hi) {
        // packus reads the lanes as signed 16-bit values.
        auto saturate = [](std::uint16_t v) {
            return std::uint8_t(std::clamp<int>(std::int16_t(v), 0, 255));
        };
        Pixels x;
        for (int i = 0; i < 8; ++i) {
            x.b[i] = saturate(lo.v[i]);
            x.b[8 + i] = saturate(hi.v[i]);
        }
        return x;
    }

    static Wide splat(std::uint16_t value) {
        Wide w;
        std::fill(w.v, w.v + 8, value);
        return w;
    }
    static Wide perChannel(std::uint16_t b, std::uint16_t g, std::uint16_t r, std::uint16_t t) {
        return {{b, g, r, t, b, g, r, t}};
    }
    template <class F> static Wide each(Wide a, Wide b, F f) {
        Wide w;
        for (int i = 0; i < 8; ++i)
            w.v[i] = std::uint16_t(f(a.v[i], b.v[i]));
        return w;
    }
    static Wide add(Wide a, Wide b) {
        return each(a, b, [](unsigned x, unsigned y) { return x + y; });
    }
    static Wide sub(Wide a, Wide b) {
        return each(a, b, [](unsigned x, unsigned y) { return x - y; });
    }
    static Wide mul(Wide a, Wide b) {
        return each(a, b, [](unsigned x, unsigned y) { return x * y; });
    }
    static Wide bitAnd(Wide a, Wide b) {
        return each(a, b, [](unsigned x, unsigned y) { return x & y; });
    }
    static Wide shiftRight8(Wide a) {
        for (auto& v : a.v)
            v = std::uint16_t(v >> 8);
        return a;
    }
    static Wide broadcastT(Wide a) {
        return {{a.v[3], a.v[3], a.v[3], a.v[3], a.v[7], a.v[7], a.v[7], a.v[7]}};
    }
};

// x / 255 rounded, for x up to 255 x 255, in every lane: t = x + 128,
// (t + (t >> 8)) >> 8.
template <class L> typename L::Wide divide255(typename L::Wide x) {
    typename L::Wide t = L::add(x, L::splat(kRoundingBias));
    return L::shiftRight8(L::add(t, L::shiftRight8(t)));
}

} // namespace gui::pixel_lanes
