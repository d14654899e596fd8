#include "effect/VarnelPresetLoader.h"

#include "effect/tests/VarnelFixture.h"
#include "modulation/ModMatrixParamController.h"
#include "modulation/ModulationValueMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

using test::legacyPreset;
using test::presetBytes;

class VarnelPresetLoaderTest : public test::VarnelTest {
protected:
    void SetUp() override {
        VarnelTest::SetUp();
        plugin = makeVarnel();
    }
    void TearDown() override {
        plugin.reset();
        VarnelTest::TearDown();
    }

    ModMatrixParamController& slots() { return plugin->getController(); }
    float v(const std::string& name) { return value(*plugin, name); }
    // The level of a slot as the engine uses it.
    float level(float stored) {
        const AbstractPluginParameter* p = plugin->findParameter("Slot 1 Level");
        return p->normalizedToInternal(stored);
    }
    // The stored value of a delay time in milliseconds.
    float timeValue(float ms) { return plugin->findParameter("Delay 1 Time")->plainToNormalized(ms); }
    std::vector<std::tuple<int, int>> connections() {
        std::vector<std::tuple<int, int>> out;
        for (int s = 0; s < v("Num Active Slots"); ++s)
            out.emplace_back(slots().getSource(s), slots().getTarget(s));
        return out;
    }

    std::unique_ptr<VarnelPlugin> plugin;
};

using Connections = std::vector<std::tuple<int, int>>;

// Version 1: one feedback with a balance, fixed LFOs and MIDI sources, the
// old numbering, one feedback target duplicated for both lines.
TEST_F(VarnelPresetLoaderTest, Version1IsConverted) {
    const std::string bytes = legacyPreset(*plugin, 1,
                                           {{"Delay 1 Time", 0.5f},
                                            {"Delay 2 Time", 0.25f},
                                            {"#feedback", 0.8f},
                                            {"#feedback balance", 0.5f},
                                            {"#cross feedback", 0.6f},
                                            {"#cross balance", -0.5f},
                                            {"#lfo0.0", 0.3f},
                                            {"#lfo0.1", 2.0f},
                                            {"#lfo0.2", 0.7f},
                                            {"#lfo0.5", 1.0f},
                                            {"#lfo1.1", 1.0f},
                                            {"#lfo1.3", 2.0f},
                                            {"#lfo1.4", 2.0f},
                                            // LFO 1 on the old feedback (old target 4)
                                            {"Slot 1 Source", 1.0f},
                                            {"Slot 1 Level", 0.6f},
                                            {"Slot 1 Target", 5.0f},
                                            // MIDI 1 on an old target that no longer exists (5)
                                            {"Slot 2 Source", 3.0f},
                                            {"Slot 2 Level", 0.6f},
                                            {"Slot 2 Target", 6.0f},
                                            // MIDI 2 on Filter 1 Freq (old 8)
                                            {"Slot 3 Source", 4.0f},
                                            {"Slot 3 Level", 0.4f},
                                            {"Slot 3 Target", 9.0f}});
    set(*plugin, "Delay 1 Pan", 0.25f);
    const ErrorResult result = load(*plugin, bytes);
    ASSERT_FALSE(result.hasError()) << result.getErrorMessage();

    EXPECT_FLOAT_EQ(v("Delay 1 Feedback"), 0.4f);
    EXPECT_FLOAT_EQ(v("Delay 2 Feedback"), 0.8f);
    EXPECT_FLOAT_EQ(v("Delay 1 Cross Feedback"), 0.6f);
    EXPECT_FLOAT_EQ(v("Delay 2 Cross Feedback"), 0.3f);
    EXPECT_FLOAT_EQ(v("Delay 1 Pan"), -1.0f);
    EXPECT_FLOAT_EQ(v("Delay 2 Pan"), 1.0f);
    EXPECT_NEAR(v("Delay 1 Time"), timeValue(mapByTable7(0.5f) * 2475.0f + 25.0f), 1e-6f);
    EXPECT_NEAR(v("Delay 2 Time"), timeValue(mapByTable7(0.25f) * 2475.0f + 25.0f), 1e-6f);

    // The fixed LFOs became XLFO 1 (a sine) and XLFO 2 (a ramp, synced).
    EXPECT_EQ(v("Num Active XLFOs"), 2.0f);
    EXPECT_FLOAT_EQ(v("XLFO 1 Frequency"), 0.3f);
    EXPECT_FLOAT_EQ(v("XLFO 1 Balance"), 0.7f);
    EXPECT_EQ(v("XLFO 1 Sync Mode"), 0.0f);
    EXPECT_EQ(v("XLFO 1 MIDI Trigger"), 1.0f);
    EXPECT_EQ(v("Num Active XLFO 1 Steps"), 2.0f);
    EXPECT_EQ(v("XLFO 1 Step 1 Value"), -1.0f);
    EXPECT_EQ(v("XLFO 1 Step 2 Value"), 1.0f);
    EXPECT_EQ(v("XLFO 1 Step 1 Glide function"), 3.0f);
    EXPECT_EQ(v("XLFO 1 Glide"), 1.0f);
    EXPECT_EQ(v("XLFO 2 Glide"), 0.0f);
    EXPECT_EQ(v("XLFO 2 Step 1 Value"), 0.0f);
    EXPECT_EQ(v("XLFO 2 Sync Mode"), 3.0f);
    EXPECT_NEAR(v("XLFO 2 Frequency Offset"), -0.5849624f, 1e-7f);
    EXPECT_EQ(v("Num Active EGs"), 0.0f);
    EXPECT_EQ(v("Num Active MIDI Sources"), 2.0f);
    EXPECT_EQ(v("MIDI Source 1 Input"), 1.0f); // Pitch Bend
    EXPECT_EQ(v("MIDI Source 2 Input"), 0.0f); // Mod Wheel

    // The slot on the vanished target is gone; the feedback slot drives
    // both lines with the same amount.
    EXPECT_EQ(connections(), (Connections{{8, 2}, {8, 7}, {25, 10}}));
    EXPECT_FLOAT_EQ(slots().getLevel(0), level(0.6f));
    EXPECT_FLOAT_EQ(slots().getLevel(1), level(0.6f));
    EXPECT_FLOAT_EQ(slots().getLevel(2), level(0.4f));
}

