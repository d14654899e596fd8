#include "gui/windows/WindowsControl.h"

#include "foundation/windows/Win32Support.h"
#include "gui/DeviceBacking.h"
#include "gui/DisplayOptions.h"
#include "gui/Modifiers.h"
#include "gui/RootLockScope.h"
#include "gui/UserInterface.h"
#include "gui/windows/DisplayScale.h"
#include "gui/windows/UIWindow.h"
#include "gui/windows/WindowsInput.h"

#include <cmath>
#include <shellapi.h>
#include <vector>

namespace gui {

namespace {

constexpr UINT kGetMouseWheelRouting = 0x201C;  // SPI_GETMOUSEWHEELROUTING
constexpr UINT kWheelRoutingToPointer = 2;      // the window under the pointer gets the wheel
constexpr WORD kEditUpdateNotification = 0x400; // EN_UPDATE
constexpr float kBoundsTolerance = 0.001f;

bool differs(const Rect& a, const Rect& b) {
    return std::fabs(a.left - b.left) > kBoundsTolerance || std::fabs(a.top - b.top) > kBoundsTolerance ||
           std::fabs(a.right - b.right) > kBoundsTolerance ||
           std::fabs(a.bottom - b.bottom) > kBoundsTolerance;
}

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

WindowsControl::WindowsControl(UserInterface& userInterface, HWND parent, const RECT& rectangle)
    : RootControl(userInterface), host_(parent), childRectangle_(rectangle) {
    lastVerticalWheel_ = lastHorizontalWheel_ = userInterface.now();
    window_ = createUIWindow(parent, &rectangle);
    attachWindow();
}

WindowsControl::~WindowsControl() {
    endLiveness();
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
    SetTimer(window_, UserInterface::kTickTimerId, UserInterface::kTickInterval, nullptr);
    updateBoundsFromWindow();
}

void WindowsControl::detachWindow() {
    if (window_ == nullptr) return;
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    KillTimer(window_, UserInterface::kTickTimerId);
    for (int id : runningTimers_)
        KillTimer(window_, UINT_PTR(id));
    RemoveClipboardFormatListener(window_);
    destroyUIWindow(window_);
    window_ = nullptr;
}

void WindowsControl::updateBoundsFromWindow() {
    RECT r{};
    if (!GetWindowRect(window_, &r)) return;
    MapWindowPoints(HWND_DESKTOP, GetParent(window_), reinterpret_cast<POINT*>(&r), 2);
    if (fullScreen_) r.bottom -= 1;
    applyPixelBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void WindowsControl::applyPixelBounds(int x, int y, int width, int height) {
    // The size by the one rule, so that a window at the root's device size
    // gives back the root's logical size exactly.
    const float s = scale();
    const float left = float(x) / s;
    const float top = float(y) / s;
    applyBounds(Rect(left, top, left + toLogicalUnits(width, s), top + toLogicalUnits(height, s)));
}

void WindowsControl::applyBounds(const Rect& rect) {
    if (differs(rect, bounds.getValue())) setBounds(rect);
}

bool WindowsControl::setParentWindow(HWND parent) {
    if (parent == nullptr || !IsWindow(parent)) return false;
    if (!fullScreen_ && window_ != nullptr) {
        SetLastError(0);
        if (SetParent(window_, parent) == nullptr && GetLastError() != 0) return false;
    }
    host_ = parent;
    return true;
}

void WindowsControl::startTimer(int id, int interval) {
    if (window_ != nullptr && SetTimer(window_, UINT_PTR(id), UINT(interval), nullptr) != 0)
        runningTimers_.insert(id);
}

void WindowsControl::stopTimer(int id) {
    if (window_ != nullptr) KillTimer(window_, UINT_PTR(id));
    runningTimers_.erase(id);
}

void WindowsControl::setMouseCapture(Control* control) {
    const bool held = getCaptureHolder() != nullptr;
    if (control != nullptr && !held) SetCapture(window_);
    if (control == nullptr && held && GetCapture() == window_) {
        releasingCapture_ = true;
        ReleaseCapture();
        releasingCapture_ = false;
    }
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
    userInterface().restartTimers();
}

void WindowsControl::leaveFullScreen() {
    if (!fullScreen_) return;
    detachWindow();
    fullScreen_ = false;
    window_ = createUIWindow(host_, &childRectangle_);
    attachWindow();
    userInterface().restartTimers();
}

LRESULT CALLBACK WindowsControl::staticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<WindowsControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (control == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    // One scope per message: the lock at depth 1 and a liveness token, so a
    // handler may destroy the control and the scope touches nothing of it.
    RootLockScope scope(*control);
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
            const LivenessToken token = liveness();
            const std::function<void()> handler = fullScreenHandler_;
            fullScreen.setValue(false);
            if (token->alive && handler) handler();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_CANCELMODE:
        handleCancelMode();
        break;
    case WM_CAPTURECHANGED:
        handleCaptureChanged(reinterpret_cast<HWND>(lParam));
        break;
    case WM_SETCURSOR:
        SetCursor(reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)));
        return 1;
    case WM_WINDOWPOSCHANGED: {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (position != nullptr && (position->flags & SWP_NOSIZE) == 0)
            applyPixelBounds(position->x, position->y, position->cx, position->cy);
        break;
    }
    case WM_NCPAINT:
        checkMonitor();
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        return handleKey(message, wParam, lParam);
    case WM_CHAR: {
        const LivenessToken token = liveness();
        const int character = int(wParam);
        if (Control* focused = getFocusedChild();
            focused != nullptr && focused->dispatchKey(kKeyCharacter, character))
            return 0;
        if (!token->alive) return 0;
        if (keyPressed(kKeyCharacter, character, 0)) return 0;
        break;
    }
    case WM_TIMER:
        if (wParam == UINT_PTR(UserInterface::kTickTimerId))
            tick();
        else
            userInterface().fireTimer(int(wParam));
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
        handleMouseDown(kMouseLeft, pointFromLParam(lParam), mouseModifiers(wParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        handleMouseDown(kMouseLeft, pointFromLParam(lParam), mouseModifiers(wParam) | kDoubleClick);
        return 0;
    case WM_LBUTTONUP:
        handleMouseUp(kMouseLeft, pointFromLParam(lParam), mouseModifiers(wParam));
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        handleMouseDown(kMouseRight, pointFromLParam(lParam), mouseModifiers(wParam));
        return 0;
    case WM_RBUTTONUP:
        handleMouseUp(kMouseRight, pointFromLParam(lParam), mouseModifiers(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        return handleWheel(false, wParam, lParam);
    case WM_MOUSEHWHEEL:
        return handleWheel(true, wParam, lParam);
    case WM_DROPFILES:
        handleDrop(wParam);
        return 0;
    case WM_CLIPBOARDUPDATE:
        userInterface().clipboardChangedEvent.notify(&userInterface());
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
    const LivenessToken token = liveness();
    if (message == WM_KEYDOWN) {
        if (const int code = toolkitKeyCode(wParam)) {
            if (Control* focused = getFocusedChild(); focused != nullptr && focused->dispatchKey(code, 0))
                return 0;
            if (!token->alive) return 0;
            if (keyPressed(code, 0, 0)) return 0;
            if (!token->alive) return 0;
        }
    }
    if (!isLeftButtonHeld()) {
        setMouseCapture(nullptr);
        if (!token->alive) return 0;
    }
    if (fullScreen_ && message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        fullScreen.setValue(false);
        return 0;
    }
    HWND forwardFrom = fullScreen_ ? host_ : window;
    if (HWND top = GetAncestor(forwardFrom, GA_ROOT)) PostMessageW(top, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

void WindowsControl::handleCancelMode() {
    if (!isLeftButtonHeld()) return;
    const Point outside(-1.0f, -1.0f);
    Control* holder = getCaptureHolder();
    clearLeftButtonHeld();
    if (holder == nullptr) {
        if (Control* child = findChildAt(outside))
            child->dispatchMouseUp(kMouseLeft, child->fromRoot(outside), 0);
    } else if (!userInterface().isBeingDestroyed()) {
        // The holder, read before the release, hears the end of its press.
        AliveGuard guard(holder);
        setMouseCapture(nullptr);
        if (guard.alive()) holder->mouseUp(kMouseLeft, outside, 0);
    }
}

void WindowsControl::handleCaptureChanged(HWND gaining) {
    // Another window took the capture from a control: the control hears of
    // it. The change that the root's own release causes is not news.
    if (releasingCapture_ || gaining == window_ || getCaptureHolder() == nullptr) return;
    setMouseCapture(nullptr);
}

LRESULT WindowsControl::handleWheel(bool horizontal, WPARAM wParam, LPARAM lParam) {
    const DWORD interval =
        wheelInterval(userInterface().now(), horizontal ? lastHorizontalWheel_ : lastVerticalWheel_);
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
        const std::string path = win32::utf8(name.data(), length);
        DragFinish(drop);
        userInterface().filesDropped(float(at.x) / s, float(at.y) / s, path);
        return;
    }
    DragFinish(drop);
}

void WindowsControl::tick() {
    const LivenessToken token = liveness();
    const int tracked = trackModifierKeys(modifiers_);
    if (tracked != modifiers_) {
        modifiers_ = tracked;
        handleMouseMove(pointer_, modifiers_);
        if (!token->alive) return;
    }
    checkMonitor();
    if (!token->alive) return;
    if (getHoverChild() != nullptr && getCaptureHolder() == nullptr) {
        POINT cursor{};
        RECT r{};
        if (GetCursorPos(&cursor) && GetWindowRect(window_, &r) && !PtInRect(&r, cursor)) {
            setHoverChild(nullptr);
            if (!token->alive) return;
        }
    }
    // May destroy the user interface: nothing follows.
    userInterface().tick();
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
    const LivenessToken token = liveness();
    monitorChangedEvent.notify(this);
    if (!token->alive) return;
    if (fixedScale_ == 0.0f && displayOptions().globalScaleOverride == 0.0f)
        userInterface().deviceBacking().setSystemScale(backingScaleForMonitor(monitor));
}

} // namespace gui
