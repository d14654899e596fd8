#pragma once

// Row kernels of the software drawing: a run of pixels of one row, blended,
// faded or copied with the arithmetic of gui/PixelArithmetic.h. The pixels
// before the first 16-byte boundary of the destination and the last ones
// that do not fill a group of four are done one at a time; the groups of
// four in between go through a lane set (gui/PixelLanes.h). PixelRows<Sse>
// is what drawing uses; PixelRows<Scalar> gives the same bytes and lets the
// tests prove it.
//
// Sources and destinations may have any alignment and must not overlap
// unless they are the same row. Nothing allocates.

#include "gui/PixelArithmetic.h"
#include "gui/PixelLanes.h"

#include <cstdint>

namespace gui {

template <class L> struct PixelRows {
    using Wide = typename L::Wide;
    using Pixels = typename L::Pixels;

    // Pixels before the destination's first 16-byte boundary (at most count).
    static int headCount(const std::uint32_t* destination, int count) {
        int head = int((16 - (reinterpret_cast<std::uintptr_t>(destination) & 15)) & 15) / 4;
        return head < count ? head : count;
    }

    // Source over destination on eight lanes (two pixels).
    static Wide overWide(Wide destination, Wide source) {
        Wide colourMask = L::perChannel(0xFFFF, 0xFFFF, 0xFFFF, 0);
        Wide scaled = pixel_lanes::divide255<L>(L::mul(destination, L::broadcastT(source)));
        return L::add(L::bitAnd(source, colourMask), scaled);
    }

    // A source scaled by an opacity (the lanes hold o; plus holds 255 - o in T).
    static Wide opacityWide(Wide source, Wide opacity, Wide plus) {
        return L::add(pixel_lanes::divide255<L>(L::mul(source, opacity)), plus);
    }

    static Pixels over(Pixels destination, Pixels source) {
        return L::narrow(overWide(L::low(destination), L::low(source)),
                         overWide(L::high(destination), L::high(source)));
    }

    // destination := source over destination.
    static void blend(std::uint32_t* destination, const std::uint32_t* source, int count) {
        int i = 0;
        for (int head = headCount(destination, count); i < head; ++i)
            destination[i] = pixel::sourceOver(destination[i], source[i]);
        for (; i + 4 <= count; i += 4)
            L::store(destination + i, over(L::load(destination + i), L::load(source + i)));
        for (; i < count; ++i)
            destination[i] = pixel::sourceOver(destination[i], source[i]);
    }

    // destination := (source with opacity) over destination.
    static void blendWithOpacity(std::uint32_t* destination, const std::uint32_t* source, int count,
                                 int opacity) {
        const std::uint32_t o = std::uint32_t(opacity);
        Wide opacityLanes = L::splat(std::uint16_t(o));
        Wide plus = L::perChannel(0, 0, 0, std::uint16_t(255 - o));
        int i = 0;
        for (int head = headCount(destination, count); i < head; ++i)
            destination[i] = pixel::sourceOver(destination[i], pixel::withOpacity(source[i], o));
        for (; i + 4 <= count; i += 4) {
            Pixels d = L::load(destination + i), s = L::load(source + i);
            Wide lo = overWide(L::low(d), opacityWide(L::low(s), opacityLanes, plus));
            Wide hi = overWide(L::high(d), opacityWide(L::high(s), opacityLanes, plus));
            L::store(destination + i, L::narrow(lo, hi));
        }
        for (; i < count; ++i)
            destination[i] = pixel::sourceOver(destination[i], pixel::withOpacity(source[i], o));
    }

    // destination := (source with the mask pixel's alpha, then opacity) over destination.
    static void blendMasked(std::uint32_t* destination, const std::uint32_t* source,
                            const std::uint32_t* mask, int count, int opacity) {
        const std::uint32_t o = std::uint32_t(opacity);
        auto one = [o](std::uint32_t d, std::uint32_t s, std::uint32_t m) {
            std::uint32_t masked = pixel::withOpacity(s, 255 - pixel::byteAt(m, 3));
            return pixel::sourceOver(d, o == 255 ? masked : pixel::withOpacity(masked, o));
        };
        Wide full = L::splat(255);
        Wide opacityLanes = L::splat(std::uint16_t(o));
        Wide plus = L::perChannel(0, 0, 0, std::uint16_t(255 - o));
        Wide tOnly = L::perChannel(0, 0, 0, 0xFFFF);
        auto maskedWide = [&](Wide s, Wide m) {
            Wide alpha = L::sub(full, L::broadcastT(m));
            Wide scaled = opacityWide(s, alpha, L::bitAnd(L::broadcastT(m), tOnly));
            return o == 255 ? scaled : opacityWide(scaled, opacityLanes, plus);
        };
        int i = 0;
        for (int head = headCount(destination, count); i < head; ++i)
            destination[i] = one(destination[i], source[i], mask[i]);
        for (; i + 4 <= count; i += 4) {
            Pixels d = L::load(destination + i), s = L::load(source + i), m = L::load(mask + i);
            Wide lo = overWide(L::low(d), maskedWide(L::low(s), L::low(m)));
            Wide hi = overWide(L::high(d), maskedWide(L::high(s), L::high(m)));
            L::store(destination + i, L::narrow(lo, hi));
        }
        for (; i < count; ++i)
            destination[i] = one(destination[i], source[i], mask[i]);
    }

    // destination := the stored colour over destination (stored directly when opaque).
    static void fill(std::uint32_t* destination, std::uint32_t colour, int count) {
        if (pixel::byteAt(colour, 3) == 0) {
            for (int i = 0; i < count; ++i)
                destination[i] = colour;
            return;
        }
        if (pixel::byteAt(colour, 3) == 255 && (colour & 0x00FFFFFFu) == 0) return;
        Pixels source = L::splatPixel(colour);
        int i = 0;
        for (int head = headCount(destination, count); i < head; ++i)
            destination[i] = pixel::sourceOver(destination[i], colour);
        for (; i + 4 <= count; i += 4)
            L::store(destination + i, over(L::load(destination + i), source));
        for (; i < count; ++i)
            destination[i] = pixel::sourceOver(destination[i], colour);
    }

    // destination := cross-fade of a and b with the weight (0..255).
    static void crossFade(std::uint32_t* destination, const std::uint32_t* a, const std::uint32_t* b,
                          int count, int weight) {
        const std::uint32_t w = std::uint32_t(weight) + (std::uint32_t(weight) >> 7);
        Wide wb = L::splat(std::uint16_t(w)), wa = L::splat(std::uint16_t(256 - w));
        auto mix = [&](Wide p, Wide q) { return L::shiftRight8(L::add(L::mul(p, wa), L::mul(q, wb))); };
        int i = 0;
        for (int head = headCount(destination, count); i < head; ++i)
            destination[i] = pixel::crossFade(a[i], b[i], std::uint32_t(weight));
        for (; i + 4 <= count; i += 4) {
            Pixels p = L::load(a + i), q = L::load(b + i);
            L::store(destination + i, L::narrow(mix(L::low(p), L::low(q)), mix(L::high(p), L::high(q))));
        }
        for (; i < count; ++i)
            destination[i] = pixel::crossFade(a[i], b[i], std::uint32_t(weight));
    }

    // destination := source with opacity (a copy, not a blend).
    static void copyWithOpacity(std::uint32_t* destination, const std::uint32_t* source, int count,
                                int opacity) {
        const std::uint32_t o = std::uint32_t(opacity);
        Wide opacityLanes = L::splat(std::uint16_t(o));
        Wide plus = L::perChannel(0, 0, 0, std::uint16_t(255 - o));
        int i = 0;
        for (int head = headCount(destination, count); i < head; ++i)
            destination[i] = pixel::withOpacity(source[i], o);
        for (; i + 4 <= count; i += 4) {
            Pixels s = L::load(source + i);
            L::store(destination + i, L::narrow(opacityWide(L::low(s), opacityLanes, plus),
                                                opacityWide(L::high(s), opacityLanes, plus)));
        }
        for (; i < count; ++i)
            destination[i] = pixel::withOpacity(source[i], o);
    }
};

// What drawing uses.
using FastPixelRows = PixelRows<pixel_lanes::Sse>;

} // namespace gui
