#pragma once
// Carries (code, payload) messages from any thread to the thread that created
// the queue, where the queue's event fires once per message, in the order of
// posting, with the queue as argument; the handler reads code() and payload().
//
// post() never blocks, takes no lock and allocates nothing, so the audio
// thread may call it. It drops the message when the queue is full (or has no
// window on Windows) and returns false; after a successful post it calls the
// wake function, which asks the owner's thread to pump (a plug-in sets it to
// the host's main-thread callback request). The wake function runs on the
// posting thread and must itself be real-time safe.
//
// Delivery: on Windows the creating thread's message loop delivers through a
// hidden window of class "ZT_QueueWindow"; on both builds deliverPending()
// delivers, on the creating thread, the messages that were queued when it
// began (a handler that posts again cannot keep it running).
//
// Set the wake function and the event's handlers before posting starts, and
// stop every posting thread before destroying the queue: messages still
// queued then are dropped. A handler may destroy the queue; delivery stops.

#include "foundation/NotifyEvent.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class AsyncEventQueue {
public:
    using WakeFunction = void (*)(void* context);
    static constexpr std::size_t defaultCapacity = 1024;

    AsyncEventQueue() = default;
    AsyncEventQueue(const AsyncEventQueue&) = delete;
    AsyncEventQueue& operator=(const AsyncEventQueue&) = delete;
    virtual ~AsyncEventQueue();

    // Any thread. True when the message was queued.
    virtual bool post(std::int32_t code, std::int64_t payload) noexcept = 0;
    // The creating thread. Returns the number of messages delivered.
    virtual std::size_t deliverPending() = 0;

    // Fired on the creating thread with this queue as argument.
    NotifyEvent& event() { return event_; }
    // The message being delivered.
    std::int32_t code() const { return code_; }
    std::int64_t payload() const { return payload_; }

    void setWakeFunction(WakeFunction function, void* context);

    // The platform's queue (the caller owns it). capacity: the number of
    // undelivered messages the queue holds before it drops new ones (the
    // Windows message queue has its own limit).
    static std::unique_ptr<AsyncEventQueue> create(std::size_t capacity = defaultCapacity);

protected:
    // Fires the event for one message; false when a handler destroyed the queue.
    bool deliver(std::int32_t code, std::int64_t payload);
    void wake() const noexcept;

private:
    NotifyEvent event_;
    std::int64_t payload_ = 0;
    std::int32_t code_ = 0;
    std::atomic<WakeFunction> wakeFunction_{nullptr};
    std::atomic<void*> wakeContext_{nullptr};
    bool* destroyedFlag_ = nullptr; // set while an event fires
};
