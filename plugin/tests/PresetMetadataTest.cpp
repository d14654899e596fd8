#include "plugin/PresetMetadata.h"
#include "plugin/tests/FileBytes.h"

#include "foundation/Files.h"
#include "foundation/StringUtils.h"
#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>

namespace {

using test::TemporaryFolder;

using test::str;
using test::u32;

const std::string kValues = "TsPl" + u32(1) + u32(2) + u32(0x3F000000) + u32(0x3E800000);

TEST(PresetMetadata, BinaryBlockGetsTheThreeKeysAndKeepsTheRest) {
    TemporaryFolder folder("metadata");
    const std::string path = folder / "a.ztp";
    ASSERT_TRUE(test::writeWholeFile(path, kValues));
    PresetCacheEntry entry(path);
    entry.author = "Me";
    ASSERT_TRUE(writePresetMetadata(entry));
    EXPECT_EQ(readFileToString(path), kValues + "CuSV" + u32(1) + u32(3) + str("AUTHOR") + str("Me") +
                                          str("DESCRIPTION") + str("") + str("TAGS") + str(""));
    EXPECT_NE(entry.modificationTime, 0);

    ASSERT_TRUE(test::writeWholeFile(path, kValues + "CuSV" + u32(1) + u32(2) + str("ZZ") + str("z") +
                                               str("AUTHOR") + str("Old")));
    entry.tags = {"a", "", "b"};
    ASSERT_TRUE(writePresetMetadata(entry));
    EXPECT_EQ(readFileToString(path), kValues + "CuSV" + u32(1) + u32(4) + str("AUTHOR") + str("Me") +
                                          str("DESCRIPTION") + str("") + str("TAGS") + str("a,,b") +
                                          str("ZZ") + str("z"));
    PresetCacheEntry read(path);
    ASSERT_TRUE(readPresetMetadata(path, read));
    EXPECT_EQ(read.author, "Me");
    EXPECT_EQ(read.tags, (std::vector<std::string>{"a", "", "b"}));
}

TEST(PresetMetadata, TextHeaderLosesNameAndTakesTheEntry) {
    TemporaryFolder folder("metadata");
    const std::string path = folder / "t.ztp";
    ASSERT_TRUE(test::writeWholeFile(path,
                                     "[Preset]\nSignature=TsPl\nVersion=1\nName=Old\nTags=x\n\n[Parameters]\n"
                                     "Gain=0.5\n"));
    PresetCacheEntry entry(path);
    entry.description = "Two words";
    ASSERT_TRUE(writePresetMetadata(entry));
    EXPECT_EQ(readFileToString(path), "[Preset]\nSignature=TsPl\nVersion=1\nDescription=\"Two words\"\n\n"
                                      "[Parameters]\nGain=0.5\n");
    PresetCacheEntry read(path);
    read.author = "stale";
    ASSERT_TRUE(readPresetMetadata(path, read));
    EXPECT_EQ(read.description, "Two words");
    EXPECT_EQ(read.author, "");
    EXPECT_TRUE(read.tags.empty());
}

TEST(PresetMetadata, BrokenFilesAreLeftAlone) {
    TemporaryFolder folder("metadata");
    const std::string path = folder / "b.ztp";
    const std::string block = "CuSV" + u32(1) + u32(1) + str("AUTHOR") + str("Me");
    const std::string cases[] = {
        kValues.substr(0, 15),                       // ends inside the values
        kValues + block.substr(0, block.size() - 1), // ends inside the block
        kValues + "CuSV" + u32(1) + u32(0x7FFFFFFF), // a count the data cannot hold
        kValues + "CuSV" + u32(1) + u32(0x80000000), // negative
        "TsPl" + u32(1) + u32(10001),                // too many values
        "[Patch]\nSignature=TsPl\n",                 // text without its header
        "[Preset]\nSignature=TsPl\nBroken\n",        // unreadable text
    };
    for (const std::string& bytes : cases) {
        ASSERT_TRUE(test::writeWholeFile(path, bytes));
        PresetCacheEntry entry(path);
        entry.author = "New";
        EXPECT_FALSE(writePresetMetadata(entry));
        EXPECT_EQ(readFileToString(path), bytes);
    }
    for (const std::string& bytes : {cases[1], cases[2], cases[3], cases[5], cases[6]}) {
        ASSERT_TRUE(test::writeWholeFile(path, bytes));
        PresetCacheEntry entry(path);
        entry.author = "Kept";
        EXPECT_FALSE(readPresetMetadata(path, entry));
        EXPECT_EQ(entry.author, "Kept");
    }
    PresetCacheEntry missing(folder / "none.ztp");
    EXPECT_FALSE(readPresetMetadata(missing.path, missing));
    EXPECT_FALSE(writePresetMetadata(missing));
}

} // namespace