// Version 2: feedback per line, an EG, five MIDI sources, and the MIDI
// sources' ranges corrected.
TEST_F(VarnelPresetLoaderTest, Version2IsConverted) {
    const std::string bytes = legacyPreset(*plugin, 2,
                                           {{"Delay 1 Time", 0.5f},
                                            {"Delay 1 Feedback", 0.3f},
                                            {"#lfo0.3", 2.0f},
                                            {"#lfo0.4", 3.0f},
                                            {"#lfo1.1", 3.0f},
                                            {"EG 1 Triggering", 1.0f},
                                            {"Delay 2 Feedback Invert", 1.0f},
                                            // Mod Wheel (old MIDI 2) on Filter 1 Pan
                                            {"Slot 1 Source", 5.0f},
                                            {"Slot 1 Level", 0.5f},
                                            {"Slot 1 Target", 12.0f},
                                            // the EG on EG 1 Attack (old 18)
                                            {"Slot 2 Source", 3.0f},
                                            {"Slot 2 Level", 0.5f},
                                            {"Slot 2 Target", 19.0f}});
    const float panLevel = level(0.5f);
    const ErrorResult result = load(*plugin, bytes);
    ASSERT_FALSE(result.hasError()) << result.getErrorMessage();

    EXPECT_NEAR(v("Delay 1 Time"), timeValue(mapByTable7(0.5f) * 4990.0f + 10.0f), 1e-6f);
    EXPECT_FLOAT_EQ(v("Delay 1 Feedback"), 0.3f);
    EXPECT_EQ(v("Delay 2 Feedback Invert"), 1.0f);
    EXPECT_EQ(v("XLFO 1 Sync Mode"), 3.0f);
    EXPECT_NEAR(v("XLFO 1 Frequency Offset"), 0.5849625f, 1e-7f);
    EXPECT_EQ(v("XLFO 2 Step 1 Random"), 1.0f);
    EXPECT_EQ(v("XLFO 2 Step 2 Random"), 1.0f);
    EXPECT_EQ(v("Num Active EGs"), 1.0f);
    EXPECT_EQ(v("EG 1 Triggering"), 2.0f);
    EXPECT_EQ(v("Num Active MIDI Sources"), 5.0f);
    for (const auto& [m, input] :
         {std::pair<int, float>{1, 1.0f}, {2, 0.0f}, {3, 2.0f}, {4, 3.0f}, {5, 4.0f}})
        EXPECT_EQ(v("MIDI Source " + std::to_string(m) + " Input"), input) << m;

    EXPECT_EQ(connections(), (Connections{{14, 36}, {25, 11}}));
    EXPECT_NEAR(slots().getLevel(1), panLevel * 10.0f / 7.0f, 1e-5f);
    EXPECT_FLOAT_EQ(slots().getLevel(0), level(0.5f));
}

