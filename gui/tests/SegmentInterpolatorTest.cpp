#include "gui/SegmentInterpolator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace gui {
namespace {

TEST(SegmentInterpolator, CursorAlwaysAgreesWithBinarySearch) {
    FiveChannelInterpolator interpolator;
    const std::vector<float> positions = {0.0f, 0.25f, 0.25f, 0.5f, 1.0f};
    for (float p : positions)
        interpolator.addStop(FiveChannels{}, p);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> spread(-0.5f, 1.5f);
    std::vector<float> lookups = {-1.0f, 0.0f, 0.1f, 0.25f, 0.3f, 1.0f, 2.0f, 0.0f, -0.1f, 0.9f, 0.25f};
    for (int i = 0; i < 500; ++i)
        lookups.push_back(i % 5 == 0 ? positions[static_cast<std::size_t>(i / 5 % 5)] : spread(random));
    for (float p : lookups) {
        const int expected =
            static_cast<int>(std::upper_bound(positions.begin(), positions.end(), p) - positions.begin());
        ASSERT_EQ(interpolator.segmentAt(p), expected) << p;
    }
}

TEST(SegmentInterpolator, FiveChannelValues) {
    FiveChannelInterpolator interpolator;
    EXPECT_EQ(interpolator.segmentAt(0.5f), -1);
    EXPECT_EQ(interpolator.valueAt(0.5f), (FiveChannels{{0, 0, 0, 0, 1}}));
    interpolator.addStop(FiveChannels{{0, 10, 20, 30, 40}}, 0.2f);
    interpolator.addStop(FiveChannels{{10, 20, 30, 40, 50}}, 0.6f);
    EXPECT_EQ(interpolator.valueAt(-3.0f), (FiveChannels{{0, 10, 20, 30, 40}}));
    EXPECT_EQ(interpolator.valueAt(0.6f), (FiveChannels{{10, 20, 30, 40, 50}}));
    const FiveChannels middle = interpolator.valueAt(0.4f);
    for (int i = 0; i < 5; ++i)
        EXPECT_FLOAT_EQ(middle.v[i], 5.0f + 10.0f * static_cast<float>(i));
}

} // namespace
} // namespace gui
