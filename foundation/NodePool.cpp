#include "foundation/NodePool.h"

#include <algorithm>
#include <new>

namespace {

using Word = std::atomic<std::uint32_t>;

std::uint32_t limitCapacity(std::uint32_t capacity) {
    if (capacity == 0 || capacity > NodePool::maxCapacity) return NodePool::maxCapacity;
    return std::max<std::uint32_t>(capacity, 2);
}

} // namespace

NodePool::NodePool(std::uint32_t capacity, std::uint32_t payloadWords)
    : capacity_(limitCapacity(capacity)), stride_(payloadWords + 1),
      storage_(std::allocator<Word>().allocate(std::size_t(this->capacity_) * stride_)),
      growthLock_(CriticalSection::create()) {
    // Node 0 exists from the start so that the free-list head can always be
    // read; it counts as a node once the pool first grows.
    constructNodes(0, 1);
}

NodePool::~NodePool() {
    std::allocator<Word>().deallocate(storage_, std::size_t(capacity_) * stride_);
}

void NodePool::constructNodes(std::uint32_t first, std::uint32_t end) {
    for (std::size_t i = std::size_t(first) * stride_; i < std::size_t(end) * stride_; ++i)
        new (&storage_[i]) Word(0);
}

std::uint32_t NodePool::popFreeList() {
    std::uint32_t head = freeListHead().load();
    for (;;) {
        const std::uint32_t index = head & indexMask;
        if (index == 0) return 0;
        const std::uint32_t next = link(index).load() & indexMask;
        if (freeListHead().compare_exchange_weak(head, nextWord(head, next))) {
            link(index).fetch_and(~indexMask);
            return head;
        }
    }
}

std::uint32_t NodePool::allocate() {
    if (const std::uint32_t node = popFreeList()) return node;
    return grow();
}

std::uint32_t NodePool::grow(std::uint32_t count) {
    if (nodeCount_.load() >= capacity_) return 0;
    ScopedLock hold(*growthLock_);
    const std::uint32_t oldSize = nodeCount_.load();
    if (oldSize > 0) {
        // Another thread may have grown the pool while this one waited.
        if (const std::uint32_t node = popFreeList()) return node;
    }
    if (oldSize >= capacity_) return 0;

    // Node 0 stays reserved, so the caller's node is never 0.
    const std::uint32_t callersNode = std::max<std::uint32_t>(oldSize, 1);
    std::uint32_t newSize = count > oldSize ? count : 2 * oldSize;
    newSize = std::min(std::max(newSize, callersNode + 1), capacity_);
    constructNodes(callersNode, newSize);

    // Thread the other new nodes onto the free list with one swap, in the
    // order that pushing them one by one would give (the highest on top).
    if (newSize > callersNode + 1) {
        const std::uint32_t lowest = callersNode + 1;
        for (std::uint32_t i = lowest + 1; i < newSize; ++i)
            link(i).store(i - 1, std::memory_order_relaxed);
        std::uint32_t head = freeListHead().load();
        do {
            link(lowest).store(head & indexMask);
        } while (!freeListHead().compare_exchange_weak(head, nextWord(head, newSize - 1)));
    }
    nodeCount_.store(newSize);
    return callersNode;
}

void NodePool::release(std::uint32_t index) {
    // The node's link keeps a tag of its own that grows here too, so a
    // thread still holding an old view of this link cannot swap it.
    Word& nodeLink = link(index);
    const std::uint32_t tag = (nodeLink.load() + tagUnit) & ~indexMask;
    std::uint32_t head = freeListHead().load();
    do {
        nodeLink.store(tag | (head & indexMask));
    } while (!freeListHead().compare_exchange_weak(head, nextWord(head, index)));
}

std::uint32_t popFreeNode(NodePool& pool) {
    return pool.allocate();
}

std::uint32_t growNodePool(NodePool& pool, std::uint32_t count) {
    return pool.grow(count);
}
