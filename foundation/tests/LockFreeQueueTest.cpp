#include "foundation/LockFreeQueue.h"
#include "foundation/tests/AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

struct Record {
    std::int32_t first;
    float second;
};

struct Tagged {
    std::uint32_t producer;
    std::uint32_t sequence;
};

TEST(LockFreeQueue, PopsInPushOrderAndAnEmptyPopChangesNothing) {
    LockFreeQueue<Record> queue(8, 64);
    Record out{-7, 2.5f};
    EXPECT_FALSE(queue.pop(out));
    EXPECT_EQ(out.first, -7);
    EXPECT_EQ(out.second, 2.5f);

    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(queue.push({i, i * 0.5f}));
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(queue.pop(out));
        EXPECT_EQ(out.first, i);
        EXPECT_EQ(out.second, i * 0.5f);
    }
    EXPECT_FALSE(queue.pop(out));
    EXPECT_EQ(out.first, 19);

    // Interleaved pushes and pops keep the order too.
    int pushed = 0, popped = 0;
    for (int round = 0; round < 50; ++round) {
        for (int k = 0; k < round % 5 + 1; ++k)
            ASSERT_TRUE(queue.push({pushed++, 0.0f}));
        for (int k = 0; k < round % 3 + 1 && popped < pushed; ++k) {
            ASSERT_TRUE(queue.pop(out));
            EXPECT_EQ(out.first, popped++);
        }
    }
    while (queue.pop(out))
        EXPECT_EQ(out.first, popped++);
    EXPECT_EQ(popped, pushed);
}

TEST(LockFreeQueue, CapacityOf32HoldsThirtyRecordsAndDropsTheRest) {
    LockFreeQueue<Record> queue(32, 32);
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(queue.push({i, 1.0f})) << i;
    EXPECT_FALSE(queue.push({30, 1.0f}));
    EXPECT_FALSE(queue.push({31, 1.0f}));
    EXPECT_EQ(queue.getPool().getNodeCount(), 32u);

    Record out{};
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(queue.pop(out));
        EXPECT_EQ(out.first, i);
    }
    EXPECT_FALSE(queue.pop(out));

    // Popped nodes go back to the free list and are used again.
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(queue.push({100 + i, 1.0f}));
    EXPECT_FALSE(queue.push({130, 1.0f}));
    ASSERT_TRUE(queue.pop(out));
    EXPECT_EQ(out.first, 100);
}

TEST(LockFreeQueue, ParameterQueueTakes8190RecordsThenGrowsTo16384Nodes) {
    LockFreeQueue<Record> queue(8192, 65536);
    EXPECT_EQ(queue.getPool().getNodeCount(), 8192u);
    for (int i = 0; i < 8190; ++i)
        ASSERT_TRUE(queue.push({i, 0.0f}));
    EXPECT_EQ(queue.getPool().getNodeCount(), 8192u);
    ASSERT_TRUE(queue.push({8190, 0.0f}));
    EXPECT_EQ(queue.getPool().getNodeCount(), 16384u);

    Record out{};
    for (int i = 0; i <= 8190; ++i) {
        ASSERT_TRUE(queue.pop(out));
        ASSERT_EQ(out.first, i);
    }
    EXPECT_FALSE(queue.pop(out));
}

// A push that may not grow takes free nodes only: with none it drops the
// record and leaves the pool as it is, and a popped node serves it again.
TEST(LockFreeQueue, APushWithoutGrowthTakesOnlyFreeNodes) {
    using Queue = LockFreeQueue<Record>;
    Queue queue(8, 64);
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(queue.push({i, 0.0f}, Queue::Growth::kNever)) << i;
    EXPECT_FALSE(queue.push({6, 0.0f}, Queue::Growth::kNever));
    EXPECT_EQ(queue.getPool().getNodeCount(), 8u);

    Record out{};
    ASSERT_TRUE(queue.pop(out));
    EXPECT_EQ(out.first, 0);
    EXPECT_TRUE(queue.push({7, 0.0f}, Queue::Growth::kNever));
    EXPECT_FALSE(queue.push({8, 0.0f}, Queue::Growth::kNever));
    // One that may grow does.
    EXPECT_TRUE(queue.push({9, 0.0f}));
    EXPECT_EQ(queue.getPool().getNodeCount(), 16u);
    for (int expected : {1, 2, 3, 4, 5, 7, 9}) {
        ASSERT_TRUE(queue.pop(out));
        EXPECT_EQ(out.first, expected);
    }
    EXPECT_FALSE(queue.pop(out));
}

