// The product's slot panel: its layout on the skin, the binding of its
// controls to the assigned slot, the target entries the interface allows,
// the highlight states and the warning frame centred in the panel; and, in
// the editor's slot list as a user meets it, its small buttons' looks and
// clicks.

#include "effect_editor/VarnelSlotInterface.h"
#include "effect/VarnelPluginSettings.h"
#include "effect_editor/VarnelSkin.h"
#include "effect_editor/tests/PaintedPixels.h"
#include "gui/Image.h"
#include "gui/SelectButton.h"
#include "gui/ToggleButton.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation/ModulationSlotParameterSet.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/SourceSlotController.h"
#include "modulation_editor/tests/VarnelEditorRig.h"
#include "plugin/GenericPluginSnapshots.h"

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

// The wide editor with the modulation shown, an XY controller and one slot
// of its X output, made by the output's Add Slot button.
class SlotInTheListTest : public test::VarnelEditorRig<VarnelInterface> {
protected:
    void SetUp() override {
        VarnelEditorRig::SetUp();
        editor->sourceController()->addSource(0);
        ui->advance(1000);
        SourceContainer* container = editor->sourceController()->containerAt(0);
        ASSERT_NE(container, nullptr);
        ASSERT_FALSE(container->addSlotButtons().empty());
        addSlot = container->addSlotButtons()[0];
        click(*addSlot);
        ASSERT_EQ(model->slots.getNumActive(), 1);
        panel = dynamic_cast<VarnelInterface::VarnelSlotInterface*>(editor->slotController()->panelAt(0));
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(panel->isVisibleInTree());
    }
    std::pair<float, float> openingSize() override {
        VarnelPlugin::VarnelSettings& s = model->getVarnelSettings();
        s.interfaceLayout.setValue(VarnelPlugin::InterfaceLayout::kWide);
        s.showModulation.setValue(true);
        return {float(model->getInterfaceWidth()), float(model->getInterfaceHeight())};
    }
    void click(const gui::Control& control) {
        const gui::Point at = centreOf(control);
        ui->mouseMove(at);
        ui->mouseDown(0, at);
        ui->mouseUp(0, at);
        // The pointer leaves, so no highlight stays on what it clicked.
        ui->mouseMove(gui::Point(1, 1));
        ui->advance(1000);
    }
    int32_t undoCount() const { return model->getUndoHistory()->getUndoCount(); }

    gui::Control* addSlot = nullptr;
    VarnelInterface::VarnelSlotInterface* panel = nullptr;
};

