#include "gui/windows/WindowsTimer.h"

#include "gui/windows/WindowsControl.h"

namespace gui {

WindowsTimer::WindowsTimer(WindowsControl& root) : root_(&root) {
    interval.setValue(1000);
}

WindowsTimer::~WindowsTimer() {
    if (root_ != nullptr) {
        if (started_) root_->stopTimer(*this);
        root_->forgetTimer(*this);
    }
}

void WindowsTimer::propertyChanged(AbstractProperty&) {
    update();
}

void WindowsTimer::update() {
    if (root_ == nullptr) return;
    if (started_) root_->stopTimer(*this);
    if (enabled.getValue() && interval.getValue() >= 1) {
        if (id_ == 0) id_ = root_->allocateTimerId();
        root_->startTimer(*this);
    }
}

} // namespace gui
