#include "foundation/AsyncEventQueue.h"

namespace varnel {

AsyncEventQueue::~AsyncEventQueue()
{
    if (destroyedFlag_)
        *destroyedFlag_ = true;
}

void AsyncEventQueue::setWakeFunction(WakeFunction function, void* context)
{
    wakeContext_.store(context, std::memory_order_relaxed);
    wakeFunction_.store(function, std::memory_order_release);
}

void AsyncEventQueue::wake() const noexcept
{
    if (WakeFunction function = wakeFunction_.load(std::memory_order_acquire))
        function(wakeContext_.load(std::memory_order_relaxed));
}

bool AsyncEventQueue::deliver(std::int32_t code, std::int64_t payload)
{
    code_ = code;
    payload_ = payload;
    bool destroyed = false;
    bool* outer = destroyedFlag_;
    destroyedFlag_ = &destroyed;
    event_.notify(this);
    if (destroyed) {
        if (outer)
            *outer = true;
        return false;
    }
    destroyedFlag_ = outer;
    return true;
}

} // namespace varnel
