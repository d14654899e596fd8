#include "foundation/IntervalTimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(IntervalTimer, MeasuresTheUnsignedDifferenceAcrossTheClockWrap) {
    struct Case {
        std::uint32_t start, later, expected;
    };
    const Case cases[] = {
        {1000, 1000, 0},
        {1000, 1250, 250},
        {0xFFFFFF00u, 0xFFFFFFFFu, 0xFF},
        {0xFFFFFF00u, 0x00000010u, 0x110}, // across the wrap
        {0xFFFFFFFFu, 0u, 1},
    };
    for (const Case& c : cases) {
        std::uint32_t now = c.start;
        auto timer = IntervalTimer::create([&] { return now; });
        EXPECT_EQ(timer->elapsed(), 0u);
        now = c.later;
        EXPECT_EQ(timer->elapsed(), c.expected) << c.start << " -> " << c.later;
        EXPECT_EQ(timer->restart(), c.later);
        EXPECT_EQ(timer->elapsed(), 0u);
        now += 7;
        EXPECT_EQ(timer->elapsed(), 7u);
    }
}

TEST(IntervalTimer, RealClockAdvancesAtLeastBySleep) {
    auto timer = IntervalTimer::create();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    // Scheduling only ever adds time; a lower bound is all a test can claim.
    EXPECT_GE(timer->elapsed(), 25u);
    timer->restart();
    EXPECT_LT(timer->elapsed(), 30000u);
}

} // namespace
