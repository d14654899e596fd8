#include "gui/BasicRect.h"

#include <gtest/gtest.h>

#include <limits>

namespace gui {
namespace {

class CountingOwner : public PropertyOwner {
public:
    void propertyChanged(AbstractProperty&) override { ++changes; }
    int changes = 0;
};

TEST(BasicRect, IntersectAndUniteFollowTheEmptyRectRules) {
    struct Case {
        Rect a, b, intersected, united;
    };
    const Case cases[] = {
        // an empty other collapses the rect at its own top-left
        {{0, 0, 10, 10}, {5, 5, 5, 20}, {0, 0, 0, 0}, {0, 0, 10, 10}},
        // an empty rect takes the other when uniting
        {{3, 3, 3, 3}, {1, 2, 3, 4}, {3, 3, 3, 3}, {1, 2, 3, 4}},
        {{0, 0, 10, 10}, {5, -5, 20, 5}, {5, 0, 10, 5}, {0, -5, 20, 10}},
        // disjoint rects intersect into an empty (inverted) rect
        {{0, 0, 2, 2}, {5, 5, 6, 6}, {5, 5, 2, 2}, {0, 0, 6, 6}},
    };
    for (const Case& c : cases) {
        Rect i = c.a;
        intersect(i, c.b);
        EXPECT_EQ(i, c.intersected);
        Rect u = c.a;
        unite(u, c.b);
        EXPECT_EQ(u, c.united);
    }
    EXPECT_TRUE(Rect(5, 5, 2, 2).isEmpty());
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(Rect(0, 0, nan, 10).isEmpty());
}

TEST(BasicRect, ContainsIsHalfOpen) {
    const Rect r(0, 0, 10, 5);
    EXPECT_TRUE(r.contains({0, 0}));
    EXPECT_TRUE(r.contains({9.99f, 4.99f}));
    EXPECT_FALSE(r.contains({10, 0}));
    EXPECT_FALSE(r.contains({0, 5}));
    EXPECT_FALSE(r.contains({-0.01f, 2}));
}

TEST(BasicRect, SignOfValues) {
    EXPECT_EQ(sign(2.5f), 1);
    EXPECT_EQ(sign(0.0f), 0);
    EXPECT_EQ(sign(-0.0f), 0);
    EXPECT_EQ(sign(-3), -1);
}

TEST(BasicRect, GeometryPropertiesIgnoreMovesWithinTolerance) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    CountingOwner owner;
    Property<Point> point(&owner, Point(1.0f, 2.0f));
    point.setValue({1.0005f, 2.0f});
    EXPECT_EQ(owner.changes, 0);
    EXPECT_EQ(point.getValue(), Point(1.0f, 2.0f));
    point.setValue({1.002f, 2.0f});
    EXPECT_EQ(owner.changes, 1);
    point.setValue({nan, 50.0f});
    EXPECT_EQ(owner.changes, 1);

    Property<Rect> rect(&owner, Rect(0, 0, 10, 10));
    rect.setValue({0, 0, 10.0009f, 10});
    EXPECT_EQ(owner.changes, 1);
    rect.setValue({0, 0, 10, 9.998f});
    EXPECT_EQ(owner.changes, 2);
    rect.setValue({0, nan, 100, 100});
    EXPECT_EQ(owner.changes, 2);
}

} // namespace
} // namespace gui
