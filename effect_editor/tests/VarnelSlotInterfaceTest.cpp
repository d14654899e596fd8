// The product's slot panel: its layout on the skin, the binding of its
// controls to the assigned slot, the target entries the interface allows,
// the highlight states and the warning frame centred in the panel.

#include "effect_editor/VarnelSlotInterface.h"
#include "editor/tests/TestEditorModel.h"
#include "effect/VarnelPlugin.h"
#include "effect_editor/VarnelSkin.h"
#include "gui/Image.h"
#include "gui/SelectButton.h"
#include "gui/ToggleButton.h"
#include "gui/headless/ModalResponder.h"
#include "gui/headless/PosixInterface.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class VarnelSlotInterfaceTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        gui::headless::ModalResponder::reset();
        model = std::make_unique<VarnelPlugin>(name_);
        adapter = std::make_unique<test::RecordingAdapter>(*model);
        ui = std::make_unique<gui::headless::PosixInterface>(640.0f, 321.0f, 1000);
        editor = std::make_unique<VarnelInterface>(*ui, *model);
        panel = new VarnelInterface::VarnelSlotInterface(*editor);
        panel->parent.setValue(&ui->root());
    }
    void TearDown() override {
        editor.reset();
        ui.reset();
        adapter.reset();
        model.reset();
        gui::headless::ModalResponder::reset();
        PluginTest::TearDown();
    }

    std::unique_ptr<VarnelPlugin> model;
    std::unique_ptr<test::RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::PosixInterface> ui;
    std::unique_ptr<VarnelInterface> editor;
    VarnelInterface::VarnelSlotInterface* panel = nullptr;
};

TEST_F(VarnelSlotInterfaceTest, ThePanelTakesTheSkinsSizeAndCentresItsWarningFrame) {
    EXPECT_FLOAT_EQ(panel->width.getValue(), 122.0f);
    EXPECT_FLOAT_EQ(panel->height.getValue(), 31.0f);
    const gui::Rect frame = panel->warningFrame()->bounds.getValue();
    EXPECT_FLOAT_EQ(frame.width(), 110.0f);
    EXPECT_FLOAT_EQ(frame.height(), 19.0f);
    EXPECT_FLOAT_EQ(frame.left, 6.0f);
    EXPECT_FLOAT_EQ(frame.top, 6.0f);
    EXPECT_FLOAT_EQ(panel->targetButton()->x.getValue(), 87.0f);
    EXPECT_FLOAT_EQ(panel->bypassButton()->x.getValue(), 20.0f);
    EXPECT_EQ(panel->hitThreshold.getValue(), 32);
}

TEST_F(VarnelSlotInterfaceTest, AssigningASlotBindsTheLevelAsTheSlotsTargetAndSetsTheDropOffset) {
    model->slots.getNumActiveParameter().setValue(2.0f, 0);
    panel->assignSlot(1);
    gui::ValueControl* level = panel->slotControl(SlotInterface::kLevel);
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(editor->getTargetIndex(level), editor->firstSlotTarget() + 1);
    EXPECT_FLOAT_EQ(panel->dropTargetOffset().x, -5.0f);
    EXPECT_FLOAT_EQ(panel->dropTargetOffset().y, -5.0f);
}

TEST_F(VarnelSlotInterfaceTest, TargetEntriesFollowTheRangesAndHighlightStatesSetTheLook) {
    model->slots.getNumActiveParameter().setValue(1.0f, 0);
    panel->assignSlot(0);
    const auto& items = panel->targetButton()->menuItems();
    ASSERT_GT(items.size(), 17u);
    // Delay 1 Time is always a target; XLFO 1's Frequency only while an
    // XLFO is in use.
    EXPECT_TRUE(items[1]->enabled.getValue());
    EXPECT_FALSE(items[17]->enabled.getValue());
    model->xlfos.getNumActiveParameter().setValue(1.0f, 0);
    panel->updateLoopWarning();
    EXPECT_TRUE(items[17]->enabled.getValue());

    EXPECT_FALSE(panel->background()->visible.getValue());
    panel->setHighlightState(VarnelInterface::VarnelSlotInterface::kHighlighted);
    EXPECT_TRUE(panel->background()->visible.getValue());
    EXPECT_EQ(panel->opacity.getValue(), 255);
    panel->setHighlightState(VarnelInterface::VarnelSlotInterface::kDimmed);
    EXPECT_FALSE(panel->background()->visible.getValue());
    EXPECT_EQ(panel->opacity.getValue(), 128);
}

TEST_F(VarnelSlotInterfaceTest, TheSourceControllersRequestsGiveTheAddButtonsAndSlotPanelsOnly) {
    for (int32_t kind : {0, 2}) {
        std::unique_ptr<gui::Button> button(editor->createButton(kind));
        ASSERT_NE(button, nullptr) << kind;
        EXPECT_EQ(button->style(), editor->skin().buttonStyle(kind == 0 ? 9 : 10));
    }
    for (int32_t kind : {1, 3, 4, -1})
        EXPECT_EQ(editor->createButton(kind), nullptr) << kind;
    std::unique_ptr<SlotInterface> slot(editor->createSlotInterface());
    EXPECT_NE(dynamic_cast<VarnelInterface::VarnelSlotInterface*>(slot.get()), nullptr);
}

} // namespace
