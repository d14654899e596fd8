// The editor's child window on Windows: a gui::WindowsInterface made as a
// child of the host's window (its root accelerated when the setting and the
// driver allow), moved to another parent by its root (which keeps the parent
// for its full-screen switches), shown with ShowWindow and sized with
// SetWindowPos. The first window installs the accelerated root's factory and
// the module's thread-attach hook.

#include "clap/ClapEntry.h"
#include "clap/editor/ClapEditorWindow.h"
#include "gui/DeviceBacking.h"
#include "gui/windows/AcceleratedWindowsControl.h"
#include "gui/windows/DisplayScale.h"
#include "gui/windows/WindowsInterface.h"

#include <mutex>
#include <windows.h>

namespace {

class WindowsClapEditorWindow : public ClapEditorWindow {
public:
    ~WindowsClapEditorWindow() override { close(); }

    bool isWindow(void* handle) override { return handle != nullptr && IsWindow(static_cast<HWND>(handle)); }
    float smallestMonitorScale() override { return gui::smallestMonitorScale(); }

    bool open(void* parent, int width, int height, const std::string& scaleSettings, float scale) override {
        if (ui_) return false;
        static std::once_flag installed;
        std::call_once(installed, [] {
            gui::AcceleratedWindowsControl::install();
            setThreadAttachHook(&gui::acceleratedThreadAttach);
        });
        const RECT rectangle{0, 0, width, height};
        ui_ = std::make_unique<gui::WindowsInterface>(static_cast<HWND>(parent), rectangle, scaleSettings,
                                                      scale);
        if (ui_->window() == nullptr) {
            ui_.reset();
            return false;
        }
        return true;
    }

    gui::UserInterface* userInterface() override { return ui_.get(); }

    bool setParent(void* parent) override {
        // The root moves its window and keeps the parent for its full-screen switches.
        return ui_ && ui_->windowsRoot().setParentWindow(static_cast<HWND>(parent));
    }

    void setVisible(bool visible) override {
        if (HWND window = ui_ ? ui_->window() : nullptr) ShowWindow(window, visible ? SW_SHOW : SW_HIDE);
    }

    void setSize(int width, int height) override {
        HWND window = ui_ ? ui_->window() : nullptr;
        if (window == nullptr) return;
        RECT r{};
        if (GetClientRect(window, &r) && r.right - r.left == width && r.bottom - r.top == height) return;
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void fixScale(float scale) override {
        if (!ui_) return;
        ui_->windowsRoot().setFixedScale(scale);
        ui_->deviceBacking().setSystemScale(scale);
    }

    void stopDrawing(bool keepResources) override {
        if (!ui_) return;
        if (auto* root = dynamic_cast<gui::AcceleratedWindowsControl*>(&ui_->windowsRoot()))
            root->stopRenderThread(keepResources ? gui::RenderLoop::StopRequest::kKeep
                                                 : gui::RenderLoop::StopRequest::kDelete);
    }

    void close() override { ui_.reset(); }

private:
    std::unique_ptr<gui::WindowsInterface> ui_;
};

} // namespace

std::unique_ptr<ClapEditorWindow> createPlatformEditorWindow() {
    return std::make_unique<WindowsClapEditorWindow>();
}

bool platformOpensEditorWindows() {
    return true;
}
