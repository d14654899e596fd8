#include "gui/windows/WindowsControl.h"

#include "foundation/windows/Win32Support.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/UserInterface.h"
#include "gui/windows/DisplayScale.h"
#include "gui/windows/UIWindow.h"
#include "gui/windows/WindowsInput.h"
#include "gui/windows/WindowsTimer.h"

#include <cmath>
#include <mmsystem.h>
#include <shellapi.h>
#include <vector>

namespace gui {

namespace {

constexpr UINT kGetMouseWheelRouting = 0x201C;  // SPI_GETMOUSEWHEELROUTING
constexpr UINT kWheelRoutingToPointer = 2;      // the window under the pointer gets the wheel
constexpr WORD kEditUpdateNotification = 0x400; // EN_UPDATE
constexpr float kBoundsTolerance = 0.001f;
constexpr float kSpeedLimit = 1.0f;
constexpr float kNoDistance = 1.1920929e-7f;

bool differs(const Rect& a, const Rect& b) {
    return std::fabs(a.left - b.left) > kBoundsTolerance || std::fabs(a.top - b.top) > kBoundsTolerance ||
           std::fabs(a.right - b.right) > kBoundsTolerance ||
           std::fabs(a.bottom - b.bottom) > kBoundsTolerance;
}

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::uint32_t systemClock() {
    return timeGetTime();
}

} // namespace

WindowsControl::WindowsControl(UserInterface& userInterface, HWND parent, const RECT& rectangle,
                               IntervalTimer::Clock clock)
    : RootControl(userInterface), clock_(clock ? std::move(clock) : IntervalTimer::Clock(systemClock)),
      alive_(std::make_shared<bool>(true)), host_(parent), childRectangle_(rectangle) {
    lastVerticalWheel_ = lastHorizontalWheel_ = now();
    window_ = createUIWindow(parent, &rectangle);
    attachWindow();
}

WindowsControl::~WindowsControl() {
    *alive_ = false;
    for (auto& [id, timer] : timers_)
        timer->detachRoot();
    timers_.clear();
    detachWindow();
}

float WindowsControl::scale() const {
    return userInterface().deviceBacking().getScale();
}

void WindowsControl::attachWindow() {
    if (window_ == nullptr) return;
    // The user data first: a message that arrives once the procedure is ours finds the control.
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&staticWindowProc));
    UINT routing = 0;
    if (!SystemParametersInfoW(kGetMouseWheelRouting, 0, &routing, 0)) routing = 0;
    if (routing != kWheelRoutingToPointer) PostMessageW(window_, kTakeFocusMessage, 0, 0);
    wheelScrollLines_ = systemWheelScrollLines();
    AddClipboardFormatListener(window_);
    SetTimer(window_, kTickTimerId, kTickInterval, nullptr);
    for (auto& [id, timer] : timers_)
        if (timer->started_) SetTimer(window_, id, UINT(timer->interval.getValue()), nullptr);
    updateBoundsFromWindow();
}

void WindowsControl::detachWindow() {
    if (window_ == nullptr) return;
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    KillTimer(window_, kTickTimerId);
    for (auto& [id, timer] : timers_)
        KillTimer(window_, id);
    RemoveClipboardFormatListener(window_);
    destroyUIWindow(window_);
    window_ = nullptr;
}

void WindowsControl::updateBoundsFromWindow() {
    RECT r{};
    if (!GetWindowRect(window_, &r)) return;
    MapWindowPoints(HWND_DESKTOP, GetParent(window_), reinterpret_cast<POINT*>(&r), 2);
    if (fullScreen_) r.bottom -= 1;
    const float s = scale();
    applyBounds(Rect(float(r.left) / s, float(r.top) / s, float(r.right) / s, float(r.bottom) / s));
}

void WindowsControl::applyBounds(const Rect& rect) {
    if (differs(rect, bounds.getValue())) setBounds(rect);
}

void WindowsControl::startTimer(WindowsTimer& timer) {
    timers_[timer.id_] = &timer;
    timer.started_ = SetTimer(window_, timer.id_, UINT(timer.interval.getValue()), nullptr) != 0;
}

void WindowsControl::stopTimer(WindowsTimer& timer) {
    if (window_ != nullptr) KillTimer(window_, timer.id_);
    timer.started_ = false;
}

