#include "foundation/Files.h"
#include "foundation/tests/AllAtOnce.h"
#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(Files, FilesAndFoldersWithNonAsciiNames) {
    test::TemporaryFolder temp("sysutils");
    std::string deep = temp / "Caf\xC3\xA9\\\xE2\x82\xAC\\Deep";
    EXPECT_FALSE(folderExists(deep));
    EXPECT_TRUE(createDirectories(deep));
    EXPECT_TRUE(folderExists(deep));
    EXPECT_TRUE(createDirectories(deep + "\\")) << "an existing folder, trailing separator";
    EXPECT_FALSE(createDirectories("NoSeparatorFolder")) << "nothing to anchor the path";

    std::string file = deep + "\\M\xC3\xBCsik.txt";
    {
        auto out = openFileStream(file, std::ios::out | std::ios::binary);
        ASSERT_TRUE(out->good());
        *out << "line\r\n\x01\xFF";
    }
    EXPECT_TRUE(fileExists(file));
    EXPECT_FALSE(folderExists(file));
    EXPECT_FALSE(fileExists(deep));
    {
        // Two streams on one file at once: shared for reading and writing.
        auto in = openFileStream(file, std::ios::in | std::ios::binary);
        auto again = openFileStream(file, std::ios::in | std::ios::out | std::ios::binary);
        ASSERT_TRUE(in->good());
        ASSERT_TRUE(again->good());
        std::string content(std::istreambuf_iterator<char>(*in), {});
        EXPECT_EQ(content, "line\r\n\x01\xFF");
    }
    EXPECT_FALSE(openFileStream(temp / "missing.txt", std::ios::in)->good());
    EXPECT_FALSE(createDirectories(file + "\\Below")) << "a file is in the way";
}

// Threads making one new folder tree at once (each also a folder of its own
// inside it): a folder another thread made a moment earlier is success.
TEST(Files, FolderTreeMadeByManyThreadsAtOnce) {
    test::TemporaryFolder temp("sysutils");
    constexpr int kThreads = 8;
    for (int round = 0; round < 20; ++round) {
        std::string tree = temp / ("Round" + std::to_string(round) + "\\One\\Two\\Three\\Four");
        std::vector<bool> made = test::runOnThreadsAtOnce(kThreads, [&](int i) {
            return createDirectories(tree) && createDirectories(tree + "\\Own" + std::to_string(i));
        });
        for (int i = 0; i < kThreads; ++i) {
            EXPECT_TRUE(made[static_cast<size_t>(i)]) << "round " << round << ", thread " << i;
            EXPECT_TRUE(folderExists(tree + "\\Own" + std::to_string(i)));
        }
    }
}

TEST(Files, ReadFileToString) {
    test::TemporaryFolder folder("strings");
    std::string bytes("one\r\ntwo\0three\xff", 15);
    ASSERT_TRUE(test::writeWholeFile(folder / "File.bin", bytes));
    EXPECT_EQ(readFileToString(folder / "File.bin"), bytes);
    EXPECT_EQ(readFileToString(folder / "Missing.bin"), "");
}

} // namespace
