#include "modulation_editor/SourceSlotController.h"

#include "gui/ScrollArea.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation/ModulationSlotParameterSet.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/tests/ModulationEditorRig.h"
#include "modulation_editor/tests/SlotPanels.h"
#include "plugin/GenericPluginSnapshots.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records each rebuild's changed slot.
class RecordingSlotController : public SourceSlotController {
public:
    using SourceSlotController::SourceSlotController;
    void rebuildList(int32_t count, uint32_t changedSlot) override {
        rebuilds.push_back(static_cast<int32_t>(changedSlot));
        SourceSlotController::rebuildList(count, changedSlot);
    }
    std::vector<int32_t> rebuilds;
};

class SourceSlotControllerTest : public test::ModulationEditorTest {
protected:
    void SetUp() override {
        ModulationEditorTest::SetUp();
        slots = std::make_unique<RecordingSlotController>(*editor);
        strip = test::listSlotsOnStrip(*slots, *ui, *editor, gui::Rect::fromXYWH(0, 300, 900, 100));
    }
    void TearDown() override {
        slots.reset();
        ModulationEditorTest::TearDown();
    }
    // Slot s: source, target (-1 for none).
    void connect(int32_t slot, int32_t source, int32_t target) {
        ModulationMatrixController& c = editor->matrixController();
        c.setSource(slot, source);
        c.setTarget(slot, target);
        c.setLevel(slot, c.neutralLevel.getValue());
    }
    int32_t levelIndex(int32_t slot) { return model->slots.getSet(slot)->level.getIndex(); }

    std::unique_ptr<RecordingSlotController> slots;
    ModulationScrollStrip* strip = nullptr;
};

TEST_F(SourceSlotControllerTest, ParametersMapToTheirSlots) {
    setSlotsInUse(24);
    EXPECT_EQ(model->slots.getSet(0)->source.getName(), "Slot 1 Source");
    struct Case {
        int32_t parameter;
        int32_t slot;
    } cases[] = {{581, -1}, {582, 0}, {586, 0}, {587, 1}, {701, 23}};
    for (const Case& c : cases) {
        slots->rebuilds.clear();
        slots->refreshSlots(c.parameter);
        ASSERT_EQ(slots->rebuilds.size(), 1u) << c.parameter;
        EXPECT_EQ(slots->rebuilds[0], c.slot) << c.parameter;
    }
    // Outside the slot group's used part nothing refreshes.
    setSlotsInUse(2);
    slots->rebuilds.clear();
    for (int32_t outside : {580, 592, 702})
        slots->refreshSlots(outside);
    EXPECT_TRUE(slots->rebuilds.empty());
}

TEST_F(SourceSlotControllerTest, PanelsLinkEachControlByRole) {
    setSlotsInUse(2);
    slots->refreshSlots(-1);
    ASSERT_EQ(slots->listedCount(), 2);
    auto* panel = static_cast<SlotInterface*>(slots->panelAt(1));
    ModulationSlotParameterSet& set = *model->slots.getSet(1);
    EXPECT_EQ(panel->slotControl(SlotInterface::kTarget)->controlId.getValue(), set.target.getIndex());
    EXPECT_EQ(panel->slotControl(SlotInterface::kLevel)->controlId.getValue(), set.level.getIndex());
    EXPECT_EQ(panel->slotControl(SlotInterface::kBypass)->controlId.getValue(), set.bypass.getIndex());
    EXPECT_EQ(panel->slotControl(SlotInterface::kInvert)->controlId.getValue(), set.invert.getIndex());
    // The level knob is slot 1's level target.
    EXPECT_EQ(editor->getTargetIndex(panel->slotControl(SlotInterface::kLevel)),
              editor->firstSlotTarget() + 1);
    EXPECT_EQ(slots->panelAt(2), nullptr);
}

