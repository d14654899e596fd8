#include "foundation/KeyValue.h"

#include <gtest/gtest.h>
#include <sstream>
#include <utility>
#include <vector>

namespace {

TEST(KeyValueReader, OneLine) {
    struct Case {
        const char* line;
        const char* key;
        const char* value;
        KeyValueReader::Status status;
    };
    const Case cases[] = {
        {"  name  =  \"a b\"   ", "name", "a b", KeyValueReader::kGood},
        {"key=", "key", "", KeyValueReader::kGood},
        {"k = plain text  \t", "k", "plain text", KeyValueReader::kGood},
        {"\tk\t=\tv", "k", "v", KeyValueReader::kGood},
        {"k=a=b", "k", "a=b", KeyValueReader::kGood},
        {"k=\"\"", "k", "", KeyValueReader::kGood},
        {"k=\"  padded  \"", "k", "  padded  ", KeyValueReader::kGood},
        {"k=a\\nb\\rc", "k", "a\nb\rc", KeyValueReader::kGood},
        {"k=\"x\\\"y\\\\z\"", "k", "x\"y\\z", KeyValueReader::kGood},
        {"k=\\q", "k", "\\q", KeyValueReader::kGood},
        {"k=trailing\\", "k", "trailing\\", KeyValueReader::kGood},
        {"k=a\"b", "k", "a\"b", KeyValueReader::kGood},
        {"two words=1", "two words", "1", KeyValueReader::kGood},
        {"=value", "", "", KeyValueReader::kMissingKey},
        {"   = x", "", "", KeyValueReader::kMissingKey},
        {"[  ]", "", "", KeyValueReader::kEmptySectionName},
        {"novalue", "", "", KeyValueReader::kMissingEquals},
        {"[Section", "", "", KeyValueReader::kMissingBracket},
        {"[A] x", "", "", KeyValueReader::kTextAfterValue},
        {"k=\"a\" x", "", "", KeyValueReader::kTextAfterValue},
        {"k=\"abc", "", "", KeyValueReader::kTextAfterValue}, // no closing quote
        {"k=\"abc\\\"", "", "", KeyValueReader::kTextAfterValue},
    };
    for (const Case& c : cases) {
        for (const char* ending : {"", "\n", "\r\n", "\r"}) {
            std::istringstream in(std::string(c.line) + (*ending ? ending + std::string("next=1\n") : ""));
            KeyValueReader reader(in);
            EXPECT_EQ(reader.readLine(), c.key) << c.line;
            EXPECT_EQ(reader.value(), c.value) << c.line;
            EXPECT_EQ(reader.status(), c.status) << c.line;
            if (c.status != KeyValueReader::kGood) {
                EXPECT_EQ(reader.readLine(), "") << "errors are sticky: " << c.line;
                EXPECT_EQ(reader.status(), c.status);
                EXPECT_EQ(reader.value(), "");
                EXPECT_EQ(reader.sectionName(), "");
            } else if (*ending) {
                EXPECT_EQ(reader.readLine(), "next") << c.line;
            }
        }
    }
}

TEST(KeyValueReader, SkipsCommentsAndBlankLines) {
    std::istringstream in("; comment\n\n   \n  ;x=1\n\t\nk=v\n; tail\n\n");
    KeyValueReader reader(in);
    EXPECT_EQ(reader.readLine(), "k");
    EXPECT_EQ(reader.value(), "v");
    EXPECT_EQ(reader.readLine(), "");
    EXPECT_EQ(reader.status(), KeyValueReader::kGood);
    EXPECT_EQ(reader.sectionName(), "");
}

const char* const twoSections = "[B]\r\nb1=1\r\n[ A ]\r\na1=2\r\na2=3\r\n";

TEST(KeyValueReader, ReadingOnEntersTheNextSection) {
    std::istringstream in(twoSections);
    KeyValueReader reader(in);
    EXPECT_EQ(reader.readLine(), "");
    EXPECT_EQ(reader.sectionName(), "B");
    EXPECT_EQ(reader.readLine(), "b1");
    EXPECT_EQ(reader.sectionName(), "");
    EXPECT_EQ(reader.readLine(), "");
    EXPECT_EQ(reader.sectionName(), "A");
    EXPECT_EQ(reader.readLine(), "a1");
    EXPECT_EQ(reader.sectionName(), "");
    EXPECT_EQ(reader.value(), "2");
}

TEST(KeyValueReader, DestroyedReaderHandsTheHeaderToTheNext) {
    std::istringstream in(twoSections);
    {
        KeyValueReader first(in);
        EXPECT_EQ(first.readLine(), "");
        EXPECT_EQ(first.readLine(), "b1");
        EXPECT_EQ(first.readLine(), "");
        EXPECT_EQ(first.sectionName(), "A");
    }
    KeyValueReader second(in);
    EXPECT_EQ(second.readLine(), "");
    EXPECT_EQ(second.sectionName(), "A");
    EXPECT_EQ(second.readLine(), "a1");
    EXPECT_EQ(second.readLine(), "a2");
    EXPECT_EQ(second.readLine(), "");
    EXPECT_EQ(second.sectionName(), "");
}

TEST(KeyValueReader, HeaderOnTheLastLineIsHandedOverToo) {
    std::istringstream in("k=v\n[Last]");
    {
        KeyValueReader first(in);
        EXPECT_EQ(first.readLine(), "k");
        EXPECT_EQ(first.readLine(), "");
        EXPECT_EQ(first.sectionName(), "Last");
    }
    KeyValueReader second(in);
    EXPECT_EQ(second.readLine(), "");
    EXPECT_EQ(second.sectionName(), "Last");
}

TEST(KeyValueReader, HostileInputEndsWithAStatus) {
    const std::string sample = "[S]\nk=\"a \\\" b\"\n; c\n[T]\nx = 1\ny=\"q\"\n";
    for (size_t length = 0; length <= sample.size(); ++length) {
        std::istringstream in(sample.substr(0, length));
        KeyValueReader reader(in);
        int lines = 0;
        while (lines < 100 && (!reader.readLine().empty() || !reader.sectionName().empty()))
            ++lines;
        EXPECT_LT(lines, 100);
        EXPECT_GE(reader.status(), KeyValueReader::kGood);
        EXPECT_LE(reader.status(), KeyValueReader::kTextAfterValue);
    }
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 131 + 7) & 0xFF);
    std::istringstream in(garbage);
    KeyValueReader reader(in);
    int lines = 0;
    while (lines < 10000 && (!reader.readLine().empty() || !reader.sectionName().empty()))
        ++lines;
    EXPECT_LT(lines, 10000);
}

