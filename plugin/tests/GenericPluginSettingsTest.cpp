#include "plugin/GenericPluginSettings.h"

#include "foundation/Registry.h"
#include "foundation/VersionInfo.h"
#include "plugin/tests/TestPlugin.h"

#include <gtest/gtest.h>

namespace {

using test::PluginTest;

class GenericPluginSettingsTest : public PluginTest {};

TEST_F(GenericPluginSettingsTest, DisplayScalingGivesTheProcessFactor) {
    const struct {
        uint32_t stored;
        double factor;
        int32_t kept;
    } cases[] = {{150, 1.5, 150}, {1, 0.0, 1}, {0, 1.0, 0}, {50, 1.0, 50}, {400, 3.0, 300}};
    for (const auto& c : cases) {
        ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, keyPath(), "RetinaEnabled", c.stored));
        auto plugin = makePlugin();
        EXPECT_DOUBLE_EQ(GenericPlugin::getScaleFactor(), c.factor) << c.stored;
        EXPECT_EQ(GenericPlugin::getSharedSettings()->displayScaling.getValue(), c.kept) << c.stored;
    }
}

TEST_F(GenericPluginSettingsTest, MakerWideValuesOverrideForThisStart) {
    // The maker-wide key is only read; a test may still set it.
    const std::string maker = "Software\\Zentor";
    uint32_t previous = 0;
    const bool had = readRegistryDword(RegistryRoot::kCurrentUser, maker, "RetinaEnabled", previous);
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, keyPath(), "RetinaEnabled", 150));
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, maker, "RetinaEnabled", 200));
    {
        auto plugin = makePlugin();
        EXPECT_DOUBLE_EQ(GenericPlugin::getScaleFactor(), 2.0);
        EXPECT_EQ(GenericPlugin::getSharedSettings()->displayScaling.getValue(), 150);
    }
    if (had)
        writeRegistryDword(RegistryRoot::kCurrentUser, maker, "RetinaEnabled", previous);
    else
        writeRegistryDword(RegistryRoot::kCurrentUser, maker, "RetinaEnabled", 0xFFFFFFFF); // -1: no override
}

TEST_F(GenericPluginSettingsTest, ChangesWriteOnlyOnceLoaded) {
    auto plugin = makePlugin();
    GenericPlugin::SharedSettings early;
    early.welcomeHintShown.setValue(false);
    early.displayScaling.setValue(222);
    uint32_t value = 0;
    ASSERT_TRUE(readRegistryDword(RegistryRoot::kCurrentUser, keyPath(), "RetinaEnabled", value));
    EXPECT_NE(value, 222u);

    early.loaded.setValue(true);
    early.displayScaling.setValue(250);
    ASSERT_TRUE(readRegistryDword(RegistryRoot::kCurrentUser, keyPath(), "RetinaEnabled", value));
    EXPECT_EQ(value, 250u);

    // One write for a whole batch.
    {
        UpdatedObject::Hold hold(early);
        early.displayScaling.setValue(260);
        ASSERT_TRUE(readRegistryDword(RegistryRoot::kCurrentUser, keyPath(), "RetinaEnabled", value));
        EXPECT_EQ(value, 250u);
    }
    ASSERT_TRUE(readRegistryDword(RegistryRoot::kCurrentUser, keyPath(), "RetinaEnabled", value));
    EXPECT_EQ(value, 260u);

    // Once the last instance ended there is no product to write under.
    plugin.reset();
    early.displayScaling.setValue(270);
    ASSERT_TRUE(readRegistryDword(RegistryRoot::kCurrentUser, keyPath(), "RetinaEnabled", value));
    EXPECT_EQ(value, 260u);
}

TEST_F(GenericPluginSettingsTest, FirstStartWritesOptionsAndRemembersTheVersion) {
    {
        auto plugin = makePlugin();
        EXPECT_TRUE(GenericPlugin::getVersionInfo()->isFirstStart());
        EXPECT_TRUE(GenericPlugin::getSharedSettings()->welcomeHintShown.getValue());
        std::string version;
        ASSERT_TRUE(readRegistryString(RegistryRoot::kCurrentUser, keyPath(), "CurrentVersion", version));
        EXPECT_EQ(version, GenericPlugin::getVersionInfo()->getDisplayVersion());
    }
    auto again = makePlugin();
    EXPECT_FALSE(GenericPlugin::getVersionInfo()->isFirstStart());
}

TEST_F(GenericPluginSettingsTest, PresetFolderFromTheRegistryOrTheDefault) {
    ASSERT_TRUE(writeRegistryString(RegistryRoot::kCurrentUser, keyPath(), "PresetFolder", folder_ / "gone"));
    {
        auto plugin = makePlugin();
        EXPECT_EQ(plugin->getPresetManager(-1)->getPath(), presetFolder());
    }
    const std::string mine = folder_ / "Mine";
    createDirectories(mine);
    test::writeWholeFile(mine + "\\Only.ztp", "TsPl");
    ASSERT_TRUE(writeRegistryString(RegistryRoot::kCurrentUser, keyPath(), "PresetFolder", mine));
    auto plugin = makePlugin();
    EXPECT_EQ(plugin->getPresetManager(-1)->getPath(), mine + "\\");
    ASSERT_NE(plugin->getPresetManager(-1)->findPresetByName("Only", 0), nullptr);
}

} // namespace
