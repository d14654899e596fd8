#pragma once

// Display scale on Windows: the DPI of monitors, read through one table of
// system functions that is loaded once per process. Functions the system
// lacks are null (GetDpiForMonitor exists from version 6.2; before it the
// screen's LOGPIXELSY counts for every monitor). Tests install a table of
// their own with setDpiFunctions.
//
// Threading: any thread; the table is read-only once loaded.

#include <vector>
#include <windows.h>

namespace gui {

struct DpiFunctions {
    // Every monitor of the desktop; false when the enumeration fails.
    bool (*enumerateMonitors)(std::vector<HMONITOR>& monitors);
    // The monitor nearest to the window.
    HMONITOR (*monitorFromWindow)(HWND window);
    // The effective DPI of a monitor (type 0); null before version 6.2.
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR monitor, int type, UINT* dpiX, UINT* dpiY);
    // LOGPIXELSY of the screen.
    int (*screenLogPixelsY)();
    BOOL(WINAPI* areDpiAwarenessContextsEqual)(DPI_AWARENESS_CONTEXT a, DPI_AWARENESS_CONTEXT b);
    DPI_AWARENESS_CONTEXT(WINAPI* getThreadDpiAwarenessContext)();
    DPI_AWARENESS_CONTEXT(WINAPI* getWindowDpiAwarenessContext)(HWND window);
    DPI_AWARENESS_CONTEXT(WINAPI* setThreadDpiAwarenessContext)(DPI_AWARENESS_CONTEXT context);
};

// The system's table, loaded on the first call.
const DpiFunctions& loadDpiFunctions();
// The table in use: a test's replacement, else the system's.
const DpiFunctions& dpiFunctions();
// Installs a replacement (it must outlive its use); null restores the system's table.
void setDpiFunctions(const DpiFunctions* replacement);

// The quantized backing scale of a monitor (1.0 when its DPI cannot be read).
float backingScaleForMonitor(HMONITOR monitor);
// The smallest monitor scale of the desktop; 1.0 when the monitors cannot be listed.
float smallestMonitorScale();

} // namespace gui
