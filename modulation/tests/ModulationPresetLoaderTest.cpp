#include "modulation/ModulationPresetLoader.h"

#include "modulation/tests/SlotOwnerFixture.h"

#include <gtest/gtest.h>

namespace {
struct LoaderFixture : test::SlotOwnerFixture {
    LoaderFixture() : test::SlotOwnerFixture(false), loader(matrixOwner) {
        for (int s = 0; s < 24; ++s)
            controller().setLevel(s, 0.0f);
    }
    void connect(int slot, int source, int target, float level) {
        controller().setSource(slot, source);
        controller().setTarget(slot, target);
        controller().setLevel(slot, level);
    }
    int used() {
        int n = 0;
        for (int s = 0; s < 24; ++s)
            n += controller().getSource(s) != -1 || controller().getTarget(s) != -1;
        return n;
    }
    ModulationPresetLoader loader;
};
} // namespace

TEST(ModulationPresetLoader, DuplicateWithNegativeFactorInverts) {
    LoaderFixture f;
    f.connect(0, 1, 5, 0.8f);
    EXPECT_EQ(f.loader.duplicateSlotScaled(0, -0.5f), 1);
    EXPECT_TRUE(f.controller().isInverted(1));
    EXPECT_NEAR(f.controller().getLevel(1), 0.4f, 1e-5f);
    EXPECT_EQ(f.controller().getTarget(1), 5);
}

// A chain (slot 2 -> slot 1's level -> slot 0's level) is rescaled and
// duplicated along; the copies modulate the copies.
TEST(ModulationPresetLoader, ChainsFollowTheirSlot) {
    LoaderFixture f;
    f.connect(0, 0, 5, 0.5f);
    f.connect(1, 1, 83, 0.25f);
    f.connect(2, 3, 84, 0.125f);
    f.loader.rescaleSlotAmount(0, 2.0f, 1.0f);
    EXPECT_NEAR(f.controller().getLevel(0), 1.0f, 1e-5f);
    EXPECT_NEAR(f.controller().getLevel(1), 0.5f, 1e-5f);
    EXPECT_NEAR(f.controller().getLevel(2), 0.25f, 1e-5f);
    EXPECT_EQ(f.loader.duplicateSlotScaled(0, 1.0f), 3);
    EXPECT_EQ(f.controller().getTarget(3), 5);
    EXPECT_EQ(f.controller().getTarget(4), 83 + 3);
    EXPECT_EQ(f.controller().getTarget(5), 83 + 4);
}

// A slot aimed at its own level is rescaled once and duplicated once.
TEST(ModulationPresetLoader, SelfModulatingSlotsAreVisitedOnce) {
    LoaderFixture f;
    f.connect(0, 1, 83, 0.25f);
    f.connect(1, 3, 83, 0.25f);
    f.loader.rescaleSlotAmount(0, 2.0f, 1.0f);
    EXPECT_NEAR(f.controller().getLevel(0), 0.5f, 1e-5f);
    EXPECT_NEAR(f.controller().getLevel(1), 0.5f, 1e-5f);
    EXPECT_EQ(f.loader.duplicateSlotScaled(0, 1.0f), 2);
    EXPECT_EQ(f.used(), 4);
    EXPECT_EQ(f.controller().getTarget(2), 83 + 2);
    EXPECT_EQ(f.controller().getTarget(3), 83 + 2);
}

TEST(ModulationPresetLoader, RescaleOnlyTheGivenSourceInTheGroup) {
    LoaderFixture f;
    f.connect(0, 1, 6, 0.5f); // source 1 (type 1) into group 1
    f.connect(1, 2, 6, 0.5f); // source 2, also type 1
    f.loader.rescaleSlotsForTarget(1, 1, 0.5f, 1.0f);
    EXPECT_NEAR(f.controller().getLevel(0), 0.25f, 1e-5f);
    EXPECT_NEAR(f.controller().getLevel(1), 0.5f, 1e-5f);
}

TEST(ModulationPresetLoader, CompactMovesUsedSlotsForwardAndSorts) {
    LoaderFixture f;
    f.connect(1, 3, 5, 0.1f); // A
    f.connect(3, 1, 6, 0.1f); // B
    f.loader.compactSlots(4);
    EXPECT_EQ(f.controller().getSource(0), 1);
    EXPECT_EQ(f.controller().getSource(1), 3);
    EXPECT_EQ(f.controller().getSource(2), -1);
    EXPECT_EQ(f.controller().getSource(3), -1);
}

// The walk runs from the list's size down to its active count only, where
// removing does nothing: sets below the active count stay.
TEST(ModulationPresetLoader, RemoveUnusedSourceSetsKeepsActiveSets) {
    LoaderFixture f;
    ParameterSetList<PluginParameterSet> sources(&f.owner, "Sources", 4, [&f](int i) {
        return std::make_unique<PluginParameterSet>(&f.owner, "Source " + std::to_string(i));
    });
    sources.getNumActiveParameter().setValue(2.0f, 0);
    f.loader.removeUnusedSourceSets(sources, 0);
    EXPECT_EQ(sources.getNumActive(), 2);
}
