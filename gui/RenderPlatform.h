#pragma once

// What the render loop needs of the operating system: manual-reset events,
// a thread of its own, the desktop compositor's timing and a fine clock.
// On Windows: events, a runtime-library thread at above-normal priority and
// the compositor's timing; the POSIX stand-in has events and a thread of the
// standard library and no compositor. Tests give the loop their own service
// with a clock and a compositor they drive.
//
// Threading: every operation may be called on any thread; an event and a
// thread are shared between the thread that made them and the render thread.

#include <cstdint>
#include <functional>
#include <memory>

namespace gui {

class RenderPlatform {
public:
    // An event that stays set until it is reset.
    class Event {
    public:
        virtual ~Event() = default;
        virtual void set() = 0;
        virtual void reset() = 0;
        // Waits until the event is set, at most the milliseconds given
        // (kForever: without limit); true when it is set.
        virtual bool wait(int milliseconds) = 0;
    };

    // A running thread; the owner joins it before it lets it go.
    class Thread {
    public:
        virtual ~Thread() = default;
        // Waits without limit until the thread's body has returned.
        virtual void join() = 0;
    };

    // The compositor's view of the display.
    struct CompositorTiming {
        std::uint32_t rateNumerator = 0; // refresh rate = numerator / denominator Hz
        std::uint32_t rateDenominator = 0;
        double refreshPeriod = 0.0; // as the compositor measures it (ms)
        double vblankTime = 0.0;    // the last (or next) vertical blank, on now()'s clock (ms)
    };

    static constexpr int kForever = -1;

    virtual ~RenderPlatform() = default;

    // A new event, not set; null when the system has none to give.
    virtual std::unique_ptr<Event> createEvent() = 0;
    // Runs the body on a new thread; null when the thread could not start.
    virtual std::unique_ptr<Thread> startThread(std::function<void()> body) = 0;
    // False when there is no compositor or it does not answer.
    virtual bool compositorTiming(CompositorTiming& timing) = 0;
    // A monotonic clock in milliseconds with sub-millisecond resolution.
    virtual double now() = 0;
    virtual void sleep(int milliseconds) = 0;

    // The platform's service; the caller owns it.
    static std::unique_ptr<RenderPlatform> create();
};

} // namespace gui
