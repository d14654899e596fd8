#include "effect/XYParameterSet.h"

#include "effect/tests/VarnelOwnerFixture.h"

#include <gtest/gtest.h>

namespace {

TEST(XYParameterSet, TwoBipolarAxes) {
    test::VarnelTestOwner owner;
    XYParameterSet& xy = owner.p().xyControllers[3];
    ASSERT_EQ(xy.getNumParameters(), 2);
    EXPECT_EQ(xy.hor.getName(), "XY Controller 4 Hor");
    EXPECT_EQ(xy.ver.getName(), "XY Controller 4 Ver");
    for (const FloatPluginParameter* p : {&xy.hor, &xy.ver}) {
        EXPECT_EQ(p->getMin(), -1.0f);
        EXPECT_EQ(p->getMax(), 1.0f);
        EXPECT_EQ(p->getDefault(), 0.0f);
        EXPECT_EQ(p->getValue(), 0.0f);
        EXPECT_FALSE(p->getHelpText().empty());
    }
}

} // namespace
