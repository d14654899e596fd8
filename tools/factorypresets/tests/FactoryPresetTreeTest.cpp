#include "tools/factorypresets/FactoryPresetTree.h"

#include "foundation/tests/TestFiles.h"
#include "plugin/PluginParameter.h"
#include "plugin/PresetParameterCollection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using test::fsPath;
using test::TemporaryFolder;

// Two kinds of preset: the whole "plug-in" (".ztp", two values) and one
// section (".part", one value).
class FactoryPresetTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        level.setRange(0.0f, 2.0f);
        level.setDefault(1.0f);
        level.initValue(1.0f);
        mode.setValueNames("Left/Right,Mid/Side");
        whole.add(&level);
        whole.add(&mode);
        whole.setSignature("ZVms");
        part.add(&mode);
        part.setSignature("ZVms");
    }

    void writeSource(const std::string& name, const std::string& text) {
        const fs::path path = fsPath(folder_ / "sources") / fs::path(name);
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    bool build(std::string& error) {
        return tree_.build(fsPath(folder_ / "sources"), collectionFor_, 5, error);
    }

    static std::string preset(std::initializer_list<float> values) {
        std::string bytes = "ZVms";
        const auto add = [&bytes](uint32_t word) {
            for (int i = 0; i < 4; ++i)
                bytes.push_back(static_cast<char>((word >> (8 * i)) & 0xFF));
        };
        add(5);
        add(static_cast<uint32_t>(values.size()));
        for (float value : values) {
            uint32_t word = 0;
            std::memcpy(&word, &value, 4);
            add(word);
        }
        return bytes;
    }

    FloatPluginParameter level{nullptr, "Level"};
    IndexedPluginParameter<int> mode{nullptr, "Channel Mode"};
    PresetParameterCollection whole{nullptr, nullptr};
    PresetParameterCollection part{nullptr, nullptr};
    FactoryPresetTree::CollectionFor collectionFor_ = [this](const std::string& extension) {
        return extension == ".ztp" ? &whole : extension == ".part" ? &part : nullptr;
    };
    TemporaryFolder folder_{"factorypresets"};
    FactoryPresetTree tree_;
};

TEST_F(FactoryPresetTreeTest, BuildsEachSourceFromTheDefaultsIntoItsKind) {
    writeSource("Default Setting.ztp.txt", "Level = 0.5\n");
    writeSource("_1 Basics/Wide.ztp.txt", "Channel Mode = Mid/Side\n");
    writeSource("Component Presets/Parts/Default.part.txt", "Channel Mode = Mid/Side\n");
    std::string error;
    ASSERT_TRUE(build(error)) << error;
    const std::map<std::string, std::string> expected{
        {"Component Presets/Parts/Default.part", preset({1.0f})},
        {"Default Setting.ztp", preset({0.5f, 0.0f})},
        {"_1 Basics/Wide.ztp", preset({1.0f, 1.0f})},
    };
    EXPECT_EQ(tree_.getFiles(), expected);
}

TEST_F(FactoryPresetTreeTest, WrittenFilesCompareEqualUntilOneChanges) {
    writeSource("A.ztp.txt", "Level = 2\n");
    writeSource("Sub/B.part.txt", "");
    std::string error;
    ASSERT_TRUE(build(error)) << error;
    const fs::path output = fsPath(folder_ / "output");
    fs::create_directories(output / "Old");
    std::ofstream(output / "Old" / "Stale.ztp") << "x";
    ASSERT_TRUE(tree_.write(output, error)) << error;
    EXPECT_TRUE(tree_.differences(output).empty());
    EXPECT_FALSE(fs::exists(output / "Old" / "Stale.ztp"));

    std::ofstream(output / "A.ztp", std::ios::binary | std::ios::app) << "!";
    fs::remove(output / "Sub" / "B.part");
    std::ofstream(output / "C.ztp") << "x";
    const std::vector<std::string> expected{"A.ztp: other bytes than its source gives", "Sub/B.part: missing",
                                            "C.ztp: has no source"};
    EXPECT_EQ(tree_.differences(output), expected);
}

TEST_F(FactoryPresetTreeTest, RefusesWhatIsNoSource) {
    const struct {
        const char* name;
        const char* text;
        const char* error;
    } cases[] = {
        {"Notes.md", "", "not a preset source"},
        {"A.wav.txt", "", "\".wav\" names no kind of preset"},
        {"Readme.txt", "", "\"\" names no kind of preset"},
        {"A.ztp.txt", "Levl = 1\n", "line 1: Unknown parameter: Levl"},
    };
    for (const auto& c : cases) {
        std::error_code ignored;
        fs::remove_all(fsPath(folder_ / "sources"), ignored);
        writeSource("Good.ztp.txt", "");
        writeSource(c.name, c.text);
        std::string error;
        EXPECT_FALSE(build(error)) << c.name;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    std::error_code ignored;
    fs::remove_all(fsPath(folder_ / "sources"), ignored);
    fs::create_directories(fsPath(folder_ / "sources"));
    std::string error;
    EXPECT_FALSE(build(error));
    EXPECT_NE(error.find("no preset sources"), std::string::npos) << error;
}

} // namespace
