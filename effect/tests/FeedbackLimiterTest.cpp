#include "effect/FeedbackLimiter.h"

#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

namespace {
struct LimiterFixture : ::testing::Test {
    wave::Environment e;
    test::FunctionSource line{e, [](long i) { return static_cast<float>(i % 7) - 3.0f; }};
    test::ConstantSource filtered{e, 2.0f};
    test::FunctionSource numerator{e, [](long) { return 0.5f; }, true};
    test::FunctionSource denominator{e, [](long) { return 2.0f; }, true};
};
} // namespace

// Fed the line's own block (filters passing), the levels are not pulled and
// only the sign applies; fed anything else, the level ratio limits the gain.
TEST_F(LimiterFixture, SkipsTheLevelsOnlyForTheUnfilteredBlock) {
    FeedbackLimiter limiter(e, &line);
    limiter.setNumeratorLevel(&numerator);
    limiter.setDenominatorLevel(&denominator);
    limiter.gain.getParameter().setLimits(-1.0f, 1.0f);
    limiter.gain.setValue(-1.0f);
    limiter.setInput(&line);
    std::vector<float> out = test::runBlock(e, limiter, 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(out[static_cast<std::size_t>(i)], 3.0f - static_cast<float>(i % 7)) << i;
    EXPECT_EQ(numerator.runs + denominator.runs, 0);

    limiter.setInput(&filtered);
    out = test::runBlock(e, limiter, 16);
    for (float x : out)
        EXPECT_FLOAT_EQ(x, 2.0f * 0.25f * -1.0f);
    EXPECT_EQ(numerator.runs, 1);
}
