#include "effect_editor/tests/integrity/EditorWindow.h"

#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/WindowsInterface.h"

#include <atomic>
#include <cmath>
#include <mmsystem.h>

namespace {

// The editor as the plug-in's editor host makes it: a child of a hidden
// host window, painted by the GDI root (no accelerated root is installed),
// at the scale the host gives. Its clock runs ahead of the system's by what
// advance has skipped; the window's own timers still tick in real time, so
// advance pumps messages for a few of their intervals.
class WindowsEditorWindow : public EditorWindow {
public:
    WindowsEditorWindow(float width, float height, float scale)
        : host_(L"Varnel integrity", test::TestWindow::Visibility::kHidden),
          ui_(host_.handle(), RECT{0, 0, LONG(std::lround(width * scale)), LONG(std::lround(height * scale))},
              "", scale, [this] { return std::uint32_t(timeGetTime() + skipped_.load()); }) {}

    gui::UserInterface& userInterface() override { return ui_; }

    void advance(int milliseconds) override {
        skipped_ += std::uint32_t(milliseconds);
        constexpr DWORD kPumpTime = 120;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < kPumpTime) {
            test::pumpMessages();
            Sleep(5);
        }
        UpdateWindow(ui_.window());
        test::pumpMessages();
    }

private:
    test::TestWindow host_;
    std::atomic<std::uint32_t> skipped_{0};
    gui::WindowsInterface ui_;
};

} // namespace

std::unique_ptr<EditorWindow> EditorWindow::open(float width, float height, float scale) {
    return std::make_unique<WindowsEditorWindow>(width, height, scale);
}

std::string EditorWindow::textEngine() {
    return "GDI";
}
