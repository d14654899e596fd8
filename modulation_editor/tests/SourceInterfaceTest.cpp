#include "modulation_editor/SourceInterface.h"

#include "gui/ScrollArea.h"
#include "modulation_editor/SourceSelectionBar.h"
#include "modulation_editor/tests/ListlessSlotController.h"
#include "modulation_editor/tests/SourceRig.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class SourceInterfaceTest : public test::SourceTest {};

TEST_F(SourceInterfaceTest, AnXYPanelHasTwoDragButtonsEveryOtherOne) {
    setActive(model->xyControllers, 1);
    setActive(model->xlfos, 1);
    setActive(model->midiSources, 1);
    ASSERT_EQ(sources->panels().size(), 3u);
    EXPECT_EQ(panel(0)->dragButtons().size(), 2u);
    EXPECT_EQ(panel(0)->outputCount(), 2);
    EXPECT_EQ(panel(1)->dragButtons().size(), 1u);
    EXPECT_EQ(panel(2)->firstSourceIndex(), 24u);
    EXPECT_EQ(panel(1)->removeButton()->helpText.getValue(), SourceInterface::kRemoveHelp);
}

// Rebinding to the same instance still unlinks every control; a new
// instance moves the range.
TEST_F(SourceInterfaceTest, SetSourceInstanceUnlinksAndMovesTheRange) {
    setActive(model->xlfos, 2);
    SourceInterface* p = panel(1);
    EXPECT_EQ(p->controlLinks().size(), 1u);
    p->SourceInterface::setSourceInstance(1);
    EXPECT_TRUE(p->controlLinks().empty());
    auto* frequency = static_cast<test::TestSourcePanel*>(p)->frequency;
    EXPECT_EQ(editor->getTargetIndex(frequency), ModulationMatrixPluginInterface::kNoTarget);
    p->setSourceInstance(0);
    EXPECT_EQ(p->firstSourceIndex(), 8u);
    EXPECT_EQ(editor->getTargetIndex(frequency), 16u);
}

TEST_F(SourceInterfaceTest, RemovingWhileAnotherChangeIsPendingDoesNothing) {
    setActive(model->xlfos, 2);
    panel(0)->removeSource();
    ASSERT_EQ(sources->pendingRemoval(), (SourceId{1, 0}));
    panel(1)->removeSource();
    EXPECT_EQ(sources->pendingRemoval(), (SourceId{1, 0}));
    ui->advance(400);
    EXPECT_EQ(model->xlfos.getNumActive(), 1);
}

// Without per-source slots a drag on the background scrolls the strip
// once it moved more than 4 units.
TEST_F(SourceInterfaceTest, TheBackgroundDragsOnlyPastFourUnits) {
    auto plainSlots = std::make_unique<test::ListlessSlotController>(*editor);
    auto* plain = new SourceController(*editor, *listener, *plainSlots);
    plain->setBoundsXYWH(0, 320, 926, 190);
    plain->parent.setValue(&ui->root());
    plain->registerSourceType(model->xlfos, "XLFO", 2, 1);
    setActive(model->xlfos, 1, false);
    plain->rebuildSourceContainers();
    ASSERT_FALSE(plain->perSourceSlots());
    SourceInterface* p = plain->panels().at(0);
    const gui::Point at = p->toRoot(gui::Point(120, 80));
    ui->mouseDown(0, at, 8);
    ui->mouseMove(gui::Point(at.x + 4.0f, at.y + 4.0f), 8);
    EXPECT_EQ(plain->strip().scrollArea()->state(), gui::ScrollArea::State::kIdle);
    ui->mouseMove(gui::Point(at.x + 4.5f, at.y), 8);
    EXPECT_EQ(plain->strip().scrollArea()->state(), gui::ScrollArea::State::kContentDrag);
    ui->mouseUp(0, gui::Point(at.x + 4.5f, at.y), 0);
    delete plain;
}

} // namespace
