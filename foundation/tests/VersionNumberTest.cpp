#include "foundation/VersionNumber.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionString, Parse) {
    struct Case {
        const char* text;
        bool ok;
        int32_t major, minor, patch, beta;
        bool press;
    };
    const Case cases[] = {
        {"2.01", true, 2, 0, 1, 0, false},
        {"2.1 beta 3", true, 2, 1, 0, 3, false},
        {"2", true, 2, 0, 0, 0, false},
        {"2.1", true, 2, 0, 0, 0, false}, // fewer than two characters after the '.'
        {"2.00", true, 2, 0, 0, 0, false},
        {"3.04 press", true, 3, 0, 4, 0, true},
        {"1.23 beta 12", true, 1, 2, 3, 12, false},
        {"1.0 beta 123", true, 1, 0, 0, 12, false}, // up to two digits
        {"1.0 beta x", true, 1, 0, 0, 0, false},
        {"0.5", false, 0, 0, 0, 0, false},
        {"2.x1", false, 0, 0, 0, 0, false},
        {"", false, 0, 0, 0, 0, false},
        {"beta", false, 0, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        VersionNumber version{7, 7, 7, 7, false};
        EXPECT_EQ(parseVersionString(c.text, version), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(version.majorVersion, c.major) << c.text;
            EXPECT_EQ(version.minorVersion, c.minor) << c.text;
            EXPECT_EQ(version.patchVersion, c.patch) << c.text;
            EXPECT_EQ(version.betaNumber, c.beta) << c.text;
            EXPECT_EQ(version.pressPreview, c.press) << c.text;
        } else {
            EXPECT_EQ(version.majorVersion, 7) << "a failed parse changes nothing: " << c.text;
        }
    }
}

TEST(VersionString, FormatAndReadBack) {
    EXPECT_EQ(formatVersionString({3, 0, 4, 0, false}), "3.04");
    EXPECT_EQ(formatVersionString({2, 1, 0, 3, false}), "2.10 beta 3");
    EXPECT_EQ(formatVersionString({2, 0, 0, 0, true}), "2.00 (press preview)");
    VersionNumber version;
    ASSERT_TRUE(parseVersionString(formatVersionString({2, 1, 5, 9, true}), version));
    EXPECT_EQ(formatVersionString(version), "2.15 beta 9 (press preview)");
}

} // namespace