TEST_F(SourceSlotControllerTest, AFilterListsTheChainsThatFeedItsSlots) {
    const int32_t firstLevel = static_cast<int32_t>(editor->firstSlotTarget());
    setSlotsInUse(4);
    connect(0, 15, 5);              // EG 2 -> target 5
    connect(1, 8, 0);               // XLFO 1 -> Delay 1 Time
    connect(2, 14, firstLevel + 1); // EG 1 -> slot 1's level
    connect(3, 9, 1);
    slots->refreshSlots(-1);
    EXPECT_EQ(slots->listedSlots(), (std::vector<int32_t>{0, 1, 2, 3}));

    slots->setSourceFilter(8, 1);
    EXPECT_EQ(slots->listedSlots(), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(slots->slotState(2), AbstractSlotController::kListed);
    EXPECT_EQ(slots->slotState(0), AbstractSlotController::kNotListed);
    EXPECT_FALSE(
        static_cast<SlotInterface*>(strip->scrollArea()->content()->children()[2])->visible.getValue());

    slots->setTargetFilter(gui::Rect(0, 0, 10, 10), 5, 1);
    EXPECT_EQ(slots->listedSlots(), (std::vector<int32_t>{0}));
    EXPECT_EQ(slots->sourceFilterCount(), 0);
}

TEST_F(SourceSlotControllerTest, TheSameFilterTwiceRefreshesOnce) {
    setSlotsInUse(3);
    slots->rebuilds.clear();
    slots->setSourceFilter(8, 1);
    slots->setSourceFilter(8, 1);
    EXPECT_EQ(slots->rebuilds.size(), 1u);
    slots->setTargetFilter(gui::Rect(0, 0, 10, 10), 0, 1);
    slots->setTargetFilter(gui::Rect(5, 0, 15, 10), 0, 1); // moved: no refresh
    EXPECT_EQ(slots->rebuilds.size(), 2u);
    EXPECT_FLOAT_EQ(slots->highlightRect().left, 5.0f);
}

// A press on a target control selects its target; the second press on the
// same one removes the filter. Rebinding keeps one subscription, so one
// press runs the selection once.
TEST_F(SourceSlotControllerTest, TargetSelectionRunsOncePerPress) {
    gui::ValueControl* k = knob(100, 100);
    editor->linkControl(&model->filter[0].freq, k, 10);
    editor->linkControl(&model->filter[0].pan, k, 11); // moved
    editor->linkControl(&model->filter[0].pan, k, 11); // replaced, then bound again
    editor->linkControl(&model->filter[0].freq, k, 10);
    EXPECT_EQ(slots->subscribedCount(), 1u);
    k->pressEvent.notify(k);
    EXPECT_EQ(slots->targetFilterFirst(), 10);
    EXPECT_EQ(slots->targetFilterCount(), 1);
    EXPECT_FLOAT_EQ(slots->highlightRect().left, 100.0f);
    k->pressEvent.notify(k);
    EXPECT_EQ(slots->targetFilterCount(), 0);

    // A replaced control hears nothing more; a slot level knob selects nothing.
    gui::ValueControl* other = knob();
    editor->linkControl(&model->filter[0].freq, other, 10);
    k->pressEvent.notify(k);
    EXPECT_EQ(slots->targetFilterCount(), 0);
    setSlotsInUse(1);
    slots->refreshSlots(-1);
    auto* panel = static_cast<SlotInterface*>(slots->panelAt(0));
    gui::ValueControl* level = panel->slotControl(SlotInterface::kLevel);
    level->pressEvent.notify(level);
    EXPECT_EQ(slots->targetFilterCount(), 0);
    delete other; // a dying control leaves the subscriptions without being touched
    EXPECT_EQ(slots->subscribedCount(), 1u);
}

// Each step of a drag comes back as a refresh of the dragged parameter; the
// panel keeps its link, so the host sees one gesture.
TEST_F(SourceSlotControllerTest, ARefreshDuringADragKeepsTheGesture) {
    setSlotsInUse(3);
    connect(1, 8, 0);
    slots->refreshSlots(-1);
    auto* panel = static_cast<SlotInterface*>(slots->panelAt(1));
    gui::ValueControl* level = panel->slotControl(SlotInterface::kLevel);
    const int32_t index = levelIndex(1);
    const int32_t undoBefore = model->getUndoHistory()->getUndoCount();
    level->performGesture(gui::kGestureBegin, 0);
    for (int step = 0; step < 20; ++step) {
        level->performGesture(gui::kGestureChange, 100);
        slots->refreshSlots(index);
        editor->refreshControls(index);
    }
    level->performGesture(gui::kGestureEnd, 0);
    EXPECT_EQ(adapter->kindsOf(index), "b" + std::string(20, 'v') + "e");
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_EQ(model->getUndoHistory()->getUndoCount() - undoBefore, 1);
}

// (source 3, target 5), (none), (source 1, target 9), (source 3, target 2)
// sort to source 1, source 3 target 2, source 3 target 5, then the empty slot.
TEST_F(SourceSlotControllerTest, SortIsOneUndoStep) {
    setSlotsInUse(4);
    connect(0, 3, 5);
    connect(1, -1, -1);
    connect(2, 1, 9);
    connect(3, 3, 2);
    editor->storeUndoStep(-1);
    slots->refreshSlots(-1);
    auto* history = model->getUndoHistory();
    const int32_t before = history->getUndoCount();
    slots->sortSlots();
    ModulationMatrixController& c = editor->matrixController();
    const std::vector<std::pair<int32_t, int32_t>> sorted{{1, 9}, {3, 2}, {3, 5}, {-1, -1}};
    for (int32_t s = 0; s < 4; ++s)
        EXPECT_EQ(std::make_pair(c.getSource(s), c.getTarget(s)), sorted[static_cast<size_t>(s)]) << s;
    EXPECT_EQ(history->getUndoCount() - before, 1);
    slots->sortSlots(); // already sorted: no step
    EXPECT_EQ(history->getUndoCount() - before, 1);
    ASSERT_TRUE(history->undo());
    EXPECT_EQ(c.getSource(0), 3);
    EXPECT_EQ(c.getTarget(0), 5);
    EXPECT_EQ(c.getSource(2), 1);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// Remove Slot removes the slot set: the slots that modulate its level go
// too, and a slot aimed at a later slot's level follows that slot down.
TEST_F(SourceSlotControllerTest, RemoveSlotRetargets) {
    const int32_t firstLevel = static_cast<int32_t>(editor->firstSlotTarget());
    setSlotsInUse(4);
    connect(0, 8, 0);
    connect(1, 9, firstLevel + 0); // modulates slot 0's level
    connect(2, 14, 5);
    connect(3, 15, firstLevel + 2); // modulates slot 2's level
    slots->refreshSlots(-1);
    const int32_t before = model->getUndoHistory()->getUndoCount();
    auto* panel = static_cast<SlotInterface*>(slots->panelAt(0));
    panel->removeButton()->clickEvent.notify(panel->removeButton());
    ModulationMatrixController& c = editor->matrixController();
    EXPECT_EQ(editor->slotsInUse(), 2);
    EXPECT_EQ(c.getSource(0), 14);
    EXPECT_EQ(c.getSource(1), 15);
    EXPECT_EQ(c.getTarget(1), firstLevel + 0);
    EXPECT_EQ(slots->listedSlots(), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(model->getUndoHistory()->getUndoCount() - before, 1);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(SourceSlotControllerTest, TheLoopWarningShowsForAnUnusableSlot) {
    setSlotsInUse(1);
    // XLFO 1 (source 8) modulating its own frequency (target 16) is a loop.
    connect(0, 8, 16);
    slots->refreshSlots(-1);
    auto* panel = static_cast<SlotInterface*>(slots->panelAt(0));
    EXPECT_TRUE(panel->isLoopWarningShown());
    EXPECT_TRUE(panel->warningControl()->visible.getValue());
    editor->matrixController().setBypassed(0, true);
    panel->updateLoopWarning();
    EXPECT_FALSE(panel->isLoopWarningShown());
}

TEST_F(SourceSlotControllerTest, TheStripsScrollButtonsAreHoverOnlyEntries) {
    size_t hover = 0;
    for (const auto& e : editor->dragManager().entries())
        if (e.hoverOnly == 1 && e.group == 1) ++hover;
    EXPECT_EQ(hover, 2u);
    delete strip;
    EXPECT_TRUE(editor->dragManager().entries().empty());
    slots->refreshSlots(-1); // the controller forgot the strip
}

} // namespace
