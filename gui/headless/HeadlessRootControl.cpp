#include "gui/headless/HeadlessRootControl.h"

#include "gui/UserInterface.h"

namespace gui::headless {

HeadlessRootControl::HeadlessRootControl(UserInterface& userInterface)
    : RootControl(userInterface), backBuffer_(userInterface.deviceBacking()) {}

HeadlessRootControl::~HeadlessRootControl() {
    endLiveness();
}

void HeadlessRootControl::startTimer(int id, int interval) {
    timers_[id] = RunningTimer{interval, userInterface().now() + static_cast<std::uint32_t>(interval)};
}

void HeadlessRootControl::stopTimer(int id) {
    timers_.erase(id);
}

void HeadlessRootControl::timerFired(int id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) it->second.due += static_cast<std::uint32_t>(it->second.interval);
}

void HeadlessRootControl::fitBackBuffer() {
    const Rect r = bounds.getValue();
    backBuffer_.setSize(r.width(), r.height());
    invalidateRect(localRect());
    addDirtyRect(Rect(0.0f, 0.0f, r.width(), r.height()));
}

void HeadlessRootControl::boundsChanged() {
    fitBackBuffer();
    RootControl::boundsChanged();
}

void HeadlessRootControl::scaleChanged() {
    fitBackBuffer();
    RootControl::scaleChanged();
}

} // namespace gui::headless
