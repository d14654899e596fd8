#include "foundation/FilePaths.h"
#include "foundation/KnownFolders.h"

#include <gtest/gtest.h>

namespace {

TEST(FilePaths, PathPieces) {
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

TEST(FilePaths, BuiltNames) {
    EXPECT_EQ(appendRelativePath("Docs/Manual.pdf", "C:\\X"), "C:\\X\\Docs\\Manual.pdf");
    EXPECT_EQ(appendRelativePath("Docs/Manual.pdf", "C:\\X\\"), "C:\\X\\Docs\\Manual.pdf");
    EXPECT_EQ(appendRelativePath("a\\b", ""), "\\a\\b");
    EXPECT_EQ(addDoubleScaleSuffix("Knob.png"), "Knob_2x.png");
    EXPECT_EQ(addDoubleScaleSuffix("Knob"), "Knob_2x");
    EXPECT_EQ(addDoubleScaleSuffix("a.b.png"), "a.b_2x.png");
    EXPECT_EQ(getRegistryKeyPath("Varnel", 3), "Software\\Zentor\\Varnel\\3.0");
    EXPECT_EQ(getRegistryKeyPath("Varnel 2", 1), "Software\\Zentor\\Varnel 2\\1.0");
}

} // namespace
