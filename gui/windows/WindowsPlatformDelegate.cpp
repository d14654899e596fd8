#include "gui/windows/WindowsPlatformDelegate.h"

#include "foundation/windows/Win32Support.h"
#include "gui/RootControl.h"
#include "gui/windows/WindowsBitmap.h"
#include "gui/windows/WindowsClipboard.h"
#include "gui/windows/WindowsFileDialogs.h"
#include "gui/windows/WindowsMessageBox.h"
#include "gui/windows/WindowsPopupMenu.h"
#include "gui/windows/WindowsText.h"
#include "gui/windows/WindowsTextEditor.h"

#include <cmath>
#include <shellapi.h>
#include <windows.h>

namespace gui {

OpenSaveDialog* WindowsPlatformDelegate::createOpenSaveDialog() {
    return new WindowsOpenSaveDialog(userInterface_);
}

PopupMenu* WindowsPlatformDelegate::createPopupMenu() {
    return new WindowsPopupMenu(userInterface_);
}

SelectFolderDialog* WindowsPlatformDelegate::createSelectFolderDialog() {
    return new WindowsSelectFolderDialog(userInterface_);
}

Bitmap* WindowsPlatformDelegate::createBitmap() {
    return new WindowsBitmap(userInterface_.deviceBacking());
}

Text* WindowsPlatformDelegate::createText() {
    return new WindowsText(userInterface_.deviceBacking());
}

TextEditor* WindowsPlatformDelegate::createTextEditor() {
    return new WindowsTextEditor(userInterface_, createText());
}

Rect WindowsPlatformDelegate::monitorRect() {
    const float scale = userInterface_.deviceBacking().getScale();
    float width = float(kFallbackMonitorWidth);
    float height = float(kFallbackMonitorHeight);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HWND window = static_cast<HWND>(userInterface_.nativeWindow());
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
        width = float(info.rcMonitor.right - info.rcMonitor.left);
        height = float(info.rcMonitor.bottom - info.rcMonitor.top);
    }
    height -= std::trunc(kMonitorMargin * scale);
    return Rect(0.0f, 0.0f, width / scale, height / scale);
}

std::string WindowsPlatformDelegate::clipboardText() {
    return readClipboardText(static_cast<HWND>(userInterface_.nativeWindow()));
}

void WindowsPlatformDelegate::setClipboardText(const std::string& text) {
    writeClipboardText(static_cast<HWND>(userInterface_.nativeWindow()), text);
}

int WindowsPlatformDelegate::dragThreshold() {
    return GetSystemMetrics(SM_CXDRAG);
}

int WindowsPlatformDelegate::doubleClickTime() {
    return int(GetDoubleClickTime());
}

void WindowsPlatformDelegate::messageBox(const std::string& text, int buttons,
                                         std::function<void()> okAction) {
    if (!userInterface_.isGuiThread()) return;
    RootControl* root = userInterface_.rootControl();
    const int answer = showMessageBox(static_cast<HWND>(userInterface_.nativeWindow()), text, buttons, root);
    // A dead root (answer 0) runs nothing: the user interface is gone.
    if (answer == IDOK && okAction) okAction();
}

namespace {

void systemShell(void* window, const wchar_t* verb, const wchar_t* file) {
    ShellExecuteW(static_cast<HWND>(window), verb, file, nullptr, nullptr, SW_SHOWNORMAL);
}

WindowsPlatformDelegate::ShellFunction shellFunction = &systemShell;

} // namespace

void WindowsPlatformDelegate::setShellFunction(ShellFunction function) {
    shellFunction = function != nullptr ? function : &systemShell;
}

void WindowsPlatformDelegate::openDocument(const std::string& text) {
    if (text.empty()) return;
    const std::wstring wide = win32::wide(text);
    shellFunction(userInterface_.nativeWindow(), L"open", wide.c_str());
}

} // namespace gui
