// The event queue on POSIX: a bounded ring allocated at creation, many
// producers and the creating thread as the one consumer. Each slot carries a
// sequence number (D. Vyukov's bounded MPMC queue): a producer claims a slot
// by compare-and-swap on the tail and publishes it with a release store of the
// sequence; a full ring drops the message. Nothing is allocated or locked
// after creation.
#include "foundation/AsyncEventQueue.h"

#include <bit>

namespace {

class PosixAsyncEventQueue final : public AsyncEventQueue {
public:
    explicit PosixAsyncEventQueue(std::size_t capacity)
        : mask_(std::bit_ceil(capacity < 2 ? std::size_t{2} : capacity) - 1), slots_(new Slot[mask_ + 1]) {
        for (std::size_t i = 0; i <= mask_; ++i)
            slots_[i].sequence.store(i, std::memory_order_relaxed);
    }

    bool post(std::int32_t code, std::int64_t payload) noexcept override {
        std::size_t position = tail_.load(std::memory_order_relaxed);
        Slot* slot;
        for (;;) {
            slot = &slots_[position & mask_];
            std::size_t sequence = slot->sequence.load(std::memory_order_acquire);
            auto difference = static_cast<std::ptrdiff_t>(sequence - position);
            if (difference == 0) {
                if (tail_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) break;
            } else if (difference < 0) {
                return false; // full
            } else {
                position = tail_.load(std::memory_order_relaxed);
            }
        }
        slot->code = code;
        slot->payload = payload;
        slot->sequence.store(position + 1, std::memory_order_release);
        wake();
        return true;
    }

    std::size_t deliverPending() override {
        const std::size_t end = tail_.load(std::memory_order_acquire);
        std::size_t delivered = 0;
        while (static_cast<std::ptrdiff_t>(end - head_) > 0) { // a nested call may have gone further
            Slot& slot = slots_[head_ & mask_];
            if (slot.sequence.load(std::memory_order_acquire) != head_ + 1)
                break; // claimed, not yet published: later messages wait behind it
            std::int32_t code = slot.code;
            std::int64_t payload = slot.payload;
            slot.sequence.store(head_ + mask_ + 1, std::memory_order_release);
            ++head_;
            ++delivered;
            if (!deliver(code, payload)) break; // a handler destroyed the queue
        }
        return delivered;
    }

private:
    struct Slot {
        std::atomic<std::size_t> sequence{0};
        std::int32_t code = 0;
        std::int64_t payload = 0;
    };

    const std::size_t mask_;
    std::unique_ptr<Slot[]> slots_;
    alignas(64) std::atomic<std::size_t> tail_{0};
    alignas(64) std::size_t head_ = 0; // the consumer's alone
};

} // namespace

std::unique_ptr<AsyncEventQueue> AsyncEventQueue::create(std::size_t capacity) {
    return std::make_unique<PosixAsyncEventQueue>(capacity);
}
