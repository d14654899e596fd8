#include "foundation/AtomicFile.h"
#include "foundation/Files.h"
#include "foundation/StringUtils.h"
#include "foundation/tests/AllAtOnce.h"
#include "foundation/tests/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace {

constexpr int kThreads = 8;

// A content of its own for each writer, long enough to interleave.
std::string contentOf(int writer) {
    return std::string(20000 + writer, static_cast<char>('A' + writer));
}

std::set<std::string> contentsOfAll() {
    std::set<std::string> all;
    for (int i = 0; i < kThreads; ++i)
        all.insert(contentOf(i));
    return all;
}

size_t entriesIn(const std::string& folder) {
    auto entries = std::filesystem::directory_iterator(test::fsPath(folder));
    return static_cast<size_t>(std::distance(begin(entries), end(entries)));
}

TEST(AtomicFile, ReplacesOrKeepsWhatIsThere) {
    test::TemporaryFolder temp("atomic");
    std::string file = temp / "Settings.txt";
    EXPECT_TRUE(writeFileAtomically(file, "first", ExistingFile::kKeep));
    EXPECT_TRUE(writeFileAtomically(file, "second", ExistingFile::kKeep));
    EXPECT_EQ(readFileToString(file), "first");
    EXPECT_TRUE(writeFileAtomically(file, "third"));
    EXPECT_EQ(readFileToString(file), "third");

    ASSERT_TRUE(createDirectories(temp / "Folder"));
    for (ExistingFile existing : {ExistingFile::kReplace, ExistingFile::kKeep})
        EXPECT_FALSE(writeFileAtomically(temp / "Folder", "x", existing)) << "a folder is in the way";
    EXPECT_FALSE(writeFileAtomically(temp / "Missing\\File.txt", "x")) << "no folder to write into";
    EXPECT_EQ(entriesIn(temp.path()), 2u) << "no temporary file stays behind";
}

// Writers racing for one file: every write succeeds (or, keeping, finds the
// file made by another), and the file holds one writer's content whole.
TEST(AtomicFile, WritersOfOneFileAtOnce) {
    test::TemporaryFolder temp("atomic");
    for (ExistingFile existing : {ExistingFile::kReplace, ExistingFile::kKeep}) {
        for (int round = 0; round < 10; ++round) {
            std::string file =
                temp / ("File" + std::to_string(round) + (existing == ExistingFile::kKeep ? "k" : "r"));
            std::vector<bool> written = test::runOnThreadsAtOnce(
                kThreads, [&](int i) { return writeFileAtomically(file, contentOf(i), existing); });
            for (int i = 0; i < kThreads; ++i)
                EXPECT_TRUE(written[static_cast<size_t>(i)]) << "round " << round << ", writer " << i;
            EXPECT_EQ(contentsOfAll().count(readFileToString(file)), 1u) << "round " << round;
        }
    }
    EXPECT_EQ(entriesIn(temp.path()), 20u) << "no temporary file stays behind";
}

} // namespace
