// The editor host on real windows (under Wine): the platform's child window
// in a hidden parent, with the GDI root.

#include "clap/editor/ClapPluginEditor.h"
#include "clap/editor/tests/EditorProductRig.h"
#include "clap/editor/tests/HostScales.h"
#include "clap/tests/ClapTestProduct.h"
#include "gui/DeviceBacking.h"
#include "gui/RootControl.h"
#include "gui/UserInterface.h"
#include "plugin/GenericPluginSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <windows.h>

namespace {

HWND hiddenWindow() {
    return CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 3000, 2000,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

class WindowsEditorHostTest : public test::ClapProductTest {
protected:
    void SetUp() override {
        ClapProductTest::SetUp();
        test::clapTestProduct().editor = &test::testEditorProduct();
        parent = hiddenWindow();
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override {
        plugin.reset();
        host.reset();
        DestroyWindow(parent);
        GenericPlugin::setProcessDisplayOptions(1, GenericPlugin::SharedSettings::kFollowSystemScale);
        ClapProductTest::TearDown();
    }
    void newInstance(int32_t retina) {
        plugin.reset();
        host = std::make_unique<TestHost>();
        plugin = makeInstance(*host);
        ASSERT_TRUE(plugin->init());
        p = plugin->plugin();
        GenericPlugin::setProcessDisplayOptions(0, retina);
        gui = static_cast<const clap_plugin_gui_t*>(p->get_extension(p, CLAP_EXT_GUI));
        ASSERT_EQ(gui, &ClapPluginEditor::guiExtension());
    }
    static clap_window_t window(HWND handle) {
        clap_window_t w{};
        w.api = CLAP_WINDOW_API_WIN32;
        w.win32 = handle;
        return w;
    }
    HWND child() const {
        return static_cast<HWND>(ClapPluginEditor::of(p)->window().userInterface()->nativeWindow());
    }

    HWND parent = nullptr;
    std::unique_ptr<TestHost> host;
    std::unique_ptr<HostedPlugin> plugin;
    const clap_plugin_t* p = nullptr;
    const clap_plugin_gui_t* gui = nullptr;
};

TEST_F(WindowsEditorHostTest, TheClientRectIsTheHostsSizeAndTheRootTheModelsAtEveryScale) {
    test::forEachHostSize([&](const test::HostSizeCase& c) {
        const int32_t width = c.width;
        const int32_t height = c.height;
        const test::HostScale& s = c.scale;
        newInstance(s.retina);
        ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_WIN32, false));
        if (s.retina == 1) {
            EXPECT_TRUE(gui->set_scale(p, s.value));
        }
        const clap_window_t w = window(parent);
        ASSERT_TRUE(gui->set_parent(p, &w));
        uint32_t cw = 0, ch = 0;
        ASSERT_TRUE(gui->get_size(p, &cw, &ch));
        const float scale = c.effective();
        EXPECT_EQ(cw, uint32_t(std::floor(double(width) * scale + 0.5)));
        EXPECT_EQ(ch, uint32_t(std::floor(double(height) * scale + 0.5)));
        EXPECT_TRUE(gui->set_size(p, cw, ch));
        RECT client{};
        ASSERT_TRUE(GetClientRect(child(), &client));
        EXPECT_EQ(uint32_t(client.right), cw);
        EXPECT_EQ(uint32_t(client.bottom), ch);
        gui::RootControl& root = *ClapPluginEditor::of(p)->window().userInterface()->rootControl();
        EXPECT_EQ(root.width.getValue(), float(width));
        EXPECT_EQ(root.height.getValue(), float(height));
        EXPECT_FALSE(gui->set_size(p, cw + uint32_t(std::ceil(scale)), ch));
        gui->destroy(p);
    });
}

TEST_F(WindowsEditorHostTest, SetParentRefusesADeadWindowAndASecondOneReparents) {
    test::clapTestProduct().interfaceWidth = 640;
    test::clapTestProduct().interfaceHeight = 321;
    newInstance(1);
    ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_WIN32, false));
    HWND dead = hiddenWindow();
    DestroyWindow(dead);
    const clap_window_t gone = window(dead);
    EXPECT_FALSE(gui->set_parent(p, &gone));
    const clap_window_t first = window(parent);
    ASSERT_TRUE(gui->set_parent(p, &first));
    EXPECT_EQ(GetParent(child()), parent);
    HWND other = hiddenWindow();
    const clap_window_t second = window(other);
    EXPECT_TRUE(gui->set_parent(p, &second));
    EXPECT_EQ(GetParent(child()), other);
    // Full screen and back lands in the new parent.
    gui::RootControl& root = *ClapPluginEditor::of(p)->window().userInterface()->rootControl();
    root.fullScreen.setValue(true);
    EXPECT_EQ(GetWindow(child(), GW_OWNER), other);
    root.fullScreen.setValue(false);
    EXPECT_EQ(GetParent(child()), other);
    RECT client{};
    ASSERT_TRUE(GetClientRect(child(), &client));
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 321);
    EXPECT_TRUE(gui->hide(p));
    EXPECT_EQ(GetWindowLongPtrW(child(), GWL_STYLE) & WS_VISIBLE, 0);
    EXPECT_TRUE(gui->show(p));
    EXPECT_NE(GetWindowLongPtrW(child(), GWL_STYLE) & WS_VISIBLE, 0);
    gui->destroy(p);
    DestroyWindow(other);
}

} // namespace
