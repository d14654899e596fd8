#pragma once

// The root control of an editor on Windows: it owns the editor's window
// (class "ZT_UIWindow", a child of the host's window, or a popup over the
// monitor while full screen), turns its messages into the root control's
// pointer, wheel and key entry points, keeps the bounds in step with the
// window, runs the toolkit's window timers and the 10 ms tick, and follows
// the window to other monitors.
//
// Liveness: every message holds a reference on the control's liveness flag,
// and code that runs after a handler (which may destroy the control, or the
// whole editor) checks it before touching the control again.
//
// Threading: GUI thread only.

#include "foundation/IntervalTimer.h"
#include "foundation/NotifyEvent.h"
#include "gui/RootControl.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <windows.h>

namespace gui {

class Bitmap;
class WindowsTimer;

class WindowsControl : public RootControl {
public:
    // The timer id of the 10 ms tick; toolkit timers use the ids above it.
    static constexpr UINT_PTR kTickTimerId = 1;
    static constexpr UINT kTickInterval = 10;
    // Messages between the editor's window and its text editor's window.
    static constexpr UINT kTakeFocusMessage = WM_APP;
    static constexpr UINT kEditChangedMessage = WM_APP + 2;
    static constexpr UINT kEditColorMessage = WM_APP + 3;

    // A file dropped on the window: the first of the drop, at its point.
    struct DroppedFile {
        Point point;
        std::string path;
    };

    // Makes the window as a child of parent at the rectangle (pixels) and attaches it.
    WindowsControl(UserInterface& userInterface, HWND parent, const RECT& rectangle,
                   IntervalTimer::Clock clock = {});
    ~WindowsControl() override;

    HWND window() const { return window_; }
    bool isFullScreen() const { return fullScreen_; }
    const std::shared_ptr<bool>& liveness() const { return alive_; }
    float scale() const;

    // A fixed scale (0 follows the monitor).
    void setFixedScale(float scale) { fixedScale_ = scale; }
    void setGlobalScaleOverride(float scale) { globalScaleOverride_ = scale; }
    // Called when the full-screen window is closed.
    void setFullScreenHandler(std::function<void()> handler) { fullScreenHandler_ = std::move(handler); }

    virtual void startTimer(WindowsTimer& timer);
    virtual void stopTimer(WindowsTimer& timer);
    // A new id for a toolkit timer: 2 and up, skipping 0 and 1 and ids in use.
    UINT_PTR allocateTimerId();
    void forgetTimer(WindowsTimer& timer);

    void setMouseCapture(Control* control) override;
    // Bounds from the window's rectangle in its parent, in logical units.
    void updateBoundsFromWindow();
    virtual void enterFullScreen();
    virtual void leaveFullScreen();

    virtual LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The pointer entry points of the root.
    void handleMouseDown(int button, const Point& point, int modifiers);
    void handleMouseMove(const Point& point, int modifiers);
    void handleMouseUp(int button, const Point& point, int modifiers);
    bool handleMouseWheel(const Point& point, int modifiers, const Point& speed, const Point& distance,
                          float factor);
    // Renders the dirty part of the tree into the bitmap.
    void paint(Bitmap& bitmap);
    bool isLeftButtonHeld() const { return leftButtonHeld_; }

    NotifyEvent tickEvent;      // after each 10 ms tick
    NotifyEvent clipboardEvent; // the clipboard changed
    NotifyEvent monitorChangedEvent;
    NotifyEvent filesDroppedEvent; // argument: DroppedFile*

protected:
    std::uint32_t now() const { return clock_(); }
    // The window procedure of every UI window.
    static LRESULT CALLBACK staticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void attachWindow();
    void detachWindow();
    void applyBounds(const Rect& rect);
    int mouseModifiers(WPARAM wParam) const;
    Point pointFromLParam(LPARAM lParam) const;
    void tick();
    void checkMonitor();
    LRESULT handleWheel(bool horizontal, WPARAM wParam, LPARAM lParam);
    LRESULT handleKey(UINT message, WPARAM wParam, LPARAM lParam);
    void handleCancelMode();
    void handleDrop(WPARAM drop);

    IntervalTimer::Clock clock_;
    std::shared_ptr<bool> alive_;
    HWND window_ = nullptr;
    HWND host_ = nullptr;
    RECT childRectangle_{};
    bool fullScreen_ = false;
    std::function<void()> fullScreenHandler_;
    Point pointer_;
    int modifiers_ = 0;
    DWORD lastVerticalWheel_ = 0;
    DWORD lastHorizontalWheel_ = 0;
    int wheelScrollLines_ = 3;
    std::map<UINT_PTR, WindowsTimer*> timers_;
    UINT_PTR nextTimerId_ = 2;
    RECT lastWindowRect_{};
    HMONITOR monitor_ = nullptr;
    float fixedScale_ = 0.0f;
    float globalScaleOverride_ = 0.0f;
    bool leftButtonHeld_ = false;
    bool rightEmulation_ = false;
    Point lastPress_;
};

} // namespace gui
