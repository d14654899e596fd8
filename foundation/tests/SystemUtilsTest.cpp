#include "foundation/FilePaths.h"
#include "foundation/Files.h"
#include "foundation/KnownFolders.h"
#include "foundation/ModuleResources.h"
#include "foundation/SharedMemory.h"
#include "foundation/TextConversion.h"
#include "foundation/tests/AllAtOnce.h"
#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

namespace {

TEST(SystemUtils, PathPieces) {
    struct Case {
        const char* path;
        const char* directory;
        const char* extension;
        const char* title;
        const char* withoutExtension;
    };
    const Case cases[] = {
        {"C:\\a.b\\file", "C:\\a.b\\", "", "file", "C:\\a"},
        {"C:\\X\\Knob.png", "C:\\X\\", ".png", "Knob", "C:\\X\\Knob"},
        {"Gentle.fil", "", ".fil", "Gentle", "Gentle"},
        {"a.tar.gz", "", ".gz", "a.tar", "a.tar"},
        {"C:\\X\\", "C:\\X\\", "", "", "C:\\X\\"},
        {"noext", "", "", "noext", "noext"},
        {".hidden", "", ".hidden", "", ""},
        {"", "", "", "", ""},
        {"D:\\Caf\xC3\xA9\\M\xC3\xBCsik.ztp", "D:\\Caf\xC3\xA9\\", ".ztp", "M\xC3\xBCsik",
         "D:\\Caf\xC3\xA9\\M\xC3\xBCsik"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(getDirectoryPath(c.path), c.directory);
        EXPECT_EQ(getFileExtension(c.path), c.extension);
        EXPECT_EQ(getFileTitle(c.path), c.title);
        EXPECT_EQ(removeFileExtension(c.path), c.withoutExtension);
    }
}

TEST(SystemUtils, BuiltNames) {
    EXPECT_EQ(appendRelativePath("Docs/Manual.pdf", "C:\\X"), "C:\\X\\Docs\\Manual.pdf");
    EXPECT_EQ(appendRelativePath("Docs/Manual.pdf", "C:\\X\\"), "C:\\X\\Docs\\Manual.pdf");
    EXPECT_EQ(appendRelativePath("a\\b", ""), "\\a\\b");
    EXPECT_EQ(addDoubleScaleSuffix("Knob.png"), "Knob_2x.png");
    EXPECT_EQ(addDoubleScaleSuffix("Knob"), "Knob_2x");
    EXPECT_EQ(addDoubleScaleSuffix("a.b.png"), "a.b_2x.png");
    EXPECT_EQ(getRegistryKeyPath("Varnel", 3), "Software\\Zentor\\Varnel\\3.0");
    EXPECT_EQ(getRegistryKeyPath("Varnel 2", 1), "Software\\Zentor\\Varnel 2\\1.0");
}

TEST(SystemUtils, WellKnownFoldersExistWithoutTrailingSeparator) {
    for (const std::string& folder : {getApplicationDataFolder(), getDocumentsFolder()}) {
        ASSERT_FALSE(folder.empty());
        EXPECT_NE(folder.back(), '\\') << folder;
        EXPECT_EQ(folder.find('/'), std::string::npos) << folder;
    }
    std::string maker = getMakerFolderPath("Varnel 2");
    EXPECT_EQ(maker, getApplicationDataFolder() + "\\Zentor\\Varnel 2\\");
    EXPECT_EQ(getPresetsFolderPath("Varnel"), getDocumentsFolder() + "\\Zentor\\Presets\\Varnel\\");
}

TEST(SystemUtils, TextRoundTripsThroughUtf16) {
    const char* texts[] = {
        "", "plain", "Caf\xC3\xA9", "\xE2\x82\xAC 100", "\xF0\x9F\x8E\xB8 guitar", "a\0b",
    };
    const std::u16string expected[] = {
        u"", u"plain", u"Caf\u00E9", u"\u20AC 100", u"\U0001F3B8 guitar", std::u16string(u"a\0b", 3),
    };
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        std::string utf8(texts[i], i == 5 ? 3 : std::strlen(texts[i]));
        std::u16string wide = toWideString(utf8);
        EXPECT_EQ(wide, expected[i]) << i;
        EXPECT_EQ(toUtf8String(wide), utf8) << i;
    }
    EXPECT_EQ(toWideString("\xF0\x9F\x8E\xB8").size(), 2u) << "beyond the BMP: a surrogate pair";
}

TEST(SystemUtils, InvalidTextBecomesReplacementCharacters) {
    struct Case {
        std::string utf8;
        std::u16string wide;
    };
    const Case cases[] = {
        {"a\xFF"
         "b",
         u"a\uFFFDb"},
        {"\x80", u"\uFFFD"},
        {"x\xC3", u"x\uFFFD"}, // truncated at the end
        {"\xE2\x82"
         "z",
         u"\uFFFDz"},                  // truncated three-byte sequence: one replacement
        {"\xC0\xAF", u"\uFFFD\uFFFD"}, // overlong
    };
    for (const Case& c : cases)
        EXPECT_EQ(toWideString(c.utf8), c.wide) << c.utf8;
    EXPECT_EQ(toUtf8String(std::u16string(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx") << "lone surrogate";
}

TEST(SystemUtils, FilesAndFoldersWithNonAsciiNames) {
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
TEST(SystemUtils, FolderTreeMadeByManyThreadsAtOnce) {
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

TEST(SystemUtils, SharedInstanceMemoryIsOneBlockPerName) {
    auto* a = static_cast<unsigned char*>(openSharedInstanceMemory("VarnelTestShared", 32));
    auto* b = static_cast<unsigned char*>(openSharedInstanceMemory("VarnelTestShared", 32));
    auto* other = static_cast<unsigned char*>(openSharedInstanceMemory("VarnelTestOther", 32));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(other, nullptr);
    a[0] = 0x5A;
    a[31] = 0xA5;
    EXPECT_EQ(b[0], 0x5A);
    EXPECT_EQ(b[31], 0xA5);
    EXPECT_EQ(other[0], 0) << "a new block is zeroed and separate";
    EXPECT_EQ(openSharedInstanceMemory("VarnelTestShared", 0), nullptr);
}

TEST(SystemUtils, VersionStringsOfTheOwnModule) {
    struct Case {
        VersionField field;
        const char* value;
    };
    const Case cases[] = {
        {VersionField::kCompanyName, "Zentor"}, {VersionField::kFileDescription, "Varnel 2 stereo delay"},
        {VersionField::kFileVersion, "2.00"},   {VersionField::kLegalCopyright, "Copyright (C) 2026 Zentor"},
        {VersionField::kProductName, "Varnel"}, {VersionField::kProductVersion, "2.00"},
        {VersionField::kComments, ""}, // not defined
    };
    for (const Case& c : cases) {
        EXPECT_EQ(getVersionInfoString(c.field), c.value) << versionFieldName(c.field);
        EXPECT_EQ(getVersionInfoString(c.field, getLibraryModulePath()), c.value)
            << versionFieldName(c.field);
    }
    test::TemporaryFolder temp("version");
    std::string plain = temp / "plain.dll";
    ASSERT_TRUE(test::writeWholeFile(plain, "no version here"));
    EXPECT_EQ(getVersionInfoString(VersionField::kProductVersion, plain), "");
    EXPECT_EQ(getVersionInfoString(VersionField::kProductVersion, temp / "missing.dll"), "");
}

TEST(SystemUtils, ModuleHookKeepsTheMainModuleWhenNothingMatches) {
    std::string own = getLibraryModulePath();
    ASSERT_FALSE(own.empty());
    EXPECT_FALSE(recordLibraryModule(own + ".missing"));
    EXPECT_EQ(getLibraryModulePath(), own);
    EXPECT_TRUE(recordLibraryModule(own));
    EXPECT_EQ(getLibraryModulePath(), own);
    EXPECT_TRUE(resourceExists("Gentle"));
}

} // namespace
