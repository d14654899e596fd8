#include "tools/demo/DemoSignal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

TEST(DemoSignal, IsTheSameEveryTimeAndLaidOutAsPromised) {
    const DemoSignal a = makeDemoSignal();
    const DemoSignal b = makeDemoSignal();
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
    ASSERT_EQ(a.left.size(), a.right.size());
    EXPECT_GT(a.frames(), DemoSignal::kLoneClickStart + DemoSignal::kClickLength +
                              DemoSignal::kSilenceAfterClick + DemoSignal::kToneLength);

    // Silence before the lone click, the click alike on both sides, then 3 s
    // of silence.
    const uint32_t clickEnd = DemoSignal::kLoneClickStart + DemoSignal::kClickLength;
    for (uint32_t n = 0; n < clickEnd + DemoSignal::kSilenceAfterClick; ++n) {
        if (n < DemoSignal::kLoneClickStart || n >= clickEnd) {
            ASSERT_EQ(a.left[n], 0.0f) << n;
            ASSERT_EQ(a.right[n], 0.0f) << n;
        } else {
            ASSERT_EQ(a.left[n], a.right[n]) << n;
        }
    }
    const std::vector<float> click = makeClick(DemoSignal::kSeed, 0.8f);
    EXPECT_TRUE(std::equal(click.begin(), click.end(), a.left.begin() + DemoSignal::kLoneClickStart));

    // Something follows the silence on both sides, and nothing clips.
    const auto after = a.left.begin() + clickEnd + DemoSignal::kSilenceAfterClick;
    EXPECT_TRUE(std::any_of(after, a.left.end(), [](float x) { return std::fabs(x) > 0.1f; }));
    float peak = 0;
    for (size_t n = 0; n < a.left.size(); ++n)
        peak = std::max({peak, std::fabs(a.left[n]), std::fabs(a.right[n])});
    EXPECT_LT(peak, 1.0f);
    EXPECT_GT(peak, 0.3f);
}

TEST(DemoSignal, ClicksDependOnTheirSeedAndDieAway) {
    const std::vector<float> one = makeClick(1, 0.8f);
    const std::vector<float> two = makeClick(2, 0.8f);
    ASSERT_EQ(one.size(), DemoSignal::kClickLength);
    EXPECT_NE(one, two);
    EXPECT_EQ(one.back(), 0.0f);
    float head = 0, tail = 0;
    for (size_t n = 0; n < one.size(); ++n)
        (n < one.size() / 4 ? head : tail) += one[n] * one[n];
    EXPECT_GT(head, 5.0f * tail);
}

} // namespace
