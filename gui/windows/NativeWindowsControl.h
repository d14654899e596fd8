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
    NativeWindowsControl(UserInterface& userInterface, HWND parent, const RECT& rectangle);
    ~NativeWindowsControl() override;

    void addDirtyRect(const Rect& rect) override;
    void startTimer(int id, int interval) override;
    void stopTimer(int id) override;
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void boundsChanged() override;
    void scaleChanged() override;

    WindowsBitmap& backBuffer() { return backBuffer_; }
    // The id of the frame-driven timer, 0 when none runs.
    int frameTimer() const { return frameTimer_; }

private:
    void fitBackBuffer();

    WindowsBitmap backBuffer_;
    int frameTimer_ = 0;
    std::uint32_t lastTimerStamp_ = 0;
};

} // namespace gui
