#include "editor/PresetMenuItem.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "editor/tests/TestEditorModel.h"
#include "foundation/tests/TestFiles.h"
#include "gui/headless/HeadlessInterface.h"
#include "plugin/PresetFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using test::EditorModel;
using test::TemporaryFolder;

void touch(const std::string& path) {
    ASSERT_TRUE(test::writeWholeFile(path, "Name=x\n"));
}

class PresetMenuTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        model = std::make_unique<EditorModel>(name_);
        ui = std::make_unique<gui::headless::HeadlessInterface>();
        editor = std::make_unique<GenericPluginInterfaceBase>(*ui, *model);
    }
    void TearDown() override {
        editor.reset();
        ui.reset();
        model.reset();
        PluginTest::TearDown();
    }
    std::unique_ptr<EditorModel> model;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<GenericPluginInterfaceBase> editor;
};

TEST_F(PresetMenuTest, AnEmptyFolderShowsOneDisabledItem) {
    TemporaryFolder root("menu-empty");
    PresetFolder folder(root.path(), ".ztp", 2500);
    gui::Menu menu;
    buildPresetMenu(menu, folder, *editor, -1, "");
    ASSERT_EQ(menu.itemCount(), 1);
    EXPECT_EQ(menu.itemAt(0)->text.getValue(), "(No Presets)");
    EXPECT_FALSE(menu.itemAt(0)->enabled.getValue());
}

TEST_F(PresetMenuTest, SubfoldersBecomeSubmenusAndTheCurrentPresetIsTicked) {
    TemporaryFolder root("menu");
    createDirectories(root / "Leads");
    touch(root / "Leads\\Bright.ztp");
    touch(root / "Warm.ztp");
    createDirectories(root / "Empty");
    PresetFolder folder(root.path(), ".ztp", 2500);
    gui::Menu menu;
    menu.addItem(new gui::MenuItem("stale"));
    buildPresetMenu(menu, folder, *editor, 2, root / "Leads\\Bright.ztp");
    ASSERT_EQ(menu.itemCount(), 3);
    gui::MenuItem* empty = menu.itemAt(0);
    gui::MenuItem* leads = menu.itemAt(1);
    EXPECT_EQ(empty->text.getValue(), "Empty");
    EXPECT_FALSE(empty->isChecked.getValue());
    ASSERT_EQ(empty->itemCount(), 1);
    EXPECT_EQ(empty->itemAt(0)->text.getValue(), "(No Presets)");
    EXPECT_EQ(leads->text.getValue(), "Leads");
    EXPECT_TRUE(leads->isChecked.getValue());
    ASSERT_EQ(leads->itemCount(), 1);
    auto* bright = dynamic_cast<PresetMenuItem*>(leads->itemAt(0));
    ASSERT_NE(bright, nullptr);
    EXPECT_TRUE(bright->isChecked.getValue());
    EXPECT_EQ(bright->kind(), 2);
    auto* warm = dynamic_cast<PresetMenuItem*>(menu.itemAt(2));
    ASSERT_NE(warm, nullptr);
    EXPECT_EQ(warm->text.getValue(), "Warm");
    EXPECT_FALSE(warm->isChecked.getValue());
}

} // namespace
