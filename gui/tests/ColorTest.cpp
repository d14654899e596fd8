#include "gui/Color.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

TEST(Color, ByteProductRoundsToNearest) {
    struct Case {
        int a, b, product;
    };
    const Case cases[] = {{128, 255, 128}, {255, 255, 255}, {0, 200, 0},
                          {127, 1, 0},     {128, 1, 1},     {255, 0, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(multiplyBytes(c.a, c.b), c.product) << c.a << " x " << c.b;
    // Exactly the rounded quotient for every pair of bytes.
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b)
            ASSERT_EQ(multiplyBytes(a, b), (2 * a * b + 255) / 510) << a << " x " << b;
}

TEST(Color, OpacitiesMultiplyRoundingDown) {
    EXPECT_EQ(multiplyOpacity(128, 255), 128);
    EXPECT_EQ(multiplyOpacity(128, 128), 64);
    EXPECT_EQ(multiplyOpacity(254, 254), 253);
}

TEST(Color, HueSaturationLightness) {
    struct Case {
        Color color;
        float h, s, l;
    };
    const Case cases[] = {
        {{255, 0, 0}, 0.0f, 255.0f, 127.5f},     {{0, 255, 0}, 120.0f, 255.0f, 127.5f},
        {{0, 0, 255}, 240.0f, 255.0f, 127.5f},   {{255, 0, 255}, 300.0f, 255.0f, 127.5f},
        {{255, 128, 128}, 0.0f, 255.0f, 191.5f}, {{90, 90, 90}, 0.0f, 0.0f, 90.0f},
        {{0, 0, 0}, 0.0f, 0.0f, 0.0f},           {{255, 255, 255}, 0.0f, 0.0f, 255.0f},
    };
    for (const Case& c : cases) {
        const HslColor hsl = toHsl(c.color);
        EXPECT_FLOAT_EQ(hsl.h, c.h);
        EXPECT_FLOAT_EQ(hsl.s, c.s);
        EXPECT_FLOAT_EQ(hsl.l, c.l);
    }
    EXPECT_FLOAT_EQ(toHsl(Color(1, 2, 3, 77)).a, 77.0f);
}

} // namespace
} // namespace gui
