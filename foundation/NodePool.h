#pragma once

// A pool of fixed-size nodes addressed by 16-bit indices, the storage under
// every lock-free queue (LockFreeQueue.h).
//
// Node i is a link word followed by payloadWords payload words, all 32-bit
// atomics. A link word packs the index of the next node (bits 0-15, 0 = none)
// with a tag (bits 16-31) that grows on every change, so a compare-and-swap is
// not fooled by a node that was freed and reused in between. Node 0 is never
// handed out: its link word is the head of the free list.
//
// Storage for the full capacity is allocated once by the constructor and never
// moves; nodes are only initialised as the pool grows, and growth allocates
// nothing. So readers that hold a stale index never touch freed memory, and a
// pool can grow on the audio thread.
//
// Threading: allocate and release are lock-free and may run on any number of
// threads. grow takes the pool's growth lock, and only to thread the new nodes
// onto the free list. Every compare-and-swap is sequentially consistent;
// payload words are read and written relaxed (a reader may look at a node that
// is being reused, and discards what it read when its swap fails).

#include "foundation/Lock.h"

#include <atomic>
#include <cstdint>
#include <memory>

class NodePool {
public:
    static constexpr std::uint32_t maxCapacity = 65536;
    static constexpr std::uint32_t indexMask = 0xFFFF;
    static constexpr std::uint32_t tagUnit = 0x10000;

    // capacity 0 means maxCapacity; any capacity is limited to maxCapacity and
    // is at least 2 (node 0 and one node that can be handed out).
    NodePool(std::uint32_t capacity, std::uint32_t payloadWords);
    ~NodePool();
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    std::uint32_t getCapacity() const { return capacity_; }
    std::uint32_t getNodeCount() const { return nodeCount_.load(); }
    std::uint32_t getPayloadWords() const { return stride_ - 1; }

    // Pops a node off the free list, growing the pool when the list is empty.
    // Returns the node's index with the free-list tag in bits 16-31, or 0 when
    // the pool is at its capacity and every node is in use. The node's link
    // keeps its tag; its index bits are cleared.
    std::uint32_t allocate();
    // The same without growth: 0 also when the free list is empty, so the
    // caller never takes the growth lock.
    std::uint32_t allocateWithoutGrowth() { return popFreeList(); }

    // Grows the pool to count nodes (any count not above the current node
    // count means twice the current count), never beyond the capacity, and
    // threads the new nodes onto the free list except one, which is returned
    // to the caller. When another thread has grown the pool meanwhile, a node
    // from the free list is returned instead. Returns 0 when none can be had.
    std::uint32_t grow(std::uint32_t count = 0);

    // Puts a node handed out by allocate or grow back on the free list.
    void release(std::uint32_t index);

    // Node access; index must be below the node count.
    std::atomic<std::uint32_t>& link(std::uint32_t index) { return storage_[std::size_t(index) * stride_]; }
    std::atomic<std::uint32_t>* payload(std::uint32_t index) {
        return &storage_[std::size_t(index) * stride_ + 1];
    }

    // The word that replaces `word` after a successful swap: its tag plus one,
    // with a new index.
    static std::uint32_t nextWord(std::uint32_t word, std::uint32_t index) {
        return ((word + tagUnit) & ~indexMask) | (index & indexMask);
    }

private:
    std::atomic<std::uint32_t>& freeListHead() { return storage_[0]; }
    std::uint32_t popFreeList();
    void constructNodes(std::uint32_t first, std::uint32_t end);

    std::uint32_t capacity_;
    std::uint32_t stride_;
    std::atomic<std::uint32_t>* storage_;
    std::atomic<std::uint32_t> nodeCount_{0};
    std::unique_ptr<CriticalSection> growthLock_;
};

// The pool's allocate operation (pop the free list, grow when it is empty).
std::uint32_t popFreeNode(NodePool& pool);

// The pool's grow operation: count new nodes (0 = double), one of them for
// the caller, the rest on the free list; 0 at capacity.
std::uint32_t growNodePool(NodePool& pool, std::uint32_t count);