UINT_PTR WindowsControl::allocateTimerId() {
    for (;;) {
        const UINT_PTR id = nextTimerId_++;
        if (nextTimerId_ > 0xFFFFFFFFu) nextTimerId_ = 2;
        if (id > kTickTimerId && timers_.find(id) == timers_.end()) return id;
    }
}

void WindowsControl::forgetTimer(WindowsTimer& timer) {
    auto it = timers_.find(timer.id_);
    if (it != timers_.end() && it->second == &timer) timers_.erase(it);
}

void WindowsControl::setMouseCapture(Control* control) {
    const bool held = getCaptureHolder() != nullptr;
    if (control != nullptr && !held) SetCapture(window_);
    if (control == nullptr && held && GetCapture() == window_) ReleaseCapture();
    RootControl::setMouseCapture(control);
}

void WindowsControl::enterFullScreen() {
    if (fullScreen_ || window_ == nullptr) return;
    RECT r{};
    GetWindowRect(window_, &r);
    MapWindowPoints(HWND_DESKTOP, host_, reinterpret_cast<POINT*>(&r), 2);
    childRectangle_ = r;
    detachWindow();
    fullScreen_ = true;
    window_ = createUIWindow(host_, nullptr);
    attachWindow();
}

void WindowsControl::leaveFullScreen() {
    if (!fullScreen_) return;
    detachWindow();
    fullScreen_ = false;
    window_ = createUIWindow(host_, &childRectangle_);
    attachWindow();
}

LRESULT CALLBACK WindowsControl::staticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<WindowsControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (control == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    // Held across the message: whatever the handlers destroy, the flag stays readable.
    const std::shared_ptr<bool> alive = control->alive_;
    return control->windowProc(window, message, wParam, lParam);
}

int WindowsControl::mouseModifiers(WPARAM wParam) const {
    const WORD keys = LOWORD(wParam);
    int bits = 0;
    if (keys & MK_LBUTTON) bits |= kLeftButton;
    if (keys & MK_MBUTTON) bits |= kMiddleButton;
    if (keys & MK_RBUTTON) bits |= kRightButton;
    if (keys & MK_CONTROL) bits |= kCtrl;
    if (keys & MK_SHIFT) bits |= kShift;
    return readModifierKeys(bits);
}

Point WindowsControl::pointFromLParam(LPARAM lParam) const {
    const float s = scale();
    return Point(float(short(LOWORD(lParam))) / s, float(short(HIWORD(lParam))) / s);
}

