#include "effect/XLFOParameterSet.h"

#include "effect/tests/VarnelOwnerFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using test::VarnelTestOwner;

TEST(XLFOParameterSet, SeventyThreeParametersWithTheStepList) {
    VarnelTestOwner owner;
    XLFOParameterSet& x = owner.p().xlfos[2];
    ASSERT_EQ(x.getNumParameters(), 73);
    const char* head[] = {"XLFO 3 Frequency",
                          "XLFO 3 Frequency Offset",
                          "XLFO 3 Balance",
                          "XLFO 3 Phase Offset",
                          "XLFO 3 Glide",
                          "XLFO 3 Sync Mode",
                          "XLFO 3 MIDI Trigger",
                          "XLFO 3 Snap",
                          "Num Active XLFO 3 Steps",
                          "XLFO 3 Step 1 Value",
                          "XLFO 3 Step 1 Glide",
                          "XLFO 3 Step 1 Glide function",
                          "XLFO 3 Step 1 Random"};
    for (int32_t i = 0; i < 13; ++i)
        EXPECT_EQ(x.getParameter(i)->getName(), head[i]);
    EXPECT_EQ(x.getParameter(72)->getName(), "XLFO 3 Step 16 Random");
    EXPECT_EQ(x.frequency.getTargetIndex(), 22);
    EXPECT_EQ(x.glide.getTargetIndex(), 23);
    EXPECT_EQ(x.phaseOffset.getTargetIndex(), 24);
}

TEST(XLFOParameterSet, ANewXLFOHasTwoOfSixteenSteps) {
    VarnelTestOwner owner;
    XLFOParameterSet& x = owner.p().xlfos[0];
    auto& count = x.steps.getNumActiveParameter();
    EXPECT_EQ(x.steps.getNumActive(), 2);
    EXPECT_EQ(count.getMin(), 2.0f);
    EXPECT_EQ(count.getMax(), 16.0f);
    EXPECT_EQ(count.getDefault(), 2.0f);
    count.setValue(0.0f, 0);
    EXPECT_EQ(x.steps.getNumActive(), 2);
    count.setValue(40.0f, 0);
    EXPECT_EQ(x.steps.getNumActive(), 16);
    // Removing a step never goes below two.
    count.setValue(2.0f, 0);
    x.steps.removeSet(0);
    EXPECT_EQ(x.steps.getNumActive(), 2);
}

TEST(XLFOParameterSet, FrequencyRunsThroughTheInverseTable) {
    VarnelTestOwner owner;
    XLFOParameterSet& x = owner.p().xlfos[0];
    struct Case {
        float knob, hz;
    };
    // Half the knob is 3.5 Hz, 80 % is 50 Hz; the range ends at 0.02 and 500 Hz.
    const Case cases[] = {{0.0f, 0.02f},
                          {0.5f, 0.02f + 0.007f * 499.98f},
                          {0.8f, 0.02f + 0.1f * 499.98f},
                          {0.98f, 500.0f},
                          {1.0f, 500.0f}};
    for (const Case& c : cases)
        EXPECT_NEAR(x.frequency.normalizedToInternal(c.knob), c.hz, 1e-3f * c.hz) << c.knob;
    EXPECT_NEAR(x.frequency.normalizedToInternal(x.frequency.getDefault()), 1.0f, 1e-4f);
    EXPECT_EQ(x.frequency.getValue(), x.frequency.getDefault());
    float value = 0.0f;
    ASSERT_TRUE(x.frequency.textToValue("10 Hz", value));
    EXPECT_NEAR(x.frequency.normalizedToInternal(value), 10.0f, 1e-3f);

    EXPECT_NEAR(x.frequencyOffset.normalizedToInternal(0.5849625f), 1.5f, 1e-5f);
    EXPECT_EQ(x.balance.getDefault(), 0.5f);
    EXPECT_EQ(x.balance.getValue(), 0.5f);
    EXPECT_EQ(x.glide.getMin(), -1.0f);
    EXPECT_EQ(x.phaseOffset.getMax(), 1.0f);
}

TEST(XLFOParameterSet, ChoicesAndSteps) {
    VarnelTestOwner owner;
    XLFOParameterSet& x = owner.p().xlfos[0];
    EXPECT_EQ(x.syncMode.getValueNames(), (std::vector<std::string>{"Free", "16", "8", "4", "2", "1", "1/2",
                                                                    "1/4", "1/8", "1/16", "1/32", "1/64"}));
    EXPECT_EQ(x.midiTrigger.getValueNames(), (std::vector<std::string>{"Off", "On"}));
    EXPECT_EQ(x.snap.getValueNames(), (std::vector<std::string>{"No Snap", "Snap"}));
    EXPECT_EQ(x.syncMode.getValue(), 0.0f);
    XLFOParameterSet::StepParameterSet& step = x.steps[15];
    EXPECT_EQ(step.getName(), "XLFO 1 Step 16");
    EXPECT_EQ(step.value.getMin(), -1.0f);
    EXPECT_EQ(step.value.getMax(), 1.0f);
    EXPECT_EQ(step.glide.getMax(), 1.0f);
    EXPECT_EQ(step.glideFunction.getValueNames(),
              (std::vector<std::string>{"Linear", "Sqr", "Sqrt", "Sine"}));
    EXPECT_EQ(step.random.getValueNames(), (std::vector<std::string>{"Fixed", "Random"}));
    for (const AbstractPluginParameter* p : x.getParameters())
        EXPECT_FALSE(p->getHelpText().empty()) << p->getName();
}

// Removing an XLFO moves the later XLFOs down with their steps and step
// counts; the freed last set starts afresh with two steps.
TEST(XLFOParameterSet, StepsMoveWithTheirXLFOOnRemoval) {
    VarnelTestOwner owner;
    XLFOParameterSetList& list = owner.p().xlfos;
    list.getNumActiveParameter().setValue(3.0f, 0);
    list[2].steps.getNumActiveParameter().setValue(9.0f, 0);
    list[2].steps[5].value.setValue(0.7f, 0);
    list[2].steps[8].random.setValue(1.0f, 0);
    list.removeSet(1);
    EXPECT_EQ(list.getNumActive(), 2);
    EXPECT_EQ(list[1].steps.getNumActive(), 9);
    EXPECT_FLOAT_EQ(list[1].steps[5].value.getValue(), 0.7f);
    EXPECT_TRUE(list[1].steps[8].random.getTypedValue());
    EXPECT_EQ(list[2].steps.getNumActive(), 2);
    EXPECT_EQ(list[2].steps[5].value.getValue(), 0.0f);
}

} // namespace
