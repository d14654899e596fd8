#include "modulation/LevelPanTarget.h"

#include "modulation/tests/MatrixFixture.h"

#include <gtest/gtest.h>

TEST(LevelPanTarget, GainsFollowLevelAndPan) {
    struct Case {
        bool sumDifference;
        float level, pan, first, second;
    };
    const Case cases[] = {
        {false, 0.8f, 0.0f, 0.8f, 0.8f},
        {false, 0.8f, 1.0f, 0.0f, 0.8f},
        {false, 0.8f, -1.0f, 0.8f, 0.0f},
        {true, 2.0f, 0.5f, 2.5f, 1.5f},
    };
    for (const Case& c : cases) {
        test::MatrixFixture f([](ModulationMatrixLayout& l) {
            l.targetGroups[4].maxFactor = 2.0f;
            l.targetGroups[4].minFactor = -1.0f;
            l.targetGroupOf[20] = &l.targetGroups[4];
            l.targetGroupOf[21] = &l.targetGroups[4];
        });
        LevelPanTarget target(*f.matrix, 20, 21, c.sumDifference);
        f.matrix->setTargetAmount(20, c.level);
        f.matrix->setTargetAmount(21, c.pan);
        auto& controller = target.getVoiceController();
        f.e.nextBlock();
        float first = controller.getOutput(0).pull(4).data()[0];
        float second = controller.getOutput(1).pull(4).data()[0];
        f.e.process(4, 0);
        EXPECT_FLOAT_EQ(first, c.first);
        EXPECT_FLOAT_EQ(second, c.second);
        EXPECT_FLOAT_EQ(target.getGain(0).getTarget(), c.first);
        EXPECT_FLOAT_EQ(target.getGain(1).getTarget(), c.second);
        EXPECT_TRUE(target.isIdle());
    }
}

TEST(LevelPanTarget, ModulatedTargetsRenderPerSample) {
    test::MatrixFixture f;
    LevelPanTarget target(*f.matrix, 5, 6, false);
    f.matrix->setTargetAmount(5, 0.5f);
    f.connect(0, 0, 6, 0.5f); // pan = (0.5 x 2) x 0.5
    EXPECT_FALSE(target.isIdle());
    auto& controller = target.getVoiceController();
    f.e.nextBlock();
    float first = controller.getOutput(0).pull(4).data()[0];
    float second = controller.getOutput(1).pull(4).data()[0];
    f.e.process(4, 0);
    EXPECT_FLOAT_EQ(first, 0.25f); // pan 0.5
    EXPECT_FLOAT_EQ(second, 0.5f);

    // A constant pan of 0 hands the level block to both outputs.
    f.matrix->getController().setLevel(0, 0.0f);
    f.e.nextBlock();
    const wave::BasicBlock<float>* a = &controller.getOutput(0).pull(4);
    const wave::BasicBlock<float>* b = &controller.getOutput(1).pull(4);
    const wave::BasicBlock<float>* level = &f.matrix->targetProducer(5)->pull(4);
    f.e.process(4, 0);
    EXPECT_EQ(a, level);
    EXPECT_EQ(b, level);
}
