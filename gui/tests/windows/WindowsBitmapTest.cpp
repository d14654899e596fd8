#include "gui/windows/WindowsBitmap.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace gui {
namespace {

TEST(WinBitmap, NewSectionsStartTransparentAndFollowResizes) {
    DeviceBacking backing;
    WindowsBitmap bitmap(backing);
    EXPECT_EQ(bitmap.dib(), nullptr);
    bitmap.resize(7, 5);
    ASSERT_NE(bitmap.dib(), nullptr);
    for (int i = 0; i < 35; ++i)
        ASSERT_EQ(bitmap.getPixels()[i], Bitmap::kTransparentPixel);

    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(bitmap.dib(), sizeof(section), &section), int(sizeof(section)));
    EXPECT_EQ(section.dsBmih.biWidth, 7);
    EXPECT_EQ(std::abs(section.dsBmih.biHeight), 5);
    EXPECT_EQ(section.dsBmih.biBitCount, 32);
    EXPECT_EQ(section.dsBm.bmBits, bitmap.getPixels());

    bitmap.resize(3, 2);
    ASSERT_EQ(GetObjectW(bitmap.dib(), sizeof(section), &section), int(sizeof(section)));
    EXPECT_EQ(section.dsBmih.biWidth, 3);
    bitmap.resize(0, 0);
    EXPECT_EQ(bitmap.dib(), nullptr);
}

TEST(WinBitmap, CopyToADeviceContextKeepsEveryPixel) {
    DeviceBacking backing;
    WindowsBitmap source(backing);
    source.resize(6, 4);
    source.fillRect(Rect(0, 0, 3, 4), Color(200, 10, 30));
    source.fillRect(Rect(3, 0, 6, 2), Color(5, 250, 7));

    WindowsBitmap target(backing);
    target.resize(10, 8);
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HGDIOBJ old = SelectObject(dc, target.dib());
    source.copyTo(dc, 2, 3);
    GdiFlush();
    SelectObject(dc, old);
    DeleteDC(dc);

    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(target.getPixels()[(y + 3) * 10 + x + 2] & 0xFFFFFF,
                      source.getPixels()[y * 6 + x] & 0xFFFFFF)
                << x << "," << y;
    EXPECT_EQ(target.getPixels()[0], Bitmap::kTransparentPixel);
}

TEST(WinBitmap, LoadedSourcesAndCopiesLiveInSectionsToo) {
    DeviceBacking backing;
    WindowsBitmap a(backing);
    a.resize(4, 4);
    a.fillRect(Rect(0, 0, 4, 4), Color(1, 2, 3));
    WindowsBitmap b(backing);
    b.copyFrom(a);
    ASSERT_NE(b.dib(), nullptr);
    EXPECT_EQ(b.pixelAt(2, 2), Color(1, 2, 3));
}

} // namespace
} // namespace gui
