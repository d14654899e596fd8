#include "modulation/EnvelopeFollower.h"

#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(EnvelopeFollower, SettlesOnTheDecibelScale) {
    struct Case {
        float db;
        float expected;
    };
    const Case cases[] = {{-6.0206f, (60.0f - 6.0206f) / 60.0f}, {6.0f, 1.1f}, {-70.0f, 0.0f}, {0.0f, 1.0f}};
    for (const Case& c : cases) {
        wave::Environment e;
        e.setSampleRate(48000.0f);
        float amplitude = std::pow(10.0f, c.db / 20.0f);
        test::FunctionSource in(e, [amplitude](long i) { return i % 2 ? amplitude : -amplitude; });
        EnvelopeFollower f(e);
        f.setInput(&in);
        auto out = test::runSamples(e, f, 48000);
        EXPECT_NEAR(out.back(), c.expected, 1e-5f) << c.db;
    }
}

TEST(EnvelopeFollower, StartsLowAndCoversNinetyPercentInTheAttackTime) {
    wave::Environment e;
    e.setSampleRate(48000.0f);
    bool loud = false;
    test::FunctionSource in(e, [&loud](long) { return loud ? 1.0f : 0.0f; });
    EnvelopeFollower f(e);
    f.setInput(&in);
    f.attackTime.setValue(0.01f);
    auto first = test::runBlock(e, f, 4);
    EXPECT_LT(first[0], -2.0f); // rising from -180 on the "above -60 dB" scale
    test::runSamples(e, f, 48000);
    EXPECT_NEAR(f.getLevel(), 0.0f, 1e-4f);
    loud = true;
    auto step = test::runSamples(e, f, 481);
    EXPECT_NEAR(step[479], 0.9f, 2e-4f); // 480 samples: 90 %
    EXPECT_LT(step[400], 0.9f);
}

TEST(EnvelopeFollower, OutputGainScalesTheBlock) {
    wave::Environment e;
    test::ConstantSource in(e, 1.0f);
    EnvelopeFollower f(e);
    f.setInput(&in);
    f.outputGain.getParameter().setValue(-2.0f, 0.0f);
    auto out = test::runSamples(e, f, 44100);
    EXPECT_NEAR(out.back(), -2.0f, 1e-4f);
}

// After a reset, and after being switched off and on again, the follower
// follows as a new one does: no level of what it heard before is left.
TEST(EnvelopeFollower, AResetOrASwitchBackOnStartsItLowAgain) {
    auto quiet = [](long i) { return 0.01f * static_cast<float>(i % 7) - 0.03f; };
    wave::Environment freshEnvironment;
    freshEnvironment.setSampleRate(48000.0f);
    test::FunctionSource freshInput(freshEnvironment, quiet);
    EnvelopeFollower fresh(freshEnvironment);
    fresh.setInput(&freshInput);
    fresh.releaseTime.setValue(0.4f);
    const auto expected = test::runSamples(freshEnvironment, fresh, 4800);

    for (bool reset : {true, false}) {
        SCOPED_TRACE(reset ? "reset" : "switched off and on");
        wave::Environment e;
        e.setSampleRate(48000.0f);
        long start = -1;
        test::FunctionSource in(e, [&](long i) { return start < 0 ? 1.0f : quiet(i - start); });
        EnvelopeFollower f(e);
        f.setInput(&in);
        f.releaseTime.setValue(0.4f);
        test::runSamples(e, f, 9600);
        ASSERT_GT(f.getLevel(), 50.0f);
        if (reset) {
            e.reset(wave::Environment::kResetActive);
        } else {
            f.setActive(false);
            f.setActive(true);
        }
        start = static_cast<long>(e.getSamplePosition());
        const auto out = test::runSamples(e, f, 4800);
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(out[i], expected[i]) << i;
    }
}
