#pragma once

// The root control painted with GDI: the tree is rendered into a DIB back
// buffer that follows the root's size and scale, and each WM_PAINT copies it
// to the window. A frame-driven timer ticks from WM_PAINT when painting has
// kept WM_TIMER away for more than two of its intervals.
//
// Threading: GUI thread only.

#include "gui/windows/WindowsBitmap.h"
#include "gui/windows/WindowsControl.h"

namespace gui {

class NativeWindowsControl : public WindowsControl {
public:
    NativeWindowsControl(UserInterface& userInterface, HWND parent, const RECT& rectangle,
                         IntervalTimer::Clock clock = {});
    ~NativeWindowsControl() override;

    void addDirtyRect(const Rect& rect) override;
    void startTimer(WindowsTimer& timer) override;
    void stopTimer(WindowsTimer& timer) override;
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void boundsChanged() override;
    void scaleChanged() override;

    WindowsBitmap& backBuffer() { return backBuffer_; }
    WindowsTimer* frameTimer() const { return frameTimer_; }

private:
    void fitBackBuffer();

    WindowsBitmap backBuffer_;
    WindowsTimer* frameTimer_ = nullptr;
    std::uint32_t lastTimerStamp_ = 0;
};

} // namespace gui
