#pragma once

// The Windows GUI tests' rig: names unique to the process (test
// programs may run side by side in one Wine prefix), a plain top-level test
// window, and the closer that ends modal calls from a thread timer (modal
// loops dispatch it) with a watchdog that fails the program rather than let
// it hang.

#include "foundation/windows/Win32Support.h"
#include "gui/tests/Watchdog.h"
#include "gui/windows/WindowsBitmap.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

#include <commctrl.h>

namespace test {

// A crash ends the program at once with a failure, instead of waiting for a
// debugger that no one attends.
inline LONG WINAPI exitOnCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "Unhandled exception 0x%08lx\n",
                 info != nullptr && info->ExceptionRecord != nullptr ? info->ExceptionRecord->ExceptionCode
                                                                     : 0ul);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
inline const LPTOP_LEVEL_EXCEPTION_FILTER previousCrashFilter = SetUnhandledExceptionFilter(exitOnCrash);

// base + the process id + a counter.
inline std::wstring uniqueName(const std::wstring& base) {
    static std::atomic<int> counter{0};
    return base + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
}

// A top-level window of the current thread with a class of its own: shown
// for the tests that read what the system draws or activates, hidden as the
// parent of an editor, as a host keeps it until it shows the editor.
class TestWindow {
public:
    enum class Visibility { kShown, kHidden };

    explicit TestWindow(const wchar_t* title = L"test", Visibility visibility = Visibility::kShown,
                        int width = 400, int height = 300)
        : className_(uniqueName(L"VarnelTestHost")) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className_.c_str();
        RegisterClassExW(&windowClass);
        const DWORD style = WS_OVERLAPPEDWINDOW | (visibility == Visibility::kShown ? WS_VISIBLE : 0);
        window_ = CreateWindowExW(0, className_.c_str(), title, style, 10, 10, width, height, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~TestWindow() {
        if (IsWindow(window_)) DestroyWindow(window_);
        UnregisterClassW(className_.c_str(), GetModuleHandleW(nullptr));
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND handle() const { return window_; }

private:
    std::wstring className_;
    HWND window_ = nullptr;
};

// The pixels (0x00RRGGBB, rows top-down) that `draw` puts into a device
// context of the size, read through a DIB.
inline std::vector<std::uint32_t> readPixels(int width, int height, const std::function<void(HDC)>& draw) {
    BITMAPINFO info{};
    info.bmiHeader = gui::topDownDibHeader(width, height);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    draw(dc);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> result(pixels, pixels + std::size_t(width) * std::size_t(height));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
    for (std::uint32_t& p : result)
        p &= 0xFFFFFF;
    return result;
}

// Dispatches the messages waiting for the current thread.
inline void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The first visible window of the current thread with the class name.
inline HWND findThreadWindow(const wchar_t* className) {
    struct Search {
        const wchar_t* name;
        HWND found;
    } search{className, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) == s->name && IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline std::wstring windowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// Calls step every period on the current thread (through a thread timer,
// which modal loops dispatch) until it returns true. A watchdog ends the
// program with a failure when the closer is still running after the limit.
class ModalCloser {
public:
    explicit ModalCloser(std::function<bool()> step, UINT periodMs = 30,
                         std::chrono::seconds limit = std::chrono::seconds(20))
        : step_(std::move(step)), watchdog_(limit, "a modal call did not end within the limit") {
        current() = this;
        timer_ = SetTimer(nullptr, 0, periodMs, onTimer);
    }
    ~ModalCloser() {
        stop();
        current() = nullptr;
    }
    ModalCloser(const ModalCloser&) = delete;
    ModalCloser& operator=(const ModalCloser&) = delete;

    bool finished() const { return timer_ == 0; }

private:
    static ModalCloser*& current() {
        static thread_local ModalCloser* closer = nullptr;
        return closer;
    }
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
        ModalCloser* closer = current();
        if (closer == nullptr || closer->timer_ == 0 || closer->running_) return;
        closer->running_ = true;
        const bool done = closer->step_();
        closer->running_ = false;
        if (done) closer->stop();
    }
    void stop() {
        if (timer_ != 0) KillTimer(nullptr, timer_);
        timer_ = 0;
    }

    std::function<bool()> step_;
    UINT_PTR timer_ = 0;
    bool running_ = false;
    Watchdog watchdog_;
};

// A closer that answers the first dialog box (#32770) of the thread: its
// title goes to *title, then the command is posted to it.
inline std::function<bool()> answerDialog(int command, std::wstring* title = nullptr,
                                          std::function<void(HWND)> before = {}) {
    return [=] {
        HWND dialog = findThreadWindow(L"#32770");
        if (dialog == nullptr) return false;
        if (title != nullptr) *title = windowText(dialog);
        if (before) before(dialog);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
        return true;
    };
}

// A closer for the folder browser: it answers OK once the browser's tree has
// selected the item named leaf (the start folder is selected after the box
// shows), or after about three seconds whatever is selected. Under a heavily
// loaded test machine the system's browser sometimes never selects it, so
// *sawStart tells the test whether it did.
inline std::function<bool()> confirmFolder(const std::wstring& leaf, bool* sawStart = nullptr) {
    auto ticks = std::make_shared<int>(0);
    return [leaf, ticks, sawStart] {
        HWND dialog = findThreadWindow(L"#32770");
        if (dialog == nullptr) return false;
        bool selected = false;
        if (HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr)) {
            const LRESULT item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
            wchar_t text[MAX_PATH] = {};
            TVITEMW info{};
            info.mask = TVIF_TEXT;
            info.hItem = reinterpret_cast<HTREEITEM>(item);
            info.pszText = text;
            info.cchTextMax = MAX_PATH;
            if (item != 0 && SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info)))
                selected = leaf == text;
        }
        if (!selected && ++*ticks < 100) return false;
        if (sawStart != nullptr) *sawStart = selected;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    };
}

} // namespace test
