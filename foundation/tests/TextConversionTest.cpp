#include "foundation/TextConversion.h"

#include <gtest/gtest.h>

#include <iterator>

#include <cstring>

namespace {

TEST(TextConversion, TextRoundTripsThroughUtf16) {
    const char* texts[] = {
        "", "plain", "Caf\xC3\xA9", "\xE2\x82\xAC 100", "\xF0\x9F\x8E\xB8 guitar", "a\0b",
    };
    const std::u16string expected[] = {
        u"", u"plain", u"Caf\u00E9", u"\u20AC 100", u"\U0001F3B8 guitar", std::u16string(u"a\0b", 3),
    };
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        std::string utf8(texts[i], i == 5 ? 3 : std::strlen(texts[i]));
        std::u16string wide = toWideString(utf8);
        EXPECT_EQ(wide, expected[i]) << i;
        EXPECT_EQ(toUtf8String(wide), utf8) << i;
    }
    EXPECT_EQ(toWideString("\xF0\x9F\x8E\xB8").size(), 2u) << "beyond the BMP: a surrogate pair";
}

TEST(TextConversion, InvalidTextBecomesReplacementCharacters) {
    struct Case {
        std::string utf8;
        std::u16string wide;
    };
    const Case cases[] = {
        {"a\xFF"
         "b",
         u"a\uFFFDb"},
        {"\x80", u"\uFFFD"},
        {"x\xC3", u"x\uFFFD"}, // truncated at the end
        {"\xE2\x82"
         "z",
         u"\uFFFDz"},                  // truncated three-byte sequence: one replacement
        {"\xC0\xAF", u"\uFFFD\uFFFD"}, // overlong
    };
    for (const Case& c : cases)
        EXPECT_EQ(toWideString(c.utf8), c.wide) << c.utf8;
    EXPECT_EQ(toUtf8String(std::u16string(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx") << "lone surrogate";
}

} // namespace
