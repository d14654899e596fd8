#pragma once

// Main-thread work of the test host. A plug-in's request_callback (any
// thread) posts; the host's main thread pumps, and a pending request then
// runs the callback (the plug-in's on_main_thread) there. Requests made
// before a pump coalesce into one call, as hosts are allowed to.
//
// Natively a flag that the pump takes; on Windows a message posted to a
// hidden message-only window of the creating thread and dispatched by the
// pump, as a host's message loop would.

#include <functional>
#include <memory>

class MainThreadDispatcher {
public:
    virtual ~MainThreadDispatcher() = default;

    // Made on the thread that pumps; `callback` runs only there.
    static std::unique_ptr<MainThreadDispatcher> create(std::function<void()> callback);

    // Any thread; never blocks.
    virtual void post() = 0;

    // The creating thread: runs the callback when a post is pending.
    // Returns the number of callbacks run.
    virtual int pump() = 0;
};
