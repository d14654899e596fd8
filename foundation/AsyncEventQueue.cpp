#include "foundation/AsyncEventQueue.h"

AsyncEventQueue::~AsyncEventQueue() {
    if (destroyedFlag_) *destroyedFlag_ = true;
}

void AsyncEventQueue::setWakeFunction(WakeFunction function, void* context) {
    wakeContext_.store(context, std::memory_order_relaxed);
    wakeFunction_.store(function, std::memory_order_release);
}

void AsyncEventQueue::wake() const noexcept {
    if (WakeFunction function = wakeFunction_.load(std::memory_order_acquire))
        function(wakeContext_.load(std::memory_order_relaxed));
}

bool AsyncEventQueue::deliver(std::int32_t code, std::int64_t payload) {
    // A handler may destroy the queue (the destructor sets the flag) or
    // deliver again: nested calls chain their flags and give the message of
    // the outer call back to its remaining handlers. Restored on every exit.
    struct FlagScope {
        AsyncEventQueue* queue;
        bool* outer;
        std::int32_t outerCode;
        std::int64_t outerPayload;
        bool destroyed = false;
        ~FlagScope() {
            if (destroyed) {
                if (outer) *outer = true;
                return;
            }
            queue->destroyedFlag_ = outer;
            queue->code_ = outerCode;
            queue->payload_ = outerPayload;
        }
    } scope{this, destroyedFlag_, code_, payload_};
    code_ = code;
    payload_ = payload;
    destroyedFlag_ = &scope.destroyed;
    event_.notify(this);
    return !scope.destroyed;
}
