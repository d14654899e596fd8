#include "foundation/StringUtils.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>

namespace {

TEST(FormatNumber, StarFormatKeepsSignificantDigits) {
    struct Case {
        double value;
        const char* format;
        const char* expected;
    };
    const Case cases[] = {
        {1.5, "*3f", "1.500"},      {12.5, "*3f", "12.50"},
        {125, "*3f", "125.0"},      {1250, "*3f", "1250"},
        {-12.5, "*3f", "-12.50"},   {0.0004, "*3f", "0.000"},
        {-0.0004, "*3f", "0.000"},  {9.9994, "*3f", "9.999"},
        {9.9996, "*3f", "10.00"},   {99999, "*3f", "99999"},
        {3, "*+2f", "+3.00"},       {-0.001, "*+2f", "0.00"},
        {1.5, "*1f dB", "1.5 dB"},  {0.25, "*0f", "0"},
        {-0.0004, "%.2f", "0.00"},  {-1.0, "%.2f", "-1.00"},
        {2.5, "%.0f", "2"},         {0.1, "%.15g", "0.1"},
        {1e21, "%.15g", "1e+21"},   {1.0 / 3, "%.15g", "0.333333333333333"},
        {440, "%.0f Hz", "440 Hz"}, {7.25, "%d", "7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatNumber(c.value, c.format), c.expected) << c.value << " " << c.format;
}

TEST(FormatNumber, InfinityAndNaN) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(formatNumber(inf, "*3f"), "INF");
    EXPECT_EQ(formatNumber(-inf, "%.2f"), "-INF");
    EXPECT_EQ(formatNumber(std::nan(""), "*3f"), "-INF");
}

// The printf grammar is parsed by formatDouble; the C library is the
// reference for what each format means.
TEST(FormatNumber, PrintfFormatsMatchTheCLibrary) {
    const char* formats[] = {"%f",   "%.0f",     "%.3f",   "%10.2f",   "%-10.2f|", "%+08.3f", "% .1f",
                             "%e",   "%.3E",     "%g",     "%.15g",    "%#.3g",    "%G",      "%#.0f",
                             "%.0e", "%%%.1f%%", "%12.4e", "%-+9.2g|", "%010.3f",  "x=%.2f;"};
    const double values[] = {0.0,   -0.0,   0.5, 1.5,     2.5,  0.125,        1e-5,  123456.789,  -9.995,
                             1e300, 5e-324, 0.1, 2.0 / 3, 1e15, 123456789012, -42.0, 0.000123456, 999.4999};
    for (const char* format : formats) {
        for (double value : values) {
            char expected[512];
            std::snprintf(expected, sizeof expected, format, value);
            EXPECT_EQ(formatDouble(format, value), expected) << format << " " << value;
        }
    }
    // '#' keeps the zeros also when rounding moves to the next decade (some C
    // libraries print "1.e+03" here).
    EXPECT_EQ(formatDouble("%#.3g", 999.9999), "1.00e+03");
}

TEST(FormatNumber, NumbersIgnoreTheProcessLocale) {
    const char* names[] = {"de_DE.UTF-8",         "de_DE.utf8", "fr_FR.UTF-8",
                           "German_Germany.1252", "German",     "de-DE"};
    const char* chosen = nullptr;
    for (const char* name : names)
        if (std::setlocale(LC_NUMERIC, name)) {
            chosen = name;
            break;
        }
    if (!chosen) GTEST_SKIP() << "no locale with a decimal comma installed";
    std::string previousFormat = formatNumber(1.5, "*3f");
    double parsed = 0;
    bool parsedOk = parseDouble("2.25", parsed);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(previousFormat, "1.500") << chosen;
    EXPECT_TRUE(parsedOk);
    EXPECT_EQ(parsed, 2.25);
}

TEST(FormatNumber, Seconds) {
    EXPECT_EQ(formatSeconds(250), "250.0 ms");
    EXPECT_EQ(formatSeconds(12.5), "12.50 ms");
    EXPECT_EQ(formatSeconds(999.94), "999.9 ms");
    EXPECT_EQ(formatSeconds(999.96), "1.000 sec"); // never "1000 ms"
    EXPECT_EQ(formatSeconds(1500), "1.500 sec");
    EXPECT_EQ(formatSeconds(60000), "60.00 sec");
}

TEST(StringUtils, PercentEncodesWhatAUrlPathMayNotHold) {
    const std::pair<const char*, const char*> cases[] = {
        {"varnel 2", "varnel%202"},
        {"a/b-c_d.e~f", "a/b-c_d.e~f"},
        {"x?y#z%", "x%3Fy%23z%25"},
        {"\xc3\xa9\t\"<>", "%C3%A9%09%22%3C%3E"},
        {"", ""},
    };
    for (const auto& [text, encoded] : cases)
        EXPECT_EQ(percentEncodeUrlPath(text), encoded) << text;
}

TEST(ParseNumber, WholeTextMustBeOneNumber) {
    struct Case {
        const char* text;
        bool isDouble;
        double doubleValue;
        bool isInt;
        int32_t intValue;
    };
    const Case cases[] = {
        {"12", true, 12, true, 12},
        {"-7", true, -7, true, -7},
        {"+3", true, 3, true, 3},
        {"1.5", true, 1.5, false, 0},
        {"1e3", true, 1000, false, 0},
        {"12x", false, 0, false, 0},
        {"1.5x", false, 0, false, 0},
        {"", false, 0, false, 0},
        {" 1", false, 0, false, 0},
        {"1 ", false, 0, false, 0},
        {"+-1", false, 0, false, 0},
        {"1,5", false, 0, false, 0},
        {"2147483648", true, 2147483648.0, false, 0},
        {"-2147483648", true, -2147483648.0, true, INT32_MIN},
    };
    for (const Case& c : cases) {
        double d = -99;
        int32_t i = -99;
        EXPECT_EQ(parseDouble(c.text, d), c.isDouble) << c.text;
        EXPECT_EQ(d, c.isDouble ? c.doubleValue : -99) << c.text;
        EXPECT_EQ(parseInt(c.text, i), c.isInt) << c.text;
        EXPECT_EQ(i, c.isInt ? c.intValue : -99) << c.text;
    }
}

TEST(ParseNumber, LeadingNumberReadsLikePercentD) {
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"12", 12},          {"  -7 dB", -7}, {"+3x", 3}, {"2147483647", 2147483647},
        {"2147483648", -99}, {"", -99},       {"-", -99}, {"x12", -99},
        {" + 1", -99},       {"007", 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseLeadingInt(c.text, -99), c.expected) << '"' << c.text << '"';
}

TEST(Compare, NoCaseFoldsAsciiOnly) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"abc", "ABC", 0}, {"a", "B", -1},
        {"B", "a", 1},     {"ab", "a", 1},
        {"a", "ab", -1},   {"", "", 0},
        {"_", "a", -1},    {"\xC3\xA9", "\xC3\x89", 1}, // é and É differ: no UTF-8 folding
        {"\xFF", "a", 1},                               // bytes compare unsigned
    };
    for (const Case& c : cases)
        EXPECT_EQ(compareNoCase(c.a, c.b), c.expected) << c.a << " / " << c.b;
}

