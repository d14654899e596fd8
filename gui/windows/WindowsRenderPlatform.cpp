// The render loop's service on Windows: manual-reset events, a thread of the
// runtime library at above-normal priority, the desktop compositor's timing
// (loaded by name, so a system without it runs the loop on its own timer)
// and the performance counter.

#include "gui/RenderPlatform.h"

#include <dwmapi.h>
#include <process.h>
#include <windows.h>

namespace gui {

namespace {

using GetTimingInfo = HRESULT(WINAPI*)(HWND, DWM_TIMING_INFO*);

double counterFrequency() {
    static const double frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? double(f.QuadPart) : 1000.0;
    }();
    return frequency;
}

double counterToMilliseconds(ULONGLONG count) {
    return double(count) * 1000.0 / counterFrequency();
}

GetTimingInfo timingFunction() {
    static const GetTimingInfo function = [] {
        HMODULE module = LoadLibraryW(L"dwmapi.dll");
        return module != nullptr ? reinterpret_cast<GetTimingInfo>(reinterpret_cast<void*>(
                                       GetProcAddress(module, "DwmGetCompositionTimingInfo")))
                                 : nullptr;
    }();
    return function;
}

class WindowsEvent final : public RenderPlatform::Event {
public:
    explicit WindowsEvent(HANDLE handle) : handle_(handle) {}
    ~WindowsEvent() override { CloseHandle(handle_); }
    void set() override { SetEvent(handle_); }
    void reset() override { ResetEvent(handle_); }
    bool wait(int milliseconds) override {
        const DWORD limit = milliseconds < 0 ? INFINITE : DWORD(milliseconds);
        return WaitForSingleObject(handle_, limit) == WAIT_OBJECT_0;
    }

private:
    HANDLE handle_;
};

class WindowsThread final : public RenderPlatform::Thread {
public:
    explicit WindowsThread(HANDLE handle) : handle_(handle) {}
    ~WindowsThread() override {
        join();
        CloseHandle(handle_);
    }
    void join() override { WaitForSingleObject(handle_, INFINITE); }

private:
    HANDLE handle_;
};

unsigned __stdcall threadEntry(void* argument) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
    (*body)();
    return 0;
}

class WindowsRenderPlatform final : public RenderPlatform {
public:
    std::unique_ptr<Event> createEvent() override {
        HANDLE handle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (handle == nullptr) return nullptr;
        return std::make_unique<WindowsEvent>(handle);
    }

    std::unique_ptr<Thread> startThread(std::function<void()> body) override {
        auto argument = std::make_unique<std::function<void()>>(std::move(body));
        const uintptr_t handle = _beginthreadex(nullptr, 0, &threadEntry, argument.get(), 0, nullptr);
        if (handle == 0) return nullptr;
        argument.release(); // the thread owns it now
        HANDLE thread = reinterpret_cast<HANDLE>(handle);
        SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
        return std::make_unique<WindowsThread>(thread);
    }

    bool compositorTiming(CompositorTiming& timing) override {
        const GetTimingInfo function = timingFunction();
        if (function == nullptr) return false;
        DWM_TIMING_INFO info{};
        info.cbSize = sizeof(info);
        if (FAILED(function(nullptr, &info))) return false;
        timing.rateNumerator = info.rateRefresh.uiNumerator;
        timing.rateDenominator = info.rateRefresh.uiDenominator;
        timing.refreshPeriod = counterToMilliseconds(info.qpcRefreshPeriod);
        timing.vblankTime = counterToMilliseconds(info.qpcVBlank);
        return true;
    }

    double now() override {
        LARGE_INTEGER count{};
        QueryPerformanceCounter(&count);
        return counterToMilliseconds(ULONGLONG(count.QuadPart));
    }

    void sleep(int milliseconds) override { Sleep(DWORD(milliseconds)); }
};

} // namespace

std::unique_ptr<RenderPlatform> RenderPlatform::create() {
    return std::make_unique<WindowsRenderPlatform>();
}

} // namespace gui
