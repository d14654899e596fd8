#include "gui/RootControl.h"

namespace gui {

RootControl::RootControl(UserInterface& userInterface) : Control(userInterface) {}

RootControl::~RootControl() = default;

void RootControl::setMouseCapture(Control* control) {
    if (control == captureHolder_) return;
    if (Control* previous = captureHolder_) {
        endGesture();
        captureHolder_ = nullptr;
        previous->captureLost();
    }
    captureHolder_ = control;
    captureChangedEvent.notify(this);
}

void RootControl::setPendingClick(Control* control) {
    pendingClick_ = control;
    if (control != nullptr) startSingleClickTimer();
}

void RootControl::clearPendingClick() {
    pendingClick_ = nullptr;
    stopSingleClickTimer();
}

void RootControl::addDirtyRect(const Rect& rect) {
    unite(windowDirtyRect_, rect);
}

void RootControl::startSingleClickTimer() {}

void RootControl::stopSingleClickTimer() {}

void RootControl::endGesture() {}

} // namespace gui