// Version 3 lacks "Delay Freeze" and had the version 2 time range; version
// 4 keeps times and numbering and rescales two kinds of amount.
TEST_F(VarnelPresetLoaderTest, Versions3And4) {
    std::string bytes = legacyPreset(*plugin, 3, {{"Delay 1 Time", 0.5f}, {"Filter 1 Freq", 10.0f}});
    ErrorResult result = load(*plugin, bytes);
    ASSERT_FALSE(result.hasError()) << result.getErrorMessage();
    EXPECT_NEAR(v("Delay 1 Time"), timeValue(mapByTable7(0.5f) * 4990.0f + 10.0f), 1e-6f);
    EXPECT_FLOAT_EQ(v("Filter 1 Freq"), 10.0f);

    bytes = legacyPreset(*plugin, 4,
                         {{"Delay 1 Time", 0.5f},
                          {"XLFO 1 Snap", 1.0f},
                          {"Num Active XLFOs", 2.0f},
                          {"Num Active EFs", 1.0f},
                          {"Num Active Slots", 3.0f},
                          // EF 1 on Delay 1 Feedback
                          {"Slot 1 Source", 21.0f},
                          {"Slot 1 Level", 0.8f},
                          {"Slot 1 Target", 3.0f},
                          // XLFO 1 (snapping) and XLFO 2 on Filter 2 Freq
                          {"Slot 2 Source", 9.0f},
                          {"Slot 2 Level", 0.3f},
                          {"Slot 2 Target", 14.0f},
                          {"Slot 3 Source", 10.0f},
                          {"Slot 3 Level", 0.3f},
                          {"Slot 3 Target", 14.0f}});
    result = load(*plugin, bytes);
    ASSERT_FALSE(result.hasError()) << result.getErrorMessage();
    EXPECT_FLOAT_EQ(v("Delay 1 Time"), 0.5f);
    EXPECT_EQ(connections(), (Connections{{20, 2}, {8, 13}, {9, 13}}));
    EXPECT_NEAR(slots().getLevel(0), level(0.8f) / 2.0f, 1e-5f);
    EXPECT_NEAR(slots().getLevel(1), level(0.3f) * 4.2f, 1e-5f);
    EXPECT_FLOAT_EQ(slots().getLevel(2), level(0.3f));
    EXPECT_EQ(v("Num Active XLFOs"), 2.0f);
    EXPECT_EQ(v("Num Active MIDI Sources"), 0.0f);
}

// A file with fewer values than its layout leaves the rest at the defaults.
TEST_F(VarnelPresetLoaderTest, ShortLayoutsKeepDefaults) {
    set(*plugin, "Wet Pan", 0.5f);
    set(*plugin, "Delay 2 Offset", 0.5f);
    const ErrorResult result = load(*plugin, presetBytes("ZVar", 2, {0.5f, 0.25f}));
    ASSERT_FALSE(result.hasError()) << result.getErrorMessage();
    EXPECT_FLOAT_EQ(v("Delay 1 Offset"), 0.25f);
    EXPECT_EQ(v("Wet Pan"), plugin->findParameter("Wet Pan")->getDefault());
    EXPECT_EQ(v("Delay 2 Offset"), plugin->findParameter("Delay 2 Offset")->getDefault());
}

// Text presets of the older versions match by name.
TEST_F(VarnelPresetLoaderTest, Version4Text) {
    const std::string text =
        "[Preset]\nSignature=ZVms\nVersion=4\n\n[Parameters]\nWet Pan=0.5\nSlot 1 Source=3\n";
    const ErrorResult result = load(*plugin, text);
    ASSERT_FALSE(result.hasError()) << result.getErrorMessage();
    EXPECT_FLOAT_EQ(v("Wet Pan"), 0.5f);
    EXPECT_EQ(slots().getSource(0), 2);
}

// Refused and broken files: a clear error, and nothing changed. A file the
// older layouts accepted reports its own fault.
TEST_F(VarnelPresetLoaderTest, BrokenFilesChangeNothing) {
    const std::string v1 = legacyPreset(*plugin, 1, {{"#feedback", 0.5f}});
    const std::string v2 = legacyPreset(*plugin, 2, {});
    const std::string v4 = legacyPreset(*plugin, 4, {});
    const struct {
        std::string bytes;
        std::string error;
    } cases[] = {
        {v1.substr(0, v1.size() - 1), "Invalid file format."},
        {v1.substr(0, 13), "Invalid file format."},
        {v2.substr(0, v2.size() / 2), "Invalid file format."},
        {v4.substr(0, 100), "Invalid file format."},
        {"ZDel" + test::u32(1) + test::u32(0xFFFFFFFF), "Invalid file format."},
        {"ZDel", "Incorrect file permissions or corrupt preset file."},
        {std::string(), "Incorrect file permissions or corrupt preset file."},
        {"ABCD" + test::u32(1) + test::u32(0),
         "Unknown preset signature (likely intended for another Zentor plug-in): ABCD"},
        // The signature of another version.
        {"ZDel" + test::u32(2) + test::u32(0),
         "Unknown preset signature (likely intended for another Zentor plug-in): ZDel"},
        {"ZVms" + test::u32(9) + test::u32(0), "Preset version not supported: 9"},
        {"ZVms" + test::u32(0) + test::u32(0), "Preset version not supported: 0"},
        {"[Preset]\nSignature=ZVar\nVersion=2\n\n[Parameters\n", "Invalid file format."},
    };
    set(*plugin, "Wet Pan", 0.5f);
    set(*plugin, "Num Active XLFOs", 3.0f);
    for (const auto& c : cases) {
        const ErrorResult result = load(*plugin, c.bytes);
        EXPECT_EQ(result.getErrorMessage(), c.error) << c.bytes.size();
        EXPECT_FLOAT_EQ(v("Wet Pan"), 0.5f);
        EXPECT_EQ(v("Num Active XLFOs"), 3.0f);
    }
}

