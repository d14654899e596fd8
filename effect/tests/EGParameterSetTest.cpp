#include "effect/EGParameterSet.h"

#include "effect/tests/VarnelOwnerFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using test::VarnelTestOwner;

TEST(EGParameterSet, NamesTargetsAndTimes) {
    VarnelTestOwner owner;
    EGParameterSet& eg = owner.p().egs[5];
    const char* names[] = {"EG 6 Hold",   "EG 6 Delay", "EG 6 Threshold", "EG 6 Triggering",
                           "EG 6 Attack", "EG 6 Decay", "EG 6 Sustain",   "EG 6 Release"};
    ASSERT_EQ(eg.getNumParameters(), 8);
    for (int32_t i = 0; i < 8; ++i)
        EXPECT_EQ(eg.getParameter(i)->getName(), names[i]);
    EXPECT_EQ(eg.hold.getTargetIndex(), 64);
    EXPECT_EQ(eg.sustain.getTargetIndex(), 68);
    EXPECT_EQ(eg.release.getTargetIndex(), 69);

    struct Case {
        const FloatPluginParameter* p;
        float maximum;
    };
    const Case times[] = {
        {&eg.hold, 19.0f}, {&eg.delay, 5.0f}, {&eg.attack, 3.0f}, {&eg.decay, 5.0f}, {&eg.release, 5.0f}};
    for (const Case& c : times) {
        EXPECT_EQ(c.p->normalizedToInternal(c.p->getMin()), 0.0f) << c.p->getName();
        EXPECT_NEAR(c.p->normalizedToInternal(c.p->getMax()), c.maximum, 1e-5f) << c.p->getName();
        EXPECT_NEAR(c.p->normalizedToInternal(0.5f), 0.16f * c.maximum, 1e-5f) << c.p->getName();
        EXPECT_EQ(c.p->getDefault(), 0.0f) << c.p->getName();
    }
    EXPECT_EQ(eg.triggering.getValueNames(),
              (std::vector<std::string>{"Normal Input", "Side Chain", "MIDI"}));
    for (const AbstractPluginParameter* p : eg.getParameters())
        EXPECT_FALSE(p->getHelpText().empty()) << p->getName();
}

TEST(EGParameterSet, ThresholdIsALinearGainShownInDecibels) {
    VarnelTestOwner owner;
    EGParameterSet& eg = owner.p().egs[0];
    EXPECT_NEAR(eg.threshold.normalizedToInternal(eg.threshold.getDefault()), 0.1f, 1e-6f);
    EXPECT_EQ(eg.threshold.formatValue(eg.threshold.getDefault()), "-20.00 dB");
    EXPECT_EQ(eg.threshold.normalizedToInternal(0.0f), 0.0f);
    EXPECT_EQ(eg.threshold.normalizedToInternal(1.0f), 1.0f);
    EXPECT_EQ(eg.threshold.formatValue(1.0f), "0.00 dB");
    float value = 0.0f;
    ASSERT_TRUE(eg.threshold.textToValue("-6 dB", value));
    EXPECT_NEAR(eg.threshold.normalizedToInternal(value), 0.50118723f, 1e-5f);
}

TEST(EGParameterSet, SustainInDecibelsReachesTheEngineAsAGain) {
    VarnelTestOwner owner;
    EGParameterSet& eg = owner.p().egs[0];
    EXPECT_EQ(eg.sustain.getMin(), -60.0f);
    EXPECT_EQ(eg.sustain.getMax(), 0.0f);
    EXPECT_EQ(eg.sustain.getDefault(), 0.0f);
    EXPECT_FLOAT_EQ(eg.sustain.normalizedToInternal(eg.sustain.getDefault()), 1.0f);
    EXPECT_NEAR(eg.sustain.normalizedToInternal(-60.0f), 0.001f, 1e-7f);
    EXPECT_NEAR(eg.sustain.normalizedToInternal(-20.0f), 0.1f, 1e-6f);
    EXPECT_EQ(eg.sustain.formatValue(-6.0f), "-6.00 dB");
}

} // namespace
