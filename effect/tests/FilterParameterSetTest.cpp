#include "effect/FilterParameterSet.h"

#include "effect/tests/VarnelOwnerFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using test::VarnelTestOwner;

TEST(FilterParameterSet, NamesTargetsAndChoices) {
    VarnelTestOwner owner;
    FilterParameterSet& f = owner.p().filter[1];
    const char* names[] = {"Filter 2 Freq",           "Filter 2 Pan",      "Filter 2 Peak",
                           "Filter 2 Characteristic", "Filter 2 Response", "Filter 2 Slope",
                           "Filter 2 Enabled"};
    ASSERT_EQ(f.getNumParameters(), 7);
    for (int32_t i = 0; i < 7; ++i)
        EXPECT_EQ(f.getParameter(i)->getName(), names[i]);
    EXPECT_EQ(f.freq.getTargetIndex(), 13);
    EXPECT_EQ(f.pan.getTargetIndex(), 14);
    EXPECT_EQ(f.peak.getTargetIndex(), 15);

    EXPECT_EQ(f.characteristic.getValueNames(),
              (std::vector<std::string>{"Zentor Prime", "Gentle", "Raw", "Tube", "Metal", "Easy Going",
                                        "Smooth", "Hard", "Hollow", "Extreme", "Clean"}));
    EXPECT_EQ(f.response.getValueNames(), (std::vector<std::string>{"LP", "HP", "BP"}));
    EXPECT_EQ(f.slope.getValueNames(), (std::vector<std::string>{"12", "24", "48"}));
    EXPECT_EQ(f.enabled.getValueNames(), (std::vector<std::string>{"Disabled", "Enabled"}));
    // Every choice starts at its first entry.
    EXPECT_EQ(f.characteristic.formatValue(f.characteristic.getValue()), "Zentor Prime");
    EXPECT_EQ(f.response.formatValue(f.response.getValue()), "LP");
    EXPECT_EQ(f.slope.formatValue(f.slope.getValue()), "12");
    EXPECT_EQ(f.enabled.formatValue(f.enabled.getValue()), "Disabled");
    float value = 0.0f;
    ASSERT_TRUE(f.characteristic.textToValue("Tube", value));
    EXPECT_EQ(value, 3.0f);
    for (const AbstractPluginParameter* p : f.getParameters())
        EXPECT_FALSE(p->getHelpText().empty()) << p->getName();
}

TEST(FilterParameterSet, FrequencyPanAndPeakRanges) {
    VarnelTestOwner owner;
    FilterParameterSet& f = owner.p().filter[0];
    // Frequency: log2 of Hz from 2.2666 to 16.2064, starting at the top, shown in Hz.
    EXPECT_FLOAT_EQ(f.freq.getMin(), 2.2666f);
    EXPECT_FLOAT_EQ(f.freq.getMax(), 16.2064f);
    EXPECT_FLOAT_EQ(f.freq.getValue(), 16.2064f);
    EXPECT_FLOAT_EQ(f.freq.getDefault(), 16.2064f);
    EXPECT_NEAR(f.freq.normalizedToPlain(std::log2(1000.0f)), 1000.0f, 0.01f);
    float value = 0.0f;
    ASSERT_TRUE(f.freq.textToValue("440 Hz", value));
    EXPECT_NEAR(value, std::log2(440.0f), 1e-4f);
    // Pan: octaves, the range its modulation group holds it in.
    EXPECT_EQ(f.pan.getMin(), -3.5f);
    EXPECT_EQ(f.pan.getMax(), 3.5f);
    EXPECT_EQ(f.pan.getDefault(), 0.0f);
    EXPECT_EQ(f.pan.normalizedToInternal(-3.5f), -3.5f);
    EXPECT_EQ(f.peak.getMin(), 0.0f);
    EXPECT_EQ(f.peak.getMax(), 1.0f);
    EXPECT_EQ(f.peak.getValue(), 0.0f);
}

} // namespace
