#include "gui/Image.h"

#include "gui/Bitmap.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

TEST(Image, OwnBitmapSetsTheSizeOnlyWhenPlaced) {
    test::TestInterface ui;
    Image image(ui);
    image.bitmap().setSize(12, 7);
    EXPECT_EQ(image.size.getValue(), Point(12, 7));
    image.stretchMode.setValue(Image::StretchMode::kStretched);
    image.bitmap().setSize(30, 30);
    EXPECT_EQ(image.size.getValue(), Point(12, 7));
}

TEST(Image, OpaqueOnlyWhereTheBitmapReallyCovers) {
    test::TestInterface ui;
    Bitmap bitmap(ui.deviceBacking());
    bitmap.setSize(10, 10);
    bitmap.fillRect({0, 0, 10, 10}, Color(10, 20, 30, 255));
    bitmap.transparent.setValue(false);
    Image image(ui, &bitmap);
    EXPECT_EQ(image.size.getValue(), Point(10, 10));
    const struct {
        Image::StretchMode mode;
        Point size, offset;
        bool opaque;
    } cases[] = {{Image::StretchMode::kPlaced, {10, 10}, {0, 0}, true},
                 {Image::StretchMode::kPlaced, {10, 10}, {2, 0}, false}, // an unpainted strip
                 {Image::StretchMode::kCentred, {10, 10}, {0, 0}, true},
                 {Image::StretchMode::kCentred, {14, 10}, {0, 0}, false},
                 {Image::StretchMode::kStretched, {40, 30}, {0, 0}, true},
                 {Image::StretchMode::kThreePiece, {40, 10}, {0, 0}, true},
                 {Image::StretchMode::kThreePiece, {40, 12}, {0, 0}, false}};
    for (const auto& c : cases) {
        image.stretchMode.setValue(c.mode);
        image.setSize(c.size);
        image.offset.setValue(c.offset);
        EXPECT_EQ(image.opaque.getValue(), c.opaque) << int(c.mode) << " " << c.size.x << " " << c.offset.x;
    }
    image.stretchMode.setValue(Image::StretchMode::kPlaced);
    image.setSize(10, 10);
    image.offset.setValue(Point(0, 0));
    ASSERT_TRUE(image.opaque.getValue());
    image.setHoleRect({2, 2, 5, 5});
    EXPECT_FALSE(image.opaque.getValue());
    EXPECT_EQ(image.hitAlpha({3, 3}), 0);
    EXPECT_EQ(image.hitAlpha({6, 6}), 255);
    EXPECT_EQ(image.hitAlpha({60, -6}), 255) << "clamped into the bitmap";
}

TEST(Image, CentredPlacementDrawsInTheMiddle) {
    test::TestInterface ui;
    Bitmap bitmap(ui.deviceBacking());
    bitmap.setSize(4, 4);
    bitmap.fillRect({0, 0, 4, 4}, Color(200, 0, 0, 255));
    Image image(ui, &bitmap);
    image.stretchMode.setValue(Image::StretchMode::kCentred);
    image.setSize(10, 10);
    Bitmap target(ui.deviceBacking());
    target.setSize(10, 10);
    image.draw(target.getCanvas());
    EXPECT_EQ(target.pixelAt(2, 2).a, 0);
    EXPECT_EQ(target.pixelAt(3, 3).a, 255);
    EXPECT_EQ(target.pixelAt(6, 6).a, 255);
    EXPECT_EQ(target.pixelAt(7, 7).a, 0);
    EXPECT_EQ(image.hitAlpha({1, 1}), 255) << "clamped into the bitmap";
}

} // namespace
} // namespace gui
