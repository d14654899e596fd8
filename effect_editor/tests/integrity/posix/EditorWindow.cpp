#include "effect_editor/tests/integrity/EditorWindow.h"

#include "gui/headless/HeadlessInterface.h"

namespace {

class HeadlessEditorWindow : public EditorWindow {
public:
    HeadlessEditorWindow(float width, float height, float scale) : ui_(width, height, 1000) {
        ui_.setMonitorScale(scale);
    }
    gui::UserInterface& userInterface() override { return ui_; }
    void advance(int milliseconds) override {
        ui_.advance(static_cast<std::uint32_t>(milliseconds));
        ui_.paint();
    }

private:
    gui::headless::HeadlessInterface ui_;
};

} // namespace

std::unique_ptr<EditorWindow> EditorWindow::open(float width, float height, float scale) {
    return std::make_unique<HeadlessEditorWindow>(width, height, scale);
}

std::string EditorWindow::textEngine() {
    return "headless";
}
