#include "effect/VarnelValueMaps.h"

#include "dsp/ValueMaps.h"
#include "modulation/ModulationValueMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Every value map the effect's parameters use, in one table: the function,
// an input and the value it must give.
TEST(VarnelValueMaps, TableOfValues) {
    struct Case {
        const char* name;
        float (*map)(float);
        float x;
        float y;
    };
    const Case cases[] = {
        {"mapByTable14", mapByTable14, -1.0f, 0.0f},
        {"mapByTable14", mapByTable14, 0.0f, 0.0f},
        {"mapByTable14", mapByTable14, 0.5f, 0.1f},
        {"mapByTable14", mapByTable14, 0.55f, 0.115f},
        {"mapByTable14", mapByTable14, 0.9f, 0.46f},
        {"mapByTable14", mapByTable14, 1.0f, 1.0f},
        {"mapByTable14", mapByTable14, 2.0f, 1.0f},
        {"mapByTable14Inverse", mapByTable14Inverse, 0.1f, 0.5f},
        {"mapByTable14Inverse", mapByTable14Inverse, 0.82f, 0.98f},
        {"mapByTable14Inverse", mapByTable14Inverse, 3.0f, 1.0f},
        {"mapByTable7", mapByTable7, -0.5f, -0.16f},
        {"mapByTable7", mapByTable7, 1.5f, 1.0f},
        {"mapByTable7", mapByTable7, 0.8f, 0.635f},
        {"mapByTable7Inverse", mapByTable7Inverse, 0.36f, 0.7f},
        {"mapByTable8", mapByTable8, -1.0f, 0.0f},
        {"mapByTable8", mapByTable8, 0.0005f, 0.1f},
        {"mapByTable8", mapByTable8, 0.1f, 0.8f},
        {"mapByTable8", mapByTable8, 1.0f, 0.98f},
        {"mapByTable8", mapByTable8, 2.0f, 0.98f},
        {"mapByTable8Inverse", mapByTable8Inverse, -1.0f, 0.0f},
        {"mapByTable8Inverse", mapByTable8Inverse, 0.5f, 0.007f},
        {"mapByTable8Inverse", mapByTable8Inverse, 0.8f, 0.1f},
        {"mapByTable8Inverse", mapByTable8Inverse, 0.98f, 1.0f},
        {"mapByTable8Inverse", mapByTable8Inverse, 0.99f, 1.0f},
        {"ratioFromOctaves", ratioFromOctaves, 1.0f, 2.0f},
        {"ratioFromOctaves", ratioFromOctaves, -1.0f, 0.5f},
        {"ratioFromOctavesExp", ratioFromOctavesExp, 3.0f, 8.0f},
        {"octavesFromRatio", octavesFromRatio, 4.0f, 2.0f},
        {"octavesFromRatio", octavesFromRatio, 0.5f, -1.0f},
        {"valueFromLog2Tail", valueFromLog2Tail, 1.0f, 2.0f},
        {"valueFromLog2Tail", valueFromLog2Tail, -3.0f, 0.125f},
        {"valueFromLog2Tail", valueFromLog2Tail, -5.643856f, 0.0f},
        {"valueFromLog2Tail", valueFromLog2Tail, -10.0f, 0.0f},
        {"log2WithLinearTail", log2WithLinearTail, 8.0f, 3.0f},
        {"log2WithLinearTail", log2WithLinearTail, 0.125f, -3.0f},
        {"log2WithLinearTail", log2WithLinearTail, 0.0f, -5.643856f},
        {"log2WithLinearTail", log2WithLinearTail, -1.0f, -5.643856f},
        {"levelFromPosition", levelFromPosition, 1.0f, 1.0f},
        {"levelFromPosition", levelFromPosition, 0.1f, 0.023988324f},
        {"levelFromPosition", levelFromPosition, 0.05f, 0.05f * 0.23988324f},
        {"levelFromPosition", levelFromPosition, 0.0f, 0.0f},
        {"levelFromPosition", levelFromPosition, 0.5f, 0.12589254f},
        {"positionFromLevel", positionFromLevel, 1.0f, 1.0f},
        {"positionFromLevel", positionFromLevel, 0.023988324f, 0.1f},
        {"positionFromLevel", positionFromLevel, 0.5f, 0.83276093f},
        {"positionFromLevel", positionFromLevel, 0.0f, 0.0f},
        {"dbToGain", dbToGain, 0.0f, 1.0f},
        {"dbToGain", dbToGain, 20.0f, 10.0f},
        {"dbToGain", dbToGain, 36.0f, 63.0957336f},
        {"dbToGain", dbToGain, -36.0f, 0.0158489f},
        {"gainToDb", gainToDb, 10.0f, 20.0f},
        {"gainToDb", gainToDb, -0.1f, -20.0f},
        {"gainToDb", gainToDb, 0.0f, -180.0f},
        {"gainToDb", gainToDb, 1e-12f, -180.0f},
        {"semitonesFromOctaves", semitonesFromOctaves, 1.5f, 18.0f},
        {"octavesFromSemitones", octavesFromSemitones, 12.0f, 1.0f},
        {"octavesToFilterPan", octavesToFilterPan, 3.5f, 1.0f},
        {"octavesToFilterPan", octavesToFilterPan, -1.75f, -0.5f},
        {"filterPanToOctaves", filterPanToOctaves, -1.0f, -3.5f},
    };
    for (const Case& c : cases) {
        const float tolerance = 2e-6f * std::max(1.0f, std::fabs(c.y));
        EXPECT_NEAR(c.map(c.x), c.y, tolerance) << c.name << "(" << c.x << ")";
    }
}

TEST(VarnelValueMaps, InversesUndoTheirMapsOnTheUsedRange) {
    struct Pair {
        const char* name;
        float (*map)(float);
        float (*inverse)(float);
        float low, high;
    };
    const Pair pairs[] = {
        {"mapByTable14", mapByTable14, mapByTable14Inverse, 0.0f, 1.0f},
        {"mapByTable8Inverse", mapByTable8Inverse, mapByTable8, 0.0f, 0.98f},
        {"levelFromPosition", levelFromPosition, positionFromLevel, 0.0f, 1.0f},
        {"dbToGain", dbToGain, gainToDb, -60.0f, 36.0f},
        {"ratioFromOctaves", ratioFromOctaves, octavesFromRatio, -1.0f, 1.0f},
        {"filterPanToOctaves", filterPanToOctaves, octavesToFilterPan, -1.0f, 1.0f},
    };
    for (const Pair& p : pairs)
        for (int i = 0; i <= 100; ++i) {
            const float x = p.low + (p.high - p.low) * static_cast<float>(i) / 100.0f;
            EXPECT_NEAR(p.inverse(p.map(x)), x, 2e-4f * std::max(1.0f, std::fabs(x)))
                << p.name << " at " << x;
        }
}

TEST(VarnelValueMaps, NonFiniteInputGivesAnEndOfTheTable) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(mapByTable8(nan), 0.0f);
    EXPECT_EQ(mapByTable8Inverse(nan), 0.0f);
    EXPECT_EQ(mapByTable14(nan), 0.0f);
    EXPECT_EQ(mapByTable8(inf), 0.98f);
    EXPECT_EQ(mapByTable8Inverse(inf), 1.0f);
    EXPECT_EQ(mapByTable14Inverse(inf), 1.0f);
    EXPECT_EQ(mapByTable14(-inf), 0.0f);
}

} // namespace
