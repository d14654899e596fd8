#include "effect/VarnelModulation.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using V = VarnelModulation;

TEST(VarnelModulation, SourceNamesInNumberOrder) {
    const std::vector<std::string> names = V::sourceNames();
    ASSERT_EQ(names.size(), 34u);
    const std::pair<int, const char*> expected[] = {
        {0, "XY 1 Hor"}, {1, "XY 1 Ver"}, {7, "XY 4 Ver"}, {8, "XLFO 1"},  {13, "XLFO 6"},  {14, "EG 1"},
        {19, "EG 6"},    {20, "EF 1"},    {23, "EF 4"},    {24, "MIDI 1"}, {33, "MIDI 10"},
    };
    for (const auto& [number, name] : expected)
        EXPECT_EQ(names[static_cast<size_t>(number)], name);
    EXPECT_EQ(V::sourceNameList().substr(0, 27), "XY 1 Hor,XY 1 Ver,XY 2 Hor,");
    EXPECT_EQ(V::kFirstXLFOSource, 8);
    EXPECT_EQ(V::kFirstEGSource, 14);
    EXPECT_EQ(V::kFirstEFSource, 20);
    EXPECT_EQ(V::kFirstMidiSource, 24);
}

TEST(VarnelModulation, TargetNamesInNumberOrder) {
    const std::vector<std::string> names = V::targetNames();
    ASSERT_EQ(names.size(), 107u);
    const std::pair<int, const char*> expected[] = {
        {0, "Delay 1 Time"},         {3, "Delay 1 Cross Feedback"}, {9, "Delay 2 Pan"},
        {10, "Filter 1 Freq"},       {15, "Filter 2 Peak"},         {16, "XLFO 1 Freq"},
        {18, "XLFO 1 Phase Offset"}, {33, "XLFO 6 Phase Offset"},   {34, "EG 1 Hold"},
        {38, "EG 1 Sustain"},        {69, "EG 6 Release"},          {70, "EF 1 Attack"},
        {77, "EF 4 Release"},        {78, "Input Level"},           {82, "Wet Pan"},
        {83, "Slot 1 Level"},        {106, "Slot 24 Level"},
    };
    for (const auto& [number, name] : expected)
        EXPECT_EQ(names[static_cast<size_t>(number)], name) << number;
    EXPECT_EQ(V::delayTarget(1, V::kDelayCrossFeedback), 8);
    EXPECT_EQ(V::filterTarget(1, V::kFilterPan), 14);
    EXPECT_EQ(V::xlfoTarget(5, V::kXLFOGlide), 32);
    EXPECT_EQ(V::egTarget(5, V::kEGSustain), 68);
    EXPECT_EQ(V::efTarget(3, V::kEFAttack), 76);
}

TEST(VarnelModulation, LayoutSizesAndSources) {
    ModulationMatrixLayout layout;
    V::fillLayout(layout);
    EXPECT_EQ(layout.numSlots, 24);
    EXPECT_EQ(layout.numChannels, 1);
    EXPECT_EQ(layout.numTargets, 107);
    EXPECT_EQ(layout.firstSlotTarget, 83u);
    EXPECT_EQ(layout.levelTargetOf(23), 106);
    ASSERT_EQ(layout.numSources(), 34);
    ASSERT_EQ(layout.targetGroups.size(), 18u);

    struct SourceCase {
        int source;
        int type;
        std::vector<std::int32_t> targets;
    };
    const SourceCase sources[] = {
        {0, 0, {}},
        {7, 0, {}},
        {8, 1, {16, 17, 18}},
        {13, 1, {31, 32, 33}},
        {14, 2, {34, 35, 36, 37, 38, 39}},
        {19, 2, {64, 65, 66, 67, 68, 69}},
        {20, 3, {70, 71}},
        {23, 3, {76, 77}},
        {24, 4, {}},
        {33, 4, {}},
    };
    for (const SourceCase& c : sources) {
        EXPECT_EQ(layout.sources[static_cast<size_t>(c.source)].type, c.type) << c.source;
        EXPECT_EQ(layout.sources[static_cast<size_t>(c.source)].targets, c.targets) << c.source;
    }
}

