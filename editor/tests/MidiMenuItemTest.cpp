#include "editor/MidiMenuItem.h"

#include "editor/tests/TestEditorModel.h"
#include "plugin/ControllerMapping.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using MidiMenuTest = test::PluginTest;

TEST_F(MidiMenuTest, ChoosingAnItemRemovesItsControllersMappingOnly) {
    auto model = std::make_unique<test::EditorModel>(name_);
    ControllerMapping* mapping = GenericPlugin::getControllerMapping();
    ASSERT_NE(mapping, nullptr);
    mapping->assign(7, test::EditorModel::kUnit);
    mapping->assign(9, test::EditorModel::kLevel);
    GenericPluginInterface::MidiMenuItem item(7, "Unit");
    EXPECT_EQ(item.text.getValue(), "7: Unit");
    int selected = 0;
    item.selectedEvent.addHandler(NotifyEvent::bind([&selected] { ++selected; }));
    item.fireSelected();
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(mapping->getParameter(7), ControllerMapping::none);
    EXPECT_EQ(mapping->getParameter(9), uint32_t(test::EditorModel::kLevel));
    mapping->clear();
}

} // namespace
