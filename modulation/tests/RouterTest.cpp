#include "modulation/Router.h"

#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

namespace {
struct RouterFixture : ::testing::Test {
    RouterFixture() { e.setSampleRate(48000.0f); }
    wave::Environment e;
    test::ConstantSource zero{e, 1.0f};
    test::ConstantSource one{e, 10.0f};
};
} // namespace

// A new router passes input 0 alone, from the first block.
TEST_F(RouterFixture, StartsOnInputZeroOnly) {
    Router r(e, 2);
    r.setInputProducer(0, &zero);
    r.setInputProducer(1, &one);
    e.nextBlock();
    const wave::BasicBlock<float>* out = &r.pull(8);
    EXPECT_EQ(out, &zero.getCurrentBlock());
    e.process(8, 0);
    EXPECT_EQ(r.getPassThrough(), &zero);
}

// A switch crossfades over exactly 960 samples at 48 kHz (20 ms), also
// after a long stretch of pass-through, then forwards the new input.
TEST_F(RouterFixture, SwitchCrossfadesOver960Samples) {
    Router r(e, 2);
    r.setInputProducer(0, &zero);
    r.setInputProducer(1, &one);
    test::runSamples(e, r, 128 * 20); // passing through
    for (int selection : {1, 0}) {
        r.selectedInput.setValue(selection);
        auto out = test::runSamples(e, r, 1024);
        float from = selection == 1 ? 1.0f : 10.0f;
        float to = selection == 1 ? 10.0f : 1.0f;
        EXPECT_FLOAT_EQ(out[0], from);
        EXPECT_NEAR(out[480], (from + to) * 0.5f, 1e-3f);
        EXPECT_NE(out[959], to);
        EXPECT_FLOAT_EQ(out[960], to);
        e.nextBlock();
        const wave::BasicBlock<float>* forwarded = &r.pull(64);
        EXPECT_EQ(forwarded, selection == 1 ? &one.getCurrentBlock() : &zero.getCurrentBlock());
        e.process(64, 0);
        test::runSamples(e, r, 128 * 10);
    }
}
