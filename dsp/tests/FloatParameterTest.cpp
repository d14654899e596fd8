#include "dsp/FloatParameter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using wave::Environment;

// A parameter at 48 kHz that was rendered in the block that just ended, so
// that the next change glides.
struct Rendered : ::testing::Test {
    Rendered() {
        e.setSampleRate(48000.0f);
        block(64);
    }
    // One block: render the parameter, then let time pass.
    const wave::BasicBlock<float>& block(int count) {
        e.nextBlock();
        const wave::BasicBlock<float>& b = p.advanceBlock(count);
        e.process(count, 0);
        return b;
    }
    Environment e;
    FloatParameter p{e, 0.0f};
};

TEST_F(Rendered, GlideTimeFollowsTheSizeOfTheChange) {
    p.setValue(1.0f);
    EXPECT_EQ(p.getRampLength(), 960) << "a full-range change glides 20 ms";
    block(128);
    p.setValue(0.0f, 0.0f);
    block(128);
    p.setValue(1.0e-4f);
    EXPECT_EQ(p.getRampLength(), 7195) << "a ten-thousandth of the range glides just under 150 ms";
}

TEST_F(Rendered, GlideRampsLinearlyToTheTargetAndThenHoldsIt) {
    p.setValue(1.0f);
    int rendered = 0;
    float previous = -1.0f;
    while (p.isRamping()) {
        const wave::BasicBlock<float>& b = block(128);
        EXPECT_FALSE(b.isConstant());
        for (int i = 0; i < 128; ++i) {
            EXPECT_GE(b.data()[i], previous);
            previous = b.data()[i];
        }
        rendered += 128;
    }
    EXPECT_EQ(rendered, 1024);
    EXPECT_EQ(previous, 1.0f) << "the samples after the 960-sample ramp hold the target";
    const wave::BasicBlock<float>& after = block(128);
    EXPECT_TRUE(after.isConstant());
    EXPECT_EQ(after.data()[127], 1.0f);
}

// A settled value fills every sample of blocks of any size, in any order,
// and each block counts as rendered: a change right after a short block
// glides.
TEST_F(Rendered, SettledValueHoldsAndCountsAsRenderedAtEveryBlockSize) {
    p.setValue(0.5f, 0.0f);
    for (int count : {128, 16, 64, 128, 4}) {
        SCOPED_TRACE(count);
        const wave::BasicBlock<float>& b = block(count);
        EXPECT_TRUE(b.isConstant());
        EXPECT_EQ(b.data()[0], 0.5f);
        EXPECT_EQ(b.data()[count - 1], 0.5f);
    }
    p.setValue(1.0f);
    EXPECT_EQ(p.getRampLength(), 960) << "half the range glides 20 ms";
}

TEST_F(Rendered, JumpsInsteadOfGliding) {
    struct Case {
        const char* name;
        int resetMode;  // -1 none
        int idleBlocks; // blocks in which nobody renders the parameter
        float time;
    };
    const Case cases[] = {
        {"not rendered in the last block", -1, 1, -1.0f},
        {"after a light reset", Environment::kResetLight, 0, -1.0f},
        {"after a full reset", Environment::kResetActive, 0, -1.0f},
        {"time 0", -1, 0, 0.0f},
    };
    float value = 0.0f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        block(32);
        if (c.resetMode >= 0) e.reset(c.resetMode);
        for (int i = 0; i < c.idleBlocks; ++i) {
            e.nextBlock();
            e.process(32, 0);
        }
        value = value == 0.0f ? 0.75f : 0.0f;
        p.setValue(value, c.time);
        EXPECT_FALSE(p.isRamping());
        const wave::BasicBlock<float>& b = block(32);
        EXPECT_TRUE(b.isConstant());
        EXPECT_EQ(b.data()[0], value);
        EXPECT_EQ(b.data()[31], value);
    }
}

