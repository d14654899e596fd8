// The event queue on Windows: each queue owns a hidden window of class
// "ZT_QueueWindow"; post() is PostMessageW(window, 0x8000, ...) and the
// creating thread's message loop (or deliverPending) runs the window
// procedure, which fires the queue's event. The class is registered by the
// first queue and unregistered when the last one goes.
//
// wParam carries the code in its low 32 bits and a post sequence number in its
// high 32 bits, so deliverPending can stop at the messages posted after it
// began.
#include "foundation/AsyncEventQueue.h"
#include "foundation/windows/Win32Support.h"

#include <mutex>

namespace {

constexpr UINT queueMessage = 0x8000; // WM_APP
constexpr const wchar_t* className = L"ZT_QueueWindow";

std::mutex classMutex;
int classUsers = 0;
HMODULE classModule = nullptr;

LRESULT CALLBACK queueWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class WindowsAsyncEventQueue final : public AsyncEventQueue {
public:
    WindowsAsyncEventQueue() {
        HMODULE module;
        {
            std::lock_guard lock(classMutex);
            if (classUsers++ == 0) {
                classModule = win32::libraryModule();
                WNDCLASSEXW windowClass = {};
                windowClass.cbSize = sizeof windowClass;
                windowClass.lpfnWndProc = queueWindowProc;
                windowClass.hInstance = classModule;
                windowClass.lpszClassName = className;
                RegisterClassExW(&windowClass);
            }
            module = classModule;
        }
        window_ = CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, nullptr, nullptr, module, nullptr);
        if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    ~WindowsAsyncEventQueue() override {
        if (window_) {
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
        std::lock_guard lock(classMutex);
        if (--classUsers == 0) {
            UnregisterClassW(className, classModule);
            classModule = nullptr;
        }
    }

    bool post(std::int32_t code, std::int64_t payload) noexcept override {
        if (!window_) return false;
        std::uint32_t sequence = nextSequence_.fetch_add(1, std::memory_order_relaxed);
        WPARAM wParam = (static_cast<WPARAM>(sequence) << 32) | static_cast<std::uint32_t>(code);
        if (!PostMessageW(window_, queueMessage, wParam, static_cast<LPARAM>(payload))) return false;
        wake();
        return true;
    }

    std::size_t deliverPending() override {
        if (!window_) return 0;
        const std::uint32_t end = nextSequence_.load(std::memory_order_relaxed);
        std::size_t delivered = 0;
        bool destroyed = false;
        bool* outer = destroyedFlag_; // a handler may pump again
        destroyedFlag_ = &destroyed;
        MSG message;
        while (PeekMessageW(&message, window_, queueMessage, queueMessage, PM_NOREMOVE)) {
            auto sequence = static_cast<std::uint32_t>(static_cast<std::uint64_t>(message.wParam) >> 32);
            if (static_cast<std::int32_t>(sequence - end) >= 0) break; // posted after this call began
            if (!PeekMessageW(&message, window_, queueMessage, queueMessage, PM_REMOVE)) break;
            DispatchMessageW(&message);
            if (destroyed) {
                if (outer) *outer = true;
                return delivered + 1;
            }
            ++delivered;
        }
        destroyedFlag_ = outer;
        return delivered;
    }

    void dispatch(WPARAM wParam, LPARAM lParam) {
        auto code = static_cast<std::int32_t>(static_cast<std::uint32_t>(wParam & 0xFFFFFFFFu));
        bool* flag = destroyedFlag_; // this object may be gone after deliver
        if (!deliver(code, static_cast<std::int64_t>(lParam)) && flag) *flag = true;
    }

private:
    HWND window_ = nullptr;
    std::atomic<std::uint32_t> nextSequence_{0};
    bool* destroyedFlag_ = nullptr; // set while deliverPending runs
};

LRESULT CALLBACK queueWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == queueMessage) {
        // The user data is not set yet while the window is being created.
        auto* queue = reinterpret_cast<WindowsAsyncEventQueue*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (queue) queue->dispatch(wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

std::unique_ptr<AsyncEventQueue> AsyncEventQueue::create(std::size_t) {
    return std::make_unique<WindowsAsyncEventQueue>();
}
