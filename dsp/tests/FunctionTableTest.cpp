#include "dsp/FunctionTable.h"
#include "dsp/Smoothing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

class Ramp : public FunctionTableFunction {
public:
    double value(double x) const override { return 3.0 * x + 1.0; }
};

} // namespace

TEST(FunctionTable, SizeIsPowerOfTwoAndRangeIsOrdered) {
    FunctionTable t;
    t.build(5, Ramp(), 1.0, 0.0); // reversed bounds
    EXPECT_EQ(t.size(), 8);
    EXPECT_FLOAT_EQ(t.lowerBound(), 0.0f);
    EXPECT_FLOAT_EQ(t.values()[0], 1.0f);
    EXPECT_FLOAT_EQ(t.values()[7], 4.0f);
    EXPECT_FLOAT_EQ(t.values()[8], 4.0f); // guard copy
    t.build(0, Ramp(), 0.0, 1.0);
    EXPECT_EQ(t.size(), 2);
}

TEST(FunctionTable, LookupInterpolatesInsideAndClampsOutside) {
    FunctionTable t;
    t.build(16, Ramp(), -2.0, 3.0);
    for (float x : {-2.0f, -1.3f, 0.0f, 0.77f, 2.99f, 3.0f})
        EXPECT_NEAR(t.lookup(x), 3.0 * x + 1.0, 1e-5) << x;
    // Outside the range the ends hold: no wrap to the other end, no
    // extrapolation with a huge fraction.
    for (float x : {3.01f, 4.0f, 1e6f, std::numeric_limits<float>::infinity()})
        EXPECT_FLOAT_EQ(t.lookup(x), 10.0f) << x;
    for (float x : {-2.01f, -5.0f, -1e6f, -std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()})
        EXPECT_FLOAT_EQ(t.lookup(x), -5.0f) << x;
}

TEST(FunctionTable, FilterTablesSizesRangesAndValues) {
    const FilterTables& t = FilterTables::shared();
    EXPECT_EQ(&t, &FilterTables::shared());
    struct Case {
        const FunctionTable* table;
        int size;
        float lo;
        float atLo, atHi; // curve values at the ends
    };
    const double sqrt3 = std::sqrt(3.0);
    const Case cases[] = {
        {&t.freq, 8192, -30.0f, float(2.0 * std::sin(std::numbers::pi / 3.0 * std::exp2(-30.0))),
         float(sqrt3)},
        {&t.peakLimit, 512, -30.0f, 1.0f, 0.001f},
        {&t.dampLimit, 256, 0.0f, 2.0f, 1.0f},
        {&t.dampLimit2, 256, 0.0f, 2.0f, 0.65f},
        {&t.damp, 4096, 0.0f, 2.0f, float(2.0 * (1.0 - std::pow(5.0, 0.25)))},
        {&t.clip.table(), 8192, -40.0f, float(std::atan(-40.0)), float(std::atan(40.00976800976801))},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.table->size(), c.size);
        EXPECT_FLOAT_EQ(c.table->lowerBound(), c.lo);
        EXPECT_FLOAT_EQ(c.table->values()[0], c.atLo);
        EXPECT_FLOAT_EQ(c.table->values()[c.size - 1], c.atHi);
    }
    // Curves at inner points.
    EXPECT_NEAR(t.freq.lookup(0.5f), sqrt3, 1e-6);                                    // at and above fs
    EXPECT_NEAR(t.freq.lookup(-4.0f), 2.0 * std::sin(std::numbers::pi / 48.0), 1e-5); // fs/16
    EXPECT_NEAR(t.peakLimit.lookup(-0.5f), 0.04, 1e-3);
    EXPECT_NEAR(t.peakLimit.lookup(0.0f), 0.04 - 0.039 * 0.5 / 0.9, 1e-3);
    EXPECT_NEAR(t.dampLimit.lookup(0.95f), 2.0 / 0.95 - 0.95, 1e-3);
    EXPECT_NEAR(t.dampLimit2.lookup(0.7f), 1.0, 1e-2);
    EXPECT_NEAR(t.damp.lookup(1.0f), 0.0, 1e-3);
    EXPECT_NEAR(t.damp.lookup(0.0625f), 1.0, 1e-3);
}

TEST(FunctionTable, ClipTableHasZeroOnAPoint) {
    const ClipTable& clip = FilterTables::shared().clip;
    const FunctionTable& t = clip.table();
    EXPECT_FLOAT_EQ(t.indexScale(), 102.375f); // 8190 / 80
    EXPECT_EQ(t.indexOffsetWhole(), -4095);
    EXPECT_EQ(t.indexOffsetFraction(), 0.0f);
    EXPECT_LT(std::fabs(t.values()[4095]), 1e-12f);
    EXPECT_LT(std::fabs(clip.clip(0.0f)), 1e-12f);
    // Small signals pass at unity slope; the clamps hold far outside.
    EXPECT_NEAR(clip.clip(0.01f), std::atan(0.01), 1e-5);
    EXPECT_NEAR(clip.clip(-0.5f), std::atan(-0.5), 1e-5);
    EXPECT_FLOAT_EQ(clip.clip(1e9f), t.values()[8191]);
    EXPECT_FLOAT_EQ(clip.clip(-1e9f), t.values()[0]);
    EXPECT_TRUE(std::isfinite(clip.clip(std::numeric_limits<float>::quiet_NaN())));
}

TEST(FunctionTable, ClipParameterSoftensThePositiveHalf) {
    ClipTable clip(0.25f);
    EXPECT_FLOAT_EQ(clip.parameter(), 0.25f);
    EXPECT_NEAR(clip.clip(2.0f), std::atan(0.5) / 0.25, 1e-4);
    EXPECT_NEAR(clip.clip(-2.0f), std::atan(-2.0), 1e-4);
    ClipTable fallback(0.0f); // not positive: plain arctan
    EXPECT_FLOAT_EQ(fallback.parameter(), 1.0f);
}

TEST(Smoothing, CoefficientCases) {
    const double pi = std::numbers::pi;
    struct Case {
        double f, fs;
        float expected;
    };
    const Case cases[] = {
        {100.0, 48000.0, float(2.0 * std::sin(pi * 100.0 / 48000.0))},
        {5.0, 44100.0, float(2.0 * std::sin(pi * 5.0 / 44100.0))},
        {3800.0, 48000.0, float(2.0 * std::sin(pi * 3800.0 / 48000.0))}, // just below the limit
        {4000.0, 48000.0, 0.5f},                                         // the stability limit
        {24000.0, 48000.0, 0.5f},                                        // fs/2
        {40000.0, 48000.0, 0.5f}, // the unlimited sine falls again here
        {48000.0, 48000.0, 0.5f}, // and reaches 0 at fs
        {96000.0, 48000.0, 0.5f},
        {0.0, 48000.0, 0.0f},
        {-10.0, 48000.0, 0.0f},
        {std::numeric_limits<double>::quiet_NaN(), 48000.0, 0.0f},
        {100.0, 0.0, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(smoothingCoefficient(c.f, c.fs), c.expected, 1e-6) << c.f << " " << c.fs;
}
