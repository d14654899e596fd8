// The product's slot panel: its layout on the skin, the binding of its
// controls to the assigned slot, the target entries the interface allows,
// the highlight states and the warning frame centred in the panel.

#include "effect_editor/VarnelSlotInterface.h"
#include "effect_editor/VarnelSkin.h"
#include "gui/Image.h"
#include "gui/SelectButton.h"
#include "gui/ToggleButton.h"
#include "modulation_editor/tests/VarnelEditorRig.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

class VarnelSlotInterfaceTest : public test::VarnelEditorRig<VarnelInterface> {
protected:
    void SetUp() override {
        VarnelEditorRig::SetUp();
        panel = new VarnelInterface::VarnelSlotInterface(*editor);
        panel->parent.setValue(&ui->root());
    }
    std::pair<float, float> openingSize() override { return {640.0f, 321.0f}; }

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