// The invert toggle and the remove button stand in the slot's row, sized by
// the skin, beside (never under) the bypass toggle and the target selector;
// a click inverts the slot or removes it, each as one undo step.
TEST_F(SlotInTheListTest, TheInvertAndRemoveButtonsAreSizedAndTheirClicksInvertOrRemoveTheSlot) {
    gui::Control* invert = panel->slotControl(SlotInterface::kInvert);
    gui::Control* remove = panel->removeButton();
    ASSERT_NE(invert, nullptr);
    ASSERT_NE(remove, nullptr);
    const gui::Rect row = test::rootRect(*panel->slotControl(SlotInterface::kLevel));
    struct Neighbour {
        gui::Control* button;
        gui::Control* beside;
    };
    for (const Neighbour& n :
         {Neighbour{invert, panel->bypassButton()}, Neighbour{remove, panel->targetButton()}}) {
        const gui::Rect r = test::rootRect(*n.button);
        EXPECT_GE(r.width(), 12.0f);
        EXPECT_GE(r.height(), 12.0f);
        EXPECT_TRUE(row.contains(r.topLeft()) && r.right <= row.right && r.bottom <= row.bottom);
        const gui::Rect other = test::rootRect(*n.beside);
        EXPECT_TRUE(r.right <= other.left || other.right <= r.left) << "overlaps its neighbour";
    }

    ModulationSlotParameterSet& slot = *editor->slotSet(0);
    const int32_t before = undoCount();
    click(*invert);
    EXPECT_EQ(slot.invert.getValue(), 1.0f);
    EXPECT_EQ(undoCount(), before + 1);
    click(*invert);
    EXPECT_EQ(slot.invert.getValue(), 0.0f);
    EXPECT_EQ(undoCount(), before + 2);

    click(*remove);
    EXPECT_EQ(model->slots.getNumActive(), 0);
    EXPECT_EQ(undoCount(), before + 3);
    // Undo brings the slot back.
    ASSERT_TRUE(model->getUndoHistory()->undo());
    EXPECT_EQ(model->slots.getNumActive(), 1);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// The slot's level shows as a bar along the row, as long as the level: at
// the full level it reaches past the bypass toggle up to the target
// selector, and at 0 it is gone.
TEST_F(SlotInTheListTest, TheLevelShowsAsABarAlongTheRow) {
    ModulationSlotParameterSet& slot = *editor->slotSet(0);
    const gui::Rect row = test::rootRect(*panel->slotControl(SlotInterface::kLevel));
    const gui::Rect bypass = test::rootRect(*panel->bypassButton());
    const gui::Rect target = test::rootRect(*panel->targetButton());
    // Between the bypass toggle and the target selector, clear of the row's rim.
    const gui::Rect open(bypass.right + 2.0f, row.top + 4.0f, target.left - 2.0f, row.bottom - 4.0f);
    ASSERT_FALSE(open.isEmpty());
    const gui::Rect end(open.right - 4.0f, open.top, open.right, open.bottom);
    auto look = [&](float level, const gui::Rect& area) {
        automate(slot.level, level);
        return test::paintedPixels(*ui, area);
    };
    EXPECT_TRUE(look(1.0f, open) != look(0.0f, open)) << "the level shows no bar";
    EXPECT_TRUE(look(1.0f, end) != look(0.0f, end)) << "the full level's bar stops short of the selector";
}

// The bypass and invert toggles show an icon on their faces, on and off,
// and look different on and off; the Add Slot button shows its plus; and
// while the slot closes a loop (an XLFO modulating its own rate) the bypass
// toggle is lit with the frame.
TEST_F(SlotInTheListTest, TogglesShowTheirStateAndTheBypassLightsWhileTheSlotLoops) {
    ModulationSlotParameterSet& slot = *editor->slotSet(0);
    for (int32_t role : {SlotInterface::kBypass, SlotInterface::kInvert}) {
        SCOPED_TRACE(role);
        AbstractPluginParameter& parameter = *SlotInterface::parameterFor(slot, role);
        auto& toggle = dynamic_cast<gui::Button&>(*panel->slotControl(role));
        automate(parameter, 0.0f);
        EXPECT_TRUE(test::showsAnIcon(*ui, toggle)) << "a blank face while off";
        const std::vector<gui::Color> off = test::paintedPixels(*ui, test::middleOf(toggle));
        automate(parameter, 1.0f);
        EXPECT_TRUE(test::showsAnIcon(*ui, toggle)) << "a blank face while on";
        EXPECT_NE(test::paintedPixels(*ui, test::middleOf(toggle)), off) << "on looks like off";
        automate(parameter, 0.0f);
    }
    auto* add = dynamic_cast<gui::Button*>(addSlot);
    ASSERT_NE(add, nullptr);
    EXPECT_TRUE(test::showsAnIcon(*ui, *add)) << "a blank Add Slot button";

    // The slot moves to an XLFO's output, then takes the XLFO's rate as its
    // target: a loop.
    model->xlfos.getNumActiveParameter().setValue(1.0f, kParameterChangeNotToHost);
    editor->refreshControls(-1);
    ModulationMatrixController& matrix = editor->matrixController();
    auto change = [&](auto&& apply) {
        matrix.beginChange();
        apply();
        matrix.endChange();
        editor->refreshControls(-1);
        panel = dynamic_cast<VarnelInterface::VarnelSlotInterface*>(editor->slotController()->panelAt(0));
        ASSERT_NE(panel, nullptr);
    };
    const auto xlfo = int32_t(editor->sourceController()->getSourceParameterRange(SourceId{1, 0}).first);
    change([&] { matrix.setSource(0, xlfo); });
    ASSERT_FALSE(panel->isLoopWarningShown());
    EXPECT_FALSE(panel->bypassLit()->visible.getValue());
    const std::vector<gui::Color> plain = test::paintedPixels(*ui, *panel->bypassButton());
    change([&] { matrix.setTarget(0, 16); });
    ASSERT_TRUE(panel->isLoopWarningShown());
    EXPECT_TRUE(panel->warningFrame()->visible.getValue());
    EXPECT_TRUE(panel->bypassLit()->visible.getValue());
    EXPECT_NE(test::paintedPixels(*ui, *panel->bypassButton()), plain) << "the bypass is not lit";
    // Bypassing the slot ends the warning and the light.
    automate(slot.bypass, 1.0f);
    EXPECT_FALSE(panel->bypassLit()->visible.getValue());
}

} // namespace