TEST(Compare, NaturalOrderReadsNumbersByValue) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"x2", "x10", -1},
        {"x10", "x2", 1},
        {"A 5", "a5", 0},
        {"a01", "a1", 0},
        {"Preset 2", "Preset 10", -1},
        {"b", "a", 1},
        {"a", "a b", -1},
        {"abc", "ABD", -1},
        {"v1.10", "v1.9", 1},
        {"", "", 0},
        {"007", "7", 0},
        {"12a", "12b", -1},
        {"\xC3\xA9", "e", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(compareNatural(c.a, c.b), c.expected) << c.a << " / " << c.b;
}

TEST(ShortenParameterName, StagesInOrder) {
    struct Case {
        const char* name;
        size_t maxLength;
        const char* expected;
    };
    const Case cases[] = {
        {"Filter 1 Frequency", 8, "F1 Freq"},            // word table, blank before digit, numbered word
        {"Filter 1 Frequency", 0, "Filter 1 Frequency"}, // 0: no limit
        {"Frequency", 4, "Freq"},
        {"Frequency", 9, "Frequency"},
        {"High Shelf Gain", 7, "HS Gain"},          // High -> Hi, HiShelf -> HS
        {"High Shelf Gain", 6, "HSGain"},           // blanks removed
        {"Band 3 Gain", 6, "B3Gain"},               // numbered word shrinks to its capital
        {"LFO2 Speed", 5, "LFO2S"},                 // a run after a capital is kept
        {"mix 2 level 3", 8, "mlevel3"},            // runs without a capital before them are passed over
        {"Env Follower Attack Time", 8, "EFATime"}, // initials and the whole last word
        {"Side Chain Gain", 6, "SCGain"},
        {"Band 9 Level", 5, "9Lvl"},                // no blank removed before 9; letter before digit dropped
        {"Modulation Depth Amount", 6, "MDAmnt"},   // vowels of the last word skipped
        {"Alpha Beta Gamma Delta Omega", 3, "ABG"}, // finally cut
    };
    for (const Case& c : cases) {
        std::string result = shortenParameterName(c.name, c.maxLength);
        EXPECT_EQ(result, c.expected) << c.name << " / " << c.maxLength;
        if (c.maxLength > 0) {
            EXPECT_LE(result.size(), c.maxLength) << c.name;
        }
    }
}

