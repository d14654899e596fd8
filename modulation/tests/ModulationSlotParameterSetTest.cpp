#include "modulation/ModulationSlotParameterSet.h"

#include "modulation/tests/SlotOwnerFixture.h"

#include <gtest/gtest.h>

TEST(ModulationSlotParameterSet, NamesAndNoneEntries) {
    test::SlotOwnerFixture f(false);
    ModulationSlotParameterSet& slot = *f.parameters->getSlotSet(2);
    EXPECT_EQ(slot.getName(), "Slot 3");
    std::vector<std::string> names;
    for (AbstractPluginParameter* p : slot.getParameters())
        names.push_back(p->getName());
    EXPECT_EQ(names, (std::vector<std::string>{"Slot 3 Source", "Slot 3 Level", "Slot 3 Bypassed",
                                               "Slot 3 Inverted", "Slot 3 Target"}));
    EXPECT_EQ(slot.source.formatValue(0.0f), "< Source >");
    EXPECT_EQ(slot.target.formatValue(0.0f), "< Target >");
    EXPECT_EQ(slot.target.formatValue(3.0f), "T2");
    EXPECT_EQ(slot.bypass.formatValue(1.0f), "Bypassed");
    EXPECT_EQ(slot.invert.formatValue(1.0f), "Inverted");
    EXPECT_EQ(slot.level.getTargetIndex(), 85);
    EXPECT_EQ(f.controller().getSource(2), -1);
    EXPECT_EQ(f.controller().getTarget(2), -1);
    EXPECT_EQ(f.owner.getNumParameters(), 24 * 5);
}

// The level's value 0.5 is the internal level 0.16, the neutral level.
TEST(ModulationSlotParameterSet, LevelCurve) {
    test::SlotOwnerFixture f(false);
    EXPECT_FLOAT_EQ(f.controller().neutralLevel.getValue(), 0.16f);
    EXPECT_FLOAT_EQ(f.controller().getLevel(0), 0.16f);
    f.controller().setLevel(0, 0.36f);
    EXPECT_FLOAT_EQ(f.parameters->getSlotSet(0)->level.getValue(), 0.7f);
}

TEST(ModulationSlotParameterSet, EmptyNameListReportsAndCarriesOn) {
    test::ApplyingOwner owner(false);
    ModulationMatrixOwner matrixOwner;
    test::fillTestLayout(matrixOwner.getLayout());
    testing::internal::CaptureStderr();
    ModulationMatrixParameterSet set(&owner, &matrixOwner, {}, test::names("T", 3));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "release_assert failed\n");
    EXPECT_EQ(set.getSlotSet(0)->source.getMax(), 0.0f);
}
