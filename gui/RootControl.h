#pragma once

// The top control of a window: it owns the mouse capture, the pending
// delayed single click and the window's dirty area, which every
// invalidation in the tree ends up in. The platform's root control derives
// from it and adds the window, the timers and painting.
//
// Threading: GUI thread only.

#include "gui/Control.h"

namespace gui {

class RootControl : public Control {
public:
    explicit RootControl(UserInterface& userInterface);
    ~RootControl() override;

    NotifyEvent captureChangedEvent;

    // Gives the capture to the control (null releases it): a previous holder
    // first gets captureLost, then the capture-changed event fires.
    virtual void setMouseCapture(Control* control);
    Control* getCaptureHolder() const { return captureHolder_; }
    // The capture holder, else the root itself.
    Control* getEventTarget() { return captureHolder_ != nullptr ? captureHolder_ : this; }

    // The control whose delayed single click waits for the timer.
    void setPendingClick(Control* control);
    Control* getPendingClick() const { return pendingClick_; }
    void clearPendingClick();

    void addDirtyRect(const Rect& rect) override;
    const Rect& getDirtyRect() const { return windowDirtyRect_; }
    void clearDirtyRect() { windowDirtyRect_ = Rect(); }

protected:
    // Starts and stops the platform's single-click timer.
    virtual void startSingleClickTimer();
    virtual void stopSingleClickTimer();
    // Ends a running wheel gesture.
    virtual void endGesture();

private:
    Control* captureHolder_ = nullptr;
    Control* pendingClick_ = nullptr;
    Rect windowDirtyRect_;
};

} // namespace gui