TEST(KeyValueWriter, QuoteValue) {
    EXPECT_EQ(quoteValue("plain"), "plain");
    EXPECT_EQ(quoteValue("a\tb"), "\"a\tb\"");
    EXPECT_EQ(quoteValue("two words"), "\"two words\"");
    EXPECT_EQ(quoteValue("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(quoteValue("C:\\x"), "\"C:\\\\x\"");
    EXPECT_EQ(quoteValue("a\r\nb"), "\"a\\r\\nb\"");
    EXPECT_EQ(quoteValue(""), "");
}

TEST(KeyValueWriter, ExactText) {
    std::ostringstream out;
    KeyValueWriter writer(out, "\r\n");
    EXPECT_FALSE(writer.hasWritten());
    writer.writeSection("Preset");
    writer.writeString("Name", "Big Room");
    writer.writeSection("Parameters");
    writer.writeDouble("Mix", 0.1);
    writer.writeDouble("Third", 1.0 / 3);
    writer.writeInt("Count", -5);
    EXPECT_TRUE(writer.hasWritten());
    EXPECT_EQ(out.str(),
              "[Preset]\r\nName=\"Big Room\"\r\n\r\n[Parameters]\r\nMix=0.1\r\nThird=0.333333333333333\r\n"
              "Count=-5\r\n");
}

TEST(KeyValueWriter, TrickyValuesRoundTrip) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {"tab", "a\tb"},
        {"quote", "\""},
        {"quotes", "say \"hi\""},
        {"backslash", "C:\\Program Files\\"},
        {"cr", "a\rb"},
        {"lf", "line1\nline2\n"},
        {"crlf", "\r\n"},
        {"outer", "  both ends  "},
        {"empty", ""},
        {"plain", "plain"},
        {"comment", ";not a comment"},
        {"equals", "=a=b="},
        {"bracket", "[x]"},
        {"literal", "\\n is not a newline"},
        {"utf8", "caf\xC3\xA9 \xE2\x82\xAC"},
        {"trailing", "a\\"},
        {"onlyblank", " "},
    };
    std::stringstream stream;
    KeyValueWriter writer(stream, "\n");
    writer.writeSection("S");
    for (const auto& [key, value] : values)
        writer.writeString(key, value);
    writer.writeSection("T");
    writer.writeString("last", "x y");

    KeyValueReader reader(stream);
    EXPECT_EQ(reader.readLine(), "");
    EXPECT_EQ(reader.sectionName(), "S");
    for (const auto& [key, value] : values) {
        EXPECT_EQ(reader.readLine(), key);
        EXPECT_EQ(reader.value(), value) << key;
    }
    EXPECT_EQ(reader.readLine(), "");
    EXPECT_EQ(reader.sectionName(), "T");
    EXPECT_EQ(reader.readLine(), "last");
    EXPECT_EQ(reader.value(), "x y");
    EXPECT_EQ(reader.readLine(), "");
    EXPECT_EQ(reader.status(), KeyValueReader::kGood);
}

} // namespace
