#include "tools/demo/FloatWavFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string le32(uint32_t v) {
    return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

TEST(FloatWavFile, WritesAFloatHeaderAndInterleavedSamples) {
    const std::string bytes = floatWavBytes({{1.0f, -0.5f}, {0.25f, 0.0f}}, 48000.0);
    const std::string expected = "RIFF" + le32(4 + 26 + 12 + 8 + 16) + "WAVE" + "fmt " + le32(18) +
                                 std::string("\x03\x00\x02\x00", 4) + le32(48000) + le32(48000 * 8) +
                                 std::string("\x08\x00\x20\x00\x00\x00", 6) + "fact" + le32(4) + le32(2) +
                                 "data" + le32(16) + le32(0x3F800000) + le32(0x3E800000) + le32(0xBF000000) +
                                 le32(0);
    EXPECT_EQ(bytes, expected);
}

} // namespace
