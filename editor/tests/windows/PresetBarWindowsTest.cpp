// The preset bar on the real Windows layer: the overwrite question answered
// Cancel and then OK in a real message box, Copy and Paste through the real
// clipboard with characters outside ASCII and an ampersand in the name, and
// hostile clipboard text answered by the real box.

#include "editor/PresetBar.h"

#include "editor/GenericPluginInterface.h"
#include "editor/StandardButtons.h"
#include "editor/tests/TestEditorModel.h"
#include "foundation/tests/TestFiles.h"
#include "gui/Button.h"
#include "gui/Menu.h"
#include "gui/PopupMenu.h"
#include "gui/RootControl.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/WindowsInterface.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace {

using test::EditorModel;

// The static text of a message box.
constexpr int kBoxTextId = 0xFFFF;

class PresetBarWindowsTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        model = std::make_unique<EditorModel>(name_);
        adapter = std::make_unique<test::RecordingAdapter>(*model);
        ui = std::make_unique<gui::WindowsInterface>(parent.handle(), RECT{0, 0, 300, 200}, "", 1.0f);
        editor = std::make_unique<GenericPluginInterface>(*ui, *model);
        auto* display = new gui::Button(*ui, nullptr);
        display->parent.setValue(ui->rootControl());
        editor->standardButtons().setStandardButton(static_cast<int32_t>(StandardButtonKind::kPresetName),
                                                    display);
    }
    void TearDown() override {
        editor.reset();
        ui.reset();
        adapter.reset();
        model.reset();
        PluginTest::TearDown();
    }
    std::string path(const std::string& name) const { return folder_ / name; }
    static std::string fileText(const std::string& p) {
        std::ifstream in(test::fsPath(p), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    gui::MenuItem* item(const std::string& text) {
        gui::PopupMenu* menu = editor->presetBar().menu();
        for (int i = 0; i < menu->itemCount(); ++i)
            if (menu->itemAt(i)->text.getValue() == text) return menu->itemAt(i);
        return nullptr;
    }

    const test::TestWindow parent{L"preset host", test::TestWindow::Visibility::kHidden};
    std::unique_ptr<EditorModel> model;
    std::unique_ptr<test::RecordingAdapter> adapter;
    std::unique_ptr<gui::WindowsInterface> ui;
    std::unique_ptr<GenericPluginInterface> editor;
};

TEST_F(PresetBarWindowsTest, TheOverwriteQuestionCancelThenOk) {
    model->setCurrentPresetName("Echo", GenericPlugin::kWholeName);
    ASSERT_TRUE(editor->savePresetFile(path("Echo.ztp")));
    const std::string saved = fileText(path("Echo.ztp"));
    model->unit.setValue(0.9f, 0);
    std::wstring title;
    std::wstring text;
    {
        test::ModalCloser closer(test::answerDialog(IDCANCEL, &title, [&](HWND box) {
            wchar_t buffer[256] = {};
            GetDlgItemTextW(box, kBoxTextId, buffer, 256);
            text = buffer;
        }));
        editor->presetBar().savePreset();
    }
    EXPECT_EQ(title, L"Confirmation");
    EXPECT_EQ(text, L"Are you sure you want to overwrite  'Echo'?");
    EXPECT_EQ(fileText(path("Echo.ztp")), saved);
    {
        test::ModalCloser closer(test::answerDialog(IDOK));
        editor->presetBar().savePreset();
    }
    EXPECT_NE(fileText(path("Echo.ztp")), saved);
}

TEST_F(PresetBarWindowsTest, CopyAndPasteThroughTheRealClipboard) {
    const std::string name = "\xC3\x89"
                             "cho & Delay \xC3\xA9";
    model->unit.setValue(0.8f, 0);
    model->setCurrentPresetName(name, -1);
    item("Copy")->fireSelected();
    model->unit.setValue(0.1f, 0);
    model->setCurrentPresetName("Other", GenericPlugin::kWholeName);
    editor->presetBar().prepareMenu();
    ASSERT_TRUE(item("Paste")->enabled.getValue());
    item("Paste")->fireSelected();
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.8f);
    EXPECT_EQ(model->getCurrentPreset().getName(), name);
}

TEST_F(PresetBarWindowsTest, HostileTextIsAnsweredByTheRealBox) {
    ui->platformDelegate().setClipboardText("[Preset]");
    editor->presetBar().prepareMenu();
    EXPECT_FALSE(item("Paste")->enabled.getValue());
    const float before = model->unit.getValue();
    std::wstring title;
    std::wstring text;
    {
        test::ModalCloser closer(test::answerDialog(IDOK, &title, [&](HWND box) {
            wchar_t buffer[512] = {};
            GetDlgItemTextW(box, kBoxTextId, buffer, 512);
            text = buffer;
        }));
        item("Paste")->fireSelected();
    }
    EXPECT_EQ(title, L"Information");
    EXPECT_EQ(text.rfind(L"Could not paste from the clipboard.", 0), 0u) << text.size();
    EXPECT_FLOAT_EQ(model->unit.getValue(), before);
}

} // namespace
