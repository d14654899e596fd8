#include "plugin/PresetLoader.h"
#include "plugin/tests/FileBytes.h"

#include "plugin/CollectionPresetLoader.h"
#include "plugin/CustomPresetLoader.h"
#include "plugin/PluginParameterSet.h"
#include "plugin/tests/TestPlugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace {

using test::PluginTest;
using test::RecordingListener;

using test::str;
using test::u32;

std::string f32(float value) {
    uint32_t word = 0;
    std::memcpy(&word, &value, 4);
    return u32(word);
}

class PresetLoaderTest : public PluginTest {
protected:
    ErrorResult load(const std::string& bytes) {
        std::istringstream stream(bytes, std::ios::in | std::ios::binary);
        ErrorResult result;
        plugin->loadPresetFromStream(result, stream);
        return result;
    }
    std::string values() const {
        return std::to_string(plugin->gain.getValue()) + "," + std::to_string(plugin->pan.getValue());
    }
    void SetUp() override {
        PluginTest::SetUp();
        plugin = makePlugin();
    }
    void TearDown() override {
        plugin.reset();
        PluginTest::TearDown();
    }
    std::unique_ptr<test::TestPlugin> plugin;
};

TEST_F(PresetLoaderTest, MessagesAndValuesForEachKindOfFile) {
    const std::string header = "[Preset]\nSignature=TsPl\nVersion=1\n\n[Parameters]\n";
    const struct {
        const char* what;
        std::string bytes;
        std::string message;
        float gain;
        float pan;
    } cases[] = {
        {"empty", "", "Incorrect file permissions or corrupt preset file.", 0.1f, 0.2f},
        {"short", "TsP", "Incorrect file permissions or corrupt preset file.", 0.1f, 0.2f},
        {"foreign", "ABCD" + u32(1) + u32(0),
         "Unknown preset signature (likely intended for another Zentor plug-in): ABCD", 0.1f, 0.2f},
        {"newer", "TsPl" + u32(2) + u32(2) + f32(0.9f) + f32(0.9f), "Preset version not supported: 2", 0.1f,
         0.2f},
        {"binary", "TsPl" + u32(1) + u32(2) + f32(0.7f) + f32(0.6f), "", 0.7f, 0.6f},
        {"fewer", "TsPl" + u32(1) + u32(1) + f32(0.7f), "", 0.7f, 0.25f},
        {"more", "TsPl" + u32(1) + u32(3) + f32(0.7f) + f32(0.6f) + f32(0.5f), "", 0.7f, 0.6f},
        {"truncated values", "TsPl" + u32(1) + u32(2) + f32(0.7f) + "\x01", "Invalid file format.", 0.1f,
         0.2f},
        {"text", header + "Gain=0.75\nPan=0.5\n", "", 0.75f, 0.5f},
        {"unknown key", header + "Gain=0.75\nFoo=1\n", "Unknown parameter: Foo", 0.75f, 0.25f},
        {"unit after number", header + "Gain=0.25 dB\nPan=0.5\n", "", 0.0f, 0.5f},
        {"not a number", header + "Gain=nan\nPan=inf\n", "", 0.0f, 0.0f},
        {"decimal comma", header + "Gain=0,5\nPan=0.5\n", "", 0.0f, 0.5f},
        {"second header", header + "Gain=0.75\n\n[Preset]\nSignature=TsPl\n\n[Parameters]\nPan=0.9\n", "",
         0.75f, 0.25f},
        {"no version", "[Preset]\nSignature=TsPl\n\n[Parameters]\nGain=0.75\n",
         "Preset version not supported: 0", 0.1f, 0.2f},
        {"other signature", "[Preset]\nSignature=Zzzz\nVersion=1\n",
         "Unknown preset signature (likely intended for another Zentor plug-in): Zzzz", 0.1f, 0.2f},
        {"bad header", "[Patch]\nSignature=TsPl\n", "Invalid preset header.", 0.1f, 0.2f},
        {"broken line", header + "Gain=0.75\nPan\n", "Invalid file format.", 0.1f, 0.2f},
    };
    for (const auto& c : cases) {
        plugin->gain.setValue(0.1f, 0);
        plugin->pan.setValue(0.2f, 0);
        const ErrorResult result = load(c.bytes);
        EXPECT_EQ(result.getErrorMessage(), c.message) << c.what;
        EXPECT_EQ(result.getErrorCode(), c.message.empty() ? 0 : -1) << c.what;
        EXPECT_FLOAT_EQ(plugin->gain.getValue(), c.gain) << c.what;
        EXPECT_FLOAT_EQ(plugin->pan.getValue(), c.pan) << c.what;
    }
}

