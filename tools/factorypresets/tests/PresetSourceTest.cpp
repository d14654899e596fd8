#include "tools/factorypresets/PresetSource.h"

#include "plugin/PresetParameterCollection.h"
#include "plugin/tests/TestPlugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A few parameters as an effect declares them: a time in ms, a choice with
// value names, a switch and a list count.
struct SourceCollection {
    SourceCollection() {
        time.setRange(5.0f, 5000.0f);
        time.setUnit(&ParameterUnits::ms);
        time.setDefault(350.0f);
        time.initValue(350.0f);
        characteristic.setValueNames("Prime,Gentle,Raw,Tube");
        characteristic.setRange(0, 3);
        enabled.setValueNames("Disabled,Enabled");
        count.setRange(2, 16);
        count.setDefault(2);
        count.initValue(2);
        collection.add(&time);
        collection.add(&characteristic);
        collection.add(&enabled);
        collection.add(&count);
    }

    FloatPluginParameter time{nullptr, "Delay 1 Time"};
    IndexedPluginParameter<int> characteristic{nullptr, "Filter 1 Characteristic"};
    IndexedPluginParameter<bool> enabled{nullptr, "Filter 1 Enabled"};
    IndexedPluginParameter<int> count{nullptr, "Num Active XLFO 1 Steps"};
    PresetParameterCollection collection{nullptr, nullptr};
};

TEST(PresetSourceTest, ReadsPlainValuesThroughEachParameterText) {
    SourceCollection s;
    std::string error;
    ASSERT_TRUE(applyPresetSource(s.collection,
                                  "# A comment\r\n"
                                  "\n"
                                  "Delay 1 Time = 375 ms\r\n"
                                  "  Filter 1 Characteristic=Tube  \n"
                                  "Filter 1 Enabled = enabled\n"
                                  "Num Active XLFO 1 Steps = 4",
                                  error))
        << error;
    EXPECT_FLOAT_EQ(s.time.getValue(), 375.0f);
    EXPECT_EQ(s.characteristic.getCurrentIndex(), 3);
    EXPECT_TRUE(s.enabled.getTypedValue());
    EXPECT_EQ(s.count.getCurrentIndex(), 4);
    // The ends of a range are values like any other.
    ASSERT_TRUE(applyPresetSource(s.collection, "Delay 1 Time = 5000 ms", error)) << error;
    EXPECT_FLOAT_EQ(s.time.getValue(), 5000.0f);
}

TEST(PresetSourceTest, UnnamedParametersReturnToTheirDefaults) {
    SourceCollection s;
    s.time.setValue(1000.0f, 0);
    s.characteristic.setValue(2.0f, 0);
    s.count.setValue(9.0f, 0);
    std::string error;
    ASSERT_TRUE(applyPresetSource(s.collection, "Filter 1 Enabled = Enabled\n", error)) << error;
    EXPECT_FLOAT_EQ(s.time.getValue(), 350.0f);
    EXPECT_EQ(s.characteristic.getCurrentIndex(), 0);
    EXPECT_EQ(s.count.getCurrentIndex(), 2);
    ASSERT_TRUE(applyPresetSource(s.collection, "", error)) << error;
    EXPECT_FALSE(s.enabled.getTypedValue());
}

TEST(PresetSourceTest, BadLinesFailWithTheirLineAndChangeNothing) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"Delay 1 Time = 400 ms\nDelay 1 Tim = 375 ms\n", "line 2: Unknown parameter: Delay 1 Tim"},
        {"\n\nDelay 1 Time 375 ms\n", "line 3: expected \"parameter name = value\""},
        {"Delay 1 Time = fast\n", "line 1: Delay 1 Time: cannot read the value \"fast\""},
        {"Delay 1 Time =\n", "line 1: Delay 1 Time: cannot read the value \"\""},
        {"Filter 1 Characteristic = Valve\n",
         "line 1: Filter 1 Characteristic: cannot read the value \"Valve\""},
        {"Delay 1 Time = 6000 ms\n", "line 1: Delay 1 Time: \"6000 ms\" is outside the range"},
        {"Num Active XLFO 1 Steps = 17\n", "line 1: Num Active XLFO 1 Steps: cannot read the value \"17\""},
        {"Delay 1 Time = 400 ms\n# again\nDelay 1 Time = 375 ms\n",
         "line 3: Delay 1 Time is already set on line 1"},
        {"= 375 ms\n", "line 1: Unknown parameter: "},
    };
    for (const auto& c : cases) {
        SourceCollection s;
        s.time.setValue(1000.0f, 0);
        std::string error;
        EXPECT_FALSE(applyPresetSource(s.collection, c.text, error)) << c.text;
        EXPECT_EQ(error.compare(0, std::strlen(c.error), c.error), 0) << error;
        EXPECT_FLOAT_EQ(s.time.getValue(), 1000.0f) << c.text;
    }
}

// The model's own collection: values reach the plug-in's parameters, and the
// framework's writer stores them.
class PresetSourcePluginTest : public test::PluginTest {};

TEST_F(PresetSourcePluginTest, FillsTheModelsCollection) {
    auto plugin = makePlugin();
    plugin->gain.setValue(0.9f, 0);
    std::string error;
    ASSERT_TRUE(applyPresetSource(plugin->getMainCollection(), "Pan = 0.75\n", error)) << error;
    EXPECT_FLOAT_EQ(plugin->gain.getValue(), 0.5f);
    EXPECT_FLOAT_EQ(plugin->pan.getValue(), 0.75f);
    const std::string bytes = plugin->getMainCollection().binaryBytes(5);
    ASSERT_EQ(bytes.size(), 12u + 2u * 4u);
    EXPECT_EQ(bytes.substr(0, 4), "TsPl");
    float pan = 0.0f;
    std::memcpy(&pan, bytes.data() + 16, 4);
    EXPECT_EQ(pan, 0.75f);

    EXPECT_FALSE(applyPresetSource(plugin->getMainCollection(), "Gain = 0.2\nVolume = 1\n", error));
    EXPECT_EQ(error, "line 2: Unknown parameter: Volume");
    EXPECT_FLOAT_EQ(plugin->pan.getValue(), 0.75f);
}

} // namespace
