#pragma once

// The headless platform's root control: no window. It keeps the running
// timers (id, interval, when each is due) for its user interface to fire on
// the injected clock, and a software back buffer that follows its bounds
// and the backing scale (everything is invalidated when it does).
//
// Threading: GUI thread only.

#include "gui/Bitmap.h"
#include "gui/RootControl.h"

#include <cstdint>
#include <map>

namespace gui::headless {

class HeadlessRootControl : public RootControl {
public:
    struct RunningTimer {
        int interval;
        std::uint32_t due;
    };

    explicit HeadlessRootControl(UserInterface& userInterface);
    ~HeadlessRootControl() override;

    void startTimer(int id, int interval) override;
    void stopTimer(int id) override;
    const std::map<int, RunningTimer>& runningTimers() const { return timers_; }
    bool isTimerRunning(int id) const { return timers_.count(id) != 0; }
    // Moves a timer's due time on by its interval (it fired).
    void timerFired(int id);

    Bitmap& backBuffer() { return backBuffer_; }
    void boundsChanged() override;
    void scaleChanged() override;

private:
    void fitBackBuffer();

    std::map<int, RunningTimer> timers_;
    Bitmap backBuffer_;
};

} // namespace gui::headless
