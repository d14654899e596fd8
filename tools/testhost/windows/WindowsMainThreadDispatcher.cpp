#include "tools/testhost/MainThreadDispatcher.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <utility>

namespace {

constexpr UINT kCallbackMessage = WM_APP + 17;
constexpr wchar_t kWindowClass[] = L"VarnelTestHostDispatcher";

class WindowsMainThreadDispatcher final : public MainThreadDispatcher {
public:
    explicit WindowsMainThreadDispatcher(std::function<void()> callback) : callback_(std::move(callback)) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &WindowsMainThreadDispatcher::windowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kWindowClass;
        RegisterClassW(&windowClass); // fails harmlessly when already registered
        window_ =
            CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
        if (!window_) throw std::runtime_error("cannot create the dispatcher window");
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~WindowsMainThreadDispatcher() override { DestroyWindow(window_); }
    WindowsMainThreadDispatcher(const WindowsMainThreadDispatcher&) = delete;
    WindowsMainThreadDispatcher& operator=(const WindowsMainThreadDispatcher&) = delete;

    void post() override {
        if (!pending_.exchange(true, std::memory_order_acq_rel))
            PostMessageW(window_, kCallbackMessage, 0, 0);
    }

    int pump() override {
        ran_ = 0;
        MSG message;
        while (PeekMessageW(&message, window_, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return ran_;
    }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kCallbackMessage) {
            auto* self =
                reinterpret_cast<WindowsMainThreadDispatcher*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (self) {
                self->pending_.store(false, std::memory_order_release);
                ++self->ran_;
                self->callback_();
            }
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    std::function<void()> callback_;
    std::atomic<bool> pending_{false};
    HWND window_ = nullptr;
    int ran_ = 0;
};

} // namespace

std::unique_ptr<MainThreadDispatcher> MainThreadDispatcher::create(std::function<void()> callback) {
    return std::make_unique<WindowsMainThreadDispatcher>(std::move(callback));
}
