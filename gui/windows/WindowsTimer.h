#pragma once

// A toolkit timer as a timer of the editor's window: any change of enabled,
// interval or frame-driven stops it and, when it is enabled with an interval
// of at least 1 ms, starts it again on the root control's window with its own
// id (taken from the root on the first start). Its tick runs the bound
// handler, then the listeners. Destroying it stops it and leaves the root's
// id table.
//
// Threading: GUI thread only.

#include "gui/Timer.h"

#include <windows.h>

namespace gui {

class WindowsControl;

class WindowsTimer : public Timer {
public:
    explicit WindowsTimer(WindowsControl& root);
    ~WindowsTimer() override;

    void propertyChanged(AbstractProperty& property) override;
    // Stops and, when enabled with an interval, starts again.
    void update();

    UINT_PTR id() const { return id_; }
    bool isStarted() const { return started_; }
    // The root goes: the timer stays, stopped and without a window.
    void detachRoot() {
        root_ = nullptr;
        started_ = false;
    }

private:
    friend class WindowsControl;

    WindowsControl* root_;
    UINT_PTR id_ = 0;
    bool started_ = false;
};

} // namespace gui
