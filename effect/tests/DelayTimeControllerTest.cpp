#include "effect/DelayTimeController.h"

#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

namespace {
struct TimeFixture : ::testing::Test {
    TimeFixture() { e.setSampleRate(48000.0f); }
    // The synced time, settled after a tempo change (glides last at most 150 ms).
    float settled(DelayTimeController& c) { return test::runSamples(e, c, 48000).back(); }

    wave::Environment e;
    test::ConstantSource time{e, 2.0f};
    test::ConstantSource offset{e, 1.0f};
};
} // namespace

// "Free" hands on the time target's own block, unclamped.
TEST_F(TimeFixture, FreePassesTheTimeTargetUnchanged) {
    DelayTimeController c(e, &time, &offset);
    e.nextBlock();
    const wave::BasicBlock<float>& out = c.pull(64);
    EXPECT_EQ(&out, &time.getCurrentBlock());
    EXPECT_EQ(out.data()[0], 2.0f);
    e.process(64, 0);
    // The tempo does nothing in "Free".
    c.setTempo(120.0f);
    EXPECT_EQ(c.getSyncedTime().getParameter().getTarget(), 5.0f);
}

// Synced: table / tempo times the offset, clamped into [5, 5000] ms.
TEST_F(TimeFixture, SyncedTimesFollowTempoAndOffsetWithinTheClamps) {
    struct Case {
        DelaySync sync;
        float tempo;
        float offset;
        float expected;
    };
    const Case cases[] = {
        {DelaySync::kTwoNotes, 120.0f, 1.0f, 1000.0f}, {DelaySync::kNote, 120.0f, 1.0f, 500.0f},
        {DelaySync::kHalfNote, 120.0f, 1.0f, 250.0f},  {DelaySync::kQuarterNote, 120.0f, 1.0f, 125.0f},
        {DelaySync::kNote, 120.0f, 1.5f, 750.0f},      {DelaySync::kNote, 40.0f, 1.0f, 1500.0f},
        {DelaySync::kNote, 10.0f, 1.0f, 5000.0f},      {DelaySync::kQuarterNote, 300.0f, 0.01f, 5.0f},
        {DelaySync::kTwoNotes, 20.0f, 2.0f, 5000.0f},
    };
    for (const Case& k : cases) {
        DelayTimeController c(e, &time, &offset);
        offset.value = k.offset;
        c.sync.setValue(k.sync);
        c.setTempo(k.tempo);
        EXPECT_FLOAT_EQ(settled(c), k.expected) << static_cast<int>(k.sync) << " at " << k.tempo;
    }
}

// A tempo of 0 keeps the last synced time; the synced path glides from it.
TEST_F(TimeFixture, ZeroTempoKeepsTheSyncedTime) {
    DelayTimeController c(e, &time, &offset);
    c.sync.setValue(DelaySync::kNote);
    c.setTempo(120.0f);
    EXPECT_FLOAT_EQ(settled(c), 500.0f);
    c.setTempo(0.0f);
    EXPECT_FLOAT_EQ(settled(c), 500.0f);
    c.setTempo(60.0f);
    std::vector<float> glide = test::runSamples(e, c, 256);
    EXPECT_GT(glide[255], 500.0f);
    EXPECT_LT(glide[255], 1000.0f);
    EXPECT_FLOAT_EQ(settled(c), 1000.0f);
    // Back to "Free": the time target again.
    c.sync.setValue(DelaySync::kFree);
    EXPECT_EQ(test::runBlock(e, c, 16)[0], 2.0f);
}
