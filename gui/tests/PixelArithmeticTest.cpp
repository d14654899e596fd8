#include "gui/PixelArithmetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace gui {
namespace {

TEST(PixelArithmetic, EveryByteProductIsDividedBy255WithRounding) {
    for (std::uint32_t a = 0; a < 256; ++a)
        for (std::uint32_t b = 0; b < 256; ++b)
            ASSERT_EQ(pixel::multiply255(a, b), std::uint32_t(std::lround(a * b / 255.0))) << a << " x " << b;
}

TEST(PixelArithmetic, ATransparentSourceLeavesTheDestinationUnderEveryOpacity) {
    const std::uint32_t destinations[] = {0x00000000u, 0xFF000000u, 0x80402010u, 0x00FFFFFFu, 0x7F7F7F7Fu};
    for (std::uint32_t d : destinations) {
        EXPECT_EQ(pixel::sourceOver(d, pixel::kTransparent), d);
        for (std::uint32_t o = 0; o < 256; ++o)
            ASSERT_EQ(pixel::sourceOver(d, pixel::withOpacity(pixel::kTransparent, o)), d) << o;
    }
}

TEST(PixelArithmetic, BlendsOfKnownPixels) {
    const struct {
        const char* name;
        std::uint32_t destination, source, expected;
    } cases[] = {
        // An opaque source replaces the destination.
        {"opaque over anything", 0x80102030u, 0x00405060u, 0x00405060u},
        // Half-transparent white (128 premultiplied, T 127) over opaque black.
        {"half white over black", 0x00000000u, 0x7F808080u, 0x00808080u},
        // Over opaque white: 128 + 255 x 127 / 255 saturates at 255.
        {"half white over white", 0x00FFFFFFu, 0x7F808080u, 0x00FFFFFFu},
        // Over transparent: the source itself.
        {"anything over transparent", 0xFF000000u, 0x7F402010u, 0x7F402010u},
        // The transparencies multiply: 127 x 127 / 255 = 63; blue 128 x 127 / 255 = 64.
        {"half over half", 0x7F000080u, 0x7F800000u, 0x3F800040u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pixel::sourceOver(c.destination, c.source), c.expected);
    }
    // Opacity 128 of an opaque red: colour 255 x 128 / 255 = 128, T = 0 + 127.
    EXPECT_EQ(pixel::withOpacity(0x00FF0000u, 128), 0x7F800000u);
    // Premultiplying: (200, 100, 50) at alpha 128 gives 100, 50, 25 and T 127.
    EXPECT_EQ(pixel::premultiply(Color(200, 100, 50, 128)), 0x7F643219u);
    EXPECT_EQ(pixel::unpremultiply(pixel::premultiply(Color(200, 100, 50, 255))), Color(200, 100, 50, 255));
    EXPECT_EQ(pixel::unpremultiply(0x7F643219u), Color(199, 99, 49, 128));
}

TEST(PixelArithmetic, CrossFadeEndsAreExactlyTheTwoPixels) {
    const std::uint32_t p = 0x12345678u, q = 0xFEDCBA98u;
    EXPECT_EQ(pixel::crossFade(p, q, 0), p);
    EXPECT_EQ(pixel::crossFade(p, q, 255), q);
    EXPECT_EQ(pixel::crossFade(0x00000000u, 0xFFFFFFFFu, 128), 0x80808080u); // 255 x 129 >> 8
}

} // namespace
} // namespace gui
