#include "modulation/ModulationMatrixController.h"

#include "modulation/tests/MatrixFixture.h"

#include <gtest/gtest.h>

using test::MatrixFixture;

namespace {
struct Slot {
    int source, target;
    bool operator==(const Slot&) const = default;
};
std::vector<Slot> slots(ModulationMatrix::Controller& c, int count) {
    std::vector<Slot> out;
    for (int s = 0; s < count; ++s)
        out.push_back({c.getSource(s), c.getTarget(s)});
    return out;
}
} // namespace

TEST(ModulationMatrixController, FindFreeSlotFallsBack) {
    MatrixFixture f;
    auto& c = f.matrix->getController();
    EXPECT_EQ(c.findFreeSlot(), 0);
    for (int s = 0; s < 24; ++s)
        f.connect(s, 0, 5, 0.1f);
    EXPECT_EQ(c.findFreeSlot(), -1);
    c.setBypassed(7, true);
    c.setTarget(9, 83 + 9); // its own level
    EXPECT_EQ(c.findFreeSlot(), 7);
    c.setSource(3, -1);
    EXPECT_EQ(c.findFreeSlot(), 3);
    c.setTarget(12, -1);
    c.setSource(12, -1);
    EXPECT_EQ(c.findFreeSlot(), 12);
}

TEST(ModulationMatrixController, Searches) {
    MatrixFixture f;
    auto& c = f.matrix->getController();
    f.connect(0, 1, 6, 0.1f);
    f.connect(1, 0, 6, 0.1f);
    f.connect(2, 2, 5, 0.1f);
    f.connect(3, 1, 84, 0.1f);
    c.setSource(4, 3); // no target
    std::vector<int> out;
    c.findSlotsBySourceRange(1, 2, out);
    EXPECT_EQ(out, (std::vector<int>{0, 2, 3}));
    c.findSlotsBySource(3, out);
    EXPECT_EQ(out, (std::vector<int>{4}));
    c.findSlots(1, 1, out); // type 1 into group 1
    EXPECT_EQ(out, (std::vector<int>{0}));
    c.findSlots(1, -1, out);
    EXPECT_EQ(out, (std::vector<int>{0, 2, 3}));
    c.findSlots(-1, 2, out); // into slot levels
    EXPECT_EQ(out, (std::vector<int>{3}));
    c.findSlots(-1, 99, out);
    EXPECT_TRUE(out.empty());
    c.findSlotsByTargets({84, 6}, out); // in list order, by target
    EXPECT_EQ(out, (std::vector<int>{3, 0, 1}));
    c.findSlotsByTargetRange(5, 2, out);
    EXPECT_EQ(out, (std::vector<int>{0, 1, 2}));
    c.findSlotsByTarget(84, out);
    EXPECT_EQ(out, (std::vector<int>{3}));
}

TEST(ModulationMatrixController, ClearSlotCascadesIntoModulators) {
    MatrixFixture f;
    auto& c = f.matrix->getController();
    f.connect(0, 0, 5, 0.5f);
    f.connect(1, 1, 83, 0.5f); // modulates slot 0
    f.connect(2, 3, 84, 0.5f); // modulates slot 1
    f.connect(3, 3, 5, 0.5f);  // untouched
    c.setInverted(1, true);
    std::vector<int> cleared;
    c.clearSlot(0, &cleared);
    EXPECT_EQ(cleared, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(slots(c, 4), (std::vector<Slot>{{-1, -1}, {-1, -1}, {-1, -1}, {3, 5}}));
    EXPECT_FALSE(c.isInverted(1));
    EXPECT_EQ(c.getLevel(2), 0.0f);
    cleared.clear();
    c.clearSlotsForTarget(5, &cleared);
    EXPECT_EQ(cleared, (std::vector<int>{3}));
}

TEST(ModulationMatrixController, CopyAndSwapMoveModulatorsAlong) {
    MatrixFixture f;
    auto& c = f.matrix->getController();
    f.connect(0, 0, 5, 0.25f);
    c.setInverted(0, true);
    f.connect(1, 1, 6, 0.75f);
    f.connect(2, 3, 83, 0.5f); // modulates slot 0's level
    c.copySlot(0, 5);
    EXPECT_EQ(c.getSource(5), 0);
    EXPECT_EQ(c.getTarget(5), 5);
    EXPECT_TRUE(c.isInverted(5));
    EXPECT_EQ(c.getLevel(5), 0.25f);

    c.swapSlots(0, 1);
    EXPECT_EQ(slots(c, 3), (std::vector<Slot>{{1, 6}, {0, 5}, {3, 84}}));
    EXPECT_TRUE(c.isInverted(1));
    EXPECT_FALSE(c.isInverted(0));
    EXPECT_EQ(c.getLevel(0), 0.75f);

    // A slot modulating its partner's level: after the swap it still does.
    f.connect(3, 3, 88, 0.5f); // slot 3 -> slot 5's level
    c.swapSlots(3, 5);
    EXPECT_EQ(c.getTarget(5), 83 + 3);
    EXPECT_EQ(c.getSource(3), 0);
}

TEST(ModulationMatrixController, SortOrdersBySourceThenTarget) {
    MatrixFixture f;
    auto& c = f.matrix->getController();
    f.connect(0, 3, 5, 0.1f);
    f.connect(2, 1, 9, 0.1f);
    f.connect(3, 3, 2, 0.1f);
    int selected = 3;
    ModulationMatrix::Controller::sortSlots(c, 4, &selected);
    EXPECT_EQ(slots(c, 4), (std::vector<Slot>{{1, 9}, {3, 2}, {3, 5}, {-1, -1}}));
    EXPECT_EQ(selected, 1);

    int unchanged = 0;
    ModulationMatrix::Controller::sortSlots(c, 4, &unchanged);
    EXPECT_EQ(unchanged, 0);
    ModulationMatrix::Controller::sortSlots(c, 1, nullptr);
}
