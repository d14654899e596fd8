#include "GraphFixtures.h"

#include "dsp/FloatParameter.h"
#include "dsp/MidSideConverter.h"
#include "dsp/VolumeFilter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using test::CountingSource;
using wave::Environment;

class Muting : public wave::MuteController {
public:
    bool isMuted() const override { return muted; }
    bool muted = false;
};

// Writes 0, 1, 2 ... and counts its computations.
class RampSource : public wave::Source {
public:
    explicit RampSource(Environment& e, float step = 1.0f) : wave::Source(e), step(step) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        ++computed;
        for (int i = 0; i < count; ++i)
            block->data()[i] = step * static_cast<float>(i);
        block->setConstant(false);
    }
    float step;
    int computed = 0;
};

struct Volume : ::testing::Test {
    Environment e;
    RampSource input{e};
    VolumeFilter volume{e};
    Volume() { volume.setInput(&input); }
    const wave::BasicBlock<float>& run(int count = 40) {
        e.nextBlock();
        const wave::BasicBlock<float>& out = volume.pull(count);
        e.process(count, 0);
        return out;
    }
};

TEST_F(Volume, UnityGainHandsOnTheInputBlock) {
    const wave::BasicBlock<float>& out = run();
    EXPECT_EQ(&out, &input.getCurrentBlock());
}

TEST_F(Volume, MutedOutputsTheZeroBlockWithoutPullingTheInput) {
    Muting mute;
    mute.muted = true;
    volume.setMuteController(&mute);
    EXPECT_EQ(&run(), &e.getZeroBlock());
    EXPECT_EQ(input.computed, 0);
    mute.muted = false;
    const wave::BasicBlock<float>& out = run();
    EXPECT_EQ(&out, &input.getCurrentBlock());
    EXPECT_EQ(input.computed, 1);
}

TEST_F(Volume, ConstantZeroGainOutputsTheZeroBlock) {
    volume.getGainSource().getParameter().setValue(0.0f, 0.0f);
    EXPECT_EQ(&run(), &e.getZeroBlock());
}

TEST_F(Volume, GainsMultiply) {
    volume.getGainSource().getParameter().setValue(0.5f, 0.0f);
    const wave::BasicBlock<float>& half = run();
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(half.data()[i], 0.5f * static_cast<float>(i));

    // A second gain: with unity first gain the input times the second gain.
    FloatParameterSource second(e, 0.25f);
    volume.setSecondGain(&second);
    volume.getGainSource().getParameter().setValue(1.0f, 0.0f);
    const wave::BasicBlock<float>& quarter = run();
    EXPECT_NE(&quarter, &input.getCurrentBlock());
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(quarter.data()[i], 0.25f * static_cast<float>(i));

    volume.getGainSource().getParameter().setValue(0.5f, 0.0f);
    const wave::BasicBlock<float>& both = run();
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(both.data()[i], 0.125f * static_cast<float>(i));

    // A gliding gain multiplies sample by sample.
    volume.setSecondGain(nullptr);
    volume.getGainSource().setValue(1.0f);
    const wave::BasicBlock<float>& gliding = run();
    const float* g = volume.getGainSource().getCurrentBlock().data();
    EXPECT_FALSE(volume.getGainSource().getCurrentBlock().isConstant());
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(gliding.data()[i], g[i] * static_cast<float>(i));
}

class Constant : public wave::Source {
public:
    Constant(Environment& e, float value) : wave::Source(e), value(value) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        for (int i = 0; i < count; ++i)
            block->data()[i] = value;
        block->setConstant(true);
    }
    float value;
};

TEST(MidSideConverter, ConvertsAndConvertsBack) {
    Environment e;
    Constant left(e, 1.0f), right(e, 0.0f);
    MidSideConverter encode(e, MidSideConverter::kToMidSide), decode(e, MidSideConverter::kToLeftRight);
    encode.setInput(0, &left);
    encode.setInput(1, &right);
    decode.setInput(0, &encode.getOutput(0));
    decode.setInput(1, &encode.getOutput(1));
    e.nextBlock();
    const wave::BasicBlock<float>& l = decode.getOutput(0).pull(9);
    const wave::BasicBlock<float>& r = decode.getOutput(1).pull(9);
    EXPECT_EQ(encode.getOutput(0).getCurrentBlock().data()[8], 0.5f);
    EXPECT_EQ(encode.getOutput(1).getCurrentBlock().data()[8], -0.5f);
    EXPECT_TRUE(encode.getOutput(0).getCurrentBlock().isConstant());
    EXPECT_EQ(l.data()[8], 1.0f);
    EXPECT_EQ(r.data()[8], 0.0f);
    e.process(9, 0);

    encode.conversion.setValue(MidSideConverter::kNone);
    e.nextBlock();
    EXPECT_EQ(&encode.getOutput(0).pull(9), &left.getCurrentBlock());
    EXPECT_EQ(&encode.getOutput(1).pull(9), &right.getCurrentBlock());
}

} // namespace
