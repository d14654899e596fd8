#pragma once

// A multi-producer, multi-consumer FIFO of small fixed-size records: the
// two-pointer queue with a dummy node of Michael and Scott ("Simple, Fast, and
// Practical Non-Blocking and Blocking Concurrent Queue Algorithms", PODC 1996),
// with 16-bit node indices of a NodePool in place of pointers and a 16-bit tag
// in the upper half of every word that a compare-and-swap changes.
//
// The head always points at a dummy node whose record was already taken; a
// pop reads the next node's record before it swaps the head, so a consumer
// never reads a node after releasing it.
//
// push and pop are lock-free, allocate nothing and never throw; they may run
// on any number of threads at once (the audio thread included). Only a push
// that finds the free list empty takes the pool's growth lock, and only when
// it may grow the pool (Growth): one that may not drops the record instead,
// as does a push when the pool is at its capacity and every node is in use;
// it returns false then, and callers do not retry.
//
// T must be trivially copyable and a whole number of 32-bit words.

#include "foundation/NodePool.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <type_traits>

template <class T> class LockFreeQueue {
    static_assert(std::is_trivially_copyable_v<T>, "records are copied as raw words");
    static_assert(sizeof(T) % 4 == 0 && sizeof(T) > 0, "records are whole 32-bit words");

public:
    static constexpr std::uint32_t words = sizeof(T) / 4;

    // The pool first grows to firstNodeCount nodes (at most the capacity);
    // capacity 0 means NodePool::maxCapacity. One node is the dummy, and node
    // 0 is reserved, so a queue holds at most capacity - 2 records.
    LockFreeQueue(std::uint32_t firstNodeCount, std::uint32_t capacity) : pool_(capacity, words) {
        const std::uint32_t dummy = pool_.grow(firstNodeCount) & NodePool::indexMask;
        head_.store(dummy);
        tail_.store(dummy);
    }

    LockFreeQueue(const LockFreeQueue&) = delete;
    LockFreeQueue& operator=(const LockFreeQueue&) = delete;

    // Whether a push that finds no free node may grow the pool.
    enum class Growth { kAllowed, kNever };

    bool push(const T& record, Growth growth = Growth::kAllowed) {
        const std::uint32_t taken =
            growth == Growth::kAllowed ? pool_.allocate() : pool_.allocateWithoutGrowth();
        const std::uint32_t node = taken & NodePool::indexMask;
        if (node == 0) return false;
        std::uint32_t raw[words];
        std::memcpy(raw, &record, sizeof(T));
        std::atomic<std::uint32_t>* payload = pool_.payload(node);
        for (std::uint32_t w = 0; w < words; ++w)
            payload[w].store(raw[w], std::memory_order_relaxed);

        std::uint32_t last;
        for (;;) {
            last = tail_.load();
            std::atomic<std::uint32_t>& lastLink = pool_.link(last & NodePool::indexMask);
            std::uint32_t next = lastLink.load();
            // Sequentially consistent loads: this re-read is ordered after
            // the link read, as a full fence would order it.
            if (last != tail_.load()) continue;
            if ((next & NodePool::indexMask) != 0) {
                // The tail lags behind; help it on.
                tail_.compare_exchange_strong(last, NodePool::nextWord(last, next));
                continue;
            }
            if (lastLink.compare_exchange_strong(next, NodePool::nextWord(next, node))) break;
        }
        // Failure is harmless: another thread has moved the tail on.
        tail_.compare_exchange_strong(last, NodePool::nextWord(last, node));
        return true;
    }

    // Takes the oldest record; false (record untouched) when the queue is
    // empty.
    bool pop(T& record) {
        for (;;) {
            std::uint32_t first = head_.load();
            std::uint32_t last = tail_.load();
            const std::uint32_t next = pool_.link(first & NodePool::indexMask).load();
            if (first != head_.load()) continue;
            const std::uint32_t nextIndex = next & NodePool::indexMask;
            if ((first & NodePool::indexMask) != (last & NodePool::indexMask)) {
                if (nextIndex == 0) continue;
                std::uint32_t raw[words];
                const std::atomic<std::uint32_t>* payload = pool_.payload(nextIndex);
                for (std::uint32_t w = 0; w < words; ++w)
                    raw[w] = payload[w].load(std::memory_order_relaxed);
                if (head_.compare_exchange_strong(first, NodePool::nextWord(first, nextIndex))) {
                    pool_.release(first & NodePool::indexMask);
                    std::memcpy(&record, raw, sizeof(T));
                    return true;
                }
            } else {
                if (nextIndex == 0) return false;
                tail_.compare_exchange_strong(last, NodePool::nextWord(last, nextIndex));
            }
        }
    }

    const NodePool& getPool() const { return pool_; }

private:
    std::atomic<std::uint32_t> head_{0};
    NodePool pool_;
    std::atomic<std::uint32_t> tail_{0};
};
