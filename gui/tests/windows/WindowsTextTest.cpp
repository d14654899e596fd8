#include "gui/windows/WindowsText.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

const char* const kLongText = "The quick brown fox jumps over the lazy dog again and again";

struct FontCase {
    float points;
    float scale;
    std::string name;
    LONG height;
    const wchar_t* face;
    BYTE quality;
};

TEST(WinText, FontFollowsSizeScaleAndName) {
    const FontCase cases[] = {
        {10.0f, 1.0f, "", -13, L"Tahoma", ANTIALIASED_QUALITY},
        {10.0f, 1.5f, "", -20, L"Segoe UI", CLEARTYPE_QUALITY},
        {8.0f, 2.0f, "Arial", -21, L"Arial", CLEARTYPE_QUALITY},
        {12.0f, 1.25f, "", -20, L"Segoe UI", CLEARTYPE_QUALITY},
    };
    DeviceBacking backing;
    for (const FontCase& c : cases) {
        WindowsText text(backing);
        text.fontSize.setValue(c.points);
        text.fontName.setValue(c.name);
        const LOGFONTW font = WindowsText::fontDescription(text, c.scale);
        EXPECT_EQ(font.lfHeight, c.height) << c.points << " at " << c.scale;
        EXPECT_STREQ(font.lfFaceName, c.face);
        EXPECT_EQ(font.lfQuality, c.quality);
        EXPECT_EQ(font.lfWeight, FW_NORMAL);
    }
    WindowsText bold(backing);
    bold.bold.setValue(true);
    bold.italic.setValue(true);
    const LOGFONTW font = WindowsText::fontDescription(bold, 1.0f);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_TRUE(font.lfItalic);
    EXPECT_FALSE(font.lfUnderline);
}

class WinTextLayout : public ::testing::Test {
protected:
    WindowsText& make(const char* string, Text::LineStyle style, float wrapWidth) {
        auto text = std::make_unique<WindowsText>(backing);
        text->fontSize.setValue(10.0f);
        text->text.setValue(string);
        text->lineStyle.setValue(style);
        text->wrapWidth.setValue(wrapWidth);
        texts.push_back(std::move(text));
        return *texts.back();
    }
    DeviceBacking backing;
    std::vector<std::unique_ptr<WindowsText>> texts;
};

TEST_F(WinTextLayout, WidthZeroNeitherWrapsNorEllipsises) {
    WindowsText& plain = make(kLongText, Text::LineStyle::kSingleLine, 0.0f);
    ASSERT_GT(plain.width(), 100.0f);
    ASSERT_GT(plain.height(), 5.0f);
    for (Text::LineStyle style : {Text::LineStyle::kEndEllipsis, Text::LineStyle::kWordWrap}) {
        WindowsText& text = make(kLongText, style, 0.0f);
        EXPECT_EQ(WindowsText::formatFlags(text), UINT(DT_NOPREFIX));
        EXPECT_EQ(text.width(), plain.width());
        EXPECT_EQ(text.height(), plain.height());
    }
}

TEST_F(WinTextLayout, EllipsisStaysWithinTheLimitOnOneLine) {
    WindowsText& plain = make(kLongText, Text::LineStyle::kSingleLine, 0.0f);
    WindowsText& cut = make(kLongText, Text::LineStyle::kEndEllipsis, 60.0f);
    EXPECT_LE(cut.width(), 60.0f);
    EXPECT_GT(cut.width(), 0.0f);
    EXPECT_EQ(cut.height(), plain.height());
    const IBitmap* bitmap = cut.render();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_LE(bitmap->getPixelRect().right, 60);
}

TEST_F(WinTextLayout, WrappingGrowsTheHeight) {
    WindowsText& plain = make(kLongText, Text::LineStyle::kSingleLine, 0.0f);
    WindowsText& wrapped = make(kLongText, Text::LineStyle::kWordWrap, 80.0f);
    EXPECT_LE(wrapped.width(), 80.0f);
    EXPECT_GE(wrapped.height(), 2.0f * plain.height());
    const IBitmap* bitmap = wrapped.render();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->getPixelRect().bottom, int(wrapped.height()));
}

TEST_F(WinTextLayout, RendersCoverageInTheTextColour) {
    WindowsText& text = make("Hello", Text::LineStyle::kSingleLine, 0.0f);
    text.color.setValue(Color(200, 0, 0));
    const auto* bitmap = dynamic_cast<const Bitmap*>(text.render());
    ASSERT_NE(bitmap, nullptr);
    int full = 0;
    int empty = 0;
    for (int y = 0; y < bitmap->pixelHeight(); ++y)
        for (int x = 0; x < bitmap->pixelWidth(); ++x) {
            const Color c = bitmap->pixelAt(x, y);
            if (c.a == 0) ++empty;
            if (c.a == 255) {
                ++full;
                EXPECT_EQ(c, Color(200, 0, 0));
            }
            EXPECT_EQ(c.g, 0);
        }
    EXPECT_GT(full, 0);
    EXPECT_GT(empty, 0);
}

TEST_F(WinTextLayout, EmptyTextMakesNoBitmap) {
    WindowsText& text = make("", Text::LineStyle::kSingleLine, 0.0f);
    EXPECT_EQ(text.render(), nullptr);
    EXPECT_EQ(text.width(), 0.0f);
    text.text.setValue("x");
    EXPECT_NE(text.render(), nullptr);
    text.text.setValue("");
    EXPECT_EQ(text.render(), nullptr);
}

TEST_F(WinTextLayout, ChangesAndScaleMeasureAgain) {
    WindowsText& text = make("Hi", Text::LineStyle::kSingleLine, 0.0f);
    int changes = 0;
    text.changeEvent.addHandler(NotifyEvent::bind([&] { ++changes; }));
    const float narrow = text.width();
    text.text.setValue("Hi there");
    EXPECT_EQ(changes, 1);
    EXPECT_GT(text.width(), narrow);

    const IBitmap* before = text.render();
    ASSERT_NE(before, nullptr);
    const int pixelsBefore = before->getPixelRect().bottom;
    backing.setSystemScale(2.0f);
    ASSERT_EQ(backing.getScale(), 2.0f);
    const IBitmap* after = text.render();
    ASSERT_NE(after, nullptr);
    EXPECT_GT(after->getPixelRect().bottom, pixelsBefore * 3 / 2);
    EXPECT_FLOAT_EQ(text.verticalOffset(), -1.0f);
}

} // namespace
} // namespace gui
