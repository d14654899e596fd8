#include "dsp/ValueMaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ValueMapsTest, FrequencyWithZeroPiecesMeetAndInvert) {
    EXPECT_EQ(valueFromLog2Tail(-6.0f), 0.0f);
    EXPECT_NEAR(valueFromLog2Tail(-4.3219f), 0.0625f, 1e-5f);
    EXPECT_NEAR(valueFromLog2Tail(-3.0f), 0.125f, 1e-6f);
    EXPECT_NEAR(valueFromLog2Tail(-2.999f), 0.125f, 1e-4f);
    EXPECT_FLOAT_EQ(valueFromLog2Tail(10.0f), 1024.0f);

    EXPECT_FLOAT_EQ(log2WithLinearTail(1024.0f), 10.0f);
    EXPECT_NEAR(log2WithLinearTail(0.125f), -3.0f, 1e-5f);
    EXPECT_NEAR(log2WithLinearTail(0.0f), -5.643856f, 1e-6f);
    EXPECT_NEAR(log2WithLinearTail(-1.0f), -5.643856f, 1e-6f);
    EXPECT_NEAR(log2WithLinearTail(std::numeric_limits<float>::quiet_NaN()), -5.643856f, 1e-6f);

    for (float hz : {0.0f, 0.01f, 0.0625f, 0.1f, 0.125f, 0.2f, 1.0f, 440.0f, 20000.0f})
        EXPECT_NEAR(valueFromLog2Tail(log2WithLinearTail(hz)), hz, hz * 1e-5f + 1e-6f) << hz;
}

TEST(ValueMapsTest, ExponentialFrequencyAndIntervals) {
    EXPECT_NEAR(ratioFromOctavesExp(std::log2(440.0f)), 440.0f, 1e-3f);
    EXPECT_NEAR(octavesFromRatio(8.0f), 3.0f, 1e-6f);
    EXPECT_EQ(semitonesFromOctaves(1.5f), 18.0f);
    EXPECT_NEAR(octavesFromSemitones(18.0f), 1.5f, 1e-6f);
}

TEST(ValueMapsTest, GainToDbHasAFloor) {
    EXPECT_NEAR(gainToDb(2.0f), 6.0206f, 1e-4f);
    EXPECT_NEAR(gainToDb(-0.5f), -6.0206f, 1e-4f);
    EXPECT_EQ(gainToDb(1.0f), 0.0f);
    EXPECT_EQ(gainToDb(0.0f), -180.0f);
    EXPECT_EQ(gainToDb(1e-10f), -180.0f);
    EXPECT_EQ(gainToDb(2e-10f), -180.0f);
    EXPECT_EQ(gainToDb(std::numeric_limits<float>::quiet_NaN()), -180.0f);
}

} // namespace
