#include "gui/BitmapHolder.h"

#include "gui/Bitmap.h"
#include "gui/BitmapResourceList.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <exception>

namespace gui {
namespace {

TEST(BitmapHolder, OwnsItsLoadedBitmapOrLendsTheBackground) {
    headless::HeadlessInterface ui;
    BitmapHolder holder(ui);
    EXPECT_EQ(&holder.bitmap(), &ui.backgroundBitmap());
    holder.setName("ModelPlain");
    Bitmap& loaded = holder.bitmap();
    EXPECT_NE(&loaded, &ui.backgroundBitmap());
    EXPECT_GT(loaded.pixelWidth(), 0);
    EXPECT_EQ(&holder.bitmap(), &loaded); // loaded once
    holder.setName("");
    EXPECT_EQ(&holder.bitmap(), &ui.backgroundBitmap());
    holder.setName("NoSuchImage.png");
    EXPECT_THROW(holder.bitmap(), std::exception);
}

TEST(BitmapResourceList, MakesItsOwnBackingWhenGivenNone) {
    BitmapResourceList own;
    EXPECT_TRUE(own.ownsBacking());
    Bitmap* bitmap = own.create();
    EXPECT_EQ(&bitmap->getBacking(), &own.backing());
    EXPECT_THROW(own.load("NoSuchImage.png"), std::exception);
    EXPECT_EQ(own.size(), 1u); // a failed load keeps nothing
    own.remove(bitmap);
    EXPECT_EQ(own.size(), 0u);

    headless::HeadlessInterface ui;
    EXPECT_FALSE(ui.bitmapResources().ownsBacking());
    EXPECT_EQ(&ui.bitmapResources().backing(), &ui.deviceBacking());
}

} // namespace
} // namespace gui