TEST(LockFreeQueue, FullPoolOf65536NodesHolds65534Records) {
    LockFreeQueue<Record> queue(1024, 0);
    EXPECT_EQ(queue.getPool().getCapacity(), 65536u);
    int pushed = 0;
    while (queue.push({pushed, 0.0f}))
        ++pushed;
    EXPECT_EQ(pushed, 65534);
    EXPECT_EQ(queue.getPool().getNodeCount(), 65536u);
    Record out{};
    for (int i = 0; i < pushed; ++i) {
        ASSERT_TRUE(queue.pop(out));
        ASSERT_EQ(out.first, i);
    }
    EXPECT_FALSE(queue.pop(out));
}

TEST(LockFreeQueue, CapacityAndFirstNodeCountAreLimited) {
    struct Case {
        std::uint32_t first, capacity, expectedCapacity, expectedNodes;
    };
    const Case cases[] = {
        {1024, 0, 65536, 1024},      // 0 means the largest pool
        {1024, 100000, 65536, 1024}, // capacity cut to 65536
        {100, 32, 32, 32},           // first node count cut to the capacity
        {0, 16, 16, 2},              // the dummy and node 0 at least
        {1, 1, 2, 2},                // too small to hold a record
    };
    for (const Case& c : cases) {
        LockFreeQueue<Record> queue(c.first, c.capacity);
        EXPECT_EQ(queue.getPool().getCapacity(), c.expectedCapacity) << c.first << "/" << c.capacity;
        EXPECT_EQ(queue.getPool().getNodeCount(), c.expectedNodes) << c.first << "/" << c.capacity;
        const bool holdsOne = c.expectedCapacity > 2;
        EXPECT_EQ(queue.push({1, 0.0f}), holdsOne);
    }
}

TEST(NodePool, AllocateTakesTheFreeListThenGrowsUpToTheCapacity) {
    NodePool pool(8, 2);
    EXPECT_EQ(pool.getNodeCount(), 0u);
    // The first growth keeps node 0 back and hands node 1 to the caller.
    EXPECT_EQ(growNodePool(pool, 4), 1u);
    EXPECT_EQ(pool.getNodeCount(), 4u);

    // The new nodes come off the free list highest first; each pop returns
    // the index with the free list's tag, one higher per change.
    const std::uint32_t a = popFreeNode(pool);
    const std::uint32_t b = popFreeNode(pool);
    EXPECT_EQ(a & NodePool::indexMask, 3u);
    EXPECT_EQ(b & NodePool::indexMask, 2u);
    EXPECT_EQ((b >> 16) - (a >> 16), 1u);

    // Empty free list: the pool doubles, the caller gets the first new node.
    EXPECT_EQ(popFreeNode(pool) & NodePool::indexMask, 4u);
    EXPECT_EQ(pool.getNodeCount(), 8u);
    EXPECT_EQ(popFreeNode(pool) & NodePool::indexMask, 7u);
    EXPECT_EQ(popFreeNode(pool) & NodePool::indexMask, 6u);
    EXPECT_EQ(popFreeNode(pool) & NodePool::indexMask, 5u);
    EXPECT_EQ(popFreeNode(pool), 0u);
    EXPECT_EQ(growNodePool(pool, 0), 0u);

    // A released node is the next one handed out; its link keeps no index.
    pool.release(3);
    const std::uint32_t again = popFreeNode(pool);
    EXPECT_EQ(again & NodePool::indexMask, 3u);
    EXPECT_EQ(pool.link(3).load() & NodePool::indexMask, 0u);
    EXPECT_EQ(popFreeNode(pool), 0u);
}

TEST(LockFreeQueue, PushPopAndGrowthAllocateNothing) {
    LockFreeQueue<Record> queue(16, 1024);
    Record out{};
    test::AllocationCounter counter;
    // Past the first 16 nodes the pool grows three times, to 128.
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(queue.push({i, 0.0f}));
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(queue.pop(out));
    EXPECT_FALSE(queue.pop(out));
    EXPECT_EQ(queue.getPool().getNodeCount(), 128u);
    EXPECT_EQ(counter.allocations(), 0u);
    EXPECT_EQ(counter.deallocations(), 0u);
}

