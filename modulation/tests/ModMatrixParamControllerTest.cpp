#include "modulation/ModMatrixParamController.h"

#include "modulation/tests/SlotOwnerFixture.h"

#include <gtest/gtest.h>

namespace {
// One edit script for any controller.
void editScript(ModulationMatrix::Controller& c) {
    for (int s = 0; s < 24; ++s)
        c.setLevel(s, 0.0f);
    c.setSource(0, 0);
    c.setTarget(0, 5);
    c.setLevel(0, 0.36f);
    c.setSource(1, 1);
    c.setTarget(1, 83);
    c.setLevel(1, 0.16f);
    c.setSource(2, 3);
    c.setTarget(2, 6);
    c.setInverted(2, true);
    c.setLevel(2, 0.91f);
    c.setSource(3, 1);
    c.setTarget(3, 86); // a loop through its own level: no effect
    c.setSource(4, 0);
    c.setTarget(4, 6);
    c.setBypassed(4, true);
    c.swapSlots(0, 5);
    c.copySlot(2, 7);
    c.setLevel(7, 0.05f);
}
} // namespace

// The same edits through the engine's controller and through the slot
// parameters (written through to a second engine) give the same slots and
// the same blocks.
TEST(ModMatrixParamController, SameScriptSameSlotsAndBlocks) {
    test::MatrixFixture internal;
    test::SlotOwnerFixture parameters(true);
    editScript(internal.matrix->getController());
    editScript(parameters.controller());
    auto& a = internal.matrix->getController();
    auto& b = parameters.controller();
    auto& engine = parameters.matrix->getController();
    for (int s = 0; s < 24; ++s) {
        EXPECT_EQ(a.getSource(s), b.getSource(s)) << s;
        EXPECT_EQ(a.getTarget(s), b.getTarget(s)) << s;
        EXPECT_EQ(a.isInverted(s), b.isInverted(s)) << s;
        EXPECT_EQ(a.isBypassed(s), b.isBypassed(s)) << s;
        EXPECT_NEAR(a.getLevel(s), b.getLevel(s), 1e-6f) << s;
        EXPECT_EQ(internal.matrix->getSlot(s).state, parameters.matrix->getSlot(s).state) << s;
        EXPECT_EQ(engine.getTarget(s), b.getTarget(s)) << s;
    }
    for (int target : {5, 6}) {
        internal.e.nextBlock();
        parameters.e.nextBlock();
        float x = internal.matrix->targetProducer(target)->pull(8).data()[0];
        float y = parameters.matrix->targetProducer(target)->pull(8).data()[0];
        EXPECT_NEAR(x, y, 1e-6f) << target;
        internal.e.process(8, 0);
        parameters.e.process(8, 0);
    }
}

TEST(ModMatrixParamController, BatchesEveryClear) {
    test::SlotOwnerFixture f(false);
    auto& c = f.controller();
    c.setSource(0, 0);
    c.setTarget(0, 5);
    c.setSource(1, 1);
    c.setTarget(1, 83);
    std::vector<int> cleared;
    c.clearSlot(0, &cleared);
    EXPECT_EQ(cleared, (std::vector<int>{0, 1}));
    EXPECT_EQ(f.owner.depth, 0);
    EXPECT_EQ(c.getSource(1), -1);
}
