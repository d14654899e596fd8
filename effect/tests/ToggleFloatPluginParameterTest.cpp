#include "effect/ToggleFloatPluginParameter.h"

#include "effect/VarnelParameterTypes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

template <class T> struct Receiver : ValueAssignable<T> {
    void setValue(T v) override { values.push_back(v); }
    std::vector<T> values;
};

TEST(ToggleFloatPluginParameter, AppliesTheEnumerationAndItsFloat) {
    ToggleFloatPluginParameter<FeedbackInvert> toggle(nullptr, "Invert");
    toggle.setRange(0, 1);
    toggle.setValueNames("Normal,Inverted");
    toggle.setFloatTable({1.0f, -1.0f});
    Receiver<FeedbackInvert> typed;
    Receiver<float> sign;
    Receiver<float> removed;
    toggle.addValueListener(&typed);
    toggle.addFloatListener(&sign);
    toggle.addFloatListener(&removed);
    toggle.removeFloatListener(&removed);
    toggle.addFloatListener(nullptr);

    for (float v : {1.0f, 0.0f, 5.0f, -2.0f})
        toggle.applyValue(v);
    EXPECT_EQ(typed.values,
              (std::vector<FeedbackInvert>{FeedbackInvert::kInverted, FeedbackInvert::kNormal,
                                           FeedbackInvert::kInverted, FeedbackInvert::kNormal}));
    EXPECT_EQ(sign.values, (std::vector<float>{-1.0f, 1.0f, -1.0f, 1.0f}));
    EXPECT_TRUE(removed.values.empty());
    // Applying does not store; an index past the table gives 0.
    EXPECT_EQ(toggle.getValue(), 0.0f);
    EXPECT_EQ(toggle.floatOfIndex(2), 0.0f);
}

} // namespace
