#include "editor/ABButtonLabel.h"

#include <gtest/gtest.h>

namespace {

TEST(ABButtonLabel, TheSlashGoesWithTheActiveLetter) {
    struct Case {
        int32_t slot;
        int alpha;
        const char* first;
        int firstAlpha;
        const char* second;
        int secondAlpha;
    } cases[] = {
        {0, 255, "A/", 255, "B", 90},
        {1, 255, "A", 90, "/B", 255},
        // (160 x 90 + 128) / 255 rounded: the alpha of a modified preset.
        {0, 160, "A/", 160, "B", 56},
        {1, 0, "A", 0, "/B", 0},
    };
    for (const Case& c : cases) {
        const auto parts = abButtonLabelParts("A/B", c.slot, c.alpha);
        EXPECT_EQ(parts[0].text, c.first);
        EXPECT_EQ(parts[0].alpha, c.firstAlpha);
        EXPECT_EQ(parts[1].text, c.second);
        EXPECT_EQ(parts[1].alpha, c.secondAlpha);
    }
    const auto shortLabel = abButtonLabelParts("A", 0, 255);
    EXPECT_EQ(shortLabel[0].text, "A");
    EXPECT_EQ(shortLabel[1].text, "");
}

} // namespace
