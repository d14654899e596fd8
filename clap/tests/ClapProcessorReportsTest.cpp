#include "clap/ClapProcessorReports.h"

#include "plugin/tests/TestPlugin.h"

#include <gtest/gtest.h>

namespace {

class ReportingProcessor : public test::TestPluginProcessor {
public:
    explicit ReportingProcessor(int32_t meter) : TestPluginProcessor({0, false, false, 2}), meter_(meter) {}
    int32_t tailLength() override { return tail; }
    int32_t getGainReductionMeterIndex() const override { return meter_; }
    int32_t tail = kTailEndless;

private:
    int32_t meter_;
};

TEST(ClapProcessorReports, TailIsTheOneRecordedAtTheLastPortRebuild) {
    ReportingProcessor processor(-1);
    ClapProcessorReports reports;
    EXPECT_EQ(reports.tail(), 0x7FFFFFFFu);
    processor.tail = 4800;
    EXPECT_EQ(reports.tail(), 0x7FFFFFFFu);
    reports.recordTail(processor);
    EXPECT_EQ(reports.tail(), 4800u);
    for (int32_t negative :
         {GenericPluginProcessor::kTailEndless, GenericPluginProcessor::kTailNeverSleeps}) {
        processor.tail = negative;
        reports.recordTail(processor);
        EXPECT_EQ(reports.tail(), 0x7FFFFFFFu) << negative;
    }
    EXPECT_EQ(ClapProcessorReports::latency(processor), 0u);
}

// A processor without a gain-reduction meter is never offered the metering
// extension; a per-channel meter reads the smallest of the layout's channels.
TEST(ClapProcessorReports, GainMeteringNeedsAMeterAndTakesTheSmallestChannel) {
    ReportingProcessor none(-1);
    EXPECT_FALSE(ClapProcessorReports::offersGainMetering(none));
    EXPECT_EQ(ClapProcessorReports::gainAdjustment(none), 0.0);

    for (int32_t meter : {0, 1}) {
        ReportingProcessor processor(meter);
        ASSERT_EQ(processor.getNumChannels(), 2);
        ASSERT_GE(processor.levels.size(), 4u);
        processor.levels[2]->base = -6.0f; // channel 2 of meter 0
        processor.levels[1]->base = -3.0f; // channel 1 of meter 1
        EXPECT_TRUE(ClapProcessorReports::offersGainMetering(processor));
        EXPECT_EQ(ClapProcessorReports::gainAdjustment(processor), meter == 0 ? -6.0 : -3.0) << meter;
    }
}

} // namespace
