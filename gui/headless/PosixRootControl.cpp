#include "gui/headless/PosixRootControl.h"

#include "gui/UserInterface.h"

namespace gui::headless {

PosixRootControl::PosixRootControl(UserInterface& userInterface)
    : RootControl(userInterface), backBuffer_(userInterface.deviceBacking()) {}

PosixRootControl::~PosixRootControl() {
    endLiveness();
}

void PosixRootControl::startTimer(int id, int interval) {
    timers_[id] = RunningTimer{interval, userInterface().now() + static_cast<std::uint32_t>(interval)};
}

void PosixRootControl::stopTimer(int id) {
    timers_.erase(id);
}

void PosixRootControl::timerFired(int id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) it->second.due += static_cast<std::uint32_t>(it->second.interval);
}

void PosixRootControl::fitBackBuffer() {
    const Rect r = bounds.getValue();
    backBuffer_.setSize(r.width(), r.height());
    invalidateRect(localRect());
    addDirtyRect(Rect(0.0f, 0.0f, r.width(), r.height()));
}

void PosixRootControl::boundsChanged() {
    fitBackBuffer();
    RootControl::boundsChanged();
}

void PosixRootControl::scaleChanged() {
    fitBackBuffer();
    RootControl::scaleChanged();
}

} // namespace gui::headless
