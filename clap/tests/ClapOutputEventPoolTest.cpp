#include "clap/ClapOutputEventPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Records what a host's out_events receives.
struct Collected {
    std::vector<uint16_t> types;
    std::vector<clap_id> ids;
    std::vector<double> values;
    clap_output_events_t events{
        this, [](const clap_output_events_t* list, const clap_event_header_t* event) {
            auto* self = static_cast<Collected*>(list->ctx);
            self->types.push_back(event->type);
            if (event->type == CLAP_EVENT_PARAM_VALUE) {
                const auto* value = reinterpret_cast<const clap_event_param_value_t*>(event);
                self->ids.push_back(value->param_id);
                self->values.push_back(value->value);
            } else {
                self->ids.push_back(reinterpret_cast<const clap_event_param_gesture_t*>(event)->param_id);
            }
            return true;
        }};
};

TEST(ClapOutputEventPool, EventsArriveInOrderAndAnEmptyPoolGivesNothing) {
    ClapOutputEventPool pool;
    Collected out;
    EXPECT_EQ(pool.drain(&out.events), 0u);
    EXPECT_TRUE(out.types.empty());
    EXPECT_TRUE(pool.pushGesture(4, true));
    EXPECT_TRUE(pool.pushValue(4, 0.25));
    EXPECT_TRUE(pool.pushGesture(4, false));
    EXPECT_EQ(pool.drain(&out.events), 3u);
    EXPECT_EQ(out.types, (std::vector<uint16_t>{CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                                                CLAP_EVENT_PARAM_GESTURE_END}));
    EXPECT_EQ(out.ids, (std::vector<clap_id>{4, 4, 4}));
    EXPECT_EQ(out.values, std::vector<double>{0.25});
    EXPECT_EQ(pool.drain(&out.events), 0u);
    // Events that do not fit a node are refused.
    clap_event_header_t tooLarge{ClapOutputEventPool::kPayloadBytes + 8, 0, 0, CLAP_EVENT_PARAM_VALUE, 0};
    EXPECT_FALSE(pool.push(tooLarge));
}

TEST(ClapOutputEventPool, GrowsByDoublingToItsLimitThenDrops) {
    ClapOutputEventPool pool;
    EXPECT_EQ(pool.nodeCount(), ClapOutputEventPool::kFirstNodes);
    uint32_t pushed = 0;
    std::vector<uint32_t> sizes;
    for (uint32_t i = 0; i < 70000; ++i) {
        if (pool.pushValue(i, double(i))) ++pushed;
        if (sizes.empty() || sizes.back() != pool.nodeCount()) sizes.push_back(pool.nodeCount());
    }
    EXPECT_EQ(sizes, (std::vector<uint32_t>{1024, 2048, 4096, 8192, 16384, 32768, 65536}));
    // Node 0 anchors the free list and one node is the queue's placeholder.
    EXPECT_EQ(pushed, 65534u);
    Collected out;
    EXPECT_EQ(pool.drain(&out.events), 65534u);
    for (uint32_t i = 0; i < out.ids.size(); ++i)
        ASSERT_EQ(out.ids[i], i);
    EXPECT_TRUE(pool.pushValue(1, 1.0)); // room again
    // The dropped pushes left nothing behind that would hide it.
    EXPECT_EQ(pool.drain(&out.events), 1u);
    EXPECT_EQ(pool.drain(&out.events), 0u);
}

TEST(ClapOutputEventPool, PushesFromTheDrainingThreadNeverGrowThePool) {
    ClapOutputEventPool pool;
    uint32_t pushed = 0;
    {
        ClapOutputEventPool::DrainScope draining(pool);
        for (uint32_t i = 0; i < 2000; ++i)
            pushed += pool.pushValue(i, 0.0) ? 1 : 0;
    }
    EXPECT_EQ(pool.nodeCount(), ClapOutputEventPool::kFirstNodes);
    EXPECT_EQ(pushed, ClapOutputEventPool::kFirstNodes - 2);
    // Another thread may grow it meanwhile.
    std::thread([&] { EXPECT_TRUE(pool.pushValue(9999, 0.0)); }).join();
    EXPECT_EQ(pool.nodeCount(), 2 * ClapOutputEventPool::kFirstNodes);
    EXPECT_EQ(pool.drain(nullptr), pushed + 1);
}

TEST(ClapOutputEventPool, SeveralProducersOneConsumer) {
    constexpr uint32_t kProducers = 4;
    constexpr uint32_t kEach = 20000;
    ClapOutputEventPool pool;
    std::atomic<uint32_t> running{kProducers};
    std::vector<std::thread> producers;
    for (uint32_t p = 0; p < kProducers; ++p)
        producers.emplace_back([&, p] {
            for (uint32_t i = 0; i < kEach; ++i)
                while (!pool.pushValue(p, double(i)))
                    std::this_thread::yield();
            --running;
        });
    Collected out;
    out.types.reserve(kProducers * kEach);
    while (running.load() > 0)
        pool.drain(&out.events);
    for (std::thread& t : producers)
        t.join();
    pool.drain(&out.events);
    ASSERT_EQ(out.values.size(), size_t(kProducers) * kEach);
    std::vector<double> next(kProducers, 0.0);
    for (size_t i = 0; i < out.values.size(); ++i) {
        ASSERT_EQ(out.values[i], next[out.ids[i]]) << "producer " << out.ids[i];
        next[out.ids[i]] += 1.0;
    }
}

} // namespace