LRESULT WindowsControl::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == kEditUpdateNotification && lParam != 0) {
            SendMessageW(reinterpret_cast<HWND>(lParam), kEditChangedMessage, 0, 0);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (fullScreen_) {
            leaveFullScreen();
            if (fullScreenHandler_) fullScreenHandler_();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_CANCELMODE:
        handleCancelMode();
        break;
    case WM_SETCURSOR:
        SetCursor(reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)));
        return 1;
    case WM_WINDOWPOSCHANGED: {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (position != nullptr && (position->flags & SWP_NOSIZE) == 0) {
            const float s = scale();
            const float x = float(position->x) / s;
            const float y = float(position->y) / s;
            applyBounds(Rect(x, y, x + float(position->cx) / s, y + float(position->cy) / s));
        }
        break;
    }
    case WM_NCPAINT:
        checkMonitor();
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        return handleKey(message, wParam, lParam);
    case WM_CHAR: {
        const std::weak_ptr<bool> alive = alive_;
        const int character = int(wParam);
        if (Control* focused = getFocusedChild(); focused != nullptr && focused->dispatchKey(1, character))
            return 0;
        if (!*alive_) return 0;
        if (keyPressed(1, character, 0)) return 0;
        break;
    }
    case WM_TIMER:
        if (wParam == kTickTimerId) {
            tick();
        } else if (auto it = timers_.find(wParam); it != timers_.end()) {
            it->second->tick();
        }
        return 0;
    case WM_CTLCOLOREDIT:
        if (LRESULT brush = SendMessageW(reinterpret_cast<HWND>(lParam), kEditColorMessage, wParam, 0))
            return brush;
        break;
    case WM_MOUSEMOVE:
        pointer_ = pointFromLParam(lParam);
        modifiers_ = mouseModifiers(wParam);
        handleMouseMove(pointer_, modifiers_);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(window);
        handleMouseDown(0, pointFromLParam(lParam), mouseModifiers(wParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        handleMouseDown(0, pointFromLParam(lParam), mouseModifiers(wParam) | kDoubleClick);
        return 0;
    case WM_LBUTTONUP:
        handleMouseUp(0, pointFromLParam(lParam), mouseModifiers(wParam));
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        handleMouseDown(1, pointFromLParam(lParam), mouseModifiers(wParam));
        return 0;
    case WM_RBUTTONUP:
        handleMouseUp(1, pointFromLParam(lParam), mouseModifiers(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        return handleWheel(false, wParam, lParam);
    case WM_MOUSEHWHEEL:
        return handleWheel(true, wParam, lParam);
    case WM_DROPFILES:
        handleDrop(wParam);
        return 0;
    case WM_CLIPBOARDUPDATE:
        clipboardEvent.notify(this);
        return 0;
    case kTakeFocusMessage:
        SetFocus(window);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT WindowsControl::handleKey(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    if (message == WM_KEYDOWN) {
        if (const int code = toolkitKeyCode(wParam)) {
            if (Control* focused = getFocusedChild(); focused != nullptr && focused->dispatchKey(code, 0))
                return 0;
            if (!*alive_) return 0;
            if (keyPressed(code, 0, 0)) return 0;
            if (!*alive_) return 0;
        }
    }
    if (!leftButtonHeld_) {
        const std::shared_ptr<bool> alive = alive_;
        setMouseCapture(nullptr);
        if (!*alive) return 0;
    }
    if (fullScreen_ && message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        leaveFullScreen();
        return 0;
    }
    HWND forwardFrom = fullScreen_ ? host_ : window;
    if (HWND top = GetAncestor(forwardFrom, GA_ROOT)) PostMessageW(top, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

void WindowsControl::handleCancelMode() {
    if (!leftButtonHeld_) return;
    const Point outside(-1.0f, -1.0f);
    Control* holder = getCaptureHolder();
    leftButtonHeld_ = false;
    if (holder == nullptr) {
        if (Control* child = findChildAt(outside)) child->dispatchMouseUp(0, child->fromRoot(outside), 0);
    } else if (!userInterface().isBeingDestroyed()) {
        // The holder, read before the release, hears the end of its press.
        AliveGuard guard(holder);
        setMouseCapture(nullptr);
        if (guard.alive()) holder->mouseUp(0, outside, 0);
    }
}

LRESULT WindowsControl::handleWheel(bool horizontal, WPARAM wParam, LPARAM lParam) {
    const DWORD interval = wheelInterval(now(), horizontal ? lastHorizontalWheel_ : lastVerticalWheel_);
    const WheelInput input = wheelInput(horizontal, wParam, readModifierKeys(0), wheelScrollLines_, interval);
    const float s = scale();
    Point point(float(short(LOWORD(lParam))) / s, float(short(HIWORD(lParam))) / s);
    RECT r{};
    if (GetWindowRect(window_, &r)) point = Point(point.x - float(r.left) / s, point.y - float(r.top) / s);
    handleMouseWheel(point, input.modifiers, input.speed, input.distance, input.factor);
    return 0;
}

void WindowsControl::handleDrop(WPARAM dropParam) {
    auto drop = reinterpret_cast<HDROP>(dropParam);
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        std::vector<wchar_t> name(length + 1, L'\0');
        DragQueryFileW(drop, 0, name.data(), length + 1);
        POINT at{};
        DragQueryPoint(drop, &at);
        const float s = scale();
        DroppedFile file{Point(float(at.x) / s, float(at.y) / s), win32::utf8(name.data(), length)};
        DragFinish(drop);
        filesDroppedEvent.notify(&file);
        return;
    }
    DragFinish(drop);
}

void WindowsControl::tick() {
    const std::shared_ptr<bool> alive = alive_;
    const int tracked = trackModifierKeys(modifiers_);
    if (tracked != modifiers_) {
        modifiers_ = tracked;
        handleMouseMove(pointer_, modifiers_);
        if (!*alive) return;
    }
    checkMonitor();
    if (getHoverChild() != nullptr && getCaptureHolder() == nullptr) {
        POINT cursor{};
        RECT r{};
        if (GetCursorPos(&cursor) && GetWindowRect(window_, &r) && !PtInRect(&r, cursor)) {
            setHoverChild(nullptr);
            if (!*alive) return;
        }
    }
    tickEvent.notify(this);
}

void WindowsControl::checkMonitor() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMOVESIZE) != 0) return;
    RECT r{};
    if (!GetWindowRect(window_, &r) || sameRect(r, lastWindowRect_)) return;
    lastWindowRect_ = r;
    const DpiFunctions& functions = dpiFunctions();
    HMONITOR monitor =
        functions.monitorFromWindow != nullptr ? functions.monitorFromWindow(window_) : nullptr;
    if (monitor == monitor_) return;
    monitor_ = monitor;
    const std::shared_ptr<bool> alive = alive_;
    monitorChangedEvent.notify(this);
    if (!*alive) return;
    if (fixedScale_ == 0.0f && globalScaleOverride_ == 0.0f)
        userInterface().deviceBacking().setSystemScale(backingScaleForMonitor(monitor));
}

void WindowsControl::handleMouseDown(int button, const Point& point, int modifiers) {
    const std::shared_ptr<bool> alive = alive_;
    if (Control* pending = getPendingClick()) {
        clearPendingClick();
        if ((modifiers & kDoubleClick) == 0) pending->fireEvent8();
        if (!*alive) return;
    }
    if (button == 0 && (modifiers & kKeyModifierMask) == kRightPressEmulation) {
        button = 1;
        modifiers &= ~kRightPressEmulation;
        rightEmulation_ = true;
    } else {
        rightEmulation_ = false;
        if (button == 0) leftButtonHeld_ = true;
    }
    lastPress_ = point;
    Control* target = getEventTarget();
    target->dispatchMouseMove(target->fromRoot(point), modifiers | kPressMove);
    if (!*alive) return;
    target = getEventTarget();
    target->dispatchMouseDown(button, target->fromRoot(point), modifiers);
}

void WindowsControl::handleMouseMove(const Point& point, int modifiers) {
    const std::shared_ptr<bool> alive = alive_;
    if (Control* pending = getPendingClick()) {
        const float threshold = float(GetSystemMetrics(SM_CXDRAG));
        if (std::fabs(point.x - lastPress_.x) > threshold || std::fabs(point.y - lastPress_.y) > threshold) {
            clearPendingClick();
            pending->fireEvent8();
            if (!*alive) return;
        }
    }
    Control* target = getEventTarget();
    target->dispatchMouseMove(target->fromRoot(point), modifiers);
    if (!*alive) return;
    if (target != this && getEventTarget() == this) dispatchMouseMove(point, modifiers);
}

void WindowsControl::handleMouseUp(int button, const Point& point, int modifiers) {
    const std::shared_ptr<bool> alive = alive_;
    if (rightEmulation_) {
        button = 1;
        modifiers &= ~kRightPressEmulation;
        rightEmulation_ = false;
    }
    endGesture();
    leftButtonHeld_ = false;
    Control* target = getEventTarget();
    target->dispatchMouseMove(target->fromRoot(point), modifiers | kPressMove);
    if (!*alive) return;
    target = getEventTarget();
    target->dispatchMouseUp(button, target->fromRoot(point), modifiers);
}

bool WindowsControl::handleMouseWheel(const Point& point, int modifiers, const Point& speed,
                                      const Point& distance, float factor) {
    if (std::fabs(distance.x) <= kNoDistance && std::fabs(distance.y) <= kNoDistance) return false;
    const std::shared_ptr<bool> alive = alive_;
    const Point clamped(std::clamp(speed.x, -kSpeedLimit, kSpeedLimit),
                        std::clamp(speed.y, -kSpeedLimit, kSpeedLimit));
    Control* target = getEventTarget();
    target->dispatchGesture(0, 0, target->fromRoot(point), modifiers, Point(), Point(), 0.0f);
    if (!*alive) return false;
    target = getEventTarget();
    const bool taken =
        target->dispatchGesture(0, 1, target->fromRoot(point), modifiers, clamped, distance, factor);
    if (!*alive) return taken;
    target = getEventTarget();
    target->dispatchGesture(0, 2, Point(), 0, Point(), Point(), 0.0f);
    return taken;
}

void WindowsControl::paint(Bitmap& bitmap) {
    const Rect dirty = getDirtyRect();
    if (!(dirty.right > dirty.left && dirty.bottom > dirty.top)) return;
    Canvas& canvas = bitmap.getCanvas();
    canvas.clip.setValue(dirty);
    render(canvas);
    clearDirtyRect();
}

} // namespace gui
