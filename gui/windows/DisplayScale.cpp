#include "gui/windows/DisplayScale.h"

#include "gui/DeviceBacking.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

namespace gui {

namespace {

constexpr float kDefaultDpi = 96.0f;
constexpr float kPercentPerDpi = 0.010416667f; // 1 / 96
constexpr int kEffectiveDpi = 0;
constexpr float kLargestScale = 3.0f;

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    reinterpret_cast<std::vector<HMONITOR>*>(data)->push_back(monitor);
    return TRUE;
}

bool systemEnumerateMonitors(std::vector<HMONITOR>& monitors) {
    return EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&monitors)) != 0;
}

HMONITOR systemMonitorFromWindow(HWND window) {
    return MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
}

int systemScreenLogPixelsY() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return int(kDefaultDpi);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

bool isVersion62OrLater() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwMajorVersion = 6;
    info.dwMinorVersion = 2;
    ULONGLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_SERVICEPACKMINOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(
               &info, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR,
               condition) != 0;
}

template <typename Function> void loadFunction(HMODULE module, const char* name, Function& function) {
    function = nullptr;
    if (module == nullptr) return;
    FARPROC address = GetProcAddress(module, name);
    static_assert(sizeof(address) == sizeof(function));
    std::memcpy(&function, &address, sizeof(function));
}

DpiFunctions systemTable;
std::once_flag systemTableLoaded;
std::atomic<const DpiFunctions*> replacementTable{nullptr};

} // namespace

const DpiFunctions& loadDpiFunctions() {
    std::call_once(systemTableLoaded, [] {
        systemTable.enumerateMonitors = systemEnumerateMonitors;
        systemTable.monitorFromWindow = systemMonitorFromWindow;
        systemTable.screenLogPixelsY = systemScreenLogPixelsY;
        systemTable.getDpiForMonitor = nullptr;
        if (isVersion62OrLater())
            loadFunction(LoadLibraryW(L"Shcore.dll"), "GetDpiForMonitor", systemTable.getDpiForMonitor);
        HMODULE user = GetModuleHandleW(L"user32.dll");
        loadFunction(user, "AreDpiAwarenessContextsEqual", systemTable.areDpiAwarenessContextsEqual);
        loadFunction(user, "GetThreadDpiAwarenessContext", systemTable.getThreadDpiAwarenessContext);
        loadFunction(user, "GetWindowDpiAwarenessContext", systemTable.getWindowDpiAwarenessContext);
        loadFunction(user, "SetThreadDpiAwarenessContext", systemTable.setThreadDpiAwarenessContext);
    });
    return systemTable;
}

const DpiFunctions& dpiFunctions() {
    if (const DpiFunctions* replacement = replacementTable.load(std::memory_order_acquire))
        return *replacement;
    return loadDpiFunctions();
}

void setDpiFunctions(const DpiFunctions* replacement) {
    replacementTable.store(replacement, std::memory_order_release);
}

float backingScaleForMonitor(HMONITOR monitor) {
    const DpiFunctions& functions = dpiFunctions();
    float dpi = kDefaultDpi;
    if (functions.getDpiForMonitor != nullptr) {
        UINT x = 0;
        UINT y = 0;
        if (SUCCEEDED(functions.getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)))
            dpi = float(std::max(x, y));
    } else if (functions.screenLogPixelsY != nullptr) {
        dpi = float(functions.screenLogPixelsY());
    }
    return quantizeScale(dpi * kPercentPerDpi);
}

float smallestMonitorScale() {
    const DpiFunctions& functions = dpiFunctions();
    std::vector<HMONITOR> monitors;
    if (functions.enumerateMonitors == nullptr || !functions.enumerateMonitors(monitors) || monitors.empty())
        return 1.0f;
    float smallest = kLargestScale;
    for (HMONITOR monitor : monitors)
        smallest = std::min(smallest, backingScaleForMonitor(monitor));
    return smallest;
}

} // namespace gui