TEST_F(PresetLoaderTest, SettingsBlockAndHeaderMetadata) {
    RecordingListener listener;
    plugin->setInterface(&listener);
    plugin->setCustomSetting("Old", "1");
    const std::string block = "CuSV" + u32(1) + u32(2) + str("B") + str("two") + str("A") + str("one");
    ASSERT_FALSE(load("TsPl" + u32(1) + u32(2) + f32(0.7f) + f32(0.6f) + block).hasError());
    EXPECT_EQ(plugin->getSettingsMap(), (std::map<std::string, std::string>{{"A", "one"}, {"B", "two"}}));
    // No block: the map empties.
    ASSERT_FALSE(load("TsPl" + u32(1) + u32(2) + f32(0.7f) + f32(0.6f)).hasError());
    EXPECT_TRUE(plugin->getSettingsMap().empty());

    // A text preset copied with its name applies name and flag; "_PerTrackIndex"
    // never enters the map.
    const std::string text =
        "[Preset]\nSignature=TsPl\nVersion=1\nName=\"Big Room\"\nModified=1\nAuthor=Me\n"
        "Tags=a,,b\n\n[Parameters]\nGain=0.5\nPan=0.25\n\n[Settings]\nX=\"1 2\"\n_PerTrackIndex=4\n";
    ASSERT_FALSE(load(text).hasError());
    EXPECT_EQ(plugin->getCurrentPreset().getName(), "Big Room");
    EXPECT_TRUE(plugin->getCurrentPreset().isModified());
    EXPECT_EQ(plugin->getSettingsMap(),
              (std::map<std::string, std::string>{{"AUTHOR", "Me"}, {"TAGS", "a,,b"}, {"X", "1 2"}}));
    EXPECT_GE(listener.count(GenericPlugin::kCustomSettingsChanged), 3);
    plugin->setInterface(nullptr);
}

TEST_F(PresetLoaderTest, TruncatedOrHostileBlocksChangeNothing) {
    plugin->setCustomSetting("Keep", "yes");
    const std::string good = "TsPl" + u32(1) + u32(2) + f32(0.7f) + f32(0.6f) + "CuSV" + u32(1) + u32(1) +
                             str("Key") + str("Value");
    const size_t blockStart = good.find("CuSV");
    for (size_t cut = 0; cut < good.size(); ++cut) {
        if (cut >= blockStart && cut < blockStart + 4) continue; // no whole tag: no block
        plugin->gain.setValue(0.1f, 0);
        EXPECT_TRUE(load(good.substr(0, cut)).hasError()) << cut;
        EXPECT_FLOAT_EQ(plugin->gain.getValue(), 0.1f) << cut;
        EXPECT_EQ(plugin->getSettingsMap().count("Keep"), 1u) << cut;
    }
    for (uint32_t count : {0x80000000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(load("TsPl" + u32(1) + u32(2) + f32(0.7f) + f32(0.6f) + "CuSV" + u32(1) + u32(count))
                      .getErrorMessage(),
                  "Invalid file format.");
        EXPECT_EQ(plugin->getSettingsMap().count("Keep"), 1u);
    }
    // A huge value count costs only the reads the data allows.
    EXPECT_FALSE(load("TsPl" + u32(1) + u32(0xFFFFFFFF) + f32(0.7f) + f32(0.6f)).hasError());
    EXPECT_FLOAT_EQ(plugin->gain.getValue(), 0.7f);
}

// Section presets: a collection of one set writes keys without the set's
// name, so another set of the same kind reads them.
TEST_F(PresetLoaderTest, SectionPresetMovesBetweenSets) {
    struct Section {
        Section(GenericParameterOwner* owner, const std::string& name)
            : set(owner, name), time(&set, name + " Time"), taps(&set, "Num Active " + name + " Taps"),
              collection(owner, nullptr) {
            collection.setSignature("Dlay");
            collection.setHeaderName("Delays");
            collection.add(&time);
            collection.add(&taps);
        }
        PluginParameterSet set;
        FloatPluginParameter time;
        FloatPluginParameter taps;
        PresetParameterCollection collection;
    };
    Section first(plugin.get(), "Delay 1");
    Section second(plugin.get(), "Delay 2");
    first.time.setValue(0.3f, 0);
    first.taps.setValue(0.4f, 0);
    const std::string text = first.collection.textBytes(1, 0);
    EXPECT_EQ(text, "[Delays]\nSignature=Dlay\nVersion=1\n\n[Parameters]\nTime=0.300000011920929\n"
                    "Num Active Taps=0.400000005960464\n");
    std::istringstream stream(text, std::ios::in | std::ios::binary);
    CollectionPresetLoader loader(second.collection);
    ErrorResult result;
    loader.loadPreset(result, stream, -1, std::string());
    EXPECT_FALSE(result.hasError()) << result.getErrorMessage();
    EXPECT_FLOAT_EQ(second.time.getValue(), 0.3f);
    EXPECT_FLOAT_EQ(second.taps.getValue(), 0.4f);
}

TEST_F(PresetLoaderTest, CustomLoaderVersionsAndValues) {
    PresetParameterCollection::presetFormat().version = 3;
    float extra = 5.0f;
    {
        CustomPresetLoader loader(*plugin);
        loader.addValue(&extra, "Extra");
        EXPECT_EQ(extra, 0.0f);
        std::istringstream newer("TsPl" + u32(4) + u32(0));
        ErrorResult result;
        loader.loadPreset(result, newer, -1, std::string());
        EXPECT_EQ(result.getErrorMessage(), "Preset version not supported: 4");
        // An older version without a preset map is refused too.
        std::istringstream older("TsPl" + u32(2) + u32(0));
        loader.loadPreset(result, older, -1, std::string());
        EXPECT_EQ(result.getErrorMessage(), "Preset version not supported: 2");
    }
    {
        CustomPresetLoader loader(*plugin);
        loader.setCurrentVersion(-1);
        std::istringstream any("TsPl" + u32(77) + u32(1) + f32(0.9f));
        ErrorResult result;
        loader.loadPreset(result, any, -1, std::string());
        EXPECT_FALSE(result.hasError());
        EXPECT_FLOAT_EQ(plugin->gain.getValue(), 0.9f);
        EXPECT_FLOAT_EQ(plugin->pan.getValue(), 0.25f);
    }
    PresetParameterCollection::presetFormat().version = 1;
}

} // namespace
