#include "plugin/PresetParameterCollection.h"
#include "plugin/tests/FileBytes.h"

#include "foundation/Files.h"
#include "plugin/tests/TestPlugin.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using test::PluginTest;

using test::str;
using test::u32;

class PresetParameterCollectionTest : public PluginTest {
protected:
    void TearDown() override {
        PresetParameterCollection::presetFormat().settingsBlockSwitch = 0;
        PluginTest::TearDown();
    }
};

TEST_F(PresetParameterCollectionTest, BinaryPresetBytes) {
    auto plugin = makePlugin();
    const std::string path = folder_ / "Test.ztp";
    plugin->setCustomSetting("B", "2");
    plugin->setCustomSetting("A", "1");
    ASSERT_TRUE(plugin->getMainCollection().savePreset(path, 1));
    const std::string values = "TsPl" + u32(1) + u32(2) + u32(0x3F000000) + u32(0x3E800000);
    EXPECT_EQ(readFileToString(path), values);

    PresetParameterCollection::presetFormat().settingsBlockSwitch = 1;
    ASSERT_TRUE(plugin->getMainCollection().savePreset(path, 1));
    EXPECT_EQ(readFileToString(path),
              values + "CuSV" + u32(1) + u32(2) + str("A") + str("1") + str("B") + str("2"));
}

TEST_F(PresetParameterCollectionTest, TextPresetBytes) {
    auto plugin = makePlugin({GenericPluginInfo::kFlagTextPresets});
    const std::string path = folder_ / "Text.ztp";
    ASSERT_TRUE(plugin->getMainCollection().savePreset(path, 1));
    EXPECT_EQ(readFileToString(path),
              "[Preset]\nSignature=TsPl\nVersion=1\n\n[Parameters]\nGain=0.5\nPan=0.25\n");

    plugin->setCurrentPresetName("Big Room", -1);
    plugin->setPresetModified(true);
    plugin->setCustomSetting("AUTHOR", "Me");
    plugin->setCustomSetting("Colour", "red");
    EXPECT_EQ(
        plugin->getMainCollection().textBytes(1, 1),
        "[Preset]\nSignature=TsPl\nVersion=1\nName=\"Big Room\"\nModified=1\nAuthor=Me\n\n[Parameters]\n"
        "Gain=0.5\nPan=0.25\n\n[Settings]\nColour=red\n");
}

TEST_F(PresetParameterCollectionTest, RangedSavesKeepTheRestOrRefuse) {
    auto plugin = makePlugin();
    PresetParameterCollection& collection = plugin->getMainCollection();
    const std::string path = folder_ / "Ranged.ztp";
    // Into a missing file: the whole collection.
    plugin->gain.setValue(0.0f, 0);
    ASSERT_TRUE(collection.savePreset(path, 1, 1, 1));
    EXPECT_EQ(readFileToString(path), "TsPl" + u32(1) + u32(2) + u32(0) + u32(0x3E800000));

    plugin->gain.setValue(1.0f, 0);
    plugin->pan.setValue(1.0f, 0);
    ASSERT_TRUE(collection.savePreset(path, 1, 1, 1));
    EXPECT_EQ(readFileToString(path), "TsPl" + u32(1) + u32(2) + u32(0) + u32(0x3F800000));

    // Another count, signature or version: nothing written.
    const std::string refused[] = {
        "TsPl" + u32(1) + u32(3) + u32(0) + u32(0) + u32(0),
        "TsPl" + u32(1) + u32(1) + u32(0),
        "TsPl" + u32(2) + u32(2) + u32(0) + u32(0),
        "XXXX" + u32(1) + u32(2) + u32(0) + u32(0),
        "TsPl" + u32(1) + u32(2) + u32(0),
    };
    for (const std::string& bytes : refused) {
        ASSERT_TRUE(test::writeWholeFile(path, bytes));
        EXPECT_FALSE(collection.savePreset(path, 1, 0, 1));
        EXPECT_EQ(readFileToString(path), bytes);
    }
}

TEST_F(PresetParameterCollectionTest, RangedTextSaveRewritesOnlyItsLines) {
    auto plugin = makePlugin({GenericPluginInfo::kFlagTextPresets});
    const std::string path = folder_ / "Ranged.ztp";
    ASSERT_TRUE(test::writeWholeFile(path,
                                     "[Preset]\nSignature=TsPl\nVersion=1\nAuthor=\"A B\"\n\n[Parameters]\n"
                                     "Gain=0.1\nOld=3\n\n[Other]\nX=1\n"));
    plugin->gain.setValue(0.75f, 0);
    plugin->pan.setValue(0.5f, 0);
    ASSERT_TRUE(plugin->getMainCollection().savePreset(path, 1, 0, 2));
    EXPECT_EQ(readFileToString(path), "[Preset]\nSignature=TsPl\nVersion=1\nAuthor=\"A B\"\n\n[Parameters]\n"
                                      "Gain=0.75\nOld=3\nPan=0.5\n\n[Other]\nX=1\n");
    const std::string other = "[Preset]\nSignature=TsPl\nVersion=2\n\n[Parameters]\nGain=0.1\n";
    ASSERT_TRUE(test::writeWholeFile(path, other));
    EXPECT_FALSE(plugin->getMainCollection().savePreset(path, 1, 0, 2));
    EXPECT_EQ(readFileToString(path), other);
}

TEST_F(PresetParameterCollectionTest, FailedSaveLeavesNoTemporaryFile) {
    auto plugin = makePlugin();
    const std::string path = folder_ / "Folder.ztp";
    createDirectories(path + "\\inside");
    EXPECT_FALSE(plugin->getMainCollection().savePreset(path, 1));
    EXPECT_TRUE(folderExists(path + "\\inside"));
    size_t files = 0;
    for (const auto& item : std::filesystem::directory_iterator(test::fsPath(folder_.path())))
        files += item.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 0u);
}

} // namespace
