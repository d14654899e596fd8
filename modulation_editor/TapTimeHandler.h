#pragma once

// TapTimeHandler: the timing behind a value label's "TAP" face. A quick
// click (released within 250 ms of its press) turns tap mode on; the next
// click turns it off, and so does a 5000 ms timer of the user interface.
// The interval stopwatch runs on the user interface's clock and restarts at
// every press, so taps measure the time from press to press.
//
// The owner is the control that shows the state; it hears every change
// through stateChangedEvent and is redrawn. The handler lives inside its
// owner.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"

#include <cstdint>
#include <memory>

class IntervalTimer;

namespace gui {
class Control;
class Timer;
} // namespace gui

class TapTimeHandler {
public:
    // A click held longer than this does not start tap mode.
    static constexpr std::uint32_t kQuickClickMs = 250;
    // Tap mode ends by itself after this long.
    static constexpr int kActiveMs = 5000;

    explicit TapTimeHandler(gui::Control& owner);
    ~TapTimeHandler();
    TapTimeHandler(const TapTimeHandler&) = delete;
    TapTimeHandler& operator=(const TapTimeHandler&) = delete;

    // A press: the stopwatch starts again.
    void pressed();
    // A tap: the milliseconds since the previous press, and the stopwatch
    // starts again.
    std::uint32_t tap();
    // The release of a click: toggles tap mode (see the file comment).
    void click();
    // Ends tap mode (and its timer) at once.
    void deactivate();

    // Fired (sender: the handler) whenever tap mode turns on or off.
    NotifyEvent stateChangedEvent;

    bool isActive() const { return active_; }
    std::uint32_t elapsed() const;

private:
    void timerTick();
    void setActive(bool active);

    gui::Control& owner_;
    gui::Timer* timer_ = nullptr;
    std::unique_ptr<IntervalTimer> interval_;
    bool active_ = false;
};
