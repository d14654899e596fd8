#include "gui/RenderPlatform.h"

#include <gtest/gtest.h>

#include <atomic>

// The platform's own service (the Windows one under Wine, the stand-in
// natively): what the render loop relies on.

namespace gui {
namespace {

TEST(RenderPlatform, EventsStaySetUntilReset) {
    auto platform = RenderPlatform::create();
    auto event = platform->createEvent();
    ASSERT_NE(event, nullptr);
    EXPECT_FALSE(event->wait(0));
    EXPECT_FALSE(event->wait(2));
    event->set();
    EXPECT_TRUE(event->wait(0));
    EXPECT_TRUE(event->wait(RenderPlatform::kForever)) << "a manual-reset event stays set";
    event->reset();
    EXPECT_FALSE(event->wait(0));
}

TEST(RenderPlatform, ThreadRunsItsBodyAndSignalsAcross) {
    auto platform = RenderPlatform::create();
    auto started = platform->createEvent();
    auto release = platform->createEvent();
    std::atomic<int> steps{0};
    auto thread = platform->startThread([&] {
        steps.fetch_add(1);
        started->set();
        release->wait(RenderPlatform::kForever);
        steps.fetch_add(1);
    });
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(started->wait(RenderPlatform::kForever));
    release->set();
    thread->join();
    EXPECT_EQ(steps.load(), 2);
}

TEST(RenderPlatform, ClockNeverRunsBackAndSleepPasses) {
    auto platform = RenderPlatform::create();
    const double before = platform->now();
    platform->sleep(2);
    const double after = platform->now();
    EXPECT_GE(after - before, 1.0);
}

} // namespace
} // namespace gui
