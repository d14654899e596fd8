#include "gui/BitmapResampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace gui::resample {
namespace {

std::vector<std::uint32_t> noise(int width, int height, std::uint32_t seed) {
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height));
    std::uint32_t state = seed * 2654435761u + 3;
    for (auto& p : pixels) {
        state = state * 1664525u + 1013904223u;
        p = state;
    }
    return pixels;
}

// Hard black and white stripes in both directions: many strong boundaries,
// some of them next to the last pixel.
std::vector<std::uint32_t> stripes(int width, int height) {
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[std::size_t(y * width + x)] = ((x * 7 + y * 3) % 5 < 2) ? 0x00FFFFFFu : 0x00000000u;
    return pixels;
}

int fitted(int side, double r) {
    return int(std::floor(side * r + 0.7));
}

// Every side from 1 to 64 at every filtered ratio, on noise and on stripes:
// the resampler stays inside its source and its edge lists (ASan proves it)
// and writes every destination pixel.
TEST(BitmapResampler, EdgeAwareStaysInsideItsSourceForEverySide) {
    for (double r : {0.625, 0.75, 0.875, 1.125, 1.25})
        for (int side = 1; side <= 64; ++side) {
            int width = fitted(side, r), height = fitted(side + 3, r);
            Ratio ratio;
            if (width < 1 || height < 1 || !chooseRatio(side, side + 3, width, height, ratio)) continue;
            for (const std::vector<std::uint32_t>& image :
                 {noise(side, side + 3, std::uint32_t(side)), stripes(side, side + 3)}) {
                std::vector<std::uint32_t> out(std::size_t(width) * std::size_t(height), 0x12345678u);
                edgeAware({image.data(), side, side + 3}, {out.data(), width, height}, ratio);
                for (std::uint32_t p : out)
                    ASSERT_NE(p, 0x12345678u) << "side " << side << " at " << r;
            }
        }
}

TEST(BitmapResampler, FiveByFiveAtThreeQuartersPicksFiveToEight) {
    Ratio ratio;
    ASSERT_TRUE(chooseRatio(5, 5, 4, 4, ratio));
    EXPECT_EQ(ratio, Ratio::k5to8);
    ASSERT_TRUE(chooseRatio(16, 16, 18, 18, ratio));
    EXPECT_EQ(ratio, Ratio::k9to8);
    ASSERT_TRUE(chooseRatio(16, 16, 20, 20, ratio));
    EXPECT_EQ(ratio, Ratio::k5to4);
    EXPECT_FALSE(chooseRatio(16, 16, 21, 21, ratio));
}

TEST(BitmapResampler, UniformColoursSurviveEveryResampler) {
    for (std::uint32_t colour :
         {0x00000000u, 0x00FFFFFFu, 0x00336699u, 0x7F402010u, 0xFF000000u, 0x00010203u}) {
        SCOPED_TRACE(colour);
        std::vector<std::uint32_t> image(24 * 16, colour);
        Block source{image.data(), 24, 16};
        auto check = [&](int width, int height, auto&& run) {
            std::vector<std::uint32_t> out(std::size_t(width) * std::size_t(height), 0);
            run(Target{out.data(), width, height});
            for (std::uint32_t p : out)
                ASSERT_EQ(p, colour);
        };
        check(12, 8, [&](const Target& t) { halve(source, t); });
        check(36, 24, [&](const Target& t) { threeHalves(source, t); });
        check(17, 29, [&](const Target& t) { nearest(source, t); });
        for (Ratio ratio : {Ratio::k5to8, Ratio::k3to4, Ratio::k7to8, Ratio::k9to8, Ratio::k5to4})
            check(15, 10, [&](const Target& t) { edgeAware(source, t, ratio); });
    }
}

TEST(BitmapResampler, HalvingAveragesInLinearLight) {
    // Black and white halve to the linear-light mean, not to 128.
    std::vector<std::uint32_t> image = {0x00000000u, 0x00FFFFFFu, 0x00FFFFFFu, 0x00000000u};
    std::uint32_t out = 0;
    halve({image.data(), 2, 2}, {&out, 1, 1});
    EXPECT_EQ(out & 0xFF, 186u);
    EXPECT_EQ(out >> 24, 0u);
    // Transparent and opaque average their alpha: T 255 and 0 give alpha 186 (as alpha, not T).
    std::vector<std::uint32_t> half = {0xFF000000u, 0x00000000u, 0xFF000000u, 0x00000000u};
    halve({half.data(), 2, 2}, {&out, 1, 1});
    EXPECT_EQ(out >> 24, 255u - 186u);
}

TEST(BitmapResampler, PhasesFollowStrongEdges) {
    // No strong edge: the adaptive phases are the middle ones.
    std::vector<std::uint32_t> flat(16 * 8, 0x00808080u);
    EdgeStrengths none = columnStrengths({flat.data(), 16, 8});
    EXPECT_EQ(none.threshold, std::int64_t{1} << 30);
    EXPECT_EQ(phases(none, Ratio::k5to8, 10), (std::vector<int>{5, 2, 4, 6, 3, 5, 2, 4, 6, 3}));
    EXPECT_EQ(phases(none, Ratio::k3to4, 6), (std::vector<int>{3, 2, 1, 3, 2, 1}));

    // A hard edge at boundary 3 (columns 3 | 4), stronger than the other
    // strong one at boundary 10: the adaptive phase at m = 2 leans away.
    std::vector<std::uint32_t> edges(16 * 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            edges[std::size_t(y * 16 + x)] = x <= 3 ? 0x00000000u : (x <= 10 ? 0x00FFFFFFu : 0x009B9B9Bu);
    EdgeStrengths strong = columnStrengths({edges.data(), 16, 8});
    ASSERT_EQ(strong.strengths.size(), 16u); // 15 boundaries padded to 16
    EXPECT_EQ(strong.strengths[3], 255 * 8);
    EXPECT_EQ(strong.strengths[10], 100 * 8);
    EXPECT_EQ(strong.threshold, (255 * 8 + 100 * 8) / 2);
    std::vector<int> p = phases(strong, Ratio::k5to8, 5);
    EXPECT_EQ(p[2], 2); // D / 4: the strongest nearby is boundary m + 1
    EXPECT_TRUE(p[2] == 2 || p[2] == 6);
}

} // namespace
} // namespace gui::resample