// Hostile values: numbers outside the conversion tables clear the source or
// target (the compaction drops the slot), values no release wrote convert
// to finite ones, and every slot in use still converts and ends.
TEST_F(VarnelPresetLoaderTest, HostileValuesGiveSafeResults) {
    const float nan = std::nanf("");
    std::map<std::string, float> values = {{"#feedback", nan},
                                           {"#feedback balance", 1e30f},
                                           {"#lfo0.0", nan},
                                           {"#lfo0.1", 1e30f},
                                           {"#lfo0.3", -1e30f},
                                           {"#lfo0.4", 1.0f},
                                           {"Delay 1 Time", nan},
                                           // old source 6 does not exist in version 1
                                           {"Slot 1 Source", 7.0f},
                                           {"Slot 1 Target", 1.0f},
                                           // old target 60 neither
                                           {"Slot 2 Source", 1.0f},
                                           {"Slot 2 Target", 61.0f}};
    ErrorResult result = load(*plugin, legacyPreset(*plugin, 1, values));
    ASSERT_FALSE(result.hasError()) << result.getErrorMessage();
    EXPECT_TRUE(connections().empty());
    for (int32_t i = 0; i < plugin->getNumParameters(); ++i)
        EXPECT_TRUE(std::isfinite(plugin->getParameter(i)->getValue())) << plugin->getParameter(i)->getName();

    // Every one of the 21 old slots on the old feedback: the copies take
    // the three free slots, then duplication stops.
    values.clear();
    for (int s = 1; s <= 21; ++s) {
        const std::string slot = "Slot " + std::to_string(s);
        values[slot + " Source"] = 1.0f;
        values[slot + " Level"] = 0.5f;
        values[slot + " Target"] = 5.0f;
    }
    result = load(*plugin, legacyPreset(*plugin, 1, values));
    ASSERT_FALSE(result.hasError()) << result.getErrorMessage();
    const Connections all = connections();
    ASSERT_EQ(all.size(), 24u);
    EXPECT_EQ(std::count(all.begin(), all.end(), std::tuple<int, int>{8, 2}), 21);
    EXPECT_EQ(std::count(all.begin(), all.end(), std::tuple<int, int>{8, 7}), 3);
}

// A slot aimed at its own level, rescaled by the MIDI corrections: the
// conversion ends, and the slot keeps its own level as target.
TEST_F(VarnelPresetLoaderTest, SelfTargetingSlotConverts) {
    const std::string bytes = legacyPreset(*plugin, 2,
                                           {// Mod Wheel on Filter 1 Pan
                                            {"Slot 1 Source", 5.0f},
                                            {"Slot 1 Level", 0.5f},
                                            {"Slot 1 Target", 12.0f},
                                            // Velocity (old MIDI 3) on its own level (old 28)
                                            {"Slot 2 Source", 6.0f},
                                            {"Slot 2 Level", 0.5f},
                                            {"Slot 2 Target", 29.0f},
                                            // Velocity on slot 1's level (old 27)
                                            {"Slot 3 Source", 6.0f},
                                            {"Slot 3 Level", 0.25f},
                                            {"Slot 3 Target", 28.0f}});
    const ErrorResult result = load(*plugin, bytes);
    ASSERT_FALSE(result.hasError()) << result.getErrorMessage();
    // Sorted by source and target; the self-modulating slot moved to the
    // third place and still aims at its own level.
    EXPECT_EQ(connections(), (Connections{{25, 11}, {26, 83}, {26, 85}}));
    for (int s = 0; s < 3; ++s)
        EXPECT_TRUE(std::isfinite(slots().getLevel(s)));
}

} // namespace
