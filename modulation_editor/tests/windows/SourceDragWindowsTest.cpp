// A source dragged onto a knob with window messages on a hidden GDI window:
// the press and moves reach the drag button and the stage through the
// editor's real window, and the release makes the slot.

#include "modulation_editor/ModulationDragStage.h"

#include "gui/RootControl.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/WindowsInterface.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation_editor/tests/SourceRig.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Records the model's reports to the host as well.
class LoggingAdapter : public test::RecordingAdapter {
public:
    using RecordingAdapter::RecordingAdapter;
    void parameterChanged(int32_t code) override { reports.push_back(code); }
    std::vector<int32_t> reports;
};

LPARAM at(const gui::Point& p) {
    return MAKELPARAM(static_cast<int>(p.x), static_cast<int>(p.y));
}

class SourceDragWindowsTest : public test::PluginTest {};

TEST_F(SourceDragWindowsTest, ASourceDraggedOntoAKnobMakesASlot) {
    auto model = std::make_unique<VarnelPlugin>(name_);
    LoggingAdapter adapter(*model);
    const test::TestWindow host(L"modulation host", test::TestWindow::Visibility::kHidden, 700, 500);
    ASSERT_NE(host.handle(), nullptr);
    auto ui = std::make_unique<gui::WindowsInterface>(host.handle(), RECT{0, 0, 640, 480}, "", 1.0f);
    auto editor = std::make_unique<test::TestModulationInterface>(*ui, *model);
    auto slots = std::make_unique<SourceSlotController>(*editor);
    test::TestSourceListener listener(*model);
    auto* sources = new SourceController(*editor, listener, *slots);
    sources->setBoundsXYWH(0, 250, 640, 200);
    sources->parent.setValue(ui->rootControl());
    sources->registerSourceType(model->xyControllers, "XY Controller", -1, 2);
    sources->registerSourceType(model->xlfos, "XLFO", 2, 1);
    editor->makeStage = [&](uint32_t) { return new ModulationDragStage(*editor, *slots); };
    auto* knob = new gui::ValueControl(*ui);
    knob->setBoundsXYWH(300, 40, 40, 40);
    knob->parent.setValue(ui->rootControl());
    editor->linkControl(&model->delay[0].time, knob, 0);
    model->xlfos.getNumActiveParameter().setValue(1.0f, 0);
    sources->rebuildSourceContainers();
    ASSERT_EQ(sources->panels().size(), 1u);
    SourceDragButton& button = *sources->panels()[0]->dragButtons()[0];
    const gui::Point from = button.toRoot(gui::Point(9.0f, 9.0f));
    const gui::Point to = knob->toRoot(gui::Point(20.0f, 20.0f));
    adapter.reports.clear();

    HWND window = ui->window();
    SendMessageW(window, WM_MOUSEMOVE, 0, at(from));
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(from));
    for (int step = 1; step <= 10; ++step) {
        const float t = static_cast<float>(step) / 10.0f;
        const gui::Point p(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t);
        SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, at(p));
    }
    SendMessageW(window, WM_LBUTTONUP, 0, at(to));
    test::pumpMessages();

    ModulationMatrixController& c = editor->matrixController();
    EXPECT_EQ(editor->slotsInUse(), 1);
    EXPECT_EQ(c.getSource(0), 8);
    EXPECT_EQ(c.getTarget(0), 0);
    EXPECT_FALSE(adapter.reports.empty());
    EXPECT_EQ(adapter.gestureFaults(), "");
    EXPECT_EQ(slots->listedSlots(), (std::vector<int32_t>{0}));
    editor->prepareForClosing();
    slots.reset();
    editor.reset();
    ui.reset();
}

} // namespace
