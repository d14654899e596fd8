#include "gui/PixelRows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace gui {
namespace {

using SseRows = PixelRows<pixel_lanes::Sse>;
using ScalarRows = PixelRows<pixel_lanes::Scalar>;

// Random bytes: colours above their alpha (not valid premultiplied pixels)
// included, so saturation is exercised.
std::vector<std::uint32_t> noisePixels(std::size_t count, std::uint32_t seed) {
    std::vector<std::uint32_t> pixels(count);
    std::uint32_t state = seed * 2654435761u + 7;
    for (auto& p : pixels) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        p = state;
        switch (state % 5) {
        case 0:
            p |= 0xFF000000u; // transparent T
            break;
        case 1:
            p &= 0x00FFFFFFu; // opaque
            break;
        default:
            break;
        }
    }
    return pixels;
}

// Every kernel, for every alignment 0..3 of destination and source and every
// tail 0..3 after groups of four: the lane version equals the scalar twin,
// both equal the formula pixel by pixel, and nothing outside the run changes.
TEST(PixelRows, LanesEqualTheScalarTwinAndTheFormulaForEveryAlignmentAndTail) {
    using Formula = std::function<std::uint32_t(std::uint32_t d, std::uint32_t s, std::uint32_t m)>;
    using Kernel = std::function<void(bool lanes, std::uint32_t* d, const std::uint32_t* s,
                                      const std::uint32_t* m, int count)>;
    struct Case {
        const char* name;
        Kernel kernel;
        Formula formula;
    };
    std::vector<Case> cases;
    cases.push_back(
        {"blend",
         [](bool lanes, std::uint32_t* d, const std::uint32_t* s, const std::uint32_t*, int n) {
             lanes ? SseRows::blend(d, s, n) : ScalarRows::blend(d, s, n);
         },
         [](std::uint32_t d, std::uint32_t s, std::uint32_t) { return pixel::sourceOver(d, s); }});
    for (int opacity : {0, 1, 128, 254, 255}) {
        cases.push_back(
            {"blend with opacity",
             [opacity](bool lanes, std::uint32_t* d, const std::uint32_t* s, const std::uint32_t*, int n) {
                 lanes ? SseRows::blendWithOpacity(d, s, n, opacity)
                       : ScalarRows::blendWithOpacity(d, s, n, opacity);
             },
             [opacity](std::uint32_t d, std::uint32_t s, std::uint32_t) {
                 return pixel::sourceOver(d, pixel::withOpacity(s, std::uint32_t(opacity)));
             }});
        cases.push_back(
            {"blend masked",
             [opacity](bool lanes, std::uint32_t* d, const std::uint32_t* s, const std::uint32_t* m, int n) {
                 lanes ? SseRows::blendMasked(d, s, m, n, opacity)
                       : ScalarRows::blendMasked(d, s, m, n, opacity);
             },
             [opacity](std::uint32_t d, std::uint32_t s, std::uint32_t m) {
                 std::uint32_t masked = pixel::withOpacity(s, 255 - pixel::byteAt(m, 3));
                 return pixel::sourceOver(d, pixel::withOpacity(masked, std::uint32_t(opacity)));
             }});
        cases.push_back(
            {"copy with opacity",
             [opacity](bool lanes, std::uint32_t* d, const std::uint32_t* s, const std::uint32_t*, int n) {
                 lanes ? SseRows::copyWithOpacity(d, s, n, opacity)
                       : ScalarRows::copyWithOpacity(d, s, n, opacity);
             },
             [opacity](std::uint32_t, std::uint32_t s, std::uint32_t) {
                 return pixel::withOpacity(s, std::uint32_t(opacity));
             }});
    }
    for (int weight : {0, 1, 127, 128, 200, 255})
        cases.push_back(
            {"cross-fade",
             [weight](bool lanes, std::uint32_t* d, const std::uint32_t* s, const std::uint32_t* m, int n) {
                 lanes ? SseRows::crossFade(d, s, m, n, weight) : ScalarRows::crossFade(d, s, m, n, weight);
             },
             [weight](std::uint32_t, std::uint32_t s, std::uint32_t m) {
                 return pixel::crossFade(s, m, std::uint32_t(weight));
             }});
    for (std::uint32_t colour : {0x00336699u, 0x7F402010u, 0xFF000000u, 0x10FFFFFFu, 0xFF102030u})
        cases.push_back(
            {"fill",
             [colour](bool lanes, std::uint32_t* d, const std::uint32_t*, const std::uint32_t*, int n) {
                 lanes ? SseRows::fill(d, colour, n) : ScalarRows::fill(d, colour, n);
             },
             [colour](std::uint32_t d, std::uint32_t, std::uint32_t) {
                 return pixel::sourceOver(d, colour);
             }});

    constexpr int kGuard = 8;
    std::uint32_t seed = 1;
    for (const Case& c : cases)
        for (int destinationOffset = 0; destinationOffset < 4; ++destinationOffset)
            for (int sourceOffset = 0; sourceOffset < 4; ++sourceOffset)
                for (int groups : {0, 1, 3})
                    for (int tail = 0; tail < 4; ++tail) {
                        int count = 4 * groups + tail + destinationOffset; // heads of 0..3 pixels too
                        SCOPED_TRACE(::testing::Message()
                                     << c.name << " destination +" << destinationOffset << " source +"
                                     << sourceOffset << " count " << count);
                        alignas(16) std::uint32_t original[64 + 2 * kGuard];
                        std::vector<std::uint32_t> noise = noisePixels(std::size(original), seed++);
                        std::copy(noise.begin(), noise.end(), original);
                        std::vector<std::uint32_t> source = noisePixels(64, seed++);
                        std::vector<std::uint32_t> mask = noisePixels(64, seed++);
                        alignas(16) std::uint32_t withLanes[std::size(original)];
                        alignas(16) std::uint32_t withScalar[std::size(original)];
                        std::copy(std::begin(original), std::end(original), withLanes);
                        std::copy(std::begin(original), std::end(original), withScalar);
                        std::uint32_t* start = kGuard + destinationOffset + withLanes;
                        c.kernel(true, start, source.data() + sourceOffset, mask.data() + sourceOffset,
                                 count);
                        c.kernel(false, kGuard + destinationOffset + withScalar, source.data() + sourceOffset,
                                 mask.data() + sourceOffset, count);
                        for (std::size_t i = 0; i < std::size(original); ++i) {
                            ASSERT_EQ(withLanes[i], withScalar[i]) << "pixel " << i;
                            std::ptrdiff_t k = std::ptrdiff_t(i) - kGuard - destinationOffset;
                            std::uint32_t expected =
                                k >= 0 && k < count
                                    ? c.formula(original[i],
                                                source[std::size_t(k) + std::size_t(sourceOffset)],
                                                mask[std::size_t(k) + std::size_t(sourceOffset)])
                                    : original[i];
                            ASSERT_EQ(withLanes[i], expected) << "pixel " << i;
                        }
                    }
}

} // namespace
} // namespace gui
