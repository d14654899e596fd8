#include "modulation/Trigger.h"

#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
using Events = std::vector<std::pair<int, int>>; // (type, offset)

Events run(wave::Environment& e, Trigger& t, int count) {
    e.nextBlock();
    t.detectEvents(count);
    t.detectEvents(count); // a second call in the same block does nothing
    Events out;
    for (const auto& ev : t.getEvents())
        out.emplace_back(static_cast<int>(ev.type), ev.offset);
    e.process(count, 0);
    return out;
}

// The absolute sample at which the trigger switches off after the level
// falls at sample 1000.
int offSample(wave::Environment& e, Trigger& t) {
    for (int block = 0; block < 40; ++block) {
        for (const auto& [type, offset] : run(e, t, 128))
            if (type == 0) return block * 128 + offset;
    }
    return -1;
}
} // namespace

TEST(Trigger, ThresholdEdges) {
    struct Case {
        float level;
        bool on;
    };
    const Case cases[] = {{0.9f, false}, {0.9f + 1.1920929e-7f, false}, {0.9f + 3e-7f, true}, {1.0f, true}};
    for (const Case& c : cases) {
        wave::Environment e;
        test::ConstantSource level(e, c.level);
        Trigger t(e);
        t.setInput(&level);
        auto events = run(e, t, 16);
        EXPECT_EQ(!events.empty(), c.on) << c.level;
        if (c.on) {
            EXPECT_EQ(events, (Events{{1, 0}}));
        }
    }
}

// 15 ms at 48 kHz holds 720 samples: off on the 721st consecutive sample
// below half the threshold, also when the rate changed from 44100 Hz.
TEST(Trigger, HoldFollowsTheSampleRate) {
    for (bool changeRate : {false, true}) {
        wave::Environment e;
        e.setSampleRate(changeRate ? 44100.0f : 48000.0f);
        test::FunctionSource level(e, [](long i) { return i < 1000 ? 1.0f : 0.4f; });
        Trigger t(e);
        if (changeRate) {
            EXPECT_EQ(t.getHoldCount(), 661);
            e.setSampleRate(48000.0f);
        }
        EXPECT_EQ(t.getHoldCount(), 720);
        t.setInput(&level);
        EXPECT_EQ(offSample(e, t), 1000 + 720) << changeRate;
    }
}

TEST(Trigger, ZeroHoldSwitchesOffOnSecondSampleBelow) {
    wave::Environment e;
    test::FunctionSource level(e, [](long i) { return i < 5 ? 1.0f : 0.0f; });
    Trigger t(e);
    t.holdTime.setValue(0.0f);
    EXPECT_EQ(t.getHoldCount(), 1);
    t.setInput(&level);
    EXPECT_EQ(run(e, t, 16), (Events{{1, 0}, {0, 6}}));
}

TEST(Trigger, DecibelThreshold) {
    wave::Environment e;
    test::FunctionSource level(
        e, [](long i) { return i < 4 ? 0.5011f : (i < 8 ? 0.5013f : (i < 12 ? 0.2506f : 0.25f)); });
    Trigger t(e);
    t.holdTime.setValue(0.0f);
    t.domain.setValue(GainChangeDomain::kDecibels);
    EXPECT_EQ(t.threshold.getParameter().getTarget(), 0.0f); // 0.9 clamped into -180..0
    t.threshold.getParameter().setValue(-6.0f, 0.0f);
    t.setInput(&level);
    EXPECT_EQ(run(e, t, 16), (Events{{1, 4}, {0, 13}}));
    t.domain.setValue(GainChangeDomain::kLinear);
    EXPECT_EQ(t.threshold.getParameter().getTarget(), 0.0f);
}

TEST(Trigger, DisabledOrUnconnectedGivesNoEvents) {
    wave::Environment e;
    test::ConstantSource level(e, 1.0f);
    Trigger t(e);
    EXPECT_TRUE(run(e, t, 8).empty());
    t.setInput(&level);
    t.enabled.setValue(false);
    EXPECT_TRUE(run(e, t, 8).empty());
    t.enabled.setValue(true);
    EXPECT_EQ(run(e, t, 8).size(), 1u);
}
