// The rendered skin through the toolkit's own loader: every manifest row loads
// by its file name at scale 1 (the plain picture) and at scale 2 (the "_2x"
// picture, taken as it is), with the logical size the layout expects.

#include "effect_editor/tests/SkinFixture.h"
#include "gui/Bitmap.h"
#include "gui/DeviceBacking.h"
#include "gui/PNGFiler.h"

#include <gtest/gtest.h>

namespace {

TEST(SkinLoader, EveryRowLoadsAtBothScalesWithItsLogicalSize) {
    gui::registerPngFilerFactory();
    std::vector<test::ManifestRow> rows = test::manifest();
    ASSERT_FALSE(rows.empty()) << "the manifest is not embedded";
    for (float scale : {1.0f, 2.0f}) {
        gui::DeviceBacking backing;
        backing.setSystemScale(scale);
        ASSERT_EQ(backing.getScale(), scale);
        for (const test::ManifestRow& row : rows) {
            SCOPED_TRACE(row.name + " at scale " + std::to_string(scale));
            gui::Bitmap bitmap(backing);
            ASSERT_NO_THROW(bitmap.load(row.name + ".png"));
            EXPECT_EQ(bitmap.getSourceScale(), scale);
            EXPECT_EQ(bitmap.pixelWidth(), static_cast<int>(static_cast<float>(row.width) * scale));
            EXPECT_EQ(bitmap.pixelHeight(), static_cast<int>(static_cast<float>(row.height) * scale));
            gui::Rect rect = bitmap.getRect();
            EXPECT_EQ(rect.right - rect.left, static_cast<float>(row.width));
            EXPECT_EQ(rect.bottom - rect.top, static_cast<float>(row.height));
        }
    }
}

} // namespace
