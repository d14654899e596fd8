#include "gui/BlendTables.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

TEST(BlendTables, BilinearWeights) {
    EXPECT_EQ(bilinearWeight(0, 0), (BilinearWeight{255, 0, 0, 0}));
    EXPECT_EQ(bilinearWeight(31, 31), (BilinearWeight{0, 8, 8, 239}));
    EXPECT_EQ(bilinearWeight(1, 0), (BilinearWeight{248, 7, 0, 0}));
    for (const BilinearWeight& w : bilinearWeights())
        ASSERT_EQ(w[0] + w[1] + w[2] + w[3], 255);
}

TEST(BlendTables, GammaTables) {
    const auto& decode = gammaDecodeTable();
    const auto& encode = gammaEncodeTable();
    struct Case {
        int index, value;
    };
    for (const Case& c : {Case{0, 0}, Case{1, 5}, Case{7, 29}, Case{8, 33}, Case{9, 42}, Case{255, 65280}})
        EXPECT_EQ(decode[static_cast<std::size_t>(c.index)], c.value) << c.index;
    for (const Case& c : {Case{0, 0}, Case{7, 7}, Case{8, 8}, Case{16320, 255}})
        EXPECT_EQ(encode[static_cast<std::size_t>(c.index)], c.value) << c.index;
    for (std::size_t i = 1; i < decode.size(); ++i)
        ASSERT_LE(decode[i - 1], decode[i]) << i;
    for (std::size_t i = 1; i < encode.size(); ++i)
        ASSERT_LE(encode[i - 1], encode[i]) << i;
    // A byte decoded and encoded (at 1/4 of the decoded scale) comes back.
    for (int b = 16; b < 256; ++b)
        EXPECT_NEAR(encode[static_cast<std::size_t>(decode[static_cast<std::size_t>(b)] >> 2)], b, 1) << b;
}

} // namespace
} // namespace gui
