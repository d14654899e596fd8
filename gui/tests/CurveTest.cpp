#include "gui/Curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace gui {
namespace {

double derivative(const Cubic& c, double x) {
    return (3.0 * c.a() * x + 2.0 * c.b()) * x + c.c();
}

TEST(Curve, FitMeetsBothEndsWithTheNegatedSlopes) {
    struct Case {
        float x0, y0, s0, x1, y1, s1;
    };
    const Case cases[] = {{0, 0, 0, 1, 1, 0}, {2, 10, 3, 7, -4, -1.5f}, {-5, 1, -2, 40, 60, 0.25f}};
    for (const Case& k : cases) {
        Cubic c;
        c.fit(k.x0, k.y0, k.s0, k.x1, k.y1, k.s1);
        EXPECT_NEAR(c.valueAt(k.x0), k.y0, 1e-4);
        EXPECT_NEAR(c.valueAt(k.x1), k.y1, 1e-4);
        EXPECT_NEAR(derivative(c, k.x0), -k.s0, 1e-9);
        EXPECT_NEAR(derivative(c, k.x1), -k.s1, 1e-9);
    }
}

TEST(Curve, DegenerateFitIsTheConstantStart) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Cubic c;
    c.fit(3, 5, 1, 3, 9, 1);
    EXPECT_EQ(c.valueAt(-100.0f), 5.0f);
    EXPECT_EQ(c.valueAt(100.0f), 5.0f);
    c.fit(0, 5, 1, inf, 9, 1);
    EXPECT_EQ(c.valueAt(2.0f), 5.0f);
    c.fit(0, nan, 1, 1, 9, 1);
    EXPECT_TRUE(std::isfinite(c.valueAt(0.5f)));
}

TEST(Curve, SegmentIsFlatOutsideItsEnds) {
    CubicSegment s;
    s.fitSegment(0, 2, 0, 1, 6, 0);
    EXPECT_EQ(s.valueAt(-0.5f), 2.0f);
    EXPECT_EQ(s.valueAt(1.0f), 6.0f);
    EXPECT_EQ(s.valueAt(5.0f), 6.0f);
    EXPECT_NEAR(s.valueAt(0.5f), 4.0f, 1e-6);
}

} // namespace
} // namespace gui
