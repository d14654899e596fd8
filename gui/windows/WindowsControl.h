#pragma once

// The root control of an editor on Windows: it owns the editor's window
// (class "ZT_UIWindow", a child of the host's window, or a popup over the
// monitor while full screen), turns its messages into the root control's
// pointer, wheel and key entry points, keeps the bounds in step with the
// window, runs the toolkit's window timers and the 10 ms tick, and follows
// the window to other monitors.
//
// Every message runs inside one root-lock scope, which also holds a
// liveness token: a handler may destroy the control (or the whole editor),
// and nothing of it is touched afterwards.
//
// Threading: GUI thread only.

#include "gui/RootControl.h"

#include <functional>
#include <set>
#include <windows.h>

namespace gui {

class WindowsControl : public RootControl {
public:
    // Messages between the editor's window and its text editor's window.
    static constexpr UINT kTakeFocusMessage = WM_APP;
    static constexpr UINT kEditChangedMessage = WM_APP + 2;
    static constexpr UINT kEditColorMessage = WM_APP + 3;

    // Makes the window as a child of parent at the rectangle (pixels) and attaches it.
    WindowsControl(UserInterface& userInterface, HWND parent, const RECT& rectangle);
    ~WindowsControl() override;

    HWND window() const { return window_; }
    float scale() const;

    // Moves the editor to another host window: the child window now, or
    // (while full screen) the child window that leaving full screen makes.
    // Full screen and back then lands in the new parent. False when the
    // system refuses the move.
    bool setParentWindow(HWND parent);
    HWND parentWindow() const { return host_; }
    // A scale the host fixed (0 follows the monitor).
    void setFixedScale(float scale) { fixedScale_ = scale; }
    // Called when the full-screen window is closed.
    void setFullScreenHandler(std::function<void()> handler) { fullScreenHandler_ = std::move(handler); }

    void startTimer(int id, int interval) override;
    void stopTimer(int id) override;
    void setMouseCapture(Control* control) override;
    void enterFullScreen() override;
    void leaveFullScreen() override;

    // Bounds from the window's rectangle in its parent, in logical units.
    void updateBoundsFromWindow();
    // When the window moved to another monitor (outside a move or size
    // loop): the monitor-changed event, and the monitor's scale unless one is fixed.
    void checkMonitor();

    virtual LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Stops any drawing that runs beside the GUI thread. The interface calls
    // it before it deletes the tree, so nothing draws a half-deleted tree.
    virtual void stopDrawing() {}

protected:
    static LRESULT CALLBACK staticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void attachWindow();
    void detachWindow();
    void applyBounds(const Rect& rect);
    void applyPixelBounds(int x, int y, int width, int height);
    int mouseModifiers(WPARAM wParam) const;
    Point pointFromLParam(LPARAM lParam) const;
    void tick();
    LRESULT handleWheel(bool horizontal, WPARAM wParam, LPARAM lParam);
    LRESULT handleKey(UINT message, WPARAM wParam, LPARAM lParam);
    void handleCancelMode();
    void handleCaptureChanged(HWND gaining);
    void handleDrop(WPARAM drop);

    HWND window_ = nullptr;
    HWND host_ = nullptr;
    RECT childRectangle_{};
    bool fullScreen_ = false;
    bool releasingCapture_ = false; // the root gives up the capture itself
    std::function<void()> fullScreenHandler_;
    Point pointer_;
    int modifiers_ = 0;
    DWORD lastVerticalWheel_ = 0;
    DWORD lastHorizontalWheel_ = 0;
    int wheelScrollLines_ = 3;
    RECT lastWindowRect_{};
    HMONITOR monitor_ = nullptr;
    float fixedScale_ = 0.0f;
    std::set<int> runningTimers_;
};

} // namespace gui
