#include "gui/RenderPacing.h"

#include <gtest/gtest.h>

#include <limits>

namespace gui {
namespace {

RenderPlatform::CompositorTiming rate(std::uint32_t numerator, std::uint32_t denominator) {
    RenderPlatform::CompositorTiming timing;
    timing.rateNumerator = numerator;
    timing.rateDenominator = denominator;
    return timing;
}

TEST(RenderPacing, FollowsASaneCompositor) {
    struct Case {
        std::uint32_t mode, numerator, denominator;
        int skip;
        double margin;
        int shortestWait;
    };
    const Case cases[] = {
        {1, 60, 1, 0, 6.0, 5},       {2, 60, 1, 1, 6.0, 5},    {3, 60, 1, 2, 6.0, 5}, {1, 144, 1, 1, 0.0, 1},
        {2, 144, 1, 4, 0.0, 1},      {0x12, 60, 1, 1, 6.0, 5}, // only the low four bits choose the period
        {1, 60000, 1001, 0, 6.0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "mode " << c.mode << " rate " << c.numerator << "/" << c.denominator);
        const RenderPlatform::CompositorTiming timing = rate(c.numerator, c.denominator);
        const RenderPacing pacing = choosePacing(c.mode, &timing);
        EXPECT_TRUE(pacing.compositor);
        EXPECT_EQ(pacing.skip, c.skip);
        EXPECT_DOUBLE_EQ(pacing.framePeriod, 1000.0 * c.denominator / c.numerator);
        EXPECT_EQ(pacing.margin, c.margin);
        EXPECT_EQ(pacing.shortestWait, c.shortestWait);
    }
}

// A zero term used to divide by zero or give a period of 0 (the skip count
// never ended); an absurd rate gave a skip that stopped drawing. Each means
// no compositor now: the mode's own period, every pass drawing.
TEST(RenderPacing, InsaneRatesMeanNoCompositor) {
    struct Case {
        std::uint32_t mode, numerator, denominator;
        double period;
    };
    const Case cases[] = {
        {1, 0, 1, RenderPacing::kPeriod60},          {1, 60, 0, RenderPacing::kPeriod60},
        {1, 0, 0, RenderPacing::kPeriod60},          {1, 1000, 1, RenderPacing::kPeriod60},
        {2, 1, 1, RenderPacing::kPeriod30},          {3, 9, 1, RenderPacing::kPeriod20},
        {1, 0xFFFFFFFF, 1, RenderPacing::kPeriod60}, {1, 1, 0xFFFFFFFF, RenderPacing::kPeriod60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "mode " << c.mode << " rate " << c.numerator << "/" << c.denominator);
        const RenderPlatform::CompositorTiming timing = rate(c.numerator, c.denominator);
        EXPECT_EQ(refreshPeriodOf(timing), 0.0);
        const RenderPacing pacing = choosePacing(c.mode, &timing);
        EXPECT_FALSE(pacing.compositor);
        EXPECT_EQ(pacing.skip, 0);
        EXPECT_EQ(pacing.framePeriod, c.period);
        EXPECT_EQ(pacing.margin, 6.0);
        EXPECT_EQ(pacing.shortestWait, 5);
    }
    // The accepted range's ends.
    EXPECT_EQ(refreshPeriodOf(rate(500, 1)), 2.0);
    EXPECT_EQ(refreshPeriodOf(rate(10, 1)), 100.0);
    EXPECT_EQ(refreshPeriodOf(rate(501, 1)), 0.0);
    EXPECT_EQ(choosePacing(2, nullptr).framePeriod, RenderPacing::kPeriod30);
}

TEST(RenderPacing, FrameWaitIsClampedToTheShortestAndLongestWait) {
    const RenderPlatform::CompositorTiming timing60 = rate(60, 1);
    const RenderPacing slow = choosePacing(1, &timing60);
    const RenderPlatform::CompositorTiming timing144 = rate(144, 1);
    const RenderPacing fast = choosePacing(1, &timing144);
    const RenderPacing ownTimer20 = choosePacing(3, nullptr);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double huge = std::numeric_limits<double>::max();
    struct Case {
        const RenderPacing* pacing;
        double drawing, swap, spare;
        int wait;
    };
    const Case cases[] = {
        {&slow, 3.0, 1.0, 0.0, 12},     {&slow, 3.0, 1.0, 4.5, 8}, {&slow, 20.0, 0.0, 0.0, 5},
        {&fast, 6.5, 0.0, 0.0, 1},      {&fast, 2.0, 0.5, 0.0, 4}, {&ownTimer20, 0.0, 0.0, 0.0, 50},
        {&slow, -500.0, 0.0, 0.0, 100}, {&slow, nan, 0.0, 0.0, 5}, {&slow, huge, 0.0, 0.0, 5},
        {&slow, -huge, 0.0, 0.0, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frameWait(*c.pacing, c.drawing, c.swap, c.spare), c.wait)
            << c.drawing << " " << c.swap << " " << c.spare;
}

} // namespace
} // namespace gui
