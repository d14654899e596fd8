#include "effect/FiniteInput.h"

#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

#include <limits>

// Finite input passes as its own block; NaN and infinities read as 0.
TEST(FiniteInput, NonFiniteSamplesReadAsZero) {
    wave::Environment e;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> samples = {0.5f, -1e30f, 3.0f, 1e-40f, -2.0f, 7.0f, 0.0f, 1.0f};
    wave::Input input(e);
    FiniteInput finite(e);
    finite.setInput(&input);
    input.setSource(samples.data(), 8);
    e.nextBlock();
    const wave::BasicBlock<float>& first = finite.pull(8);
    EXPECT_EQ(&first, &input.getCurrentBlock());
    e.process(8, 0);

    samples[1] = nan;
    samples[4] = inf;
    samples[6] = -inf;
    input.setSource(samples.data(), 8);
    e.nextBlock();
    const wave::BasicBlock<float>& out = finite.pull(8);
    const float expected[] = {0.5f, 0.0f, 3.0f, 1e-40f, 0.0f, 7.0f, 0.0f, 1.0f};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out.data()[i], expected[i]) << i;
}
