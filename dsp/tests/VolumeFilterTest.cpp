#include "dsp/VolumeFilter.h"

#include "dsp/FloatParameter.h"
#include "dsp/tests/GraphFixtures.h"

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

} // namespace
