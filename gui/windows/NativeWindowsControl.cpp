#include "gui/windows/NativeWindowsControl.h"

#include "gui/InterfaceTimer.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

LONG toPixels(float logical, float scale) {
    return LONG(std::floor(logical * scale + 0.7f));
}

} // namespace

NativeWindowsControl::NativeWindowsControl(UserInterface& userInterface, HWND parent, const RECT& rectangle)
    : WindowsControl(userInterface, parent, rectangle), backBuffer_(userInterface.deviceBacking()) {
    lastTimerStamp_ = userInterface.now();
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

void NativeWindowsControl::startTimer(int id, int interval) {
    WindowsControl::startTimer(id, interval);
    if (InterfaceTimer* timer = userInterface().timerById(id);
        timer != nullptr && timer->frameDriven.getValue())
        frameTimer_ = id;
}

void NativeWindowsControl::stopTimer(int id) {
    WindowsControl::stopTimer(id);
    if (frameTimer_ == id) frameTimer_ = 0;
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
        const LivenessToken token = liveness();
        if (InterfaceTimer* timer = frameTimer_ != 0 ? userInterface().timerById(frameTimer_) : nullptr) {
            const std::uint32_t interval = std::uint32_t(std::max(1, timer->interval.getValue()));
            const std::uint32_t time = userInterface().now();
            if (time - lastTimerStamp_ > 2 * interval) {
                lastTimerStamp_ = time - interval;
                timer->tick();
                if (!token->alive) return 0;
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
        lastTimerStamp_ = userInterface().now();
        break;
    default:
        break;
    }
    return WindowsControl::windowProc(window, message, wParam, lParam);
}

} // namespace gui
