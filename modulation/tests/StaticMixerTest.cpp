#include "modulation/StaticMixer.h"

#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

TEST(StaticMixer, SumsGainsTimesInputs) {
    wave::Environment e;
    test::FunctionSource x(e, [](long i) { return float(i); });
    test::ConstantSource y(e, 2.0f);
    StaticMixer m(e);
    m.addPair(1.0f, &x);
    m.addPair(0.5f, &y);
    m.addPair(3.0f, nullptr);
    EXPECT_EQ(test::runBlock(e, m, 4), (std::vector<float>{1.0f, 2.0f, 3.0f, 4.0f}));
}

TEST(StaticMixer, SingleUnityPairIsForwarded) {
    wave::Environment e;
    test::FunctionSource x(e, [](long i) { return float(i); });
    StaticMixer m(e);
    m.addPair(1.0f, &x);
    e.nextBlock();
    const wave::BasicBlock<float>* out = &m.pull(8);
    EXPECT_EQ(out, &x.getCurrentBlock());
    e.process(8, 0);
}

TEST(StaticMixer, ConstantInputsAndNoInputs) {
    wave::Environment e;
    test::ConstantSource x(e, 2.0f), y(e, 3.0f);
    StaticMixer m(e);
    m.addPair(0.5f, &x);
    m.addPair(2.0f, &y);
    e.nextBlock();
    const wave::BasicBlock<float>& out = m.pull(6);
    EXPECT_TRUE(out.isConstant());
    EXPECT_EQ(out.data()[5], 7.0f);
    e.process(6, 0);

    StaticMixer empty(e);
    e.nextBlock();
    const wave::BasicBlock<float>* silent = &empty.pull(6);
    EXPECT_EQ(silent, &e.getZeroBlock());
    e.process(6, 0);
}