TEST(WordsAndPrefixes, CommonWordPrefix) {
    EXPECT_EQ(commonWordPrefix("Filter 1 Cutoff", "Filter 1 Peak"), "Filter 1 ");
    EXPECT_EQ(commonWordPrefix("Delay Time", "DelayXTime Left"),
              "Delay ");                             // the blank's place is not compared
    EXPECT_EQ(commonWordPrefix("Gain", "Gain"), ""); // the last word never counts
    EXPECT_EQ(commonWordPrefix("Mix Level", "Max Level"), "");
    EXPECT_EQ(commonWordPrefix("Rate A", "Rate"), ""); // the second text must reach past the blank
    EXPECT_EQ(commonWordPrefix("A B C", "A B D"), "A B ");
}

TEST(WordsAndPrefixes, TakeSortPrefix) {
    struct Case {
        const char* name;
        int number;
        const char* rest;
    };
    const Case cases[] = {
        {"_12 Bright Echo", 12, "Bright Echo"},
        {"Bright Echo", 10000, "Bright Echo"},
        {"_ Echo", 0, "Echo"},
        {"_7", 7, ""},
        {"_3x", 3, "x"},
        {"", 10000, ""},
        {"_99999999999 Big", 2147483647, "Big"},
    };
    for (const Case& c : cases) {
        std::string name = c.name;
        EXPECT_EQ(takeSortPrefix(name), c.number) << c.name;
        EXPECT_EQ(name, c.rest) << c.name;
    }
}

TEST(TextPieces, SplitAtCommas) {
    std::vector<std::string> list{"stale"};
    splitAtCommas("a,,b,", list);
    EXPECT_EQ(list, (std::vector<std::string>{"a", "", "b", ""}));
    splitAtCommas(" a , b", list);
    EXPECT_EQ(list, (std::vector<std::string>{" a ", " b"}));
    splitAtCommas("", list);
    EXPECT_TRUE(list.empty());
}

TEST(TextPieces, ReplaceAll) {
    EXPECT_EQ(replaceAll("aaa", "a", "b"), "bbb");
    EXPECT_EQ(replaceAll("abab", "ab", "abab"), "abababab"); // searches on after each replacement
    EXPECT_EQ(replaceAll("x.y.", ".", ".."), "x..y..");
    EXPECT_EQ(replaceAll("text", "", "x"), "text"); // empty from: no endless loop
    EXPECT_EQ(replaceAll("1,5", ",", "."), "1.5");
}

TEST(TextPieces, TrimLeavesBytesAbove0x7FAlone) {
    EXPECT_EQ(trimString(" \t a b \r\n\v\f"), "a b");
    EXPECT_EQ(trimString("\xA0x\xA0"), "\xA0x\xA0"); // a Latin-1 no-break space is not ASCII white space
    EXPECT_EQ(trimString("\xC3\xA9 "), "\xC3\xA9");
    EXPECT_EQ(trimString("   "), "");
    EXPECT_EQ(toLowerAscii("AbC\xC3\x89"), "abc\xC3\x89");
}

TEST(TextPieces, ReadLineOnEveryLineEnd) {
    std::istringstream in("a\nb\rc\r\nd");
    EXPECT_EQ(readLine(in), "a");
    EXPECT_EQ(readLine(in), "b");
    EXPECT_EQ(readLine(in), "c");
    EXPECT_EQ(readLine(in), "d");
    EXPECT_TRUE(in.eof());
    EXPECT_FALSE(in.fail());

    std::istringstream blank("\r\n\r\n");
    EXPECT_EQ(readLine(blank), "");
    EXPECT_EQ(readLine(blank), "");
    EXPECT_FALSE(blank.eof());
    EXPECT_EQ(readLine(blank), "");
    EXPECT_TRUE(blank.eof());
}

TEST(TextPieces, CrLfLineEndings) {
    EXPECT_EQ(toCrLfLineEndings("a\nb\rc\r\nd\n\r"), "a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(toCrLfLineEndings("\r\r\n\n"), "\r\n\r\n\r\n");
}

} // namespace
