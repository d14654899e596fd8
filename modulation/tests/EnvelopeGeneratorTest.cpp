#include "modulation/EnvelopeGenerator.h"

#include "modulation/Trigger.h"
#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
struct EgFixture {
    EgFixture() {
        e.setSampleRate(48000.0f);
        eg = std::make_unique<EnvelopeGenerator>(e);
    }
    std::vector<float> run(int samples) { return test::runSamples(e, *eg, samples); }
    wave::Environment e;
    std::unique_ptr<EnvelopeGenerator> eg;
};
} // namespace

// Delay and attack last ceil4(time x rate) samples; the decay starts on the
// sample after the attack, at the top of its span.
TEST(EnvelopeGenerator, StageBoundaries) {
    EgFixture f;
    f.eg->delayTime.setValue(0.001f);   // 48 samples
    f.eg->attackTime.setValue(0.0011f); // 52.8 -> 52 -> 52
    f.eg->decayTime.setValue(0.01f);
    f.eg->sustainLevel.setValue(0.5f);
    f.eg->noteOn();
    auto out = f.run(128);
    for (int i = 0; i <= 48; ++i)
        EXPECT_EQ(out[size_t(i)], 0.0f) << i;
    EXPECT_GT(out[49], 0.0f);
    EXPECT_LT(out[99], 0.9999999f);
    EXPECT_FLOAT_EQ(out[100], 0.9999999f);
    EXPECT_LT(out[101], out[100]);
    EXPECT_EQ(f.eg->getState(), EnvelopeGenerator::State::kRunning);
}

TEST(EnvelopeGenerator, RestLevelsOfBothRanges) {
    for (auto range : {EnvelopeGenerator::Range::kAbsolute, EnvelopeGenerator::Range::kRelativeToSustain}) {
        EgFixture f;
        f.eg->sustainLevel.setValue(0.25f);
        f.eg->range.setValue(range);
        bool relative = range == EnvelopeGenerator::Range::kRelativeToSustain;
        auto rest = f.run(64);
        EXPECT_EQ(rest.back(), relative ? -0.25f : 0.0f);
        f.eg->noteOn();
        auto sustain = f.run(256);
        EXPECT_FLOAT_EQ(sustain.back(), relative ? 0.0f : 0.25f);
        f.eg->noteOff();
        auto released = f.run(64);
        EXPECT_EQ(released.back(), relative ? -0.25f : 0.0f);
    }
}

TEST(EnvelopeGenerator, RetriggerStartsFromCurrentOrRest) {
    for (auto mode :
         {EnvelopeGenerator::RetriggerMode::kFromCurrent, EnvelopeGenerator::RetriggerMode::kFromRest}) {
        EgFixture f;
        f.eg->retriggerMode.setValue(mode);
        f.eg->attackTime.setValue(0.01f);
        f.eg->sustainLevel.setValue(0.5f);
        f.eg->noteOn();
        f.run(2048);
        f.eg->noteOn();
        auto out = f.run(8);
        EXPECT_FLOAT_EQ(out[0], mode == EnvelopeGenerator::RetriggerMode::kFromCurrent ? 0.5f : 0.0f);
    }
}

// A trigger event 10 samples into a block acts at sample 8.
TEST(EnvelopeGenerator, TriggerEventsLandOnMultiplesOfFour) {
    EgFixture f;
    test::FunctionSource level(f.e, [](long i) { return i >= 10 ? 1.0f : 0.0f; });
    Trigger trigger(f.e);
    trigger.setInput(&level);
    f.eg->setTrigger(&trigger);
    auto out = f.run(16);
    EXPECT_EQ(out[7], 0.0f);
    EXPECT_FLOAT_EQ(out[8], 0.9999999f); // attack 0: the decay starts at once
}

// A reset starts a level-triggered envelope off as a new one: a level that
// was already above the threshold before the reset triggers it again at once.
TEST(EnvelopeGenerator, AfterAResetALoudLevelTriggersItAgain) {
    EgFixture f;
    f.eg->sustainLevel.setValue(0.5f);
    test::ConstantSource level(f.e, 1.0f);
    Trigger trigger(f.e);
    trigger.setInput(&level);
    f.eg->setTrigger(&trigger);
    auto out = f.run(4800);
    ASSERT_FLOAT_EQ(out.back(), 0.5f);
    ASSERT_TRUE(trigger.isOn());
    f.e.reset(wave::Environment::kResetActive);
    EXPECT_FALSE(trigger.isOn());
    out = f.run(256);
    EXPECT_FLOAT_EQ(out[0], 0.9999999f); // attack 0: at the top at once
    EXPECT_FLOAT_EQ(out.back(), 0.5f);
}

