#include "foundation/KnownFolders.h"
#include "foundation/Files.h"

#include <gtest/gtest.h>

namespace {

TEST(KnownFolders, WellKnownFoldersExistWithoutTrailingSeparator) {
    for (const std::string& folder : {getApplicationDataFolder(), getDocumentsFolder()}) {
        ASSERT_FALSE(folder.empty());
        EXPECT_NE(folder.back(), '\\') << folder;
        EXPECT_EQ(folder.find('/'), std::string::npos) << folder;
    }
    std::string maker = getMakerFolderPath("Varnel 2");
    EXPECT_EQ(maker, getApplicationDataFolder() + "\\Zentor\\Varnel 2\\");
    EXPECT_EQ(getPresetsFolderPath("Varnel"), getDocumentsFolder() + "\\Zentor\\Presets\\Varnel\\");
}

} // namespace
