// The editor's Help menu as a real Win32 menu, closed by keys posted from a
// thread timer: "Show Interactive Help Hints" flips the registry value, and
// the web page goes to the shell function (replaced, so nothing launches).

#include "editor/EditorMenus.h"

#include "editor/GenericPluginInterface.h"
#include "editor/StandardButtons.h"
#include "editor/tests/TestEditorModel.h"
#include "foundation/Registry.h"
#include "gui/Button.h"
#include "gui/PopupMenu.h"
#include "gui/RootControl.h"
#include "gui/tests/windows/WindowsRig.h"
#include "gui/windows/WindowsInterface.h"
#include "gui/windows/WindowsPlatformDelegate.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring>& shellCalls() {
    static std::vector<std::wstring> calls;
    return calls;
}

void recordShell(void*, const wchar_t* verb, const wchar_t* file) {
    shellCalls().push_back(std::wstring(verb) + L" " + file);
}

std::function<bool()> pressKeys(std::vector<WPARAM> keys) {
    return [keys] {
        HWND menu = test::findThreadWindow(L"#32768");
        if (menu == nullptr) return false;
        for (WPARAM key : keys)
            PostMessageW(menu, WM_KEYDOWN, key, 0);
        return true;
    };
}

class EditorMenusWindowsTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        shellCalls().clear();
        gui::WindowsPlatformDelegate::setShellFunction(&recordShell);
        model = std::make_unique<test::EditorModel>(name_);
        ui = std::make_unique<gui::WindowsInterface>(host.handle(), RECT{0, 0, 300, 200}, "", 1.0f);
        editor = std::make_unique<GenericPluginInterface>(*ui, *model);
        help = new gui::Button(*ui, nullptr);
        help->parent.setValue(ui->rootControl());
        editor->standardButtons().setStandardButton(static_cast<int32_t>(StandardButtonKind::kHelp), help);
    }
    void TearDown() override {
        editor.reset();
        ui.reset();
        model.reset();
        gui::WindowsPlatformDelegate::setShellFunction(nullptr);
        PluginTest::TearDown();
    }
    bool interactiveHelp() {
        uint32_t value = 2;
        EXPECT_TRUE(readRegistryDword(RegistryRoot::kCurrentUser, keyPath(), "showInteractiveHelp", value));
        return value != 0;
    }

    test::TestWindow host;
    std::unique_ptr<test::EditorModel> model;
    std::unique_ptr<gui::WindowsInterface> ui;
    std::unique_ptr<GenericPluginInterface> editor;
    gui::Button* help = nullptr;
};

TEST_F(EditorMenusWindowsTest, TheHelpMenuFlipsInteractiveHelpInTheRegistry) {
    ASSERT_EQ(help->popupMenu(), editor->helpMenu());
    for (bool expected : {false, true}) {
        test::ModalCloser closer(pressKeys({VK_DOWN, VK_DOWN, VK_RETURN}));
        editor->helpMenu()->show(gui::Point(5, 5));
        EXPECT_TRUE(closer.finished());
        EXPECT_EQ(interactiveHelp(), expected);
    }
}

TEST_F(EditorMenusWindowsTest, TheWebSiteOpensThroughTheShellAtTheNextDrain) {
    {
        // Help Topics, Show Interactive Help Hints, then (past the separator) the web site.
        test::ModalCloser closer(pressKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
        editor->helpMenu()->show(gui::Point(5, 5));
    }
    EXPECT_TRUE(shellCalls().empty());
    ui->tick();
    EXPECT_EQ(shellCalls(), (std::vector<std::wstring>{L"open https://zentor.example/"}));
}

} // namespace