TEST(VarnelModulation, TargetGroupsScaleAndLimitEachTarget) {
    ModulationMatrixLayout layout;
    V::fillLayout(layout);
    struct GroupCase {
        std::vector<int> targets;
        float defaultScale, maxFactor, minFactor;
        std::vector<std::pair<std::int32_t, float>> scales;
    };
    std::vector<int> group0 = {2, 7, 12, 15, 38, 44, 50, 56, 62, 68, 79, 81};
    for (int t = 83; t <= 106; ++t)
        group0.push_back(t);
    const GroupCase groups[] = {
        {group0, 1.0f, 1.0f, 0.0f, {{3, 2.0f}}},
        {{0, 5}, 4995.0f, 5000.0f, 5.0f, {{1, 500.0f}, {2, 1000.0f}, {3, 2000.0f}}},
        {{1, 6}, 1.0f, 2.0f, -0.5f, {{1, 0.5f}, {3, 2.0f}}},
        {{3, 8}, 2.0f, 2.0f, 0.0f, {{3, 4.0f}}},
        {{10, 13}, 10.0f, 16.2063999f, 2.2665999f, {{1, 4.1999998f}, {5, 1.0f}, {3, 20.0f}}},
        {{11, 14}, 7.0f, 3.5f, -3.5f, {{3, 14.0f}}},
        {{16, 19, 22, 25, 28, 31}, 25.0f, 500.0f, 0.02f, {{3, 50.0f}}},
        {{17, 20, 23, 26, 29, 32}, 2.0f, 1.0f, -1.0f, {{3, 4.0f}}},
        {{18, 21, 24, 27, 30, 33}, 1.0f, 100.0f, -100.0f, {{3, 1.0f}}},
        {{34, 40, 46, 52, 58, 64}, 9.5f, 19.0f, 0.0f, {{3, 19.0f}}},
        {{35, 41, 47, 53, 59, 65}, 2.5f, 5.0f, 0.0f, {{3, 5.0f}}},
        {{36, 42, 48, 54, 60, 66}, 1.5f, 3.0f, 0.0014512470f, {{3, 3.0f}}},
        {{37, 43, 49, 55, 61, 67}, 2.5f, 5.0f, 0.0014512470f, {{3, 5.0f}}},
        {{39, 45, 51, 57, 63, 69}, 2.5f, 5.0f, 0.0014512470f, {{3, 5.0f}}},
        {{70, 72, 74, 76}, 0.4995f, 1.0f, 0.001f, {{3, 0.999f}}},
        {{71, 73, 75, 77}, 2.4749999f, 5.0f, 0.05f, {{3, 4.9499998f}}},
        {{4, 9, 80, 82}, 2.0f, 1.0f, -1.0f, {{3, 4.0f}}},
        {{78}, 63.0798874f, 63.0957336f, 0.0158489f, {}},
    };
    int covered = 0;
    for (size_t g = 0; g < std::size(groups); ++g) {
        const GroupCase& c = groups[g];
        const ModulationMatrixLayout::TargetGroup& group = layout.targetGroups[g];
        EXPECT_FLOAT_EQ(group.defaultScale, c.defaultScale) << "group " << g;
        EXPECT_FLOAT_EQ(group.maxFactor, c.maxFactor) << "group " << g;
        EXPECT_FLOAT_EQ(group.minFactor, c.minFactor) << "group " << g;
        EXPECT_EQ(group.sourceScales.size(), c.scales.size()) << "group " << g;
        for (size_t i = 0; i < c.scales.size() && i < group.sourceScales.size(); ++i) {
            EXPECT_EQ(group.sourceScales[i].first, c.scales[i].first) << "group " << g;
            EXPECT_FLOAT_EQ(group.sourceScales[i].second, c.scales[i].second) << "group " << g;
        }
        EXPECT_EQ(group.period, 0.0f);
        EXPECT_EQ(group.rangeSpan, 0.0f);
        EXPECT_EQ(group.kind, 0);
        EXPECT_EQ(group.channel, 0);
        for (int t : c.targets) {
            EXPECT_EQ(layout.groupOf(t), &group) << "target " << t;
            ++covered;
        }
    }
    EXPECT_EQ(covered, 107);
    // EG 1's delay takes the same follower scale as EG 2 to EG 6.
    EXPECT_EQ(layout.groupOf(35), layout.groupOf(65));
}

} // namespace