TEST_F(Rendered, WrappedValueGlidesTheShortWayRound) {
    p.setLimits(-1.0f, 2.0f);
    p.setValue(0.9f, 0.0f);
    block(64);
    p.wrapPeriod.setValue(1.0f);
    p.setValue(0.1f);
    const wave::BasicBlock<float>& b = block(128);
    EXPECT_NEAR(b.data()[0], -0.1f, 1e-6f);
    EXPECT_GT(b.data()[1], b.data()[0]) << "upwards, not down from 0.9";
    while (p.isRamping())
        block(128);
    EXPECT_EQ(block(16).data()[0], 0.1f);
}

TEST_F(Rendered, ChangeWithinEpsilonLeavesTheGlideAlone) {
    p.setValue(1.0f);
    block(100);
    int length = p.getRampLength();
    p.setValue(1.0f - 1.0e-7f);
    EXPECT_EQ(p.getRampLength(), length);
    EXPECT_EQ(p.getTarget(), 1.0f);
    EXPECT_TRUE(p.isRamping());
}

TEST_F(Rendered, SkippedTimeAdvancesTheGlide) {
    p.setValue(1.0f); // 960 samples
    block(64);
    // 256 samples pass unrendered.
    for (int i = 0; i < 2; ++i) {
        e.nextBlock();
        e.process(128, 0);
    }
    const wave::BasicBlock<float>& b = block(64);
    EXPECT_NEAR(b.data()[0], (64.0f + 256.0f) / 960.0f, 1e-6f);
}

TEST_F(Rendered, NonNumbersAndInfinitiesClampToTheLimits) {
    p.setLimits(-2.0f, 3.0f);
    struct Case {
        float in, expected;
    };
    const float inf = std::numeric_limits<float>::infinity();
    for (Case c : {Case{std::numeric_limits<float>::quiet_NaN(), -2.0f}, Case{inf, 3.0f}, Case{-inf, -2.0f},
                   Case{7.0f, 3.0f}, Case{-7.0f, -2.0f}}) {
        p.setValue(0.5f, 0.0f);
        block(16);
        p.setValue(c.in);
        EXPECT_EQ(p.getTarget(), c.expected) << c.in;
        while (p.isRamping())
            block(128);
        const wave::BasicBlock<float>& b = block(16);
        EXPECT_EQ(b.data()[15], c.expected) << c.in;
    }
}

TEST_F(Rendered, LimitChanges) {
    // Limits that move the target cancel the glide: the clamped value holds at once.
    p.setValue(1.0f);
    block(64);
    p.setLimits(0.0f, 0.25f);
    EXPECT_FALSE(p.isRamping());
    const wave::BasicBlock<float>& b = block(64);
    EXPECT_TRUE(b.isConstant());
    EXPECT_EQ(b.data()[0], 0.25f);

    // Limits that keep the target leave the glide running.
    p.setLimits(-1.0f, 1.0f);
    p.setValue(-1.0f);
    block(64);
    int length = p.getRampLength();
    p.setLimits(-1.0f, 5.0f);
    EXPECT_TRUE(p.isRamping());
    EXPECT_EQ(p.getRampLength(), length);

    // The span is what a change is measured against: 0.15 of a span of 0.5 is large.
    p.setLimits(-1.0f, 1.0f, 0.5f);
    p.setValue(0.0f, 0.0f);
    block(64);
    p.setValue(0.15f);
    EXPECT_EQ(p.getRampLength(), 960);
    // A span not above 0 counts every change as large.
    p.setSpan(0.0f);
    while (p.isRamping())
        block(128);
    p.setValue(0.151f);
    EXPECT_EQ(p.getRampLength(), 960);
}

TEST(FloatParameterBus, ApplyGain) {
    Environment e;
    FloatParameterBus bus(e, 1.0f);
    std::vector<float> in(37, 2.0f), out(37, -1.0f);
    e.nextBlock();
    EXPECT_FALSE(bus.applyGain(in.data(), out.data(), 37));
    EXPECT_EQ(out[0], -1.0f) << "nothing written at unity gain";
    e.process(37, 0);

    bus.getParameter().setValue(0.25f, 0.0f);
    e.nextBlock();
    EXPECT_TRUE(bus.applyGain(in.data(), out.data(), 37));
    for (float v : out)
        EXPECT_EQ(v, 0.5f);
    e.process(37, 0);

    // A gliding gain multiplies sample by sample.
    bus.setValue(1.0f);
    e.nextBlock();
    EXPECT_TRUE(bus.applyGain(in.data(), out.data(), 37));
    EXPECT_EQ(out[0], 0.5f);
    EXPECT_GT(out[36], out[0]);
    const wave::BasicBlock<float>& gain = bus.getParameter().getBlock();
    for (int i = 0; i < 37; ++i)
        EXPECT_EQ(out[i], 2.0f * gain.data()[i]);
}

