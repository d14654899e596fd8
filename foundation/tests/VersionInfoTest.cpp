#include "foundation/VersionInfo.h"
#include "foundation/ModifierModeTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(VersionInfo, TheProductsOwnIdentity) {
    VersionInfo info("Varnel");
    EXPECT_EQ(info.getProductName(), "Varnel");
    EXPECT_EQ(info.getDisplayName(), "Zentor Varnel");
    EXPECT_EQ(info.getLegalText(), "Copyright (C) 2026 Zentor");
    EXPECT_EQ(info.getVersion().majorVersion, 2);
    EXPECT_EQ(info.getVersion().minorVersion, 0);
    EXPECT_EQ(info.getVersion().patchVersion, 0);
    EXPECT_EQ(info.getVersion().betaNumber, 0);
    EXPECT_FALSE(info.isBetaBuild());
    EXPECT_EQ(info.getVersionSuffix(), " 2");
    EXPECT_EQ(info.getPluginName(), "Varnel 2");
    EXPECT_EQ(info.getDisplayVersion(), "2.00");
    EXPECT_EQ(info.getProductKeyPath(), "Software\\Zentor\\Varnel 2\\1.0");
    EXPECT_EQ(info.getProductKeyPath(1), "Software\\Zentor\\Varnel\\1.0");
    EXPECT_TRUE(info.isFirstStart());
    info.setFirstStart(false);
    EXPECT_FALSE(info.isFirstStart());
}

// The version definition's build date and no comments reach the module's
// fields on both builds.
TEST(VersionInfo, TheBuildDateAndCommentsOfTheModule) {
    const std::string configured = VARNEL_TEST_BUILD_DATE;
    const VersionInfo info("Varnel");
    EXPECT_EQ(info.getComments(), "");
    ASSERT_FALSE(configured.empty()) << "the build has no date (no SOURCE_DATE_EPOCH and no commit)";
    ASSERT_TRUE(info.hasBuildDate());
    VersionInfo::Date date;
    ASSERT_TRUE(VersionInfo::parseDate(configured, date));
    EXPECT_EQ(info.getBuildDate().year, date.year);
    EXPECT_EQ(info.getBuildDate().month, date.month);
    EXPECT_EQ(info.getBuildDate().day, date.day);
    const VersionInfo fixed("Varnel", "2.00", "", "", "2026-03-05");
    EXPECT_EQ(fixed.getBuildDate().year, 126);
    EXPECT_EQ(fixed.getBuildDate().month, 2);
    EXPECT_EQ(fixed.getBuildDate().day, 5);
}

TEST(VersionInfo, VersionTextsAndSuffixes) {
    struct Case {
        const char* text;
        int major, minor, patch, beta;
        const char* suffix;
    };
    const Case cases[] = {
        {"2.01", 2, 0, 1, 0, " 2"},  {"2.1 beta 3", 2, 1, 0, 3, " 2"},
        {"2", 2, 0, 0, 0, " 2"},     {"1.50", 1, 5, 0, 0, ""},
        {"", 1, 0, 0, 0, ""},    // no "ProductVersion"
        {"0.9", 1, 0, 0, 0, ""}, // major below 1: defaults stay
        {"garbage", 1, 0, 0, 0, ""}, {"12.34", 12, 3, 4, 0, " 12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        VersionInfo info("Varnel", c.text, "");
        EXPECT_EQ(info.getVersion().majorVersion, c.major);
        EXPECT_EQ(info.getVersion().minorVersion, c.minor);
        EXPECT_EQ(info.getVersion().patchVersion, c.patch);
        EXPECT_EQ(info.getVersion().betaNumber, c.beta);
        EXPECT_EQ(info.isBetaBuild(), c.beta > 0);
        EXPECT_EQ(info.getVersionSuffix(), c.suffix);
        EXPECT_EQ(info.getPluginName(), std::string("Varnel") + c.suffix);
    }
}

// Filled by the library's start-up, before any test runs.
TEST(ModifierModeTable, FilledAtLoad) {
    struct Case {
        std::uint32_t modifiers;
        std::int32_t mode;
    };
    const Case cases[] = {
        {0, 0},
        {kModifierControl, 1},
        {kModifierShift, 2},
        {kModifierAlt, 4},
        {kModifierShift | kModifierAlt, 6},
        {kModifierAlt | kModifierControl, 5},
        {kModifierControl | kModifierShift, 0},
        {kModifierControl | kModifierShift | kModifierAlt, 0},
        {8, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gestureModeForModifiers(c.modifiers), c.mode) << c.modifiers;
}

} // namespace
