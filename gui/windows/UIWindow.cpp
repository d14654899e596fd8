#include "gui/windows/UIWindow.h"

#include "foundation/windows/Win32Support.h"

#include <mutex>

namespace gui {

namespace {

std::mutex classMutex;
int windowCount = 0;

bool acquireClass() {
    std::lock_guard<std::mutex> lock(classMutex);
    if (windowCount == 0) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = kUIWindowClassStyle;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = win32::libraryModule();
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = nullptr;
        windowClass.lpszClassName = kUIWindowClassName;
        if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    }
    ++windowCount;
    return true;
}

void releaseClass() {
    std::lock_guard<std::mutex> lock(classMutex);
    if (windowCount > 0 && --windowCount == 0) UnregisterClassW(kUIWindowClassName, win32::libraryModule());
}

} // namespace

HWND createUIWindow(HWND parent, const RECT* rectangle) {
    if (!acquireClass()) return nullptr;
    HWND window = nullptr;
    if (rectangle != nullptr) {
        window = CreateWindowExW(0, kUIWindowClassName, L"", kUIChildStyle, rectangle->left, rectangle->top,
                                 rectangle->right - rectangle->left, rectangle->bottom - rectangle->top,
                                 parent, nullptr, win32::libraryModule(), nullptr);
    } else {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        RECT area{0, 0, 1024, 768};
        if (GetMonitorInfoW(MonitorFromWindow(parent, MONITOR_DEFAULTTONEAREST), &info))
            area = info.rcMonitor;
        HWND owner = parent != nullptr ? GetAncestor(parent, GA_ROOT) : nullptr;
        window = CreateWindowExW(0, kUIWindowClassName, L"", kUIPopupStyle, area.left, area.top,
                                 area.right - area.left, area.bottom - area.top + 1, owner, nullptr,
                                 win32::libraryModule(), nullptr);
    }
    if (window == nullptr) releaseClass();
    return window;
}

void destroyUIWindow(HWND window) {
    if (window == nullptr) return;
    if (IsWindow(window)) DestroyWindow(window);
    releaseClass();
}

int uiWindowCount() {
    std::lock_guard<std::mutex> lock(classMutex);
    return windowCount;
}

} // namespace gui
