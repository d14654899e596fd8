#include "modulation/ModulationMatrix.h"

#include "modulation/tests/MatrixFixture.h"

#include <gtest/gtest.h>

using test::MatrixFixture;
using State = ModulationMatrix::SlotState;

TEST(ModulationMatrix, TargetIsBasePlusLevelTimesSource) {
    MatrixFixture f;
    f.matrix->setTargetAmount(5, 0.125f);
    f.connect(0, 0, 5, 0.25f);
    f.connect(1, 1, 5, 0.75f);
    f.e.nextBlock();
    const wave::BasicBlock<float>& out = f.matrix->targetProducer(5)->pull(8);
    EXPECT_TRUE(out.isConstant());
    EXPECT_EQ(out.data()[0], 0.125f + 0.25f * 0.5f + 0.75f * 0.25f);
    EXPECT_EQ(out.data()[7], out.data()[0]);
    f.e.process(8, 0);
}

// A target without slots hands on its settled base without computing; a
// slot added after a long stretch of that counts from the next block, and
// so does the base's next change.
TEST(ModulationMatrix, SlotsAndChangesReachATargetThatHeldItsBase) {
    MatrixFixture f;
    f.matrix->setTargetAmount(5, 0.125f);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(f.block(5, 16)[0], 0.125f);
    f.connect(0, 0, 5, 0.25f);
    EXPECT_EQ(f.block(5, 16)[15], 0.125f + 0.25f * 0.5f);
    f.connect(0, 0, -1, 0.25f);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(f.block(5, 16)[15], 0.125f);
    f.matrix->setTargetAmount(5, 0.5f);
    EXPECT_EQ(f.block(5, 16)[0], 0.5f);
}

TEST(ModulationMatrix, VaryingSourceGivesVaryingBlock) {
    MatrixFixture f;
    test::FunctionSource ramp(f.e, [](long i) { return float(i) * 0.01f; });
    f.matrix->setSourceProducer(3, &ramp, 0);
    f.matrix->setTargetAmount(5, 0.5f);
    f.connect(0, 3, 5, 0.5f);
    auto out = f.block(5, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[size_t(i)], 0.5f + 0.5f * (float(i) * 0.01f));
}

TEST(ModulationMatrix, SumIsClampedOnlyWithSlots) {
    MatrixFixture f;
    f.matrix->setTargetAmount(5, 0.875f);
    auto& base = f.matrix->getTarget(5).base;
    f.e.nextBlock();
    // Without a slot the base block itself is the output.
    const wave::BasicBlock<float>* out = &f.matrix->targetProducer(5)->pull(4);
    EXPECT_EQ(out, &base.getBlock());
    f.e.process(4, 0);
    f.connect(0, 0, 5, 1.0f);
    EXPECT_EQ(f.block(5), std::vector<float>(8, 1.0f));
    f.connect(1, 3, 5, 1.0f); // 0.875 + 0.5 - 1
    EXPECT_EQ(f.block(5), std::vector<float>(8, 0.375f));
}

// Invert negates the contribution in the next block; a negative scale
// swaps the level target's bounds.
TEST(ModulationMatrix, InvertAndScale) {
    MatrixFixture f;
    f.connect(0, 0, 6, 0.5f); // type 0: default scale 2 -> level 0.5 x 2 = 1
    EXPECT_EQ(f.block(6), std::vector<float>(8, 0.5f));
    const auto& level = f.matrix->getTarget(83);
    EXPECT_EQ(level.min, -2.0f);
    EXPECT_EQ(level.max, 2.0f);
    f.matrix->getController().setInverted(0, true);
    EXPECT_EQ(f.block(6), std::vector<float>(8, -0.5f));
    EXPECT_EQ(level.scale, -2.0f);

    // Levels 0..1 x scale.
    MatrixFixture g([](ModulationMatrixLayout& l) { l.targetGroups[2].minFactor = 0.0f; });
    g.connect(0, 1, 6, 1.0f); // type 1 into group 1: 0.5
    EXPECT_EQ(g.matrix->getTarget(83).min, 0.0f);
    EXPECT_EQ(g.matrix->getTarget(83).max, 0.5f);
    g.matrix->getController().setInverted(0, true);
    EXPECT_EQ(g.matrix->getTarget(83).min, -0.5f);
    EXPECT_EQ(g.matrix->getTarget(83).max, 0.0f);
    EXPECT_EQ(g.block(6), std::vector<float>(8, -0.125f));
}

TEST(ModulationMatrix, LevelChangeLandsInNextBlock) {
    MatrixFixture f;
    f.connect(0, 0, 5, 0.5f);
    EXPECT_EQ(f.block(5), std::vector<float>(8, 0.25f));
    f.matrix->getController().setLevel(0, 1.0f);
    EXPECT_EQ(f.block(5), std::vector<float>(8, 0.5f));
}

// Bypass, a missing source or target and every kind of loop add nothing.
TEST(ModulationMatrix, IneffectiveSlotsAddNothing) {
    struct Case {
        const char* name;
        int source, target;
        bool bypass;
    };
    const Case cases[] = {
        {"bypassed", 0, 5, true},
        {"no source", -1, 5, false},
        {"own level", 0, 83, false},
        {"parameter of own source", 0, 0, false},
    };
    for (const Case& c : cases) {
        MatrixFixture f;
        f.connect(0, c.source, c.target, 1.0f);
        f.matrix->getController().setBypassed(0, c.bypass);
        EXPECT_EQ(f.matrix->getSlot(0).state, State::kNotEffective) << c.name;
        EXPECT_FALSE(f.matrix->getController().isSlotEffective(0)) << c.name;
        if (c.target == 5) {
            EXPECT_EQ(f.block(5), std::vector<float>(8, 0.0f)) << c.name;
        }
    }
}

