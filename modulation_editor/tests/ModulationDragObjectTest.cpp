#include "modulation_editor/ModulationDragObject.h"

#include "gui/Control.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

namespace {

TEST(ModulationDragObjectTest, CarriesItsSourceAndStageAndCollectsDropTargets) {
    gui::headless::HeadlessInterface ui(200.0f, 100.0f, 1000);
    gui::DragStage stage(ui);
    ModulationDragObject object(&stage, 17u);
    EXPECT_EQ(object.sourceIndex(), 17u);
    EXPECT_EQ(object.stage(), &stage);
    EXPECT_FALSE(object.dragging);

    gui::Control target(ui);
    object.addDropTarget(&target);
    object.addDropTarget(nullptr);
    ASSERT_EQ(object.dropTargets.size(), 1u);
    object.removeDropTarget(&target);
    EXPECT_TRUE(object.dropTargets.empty());
}

} // namespace