// A source hands on its settled parameter's block without computing it
// (the block is held). Driven beside a parameter rendered directly, through
// settled stretches, growing and shrinking blocks, changes, limits, skipped
// blocks and resets, it gives the same samples and the same glides.
TEST(FloatParameterSource, HeldBlockMatchesTheRenderedParameter) {
    Environment e;
    e.setSampleRate(48000.0f);
    FloatParameter direct(e, 0.25f);
    FloatParameterSource source(e, 0.25f);
    enum Step { kBlock, kIdle, kSet, kSetTimed, kLimits, kLightReset, kFullReset };
    struct Action {
        Step step;
        float value; // a block's size, or the value set
    };
    const Action script[] = {
        {kBlock, 64},    {kBlock, 64},    {kBlock, 16},  {kBlock, 128},     {kSet, 0.75f}, {kBlock, 32},
        {kBlock, 128},   {kBlock, 128},   {kBlock, 8},   {kSet, 0.7f},      {kBlock, 64},  {kIdle, 64},
        {kSet, 0.1f},    {kBlock, 64},    {kBlock, 128}, {kSetTimed, 0.9f}, {kBlock, 48},  {kBlock, 48},
        {kLimits, 0.5f}, {kBlock, 16},    {kSet, 0.2f},  {kLightReset, 0},  {kBlock, 32},  {kSet, 0.4f},
        {kBlock, 32},    {kFullReset, 0}, {kSet, 0.3f},  {kBlock, 128},     {kBlock, 128}, {kSet, 0.35f},
        {kBlock, 100},   {kBlock, 100},
    };
    for (FloatParameter* p : {&direct, &source.getParameter()})
        p->setLimits(0.0f, 1.0f);
    int index = 0;
    for (const Action& a : script) {
        SCOPED_TRACE(index++);
        const int count = static_cast<int>(a.value);
        switch (a.step) {
        case kBlock: {
            e.nextBlock();
            const wave::BasicBlock<float>& expected = direct.advanceBlock(count);
            const wave::BasicBlock<float>& held = source.pull(count);
            const wave::BasicBlock<float>& again = source.pull(count);
            EXPECT_EQ(&held, &again);
            EXPECT_EQ(held.isConstant(), expected.isConstant());
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(held.data()[i], expected.data()[i]) << "sample " << i;
            e.process(count, 0);
            break;
        }
        case kIdle:
            e.nextBlock();
            e.process(count, 0);
            break;
        case kSet:
        case kSetTimed:
            direct.setValue(a.value, a.step == kSetTimed ? 5.0f : -1.0f);
            source.getParameter().setValue(a.value, a.step == kSetTimed ? 5.0f : -1.0f);
            EXPECT_EQ(source.getParameter().getRampLength(), direct.getRampLength());
            break;
        case kLimits:
            direct.setLimits(0.0f, a.value);
            source.getParameter().setLimits(0.0f, a.value);
            break;
        case kLightReset:
            e.reset(Environment::kResetLight);
            break;
        case kFullReset:
            e.reset(Environment::kResetActive);
            break;
        }
    }
}

TEST(FloatParameterSource, ForwardersRenderTheSameParameter) {
    Environment e;
    FloatParameterSource source(e, 0.0f);
    source.setValue(0.5f);
    e.nextBlock();
    EXPECT_EQ(source.pull(8).data()[7], 0.5f);
    FloatParameterForwarder forwarder(e, source.getParameter());
    EXPECT_EQ(forwarder.currentValue(), 0.5f);
    EXPECT_EQ(source.getParameter().getMaximum(), 1.0f);
    EXPECT_EQ(source.getParameter().getMinimum(), 0.0f);
}

} // namespace
