#include "foundation/FileEnumerator.h"
#include "foundation/Files.h"
#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>

namespace {

using Names = std::set<std::string>;

Names list(const std::string& pattern, std::int32_t mode) {
    Names names;
    auto enumerator = FileEnumerator::create(pattern, mode);
    while (enumerator->next())
        names.insert(enumerator->name());
    EXPECT_FALSE(enumerator->next()) << "the end stays the end";
    return names;
}

class FileEnumeratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(createDirectories(folder_ / "Sub One"));
        ASSERT_TRUE(createDirectories(folder_ / "Caf\xC3\xA9"));
        for (const char* name : {"a.ztp", "B.ZTP", "c.txt", "noext", "M\xC3\xBCsik.ztp", "ab.ztpx"})
            ASSERT_TRUE(test::writeWholeFile(folder_ / name, "x"));
        ASSERT_TRUE(test::writeWholeFile(folder_ / "Sub One\\inner.ztp", "x"));
    }
    test::TemporaryFolder folder_{"enumerator"};
};

TEST_F(FileEnumeratorTest, ModesSplitFoldersFromFiles) {
    EXPECT_EQ(list(folder_ / "*", FileEnumerator::Folders), (Names{".", "..", "Caf\xC3\xA9", "Sub One"}));
    EXPECT_EQ(list(folder_ / "*", FileEnumerator::Files),
              (Names{"a.ztp", "B.ZTP", "c.txt", "noext", "M\xC3\xBCsik.ztp", "ab.ztpx"}));
    EXPECT_EQ(list(folder_ / "*", 7), list(folder_ / "*", FileEnumerator::Files))
        << "any mode but 1 lists files";
}

TEST_F(FileEnumeratorTest, WildcardsMatchInAnyCase) {
    struct Case {
        const char* pattern;
        Names files;
    };
    const Case cases[] = {
        {"*.ztp", {"a.ztp", "B.ZTP", "M\xC3\xBCsik.ztp"}},
        {"*.ZtP", {"a.ztp", "B.ZTP", "M\xC3\xBCsik.ztp"}},
        {"?.ztp", {"a.ztp", "B.ZTP"}},
        {"A*", {"a.ztp", "ab.ztpx"}},
        {"*.*", {"a.ztp", "B.ZTP", "c.txt", "noext", "M\xC3\xBCsik.ztp", "ab.ztpx"}},
        {"noext", {"noext"}},
        {"*.wav", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(list(folder_ / c.pattern, FileEnumerator::Files), c.files) << c.pattern;
    EXPECT_EQ(list(folder_ / "S*", FileEnumerator::Folders), (Names{"Sub One"}));
}

TEST_F(FileEnumeratorTest, MissingFolderListsNothing) {
    EXPECT_TRUE(list(folder_ / "Missing\\*", FileEnumerator::Files).empty());
    EXPECT_TRUE(list(folder_ / "Missing\\*", FileEnumerator::Folders).empty());
    auto untouched = FileEnumerator::create(folder_ / "*", FileEnumerator::Files);
    EXPECT_EQ(untouched->name(), "") << "no entry before the first next()";
}

TEST_F(FileEnumeratorTest, ModificationTimeIsSecondsSince1970) {
    auto enumerator = FileEnumerator::create(folder_ / "c.txt", FileEnumerator::Files);
    ASSERT_TRUE(enumerator->next());
    EXPECT_EQ(enumerator->name(), "c.txt");
    auto now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    EXPECT_NEAR(static_cast<double>(enumerator->modificationTime()), static_cast<double>(now), 120.0);
}

} // namespace
