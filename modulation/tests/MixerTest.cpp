#include "modulation/Mixer.h"

#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct MixerFixture {
    wave::Environment e;
    float a[4] = {0.5f, -2.0f, 0.0f, 3.0f};
    float b[4] = {0.25f, 4.0f, 0.0f, -1.0f};
    float c[4] = {2.0f, 2.0f, 2.0f, 2.0f};
};

test::FunctionSource* pattern(wave::Environment& e, const float* values,
                              std::vector<std::unique_ptr<test::FunctionSource>>& keep) {
    keep.push_back(std::make_unique<test::FunctionSource>(e, [values](long i) { return values[i % 4]; }));
    return keep.back().get();
}

} // namespace

// Every operation over the same three inputs (gains 1, 0.5, 1): the first
// input starts y, the others combine by the rule.
TEST(Mixer, OperationsCombineFurtherInputs) {
    MixerFixture f;
    std::vector<std::unique_ptr<test::FunctionSource>> keep;
    struct Case {
        Mixer::Operation op;
        std::vector<float> expected;
    };
    // s0 = a, x1 = b * 0.5, x2 = c
    const std::vector<Case> cases = {
        {Mixer::Operation::kAdd, {2.625f, 2.0f, 2.0f, 4.5f}},
        {Mixer::Operation::kSubtract, {-1.625f, -6.0f, -2.0f, 1.5f}},
        {Mixer::Operation::kMaxAbs, {2.0f, 2.0f, 2.0f, 3.0f}},
        {Mixer::Operation::kMultiply, {0.125f, -8.0f, 0.0f, -3.0f}},
        // |a| / |x1| limited to [0,1], 0 where x1 = 0; then / 2
        {Mixer::Operation::kRatioLimited, {0.5f, 0.5f, 0.0f, 0.5f}},
        {Mixer::Operation::kRatio, {2.0f, 0.5f, 0.5f, 3.0f}},
        {Mixer::Operation::kMax, {2.0f, 2.0f, 2.0f, 3.0f}},
        {Mixer::Operation::kMin, {0.125f, -2.0f, 0.0f, -0.5f}},
        {static_cast<Mixer::Operation>(9), {0.5f, 2.0f, 0.0f, 3.0f}},
    };
    for (const Case& k : cases) {
        Mixer m(f.e, 3);
        m.setGainRange(0.0f, 1.0f);
        m.operation.setValue(k.op);
        m.setInputSignal(0, pattern(f.e, f.a, keep));
        m.setInputSignal(1, pattern(f.e, f.b, keep));
        m.setInputSignal(2, pattern(f.e, f.c, keep));
        m.getInput(1).gain.setValue(0.5f);
        auto out = test::runBlock(f.e, m, 4);
        for (int i = 0; i < 4; ++i) {
            float expected = k.expected[static_cast<size_t>(i)];
            if (k.op == static_cast<Mixer::Operation>(9)) expected = f.a[i];
            EXPECT_FLOAT_EQ(out[static_cast<size_t>(i)], expected)
                << "operation " << int(k.op) << " sample " << i;
        }
    }
}

// Operation 6 holds the previous group's ratio where the divisor vanishes,
// across blocks too.
TEST(Mixer, KeptRatioCarriesAcrossBlocks) {
    wave::Environment e;
    test::FunctionSource num(e, [](long) { return 3.0f; });
    // divisor: 2 in the first block, 0 from the second
    test::FunctionSource den(e, [](long i) { return i < 8 ? 2.0f : 0.0f; });
    Mixer m(e, 2);
    m.operation.setValue(Mixer::Operation::kRatioKept);
    m.setInputSignal(0, &num);
    m.setInputSignal(1, &den);
    auto first = test::runBlock(e, m, 8);
    for (float v : first)
        EXPECT_FLOAT_EQ(v, 1.5f);
    EXPECT_FLOAT_EQ(m.getKeptRatio(), 1.5f);
    auto second = test::runBlock(e, m, 8);
    for (float v : second)
        EXPECT_FLOAT_EQ(v, 1.5f);
}

TEST(Mixer, FastSumAndGeneralPath) {
    wave::Environment e;
    test::ConstantSource x(e, 0.25f);
    test::FunctionSource y(e, [](long i) { return float(i); });
    Mixer m(e, 2);
    m.setInputSignal(0, &x);
    m.setInputSignal(1, &y);
    EXPECT_TRUE(m.isFastSum());
    auto sum = test::runBlock(e, m, 4);
    EXPECT_EQ(sum, (std::vector<float>{0.25f, 1.25f, 2.25f, 3.25f}));

    // One input unconnected: the general path, the other input times its gain.
    m.setInputSignal(0, nullptr);
    EXPECT_FALSE(m.isFastSum());
    m.getInput(1).gain.getParameter().setValue(0.5f, 0.0f);
    auto general = test::runBlock(e, m, 4);
    EXPECT_EQ(general, (std::vector<float>{2.0f, 2.5f, 3.0f, 3.5f}));
}

// A single unity input is handed on as its own block; silent gains are skipped.
TEST(Mixer, PassesSingleUnityInputThrough) {
    wave::Environment e;
    test::FunctionSource x(e, [](long i) { return float(i) * 0.5f; });
    test::FunctionSource y(e, [](long) { return 100.0f; });
    Mixer m(e, 2);
    m.setInputSignal(0, &x);
    m.setInputSignal(1, &y);
    m.getInput(1).gain.getParameter().setValue(0.0f, 0.0f);
    e.nextBlock();
    const wave::BasicBlock<float>& out = m.pull(16);
    const wave::BasicBlock<float>* passed = &out;
    EXPECT_EQ(passed, &x.getCurrentBlock());
    e.process(16, 0);
}

TEST(Mixer, ManyInputsSumInGroups) {
    wave::Environment e;
    std::vector<std::unique_ptr<test::ConstantSource>> sources;
    Mixer m(e, 7);
    for (int i = 0; i < 7; ++i) {
        sources.push_back(std::make_unique<test::ConstantSource>(e, float(1 << i)));
        m.setInputSignal(i, sources.back().get());
    }
    e.nextBlock();
    const wave::BasicBlock<float>& out = m.pull(8);
    EXPECT_TRUE(out.isConstant());
    EXPECT_EQ(out.data()[0], 127.0f);
    EXPECT_EQ(out.data()[7], 127.0f);
    e.process(8, 0);
}

TEST(Mixer, InputCountChangesKeepGainRange) {
    wave::Environment e;
    Mixer m(e, 1);
    m.setGainRange(0.0f, 2.0f);
    m.inputCount.setValue(3);
    ASSERT_EQ(m.getNumInputs(), 3);
    m.getInput(2).gain.setValue(5.0f);
    EXPECT_EQ(m.getInput(2).gain.getParameter().getTarget(), 2.0f);
    m.inputCount.setValue(0);
    EXPECT_EQ(m.getNumInputs(), 0);
    auto out = test::runBlock(e, m, 4);
    EXPECT_EQ(out, std::vector<float>(4, 0.0f));
    m.setInputSignal(5, nullptr); // ignored
}
