#include "modulation/ModulationMatrixParameterSet.h"

#include "modulation/tests/SlotOwnerFixture.h"

#include <gtest/gtest.h>

TEST(ModulationMatrixParameterSet, BuildNumberedNameList) {
    struct Case {
        std::string base;
        int count;
        std::string expected;
    };
    const Case cases[] = {
        {"XLFO", 2, "XLFO 1 Freq,XLFO 1 Glide,XLFO 2 Freq,XLFO 2 Glide"},
        {"XLFO", 1, "XLFO Freq,XLFO Glide"},
        {"X", 2, "X1 Freq,X1 Glide,X2 Freq,X2 Glide"},
        {"EG", 0, ""},
    };
    for (const Case& c : cases) {
        std::string out;
        buildNumberedNameList(out, c.base, c.count, {"Freq", "Glide"});
        EXPECT_EQ(out, c.expected);
    }
}

TEST(ModulationMatrixParameterSet, SlotsTakeCountAndFirstTargetFromLayout) {
    test::SlotOwnerFixture f(false);
    EXPECT_EQ(f.parameters->getNumSlotSets(), 24);
    EXPECT_EQ(f.parameters->getFirstSlotTarget(), 83u);
    EXPECT_EQ(f.parameters->getSlotSet(23)->level.getTargetIndex(), 106);
    EXPECT_EQ(f.parameters->getSlotSet(24), nullptr);
    EXPECT_EQ(f.parameters->getSourceNames().size(), 35u);
    EXPECT_EQ(f.matrixOwner.getParameterSet(), f.parameters.get());
}