// Hold 0.5 s, gate closed after 0.1 s: the envelope releases 0.5 s after the
// trigger; with the latch it never releases.
TEST(EnvelopeGenerator, HoldAndLatch) {
    for (bool latch : {false, true}) {
        EgFixture f;
        f.eg->holdTime.setValue(0.5f);
        f.eg->sustainLevel.setValue(0.5f);
        f.eg->releaseTime.setValue(0.01f);
        f.eg->latch.setValue(latch);
        f.eg->noteOn();
        f.run(4800);
        f.eg->noteOff();
        auto out = f.run(24000 - 4800 + 256);
        size_t at = 24000 - 4800;
        EXPECT_FLOAT_EQ(out[at - 1], 0.5f);
        if (latch) {
            EXPECT_FLOAT_EQ(out.back(), 0.5f);
        } else {
            EXPECT_LT(out[at + 64], 0.5f);
        }
    }
}

TEST(EnvelopeGenerator, GateEventsAtMostEveryTenthOfASecond) {
    EgFixture f;
    int fired = 0;
    f.eg->gateChanged.addHandler(NotifyEvent::bind([&fired] { ++fired; }));
    f.eg->noteOn();
    f.run(128);
    EXPECT_EQ(fired, 1);
    f.eg->noteOff();
    f.run(128);
    EXPECT_EQ(fired, 1); // pending
    f.run(4800);
    EXPECT_EQ(fired, 2);
    f.eg->noteOff(); // safe in every state, no change
    f.run(4800);
    EXPECT_EQ(fired, 2);
}

TEST(EnvelopeGenerator, CurveKeysInterpolate) {
    auto mid = EnvelopeGenerator::curveCoefficients(0.1f);
    auto a = EnvelopeGenerator::curveCoefficients(0.0f);
    auto b = EnvelopeGenerator::curveCoefficients(0.2f);
    for (size_t j = 0; j < 5; ++j)
        EXPECT_FLOAT_EQ(mid[j], 0.5f * (a[j] + b[j]));
    EXPECT_EQ(EnvelopeGenerator::curveCoefficients(-3.0f), EnvelopeGenerator::curveCoefficients(-1.0f));
    EXPECT_EQ(EnvelopeGenerator::curveCoefficients(7.0f), EnvelopeGenerator::curveCoefficients(1.0f));
    for (float key : {-1.0f, -0.4f, 0.0f, 0.2f, 0.5f, 0.55f, 0.6f, 1.0f}) {
        auto k = EnvelopeGenerator::curveCoefficients(key);
        EXPECT_NEAR(k[0] + k[1] + k[2] + k[3] + k[4], 1.0f, 1e-5f) << key;
    }
}

// A new attack curve mid-attack keeps the output continuous within 0.001.
TEST(EnvelopeGenerator, CurveChangeKeepsPhaseContinuous) {
    EgFixture f;
    test::ConstantSource curve(f.e, 0.2f);
    test::ConstantSource attack(f.e, 2.0f); // beyond the own input's limits
    f.eg->attackCurve.setSource(&curve);
    f.eg->attackTime.setSource(&attack);
    f.eg->noteOn();
    auto before = f.run(48000);
    curve.value = 1.0f;
    auto after = f.run(128);
    float slope = before[47999] - before[47998];
    for (size_t i = 1; i < after.size(); ++i)
        EXPECT_LT(std::fabs(after[i] - after[i - 1]), 0.001f + 2.0f * slope) << i;
    EXPECT_LT(std::fabs(after[0] - before.back()), 0.001f + 2.0f * slope);
}

TEST(EnvelopeGenerator, UpdateIntervalNeverBelowFour) {
    EgFixture f;
    f.eg->updateMode.setValue(EnvelopeGenerator::UpdateMode::kScaled);
    EXPECT_EQ(f.eg->getUpdateInterval(), 68); // floor(48000 x 0.0014512471) = 69 -> 68
    f.e.setSampleRate(2000.0f);
    EXPECT_EQ(f.eg->getUpdateInterval(), 4);
    f.eg->noteOn();
    auto out = f.run(256);
    EXPECT_TRUE(std::isfinite(out.back()));
}

// A new delay time moves a running delay by the change of its length; once
// the delay is over it is not inserted again.
TEST(EnvelopeGenerator, DelayChangeMovesOnlyARunningDelay) {
    EgFixture f;
    test::ConstantSource delay(f.e, 0.01f); // 480 samples
    f.eg->delayTime.setSource(&delay);
    f.eg->noteOn();
    auto first = f.run(128);
    EXPECT_EQ(first.back(), 0.0f);
    delay.value = 0.005f; // 240 samples: 112 left after the first 128
    auto second = f.run(256);
    EXPECT_EQ(second[111], 0.0f);
    EXPECT_EQ(second[112], 1.0f);
    delay.value = 0.02f; // the delay is over: the envelope keeps sustaining
    auto third = f.run(256);
    EXPECT_EQ(third, std::vector<float>(256, 1.0f));
}
