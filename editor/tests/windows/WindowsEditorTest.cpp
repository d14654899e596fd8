// The editor on the real Windows layer: a hidden GDI user interface, host
// automation from a second thread reaching a control through the window's
// own 10 ms drain, and a close in the middle of a drag.

#include "editor/GenericPluginInterface.h"

#include "editor/tests/TestEditorModel.h"
#include "gui/RootControl.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/WindowsInterface.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {

using test::EditorModel;

class WindowsEditorTest : public test::PluginTest {};

TEST_F(WindowsEditorTest, AutomationReachesTheControlAndACloseInMidDragEndsTheGesture) {
    auto model = std::make_unique<EditorModel>(name_);
    test::RecordingAdapter adapter(*model);
    const test::TestWindow host(L"editor host", test::TestWindow::Visibility::kHidden);
    ASSERT_NE(host.handle(), nullptr);
    auto ui = std::make_unique<gui::WindowsInterface>(host.handle(), RECT{0, 0, 300, 200}, "", 1.0f);
    auto editor = std::make_unique<GenericPluginInterface>(*ui, *model);
    auto* knob = new gui::ValueControl(*ui);
    knob->setBoundsXYWH(10, 10, 40, 40);
    knob->parent.setValue(ui->rootControl());
    editor->linkControl(&model->level, knob);
    ASSERT_EQ(knob->value.getValue(), 24000);

    std::thread automation([&] { model->level.setValue(0.0f, kParameterChangeNotToHost); });
    automation.join();
    EXPECT_EQ(knob->value.getValue(), 24000); // nothing before the drain
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (knob->value.getValue() != 30000 && std::chrono::steady_clock::now() < deadline) {
        test::pumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(knob->value.getValue(), 30000);

    HWND window = ui->window();
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
    ASSERT_TRUE(knob->inGesture());
    knob->performGesture(gui::kGestureChange, 250);
    test::pumpMessages();
    editor.reset();
    EXPECT_EQ(adapter.gestureFaults(), "");
    EXPECT_EQ(adapter.kindsOf(EditorModel::kLevel), "bve");
    EXPECT_EQ(model->getInterface(), nullptr);
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
    test::pumpMessages();
    ui.reset();
    EXPECT_EQ(adapter.gestureFaults(), "");
}

} // namespace