TEST(LockFreeQueue, TagsWrapWithoutHarm) {
    // Far more than 65536 changes of every word in a tiny pool.
    LockFreeQueue<Record> queue(2, 4);
    Record out{};
    for (int i = 0; i < 300000; ++i) {
        ASSERT_TRUE(queue.push({i, 0.0f}));
        if (i % 2 == 1) {
            ASSERT_TRUE(queue.pop(out));
            ASSERT_TRUE(queue.pop(out));
            ASSERT_EQ(out.first, i);
        }
    }
    EXPECT_FALSE(queue.pop(out));
}

// Producers push (producer, sequence) records, retrying while the pool is
// full; consumers pop until every record has arrived. Checks that each record
// arrives exactly once and that every consumer sees each producer's records
// in increasing order.
void runStress(int producers, int consumers, std::uint32_t perProducer, std::uint32_t firstNodes,
               std::uint32_t capacity) {
    LockFreeQueue<Tagged> queue(firstNodes, capacity);
    const std::uint64_t total = std::uint64_t(producers) * perProducer;
    std::atomic<std::uint64_t> consumed{0};
    std::atomic<bool> outOfOrder{false};
    std::atomic<bool> badRecord{false};
    std::vector<std::vector<Tagged>> received(consumers);
    std::atomic<int> ready{0};
    const int threadCount = producers + consumers;

    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p) {
        threads.emplace_back([&, p] {
            ready.fetch_add(1);
            while (ready.load() < threadCount) {
            }
            for (std::uint32_t s = 0; s < perProducer; ++s) {
                while (!queue.push({std::uint32_t(p), s}))
                    std::this_thread::yield();
            }
        });
    }
    for (int c = 0; c < consumers; ++c) {
        threads.emplace_back([&, c] {
            std::vector<std::int64_t> last(producers, -1);
            std::vector<Tagged>& mine = received[c];
            mine.reserve(total);
            ready.fetch_add(1);
            while (ready.load() < threadCount) {
            }
            while (consumed.load() < total) {
                Tagged record{};
                if (!queue.pop(record)) {
                    std::this_thread::yield();
                    continue;
                }
                consumed.fetch_add(1);
                if (record.producer >= std::uint32_t(producers) || record.sequence >= perProducer) {
                    badRecord = true;
                    continue;
                }
                if (std::int64_t(record.sequence) <= last[record.producer]) outOfOrder = true;
                last[record.producer] = record.sequence;
                mine.push_back(record);
            }
        });
    }
    for (std::thread& t : threads)
        t.join();

    EXPECT_FALSE(badRecord.load());
    EXPECT_FALSE(outOfOrder.load());
    std::vector<std::vector<std::uint8_t>> seen(producers, std::vector<std::uint8_t>(perProducer, 0));
    std::uint64_t count = 0;
    for (const auto& list : received) {
        for (const Tagged& r : list) {
            ++seen[r.producer][r.sequence];
            ++count;
        }
    }
    EXPECT_EQ(count, total);
    std::uint64_t wrong = 0;
    for (const auto& perSequence : seen)
        for (std::uint8_t n : perSequence)
            wrong += n != 1;
    EXPECT_EQ(wrong, 0u) << "records lost or duplicated";
    Tagged extra{};
    EXPECT_FALSE(queue.pop(extra));
}

// Pools of 8 nodes (6 for records): with 240000 records or more the head, tail
// and free-list tags wrap several times, and each record node's link tag,
// which grows twice per use, wraps too.
TEST(LockFreeQueueStress, OneProducerOneConsumer) {
    runStress(1, 1, 300000, 2, 8);
}

TEST(LockFreeQueueStress, SeveralProducersAndConsumers) {
    runStress(3, 3, 80000, 2, 8);
}

// Fresh pools that start at 2 nodes, so growth races pushes and pops.
TEST(LockFreeQueueStress, GrowthRacesPushesAndPops) {
    for (int round = 0; round < 20; ++round)
        runStress(3, 2, 1500, 2, 4096);
}

} // namespace
