#include "foundation/AsyncEventQueue.h"
#include "foundation/tests/AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

namespace {

struct Message {
    std::int32_t code;
    std::int64_t payload;
    bool operator==(const Message&) const = default;
};

// A queue whose handler records every delivered message.
struct RecordingQueue {
    explicit RecordingQueue(std::size_t capacity = AsyncEventQueue::defaultCapacity)
        : queue(AsyncEventQueue::create(capacity)) {
        queue->event().setHandler(NotifyEvent::bind([this](void* argument) { // runs first
            EXPECT_EQ(argument, queue.get());
            received.push_back({queue->code(), queue->payload()});
        }));
    }
    std::unique_ptr<AsyncEventQueue> queue;
    std::vector<Message> received;
};

TEST(AsyncEventQueue, MessagesFromAWorkerArriveInOrderOnTheCreatingThread) {
    RecordingQueue q;
    const std::vector<Message> sent = {
        {1, 10},
        {2, -1},
        {3, std::numeric_limits<std::int64_t>::max()},
        {-2, std::numeric_limits<std::int64_t>::min()},
        {std::numeric_limits<std::int32_t>::min(), 0x123456789ABCDEF0},
        {std::numeric_limits<std::int32_t>::max(), -0x123456789ABCDEF},
    };
    std::thread worker([&] {
        for (const Message& m : sent)
            EXPECT_TRUE(q.queue->post(m.code, m.payload));
    });
    worker.join();
    EXPECT_TRUE(q.received.empty()) << "nothing is delivered before the creating thread pumps";
    EXPECT_EQ(q.queue->deliverPending(), sent.size());
    EXPECT_EQ(q.received, sent);
    EXPECT_EQ(q.queue->deliverPending(), 0u);
}

TEST(AsyncEventQueue, DeliveryStopsAtMessagesPostedByAHandler) {
    RecordingQueue q;
    q.queue->event().addHandler(NotifyEvent::bind([&] {
        if (q.queue->code() < 100) q.queue->post(q.queue->code() + 100, 0);
    }));
    q.queue->post(1, 0);
    q.queue->post(2, 0);
    EXPECT_EQ(q.queue->deliverPending(), 2u);
    EXPECT_EQ(q.queue->deliverPending(), 2u);
    EXPECT_EQ(q.queue->deliverPending(), 0u);
    EXPECT_EQ(q.received, (std::vector<Message>{{1, 0}, {2, 0}, {101, 0}, {102, 0}}));
}

TEST(AsyncEventQueue, AHandlerThatPumpsAgainKeepsTheOrder) {
    RecordingQueue q;
    std::size_t nested = 0;
    q.queue->event().addHandler(NotifyEvent::bind([&] {
        if (q.queue->code() != 1) return;
        nested = q.queue->deliverPending();
        EXPECT_EQ(q.queue->code(), 1) << "the outer message again after the nested delivery";
        EXPECT_EQ(q.queue->payload(), 1);
    }));
    for (int code = 1; code <= 4; ++code)
        q.queue->post(code, code);
    std::size_t outer = q.queue->deliverPending();
    EXPECT_EQ(outer + nested, 4u);
    EXPECT_EQ(q.received, (std::vector<Message>{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
    EXPECT_EQ(q.queue->deliverPending(), 0u);
}

TEST(AsyncEventQueue, PostWakesTheOwnerOnThePostingThread) {
    struct Wake {
        std::atomic<int> count{0};
        std::thread::id thread;
    } wake;
    RecordingQueue q;
    q.queue->setWakeFunction(
        [](void* context) {
            auto* w = static_cast<Wake*>(context);
            w->thread = std::this_thread::get_id();
            ++w->count;
        },
        &wake);
    std::thread::id workerId;
    std::thread worker([&] {
        workerId = std::this_thread::get_id();
        q.queue->post(7, 8);
    });
    worker.join();
    EXPECT_EQ(wake.count, 1);
    EXPECT_EQ(wake.thread, workerId);
    q.queue->deliverPending();
    EXPECT_EQ(wake.count, 1) << "delivery does not wake";
}

TEST(AsyncEventQueue, PostAllocatesNothing) {
    RecordingQueue q;
    int wakes = 0;
    q.queue->setWakeFunction([](void* context) { ++*static_cast<int*>(context); }, &wakes);
    // Warm up: the first post may touch lazily created per-thread state of the OS.
    q.queue->post(0, 0);
    q.queue->deliverPending();
    q.received.clear();
    q.received.reserve(64);

    std::size_t allocations = 1;
    std::thread audio([&] {
        q.queue->post(0, 0);
        q.queue->deliverPending(); // nothing for this thread: on Windows the messages belong to the creator
        test::AllocationCounter counter;
        for (int i = 0; i < 32; ++i)
            q.queue->post(i, -i);
        allocations = counter.allocations();
    });
    audio.join();
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(wakes, 34);
    q.queue->deliverPending();
    ASSERT_EQ(q.received.size(), 33u);
    EXPECT_EQ(q.received[32], (Message{31, -31}));
}

TEST(AsyncEventQueue, AFullQueueDropsAtOnceAndKeepsTheFirstMessages) {
    RecordingQueue q(8);
    int accepted = 0;
    bool dropped = false;
    // More than the 10000 messages a Windows thread queue holds.
    for (int i = 0; i < 12000; ++i) {
        if (q.queue->post(i, i * 3)) {
            EXPECT_FALSE(dropped) << "a message was queued after one was dropped";
            ++accepted;
        } else {
            dropped = true;
        }
    }
    EXPECT_GE(accepted, 8);
    EXPECT_EQ(q.queue->deliverPending(), static_cast<std::size_t>(accepted));
    ASSERT_EQ(q.received.size(), static_cast<std::size_t>(accepted));
    for (int i = 0; i < accepted; ++i)
        ASSERT_EQ(q.received[i], (Message{i, i * 3}));
    EXPECT_TRUE(q.queue->post(1, 1)) << "room again after delivery";
}

TEST(AsyncEventQueue, PendingMessagesAreDroppedAtDestruction) {
    int delivered = 0;
    {
        auto queue = AsyncEventQueue::create();
        queue->event().addHandler(NotifyEvent::bind([&] { ++delivered; }));
        for (int i = 0; i < 5; ++i)
            queue->post(i, i);
    }
    // A second queue must not see the first one's messages.
    auto other = AsyncEventQueue::create();
    other->event().addHandler(NotifyEvent::bind([&] { ++delivered; }));
    EXPECT_EQ(other->deliverPending(), 0u);
    EXPECT_EQ(delivered, 0);
}

TEST(AsyncEventQueue, AHandlerMayDestroyTheQueue) {
    auto queue = AsyncEventQueue::create();
    int delivered = 0;
    queue->event().addHandler(NotifyEvent::bind([&] {
        ++delivered;
        queue.reset();
    }));
    queue->post(1, 0);
    queue->post(2, 0);
    AsyncEventQueue* raw = queue.get();
    raw->deliverPending();
    EXPECT_EQ(delivered, 1);
    EXPECT_EQ(queue, nullptr);
}

// Several producers and the consumer at once: every queued message arrives
// exactly once, and each producer's messages keep their order.
TEST(AsyncEventQueue, StressManyProducersKeepTheirOrder) {
    constexpr int producers = 3;
    constexpr int perProducer = 5000;
    auto queue = AsyncEventQueue::create(64);
    std::vector<std::int64_t> next(producers, 0);
    std::atomic<long> accepted{0};
    long received = 0;
    bool ordered = true;
    queue->event().addHandler(NotifyEvent::bind([&](void* argument) {
        auto* q = static_cast<AsyncEventQueue*>(argument);
        std::int32_t producer = q->code();
        std::int64_t value = q->payload();
        if (producer < 0 || producer >= producers || value < next[producer])
            ordered = false;
        else
            next[producer] = value + 1;
        ++received;
    }));

    std::atomic<int> running{producers};
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p) {
        threads.emplace_back([&, p] {
            for (std::int64_t i = 0; i < perProducer; ++i) {
                // A full queue drops; retry a few times to keep most messages.
                for (int attempt = 0; attempt < 100; ++attempt) {
                    if (queue->post(p, i)) {
                        ++accepted;
                        break;
                    }
                    std::this_thread::yield();
                }
            }
            --running;
        });
    }
    while (running > 0)
        queue->deliverPending();
    for (std::thread& t : threads)
        t.join();
    while (queue->deliverPending() > 0) {
    }
    EXPECT_TRUE(ordered);
    EXPECT_EQ(received, accepted.load());
    EXPECT_GT(accepted.load(), 0);
}

} // namespace
