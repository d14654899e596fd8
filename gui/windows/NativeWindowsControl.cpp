#include "gui/windows/NativeWindowsControl.h"

#include "gui/UserInterface.h"
#include "gui/windows/WindowsTimer.h"

#include <cmath>

namespace gui {

namespace {

LONG toPixels(float logical, float scale) {
    return LONG(std::floor(logical * scale + 0.7f));
}

} // namespace

NativeWindowsControl::NativeWindowsControl(UserInterface& userInterface, HWND parent, const RECT& rectangle,
                                           IntervalTimer::Clock clock)
    : WindowsControl(userInterface, parent, rectangle, std::move(clock)),
      backBuffer_(userInterface.deviceBacking()) {
    lastTimerStamp_ = now();
    fitBackBuffer();
}

NativeWindowsControl::~NativeWindowsControl() = default;

void NativeWindowsControl::fitBackBuffer() {
    const Rect r = bounds.getValue();
    backBuffer_.setSize(r.right - r.left, r.bottom - r.top);
    invalidateRect(localRect());
}

void NativeWindowsControl::addDirtyRect(const Rect& rect) {
    WindowsControl::addDirtyRect(rect);
    if (window() == nullptr) return;
    const float s = scale();
    RECT pixels{toPixels(rect.left, s), toPixels(rect.top, s), toPixels(rect.right, s),
                toPixels(rect.bottom, s)};
    InvalidateRect(window(), &pixels, FALSE);
}

void NativeWindowsControl::startTimer(WindowsTimer& timer) {
    WindowsControl::startTimer(timer);
    if (timer.frameDriven.getValue()) frameTimer_ = &timer;
}

void NativeWindowsControl::stopTimer(WindowsTimer& timer) {
    WindowsControl::stopTimer(timer);
    if (frameTimer_ == &timer) frameTimer_ = nullptr;
}

void NativeWindowsControl::boundsChanged() {
    WindowsControl::boundsChanged();
    fitBackBuffer();
}

void NativeWindowsControl::scaleChanged() {
    WindowsControl::scaleChanged();
    fitBackBuffer();
}

LRESULT NativeWindowsControl::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        const std::shared_ptr<bool> alive = liveness();
        if (frameTimer_ != nullptr) {
            const std::uint32_t interval = std::uint32_t(std::max(1, frameTimer_->interval.getValue()));
            const std::uint32_t time = now();
            if (time - lastTimerStamp_ > 2 * interval) {
                lastTimerStamp_ = time - interval;
                frameTimer_->tick();
                if (!*alive) return 0;
            }
        }
        paint(backBuffer_);
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(window, &ps)) {
            backBuffer_.copyTo(dc, 0, 0);
            EndPaint(window, &ps);
        }
        return 0;
    }
    case WM_PRINTCLIENT:
        paint(backBuffer_);
        backBuffer_.copyTo(reinterpret_cast<HDC>(wParam), 0, 0);
        return 1;
    case WM_TIMER:
        lastTimerStamp_ = now();
        break;
    default:
        break;
    }
    return WindowsControl::windowProc(window, message, wParam, lParam);
}

} // namespace gui
