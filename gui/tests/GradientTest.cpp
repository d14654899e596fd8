#include "gui/Gradient.h"

#include <gtest/gtest.h>

#include <limits>

namespace gui {
namespace {

TEST(Gradient, ColoursAtAndBetweenStops) {
    const Gradient g(Color(0, 100, 200, 255), Color(200, 100, 0, 55));
    const FloatColor first{0, 100, 200, 255};
    const FloatColor last{200, 100, 0, 55};
    EXPECT_EQ(g.floatColourAt(-0.5f), first);
    EXPECT_EQ(g.floatColourAt(0.0f), (FloatColor{0, 100, 200, 255}));
    EXPECT_EQ(g.floatColourAt(1.0f), last);
    EXPECT_EQ(g.floatColourAt(7.0f), last);
    const FloatColor quarter = g.floatColourAt(0.25f);
    EXPECT_FLOAT_EQ(quarter.r, 50.0f);
    EXPECT_FLOAT_EQ(quarter.b, 150.0f);
    EXPECT_FLOAT_EQ(quarter.a, 205.0f);
    // Not a number never leaves the stops' range.
    const FloatColor odd = g.floatColourAt(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(odd, last);
    EXPECT_EQ(Gradient().floatColourAt(0.5f), (FloatColor{0, 0, 0, 0}));
}

TEST(Gradient, StopsAsStoredAndOpacity) {
    Gradient g(Color(1, 2, 3), Color(4, 5, 6), 0.3f, Color(7, 8, 9));
    ASSERT_EQ(g.stopCount(), 3);
    EXPECT_EQ(g.stopColor(1), Color(4, 5, 6));
    EXPECT_FLOAT_EQ(g.stopPosition(1), 0.3f);
    EXPECT_TRUE(g.isOpaque());
    g.addColorStop(Color(0, 0, 0, 254), 2.0f);
    EXPECT_FALSE(g.isOpaque());
    EXPECT_EQ(g.segmentAt(1.5f), 3);
}

} // namespace
} // namespace gui