// A loop through another slot's level: the slot that closes it stays out
// until the loop is broken, then counts at once.
TEST(ModulationMatrix, LoopThroughAnotherSlotAndItsBreak) {
    MatrixFixture f;
    f.connect(0, 0, 84, 0.5f); // slot 0 modulates slot 1's level
    f.connect(1, 1, 83, 0.5f); // slot 1 modulates slot 0's level: a loop
    EXPECT_EQ(f.matrix->getSlot(0).state, State::kShared);
    EXPECT_EQ(f.matrix->getSlot(1).state, State::kNotEffective);
    // A slot feeding the source parameter of a slot that feeds it back.
    f.connect(2, 3, 1, 1.0f);
    f.connect(3, 1, 86, 1.0f); // source 1 into slot 2's level, slot 2 into source 1's rate
    EXPECT_EQ(f.matrix->getSlot(3).state, State::kNotEffective);

    f.matrix->getController().setTarget(0, 5);
    EXPECT_EQ(f.matrix->getSlot(1).state, State::kShared);
    // Slot 1 (0.5 x 0.25) now moves slot 0's level: 0.5 + 0.125 = 0.625 x 0.5
    EXPECT_EQ(f.block(5), std::vector<float>(8, (0.5f + 0.5f * 0.25f) * 0.5f));
}

TEST(ModulationMatrix, UnregisteredSourceSumsPerTarget) {
    MatrixFixture f;
    f.matrix->setControllerMode(ModulationMatrix::ControllerMode::kPerTarget);
    test::ConstantSource late(f.e, 0.5f);
    wave::Producer* controller = f.matrix->targetProducer(5);
    f.connect(0, 2, 5, 0.5f);
    EXPECT_EQ(f.matrix->getSlot(0).state, State::kPerTarget);
    EXPECT_FALSE(f.matrix->getTarget(5).noPerTargetSlots);
    f.matrix->setSourceProducer(2, &late, 0);
    EXPECT_EQ(f.matrix->getSlot(0).state, State::kShared);
    EXPECT_EQ(test::runBlock(f.e, *controller, 8), std::vector<float>(8, 0.25f));
    EXPECT_EQ(controller, f.matrix->targetProducer(5));
}

TEST(ModulationMatrix, AudioTargetSumsWithoutBase) {
    MatrixFixture f;
    f.e.nextBlock();
    const wave::BasicBlock<float>* silent = &f.matrix->targetProducer(7)->pull(8);
    EXPECT_EQ(silent, &f.e.getZeroBlock());
    f.e.process(8, 0);
    f.connect(0, 3, 7, 1.0f);
    f.connect(1, 0, 7, 1.0f);
    EXPECT_EQ(f.block(7), std::vector<float>(8, -0.5f));
}

TEST(ModulationMatrix, LockDefersReevaluation) {
    MatrixFixture f;
    f.matrix->lock();
    f.connect(0, 0, 5, 1.0f);
    EXPECT_EQ(f.matrix->getSlot(0).state, State::kNotEffective);
    EXPECT_TRUE(f.matrix->isUpdatePending());
    f.matrix->unlock();
    EXPECT_EQ(f.matrix->getSlot(0).state, State::kShared);
    EXPECT_EQ(f.block(5), std::vector<float>(8, 0.5f));
}

TEST(ModulationMatrix, IndicesOutsideTheirCountsAreIgnored) {
    MatrixFixture f;
    auto& c = f.matrix->getController();
    for (int bad : {-2, 24, 1000}) {
        c.setSource(bad, 0);
        c.setTarget(bad, 5);
        c.setLevel(bad, 1.0f);
        EXPECT_EQ(c.getSource(bad), -1);
        EXPECT_FALSE(c.isSlotEffective(bad));
    }
    c.setSource(0, 99);
    c.setTarget(0, 107);
    EXPECT_EQ(c.getSource(0), -1);
    EXPECT_EQ(c.getTarget(0), -1);
    EXPECT_EQ(f.matrix->targetProducer(107), nullptr);
    f.matrix->setSourceProducer(34, &f.source0, 0);
    f.matrix->setSourceProducer(0, &f.source0, 1);
}

// A slot whose level is modulated by a slot summing per target sums per
// target too: the target controller adds it to the shared block.
TEST(ModulationMatrix, PerTargetSlotsSumInTheTargetController) {
    MatrixFixture f;
    f.matrix->setControllerMode(ModulationMatrix::ControllerMode::kPerTarget);
    wave::Producer* controller = f.matrix->targetProducer(5);
    f.connect(0, 0, 5, 0.5f);  // registered source
    f.connect(1, 2, 83, 0.5f); // unregistered source into slot 0's level
    EXPECT_EQ(f.matrix->getSlot(1).state, State::kPerTarget);
    EXPECT_EQ(f.matrix->getSlot(0).state, State::kPerTarget);
    EXPECT_FALSE(f.matrix->getTarget(5).noPerTargetSlots);
    EXPECT_EQ(test::runBlock(f.e, *controller, 8), std::vector<float>(8, 0.25f));
    // Between blocks the controller's value is computed from the current values.
    f.e.nextBlock();
    EXPECT_EQ(controller->currentValue(), 0.5f * 0.5f);
    f.e.process(8, 0);
    EXPECT_EQ(f.block(5).size(), 8u);
    f.e.nextBlock();
    float shared = f.matrix->getGlobalProducer(5).pull(8).data()[0];
    f.e.process(8, 0);
    EXPECT_EQ(shared, 0.0f); // no shared slot: the base alone
    f.matrix->getController().setSource(1, -1);
    EXPECT_EQ(f.matrix->getSlot(0).state, State::kShared);
    EXPECT_TRUE(f.matrix->getTarget(5).noPerTargetSlots);
}
