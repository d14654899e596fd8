#include "effect/DelayPanController.h"

#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

// Pan p gives 1 - max(p, 0) into channel 0 and 1 + min(p, 0) into channel 1.
TEST(DelayPanController, PanGivesTheTwoChannelGains) {
    wave::Environment e;
    test::ConstantSource pan(e, 0.0f);
    DelayPanController c(e, &pan);
    const float cases[][3] = {
        {0.0f, 1.0f, 1.0f},  {0.5f, 0.5f, 1.0f},    {1.0f, 0.0f, 1.0f},
        {-1.0f, 1.0f, 0.0f}, {-0.25f, 1.0f, 0.75f},
    };
    for (const auto& k : cases) {
        pan.value = k[0];
        e.nextBlock();
        const wave::BasicBlock<float>& a = c.getOutput(0).pull(8);
        const wave::BasicBlock<float>& b = c.getOutput(1).pull(8);
        EXPECT_TRUE(a.isConstant());
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(a.data()[i], k[1]) << k[0];
            EXPECT_EQ(b.data()[i], k[2]) << k[0];
        }
        e.process(8, 0);
    }
}

// A moving pan is followed sample by sample.
TEST(DelayPanController, FollowsAMovingPan) {
    wave::Environment e;
    test::FunctionSource pan(e, [](long i) { return static_cast<float>(i) / 4.0f - 1.0f; });
    DelayPanController c(e, &pan);
    e.nextBlock();
    const wave::BasicBlock<float>& a = c.getOutput(0).pull(9);
    const wave::BasicBlock<float>& b = c.getOutput(1).pull(9);
    EXPECT_FALSE(a.isConstant());
    for (int i = 0; i < 9; ++i) {
        float p = static_cast<float>(i) / 4.0f - 1.0f;
        EXPECT_FLOAT_EQ(a.data()[i], 1.0f - std::max(p, 0.0f)) << i;
        EXPECT_FLOAT_EQ(b.data()[i], 1.0f + std::min(p, 0.0f)) << i;
    }
}
