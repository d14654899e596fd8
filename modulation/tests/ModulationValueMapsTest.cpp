#include "modulation/ModulationValueMaps.h"

#include <gtest/gtest.h>

TEST(ModulationValueMaps, SlotLevelCurveAndItsInverse) {
    struct Case {
        float x, y;
    };
    const Case cases[] = {{0.0f, 0.0f},   {0.05f, 0.001f}, {0.1f, 0.002f}, {0.5f, 0.16f}, {-0.5f, -0.16f},
                          {0.8f, 0.635f}, {1.0f, 1.0f},    {1.5f, 1.0f},   {-3.0f, -1.0f}};
    for (const Case& c : cases)
        EXPECT_NEAR(mapByTable7(c.x), c.y, 1e-6f) << c.x;
    for (float x : {-1.0f, -0.7f, -0.25f, 0.0f, 0.1f, 0.3f, 0.5f, 0.9f, 0.95f, 1.0f})
        EXPECT_NEAR(mapByTable7Inverse(mapByTable7(x)), x, 1e-5f) << x;
    EXPECT_EQ(mapByTable7Inverse(2.0f), 1.0f);
}
