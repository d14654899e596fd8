#pragma once

// The render thread of an accelerated root control, apart from OpenGL and
// the window: it paces passes against the compositor (RenderPacing), runs a
// drawing pass under the root's lock on every (skip + 1)-th pass, swaps
// after a pass that drew, and ends on a stop request or a lost context.
// The client (the accelerated root) makes its context current, swaps, and
// draws the tree; the platform service gives events, the thread and time.
//
// A drawing pass takes the root's lock with tryEnter, every millisecond
// again, and gives up when a stop is requested: stopping joins without
// limit and may be called while the GUI thread holds the lock. Under the
// lock it drains the frame list of the user interface's posted messages, fires the
// frame timers and, when the root is dirty, not paused and visible, draws
// the whole root and empties its dirty rectangle.
//
// The frame event is set by every drawing pass (whether it drew or gave
// up), by every pass whose context could not be made current, and when the
// thread ends, so that no waiter for a frame is left hanging. Three passes
// in a row without a current context, or a failed swap, end the thread as
// a lost context: the client hears of it on the render thread and hands it
// to the GUI thread (by posting; it never sends to a window).
//
// The wake event cuts every wait of the thread short: a stop sets it, and a
// resize keeps it set while it lasts.
//
// Threading: start, stop and the resize run on the GUI thread; the loop and
// every client operation but contextLost's hand-over on the render thread.

#include "gui/RenderPacing.h"
#include "gui/RenderPlatform.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

namespace gui {

class RootControl;

class RenderLoop {
public:
    enum class StopRequest : int { kRun = 0, kKeep = 1, kDelete = 2 };

    static constexpr int kLostContextPasses = 3;
    static constexpr int kLockRetry = 1;            // ms between tries of the root's lock
    static constexpr int kVblankTries = 50;         // 1 ms waits for the vertical blank to move
    static constexpr int kMarginTries = 50;         // 1 ms waits for the margin after it
    static constexpr double kPeriodTolerance = 0.1; // ms the compositor's period may differ
    static constexpr double kSpareThreshold = 0.5;  // ms past the margin kept as spare time
    static constexpr double kDeadlinePeriods = 1.25;

    // The accelerated root's side of the loop (render thread unless noted).
    class Client {
    public:
        // First thing on the render thread: per-thread set-up.
        virtual void renderThreadStarted() {}
        virtual bool makeCurrent() = 0;
        virtual void releaseCurrent() = 0;
        // False when the buffers could not be swapped (the context is lost).
        virtual bool swapBuffers() = 0;
        // Under the root's lock: whether the root's window can be seen.
        virtual bool isVisible() = 0;
        // Under the root's lock: draws the whole root.
        virtual void drawFrame() = 0;
        // Last thing on the render thread; with kDelete the textures go.
        virtual void renderThreadEnding(StopRequest request) = 0;
        // The thread ended for a lost context; tell the GUI thread by posting.
        virtual void contextLost() = 0;

    protected:
        ~Client() = default;
    };

    RenderLoop(RootControl& root, RenderPlatform& platform, Client& client, std::uint32_t accelerationMode);
    // Stops a running thread with kDelete.
    ~RenderLoop();
    RenderLoop(const RenderLoop&) = delete;
    RenderLoop& operator=(const RenderLoop&) = delete;

    // Whether both events were made (the loop cannot run without them).
    bool isUsable() const { return wake_ != nullptr && frame_ != nullptr; }
    // A thread was started and not yet stopped (it may have ended by itself).
    bool isRunning() const { return thread_ != nullptr; }
    // Starts the thread unless one runs; false when none could start.
    bool start();
    // Sets the request, wakes the thread, joins it, then clears the request.
    void stop(StopRequest request);
    // Whether the last thread ended for a lost context.
    bool contextWasLost() const { return lost_.load(); }

    // Around a change of the root's size (nested calls count). The first
    // begin sets the wake event; the last end, while a thread runs, gives
    // up the root's lock and waits for the next frame (a pass at the new
    // size), unless the caller still holds the lock after that: then the
    // next pass draws the new size.
    void beginResize();
    void endResize();

private:
    void run();
    bool drawingPass();
    // Lines the swap up behind the vertical blank; false when the wake
    // event cancelled this frame's swap.
    bool alignToVblank(double& lastVblank, double& deadline, double& spare);
    bool stopRequested() const { return request_.load() != StopRequest::kRun; }

    RootControl& root_;
    RenderPlatform& platform_;
    Client& client_;
    const std::uint32_t accelerationMode_;
    std::unique_ptr<RenderPlatform::Event> wake_;
    std::unique_ptr<RenderPlatform::Event> frame_;
    std::unique_ptr<RenderPlatform::Thread> thread_;
    std::atomic<StopRequest> request_{StopRequest::kRun};
    std::atomic<bool> finished_{false};
    std::atomic<bool> lost_{false};
    std::atomic<std::thread::id> renderThread_{};
    int resizeDepth_ = 0;
    RenderPacing pacing_; // the render thread's
};

} // namespace gui
