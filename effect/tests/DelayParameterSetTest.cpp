#include "effect/DelayParameterSet.h"

#include "effect/tests/VarnelOwnerFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using test::VarnelTestOwner;

// The engine value of a parameter at a value.
float engine(const AbstractPluginParameter& p, float value) {
    return p.normalizedToInternal(value);
}

struct Receiver : ValueAssignable<float> {
    void setValue(float v) override { values.push_back(v); }
    std::vector<float> values;
};

TEST(DelayParameterSet, NamesAndTargetsFollowTheLine) {
    VarnelTestOwner owner;
    DelayParameterSet& d = owner.p().delay[1];
    const char* names[] = {"Delay 2 Time",     "Delay 2 Offset",         "Delay 2 Sync",
                           "Delay 2 Feedback", "Delay 2 Cross Feedback", "Delay 2 Feedback Invert",
                           "Delay 2 Pan"};
    ASSERT_EQ(d.getNumParameters(), 7);
    for (int32_t i = 0; i < 7; ++i)
        EXPECT_EQ(d.getParameter(i)->getName(), names[i]);
    EXPECT_EQ(d.getPosition(), 1);
    EXPECT_EQ(d.time.getTargetIndex(), 5);
    EXPECT_EQ(d.offset.getTargetIndex(), 6);
    EXPECT_EQ(d.feedback.getTargetIndex(), 7);
    EXPECT_EQ(d.crossFeedback.getTargetIndex(), 8);
    EXPECT_EQ(d.pan.getTargetIndex(), 9);
}

TEST(DelayParameterSet, RangesDefaultsAndEngineValues) {
    VarnelTestOwner owner;
    DelayParameterSet& d = owner.p().delay[0];
    struct Case {
        const char* what;
        const FloatPluginParameter* p;
        float defaultEngine;
        float minEngine;
        float maxEngine;
    };
    const Case cases[] = {
        {"time", &d.time, 350.0f, 5.0f, 5000.0f},    {"offset", &d.offset, 1.0f, 0.5f, 2.0f},
        {"feedback", &d.feedback, 0.0f, 0.0f, 1.0f}, {"cross feedback", &d.crossFeedback, 0.0f, 0.0f, 2.0f},
        {"pan", &d.pan, 0.0f, -1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(engine(*c.p, c.p->getDefault()), c.defaultEngine, 1e-3f) << c.what;
        EXPECT_EQ(c.p->getValue(), c.p->getDefault()) << c.what;
        EXPECT_NEAR(engine(*c.p, c.p->getMin()), c.minEngine, 1e-4f) << c.what;
        EXPECT_NEAR(engine(*c.p, c.p->getMax()), c.maxEngine, 1e-3f) << c.what;
    }
    // Feedback and cross feedback follow the seven-point curve: half the knob is 0.16.
    EXPECT_NEAR(engine(d.feedback, 0.5f), 0.16f, 1e-6f);
    EXPECT_NEAR(engine(d.crossFeedback, 0.5f), 0.32f, 1e-6f);
    EXPECT_EQ(d.sync.getValueNames(),
              (std::vector<std::string>{"Free", "Two Notes", "Note", "Half Note", "Quarter Note"}));
    EXPECT_EQ(d.sync.getMax(), 4.0f);
    EXPECT_EQ(d.feedbackInvert.getValueNames(), (std::vector<std::string>{"Normal", "Inverted"}));
    for (const AbstractPluginParameter* p : d.getParameters())
        EXPECT_FALSE(p->getHelpText().empty()) << p->getName();
}

TEST(DelayParameterSet, TimeReadsAndShowsMilliseconds) {
    VarnelTestOwner owner;
    DelayParameterSet& d = owner.p().delay[0];
    float value = 0.0f;
    ASSERT_TRUE(d.time.textToValue("375 ms", value));
    EXPECT_NEAR(engine(d.time, value), 375.0f, 0.01f);
    EXPECT_EQ(d.time.formatValue(d.time.getDefault()), "350.0 ms");
    ASSERT_TRUE(d.feedback.textToValue("0.35", value));
    EXPECT_NEAR(engine(d.feedback, value), 0.35f, 1e-5f);
}

TEST(DelayParameterSet, FeedbackInvertGivesTheSignToFloatReceivers) {
    VarnelTestOwner owner;
    DelayParameterSet& d = owner.p().delay[0];
    Receiver sign;
    d.feedbackInvert.addFloatListener(&sign);
    d.feedbackInvert.applyValue(1.0f);
    d.feedbackInvert.applyValue(0.0f);
    d.feedbackInvert.applyValue(7.0f); // clamped to "Inverted"
    EXPECT_EQ(sign.values, (std::vector<float>{-1.0f, 1.0f, -1.0f}));
}

} // namespace
