#include "foundation/SettingSerializer.h"
#include "foundation/Registry.h"
#include "foundation/StringUtils.h"

#include "foundation/tests/AllAtOnce.h"
#include "foundation/tests/RegistryFixture.h"
#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>
#include <map>
#include <thread>

namespace {

// A serializer over a map of texts: only the base class's text paths.
class MapSerializer : public SettingSerializer {
public:
    explicit MapSerializer(bool writing) : writing_(writing) {}
    bool isWriting() const override { return writing_; }
    void serializeBinary(const std::string&, std::vector<uint8_t>& bytes) override { bytes.clear(); }
    std::string serializeString(const std::string& name, const std::string& value,
                                const std::string& defaultValue) override {
        if (writing_) return values[name] = value;
        auto found = values.find(name);
        return found == values.end() ? defaultValue : found->second;
    }
    std::map<std::string, std::string> values;

private:
    bool writing_;
};

TEST(SettingSerializer, TextPathsGiveTheDefaultForAnyThingButOneNumber) {
    MapSerializer reader(false);
    reader.values = {{"int", "42"},     {"neg", "-7"},       {"intx", "12x"},  {"intfrac", "1.5"},
                     {"double", "2.5"}, {"doublex", "1.5x"}, {"blank", " 3"},  {"true", "1"},
                     {"false", "0"},    {"seven", "7"},      {"comma", "1,5"}, {"empty", ""}};
    EXPECT_EQ(reader.serializeInt("int", 0, -1), 42);
    EXPECT_EQ(reader.serializeInt("neg", 0, -1), -7);
    EXPECT_EQ(reader.serializeInt("intx", 0, -1), -1);
    EXPECT_EQ(reader.serializeInt("intfrac", 0, -1), -1);
    EXPECT_EQ(reader.serializeInt("missing", 0, -1), -1);
    EXPECT_EQ(reader.serializeInt("empty", 0, -1), -1);
    EXPECT_EQ(reader.serializeDouble("double", 0, -1), 2.5);
    EXPECT_EQ(reader.serializeDouble("int", 0, -1), 42.0);
    EXPECT_EQ(reader.serializeDouble("doublex", 0, -1), -1.0);
    EXPECT_EQ(reader.serializeDouble("blank", 0, -1), -1.0);
    EXPECT_EQ(reader.serializeDouble("comma", 0, -1), -1.0);
    EXPECT_EQ(reader.serializeDouble("missing", 0, 0.25), 0.25);
    EXPECT_TRUE(reader.serializeBool("true", false, false));
    EXPECT_FALSE(reader.serializeBool("false", true, true));
    EXPECT_TRUE(reader.serializeBool("seven", false, false));
    EXPECT_TRUE(reader.serializeBool("missing", false, true));

    MapSerializer writer(true);
    EXPECT_EQ(writer.serializeDouble("d", 0.1, 0), 0.1);
    EXPECT_EQ(writer.serializeDouble("third", 1.0 / 3, 0), 0.333333333333333);
    EXPECT_EQ(writer.serializeInt("i", -12, 0), -12);
    EXPECT_TRUE(writer.serializeBool("b", true, false));
    EXPECT_EQ(writer.values, (std::map<std::string, std::string>{
                                 {"d", "0.1"}, {"third", "0.333333333333333"}, {"i", "-12"}, {"b", "1"}}));
}

using test::RegistryTest;

TEST_F(RegistryTest, WriterAndReaderRoundTrip) {
    RegistryWriter writer(RegistryRoot::kCurrentUser, key_);
    EXPECT_TRUE(writer.isWriting());
    EXPECT_EQ(writer.serializeInt("Int", -5, 0), -5);
    EXPECT_TRUE(writer.serializeBool("On", true, false));
    EXPECT_FALSE(writer.serializeBool("Off", false, true));
    EXPECT_EQ(writer.serializeDouble("Third", 1.0 / 3, 0), 0.333333333333333);
    writer.serializeDouble("Tiny", 1e-300, 0);
    writer.serializeDouble("Big", -2.5e10, 0);
    EXPECT_EQ(writer.serializeString("Text",
                                     "Gr\xC3\xBC\xC3\x9F"
                                     "e \xE2\x82\xAC \xF0\x9F\x8E\xB5",
                                     ""),
              "Gr\xC3\xBC\xC3\x9F"
              "e \xE2\x82\xAC \xF0\x9F\x8E\xB5");
    writer.serializeString("Empty", "", "x");
    writer.serializeString("Tricky", " \"a\" = [b] ;c\\ \r\n", "");
    std::vector<uint8_t> blob{0, 1, 255, '\n'};
    writer.serializeBinary("Blob", blob);
    std::vector<uint8_t> none;
    writer.serializeBinary("NoBytes", none);

    RegistryReader reader(RegistryRoot::kCurrentUser, key_);
    EXPECT_FALSE(reader.isWriting());
    EXPECT_EQ(reader.serializeInt("Int", 0, 1), -5);
    EXPECT_TRUE(reader.serializeBool("On", false, false));
    EXPECT_FALSE(reader.serializeBool("Off", true, true));
    EXPECT_EQ(reader.serializeDouble("Third", 0, 1), 0.333333333333333);
    EXPECT_EQ(reader.serializeDouble("Tiny", 0, 1), 1e-300);
    EXPECT_EQ(reader.serializeDouble("Big", 0, 1), -2.5e10);
    EXPECT_EQ(reader.readString("Text"), "Gr\xC3\xBC\xC3\x9F"
                                         "e \xE2\x82\xAC \xF0\x9F\x8E\xB5");
    EXPECT_EQ(reader.serializeString("Empty", "cur", "def"), "");
    EXPECT_EQ(reader.readString("Tricky"), " \"a\" = [b] ;c\\ \r\n");
    std::vector<uint8_t> bytes{9, 9};
    reader.serializeBinary("Blob", bytes);
    EXPECT_EQ(bytes, blob);
    bytes = {9};
    reader.serializeBinary("NoBytes", bytes);
    EXPECT_TRUE(bytes.empty());
}

TEST_F(RegistryTest, BoolsAreDwordsAndAnyNonZeroDwordIsTrue) {
    RegistryWriter writer(RegistryRoot::kCurrentUser, key_);
    writer.serializeBool("Flag", true, false);
    uint32_t stored = 0;
    ASSERT_TRUE(readRegistryDword(RegistryRoot::kCurrentUser, key_, "Flag", stored));
    EXPECT_EQ(stored, 1u);
    writer.serializeBool("Flag", false, true);
    ASSERT_TRUE(readRegistryDword(RegistryRoot::kCurrentUser, key_, "Flag", stored));
    EXPECT_EQ(stored, 0u);
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, key_, "Flag", 7));
    EXPECT_TRUE(RegistryReader(RegistryRoot::kCurrentUser, key_).serializeBool("Flag", false, false));
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, key_, "Big", 0xFFFFFFFFu));
    EXPECT_EQ(RegistryReader(RegistryRoot::kCurrentUser, key_).serializeInt("Big", 0, 0), -1);
}

TEST_F(RegistryTest, AnotherTypeOrNoValueReadsAsTheDefault) {
    ASSERT_TRUE(writeRegistryString(RegistryRoot::kCurrentUser, key_, "IntAsText", "12"));
    ASSERT_TRUE(writeRegistryString(RegistryRoot::kCurrentUser, key_, "Partial", "1.5x"));
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, key_, "Number", 3));
    ASSERT_TRUE(writeRegistryBinary(RegistryRoot::kCurrentUser, key_, "Bytes", {1, 2}));
    RegistryReader reader(RegistryRoot::kCurrentUser, key_);
    EXPECT_EQ(reader.serializeInt("IntAsText", 0, -1), -1);      // only a DWORD counts
    EXPECT_EQ(reader.serializeDouble("Partial", 0, -1.0), -1.0); // not a complete number
    EXPECT_EQ(reader.serializeDouble("IntAsText", 0, -1.0), 12.0);
    EXPECT_EQ(reader.serializeString("Number", "cur", "def"), "def");
    EXPECT_EQ(reader.serializeDouble("Number", 0, -1.0), -1.0);
    EXPECT_EQ(reader.serializeString("Bytes", "cur", "def"), "def");
    EXPECT_EQ(reader.serializeInt("Bytes", 0, -1), -1);
    std::vector<uint8_t> bytes{5};
    reader.serializeBinary("Number", bytes);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(reader.serializeInt("Missing", 0, 17), 17);
    EXPECT_EQ(reader.readString("Missing"), "");
    RegistryReader noKey(RegistryRoot::kCurrentUser, key_ + "\\Absent");
    EXPECT_EQ(noKey.serializeString("IntAsText", "", "def"), "def");
    EXPECT_FALSE(noKey.serializeBool("Number", false, false));
}

TEST_F(RegistryTest, KeysAndNamesMatchInAnyCase) {
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, key_, "GraphicsAcceleration", 1));
    RegistryReader reader(RegistryRoot::kCurrentUser, toUpperAscii(key_));
    EXPECT_EQ(reader.serializeInt("graphicsacceleration", 0, -1), 1);
    RegistryWriter(RegistryRoot::kCurrentUser, toLowerAscii(key_)).serializeInt("GRAPHICSACCELERATION", 2, 0);
    EXPECT_EQ(RegistryReader(RegistryRoot::kCurrentUser, key_).serializeInt("GraphicsAcceleration", 0, -1),
              2);
}

TEST_F(RegistryTest, HelpFileNameFromTheMachineRoot) {
    RegistryWriter(RegistryRoot::kLocalMachine, key_)
        .serializeString("HelpFileName", "C:\\Help\\Varnel.pdf", "");
    EXPECT_EQ(RegistryReader(RegistryRoot::kLocalMachine, key_).readString("HelpFileName"),
              "C:\\Help\\Varnel.pdf");
    EXPECT_EQ(RegistryReader(RegistryRoot::kCurrentUser, key_).readString("HelpFileName"), "");
    readStartupRegistrySettings(key_);
    EXPECT_EQ(getHelpFileName(), "C:\\Help\\Varnel.pdf");
    readStartupRegistrySettings(key_ + "\\Absent");
    EXPECT_EQ(getHelpFileName(), "");
}

TEST_F(RegistryTest, FailedWriteIsSilentAndReturnsTheValue) {
    // The stand-in cannot make its folder below a file; the Windows registry
    // refuses a key name above 255 characters.
    ASSERT_TRUE(test::writeWholeFile(folder_ / "blocker", "x"));
    setAppData(folder_ / "blocker");
    std::string badKey = key_ + "\\" + std::string(300, 'k');
    RegistryWriter writer(RegistryRoot::kCurrentUser, badKey);
    EXPECT_EQ(writer.serializeInt("Int", 5, 0), 5);
    EXPECT_EQ(writer.serializeString("Text", "kept", ""), "kept");
    EXPECT_EQ(writer.serializeDouble("Double", 0.5, 0), 0.5);
    EXPECT_EQ(RegistryReader(RegistryRoot::kCurrentUser, badKey).serializeInt("Int", 0, -1), -1);
}

TEST_F(RegistryTest, WritesFromTwoThreadsAllLand) {
    auto writeMany = [this](const std::string& prefix) {
        for (int i = 0; i < 25; ++i)
            writeRegistryDword(RegistryRoot::kCurrentUser, key_, prefix + std::to_string(i),
                               static_cast<uint32_t>(i));
    };
    std::thread first(writeMany, "A");
    std::thread second(writeMany, "B");
    first.join();
    second.join();
    RegistryReader reader(RegistryRoot::kCurrentUser, key_);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(reader.serializeInt("A" + std::to_string(i), 0, -1), i);
        EXPECT_EQ(reader.serializeInt("B" + std::to_string(i), 0, -1), i);
    }
}

// A first start in several hosts at once: writers into one fresh settings
// store (on the stand-in, in folders that do not exist yet) all succeed, and
// every value is there afterwards.
TEST_F(RegistryTest, FreshStoreWrittenByManyThreadsAtOnce) {
    constexpr int kThreads = 8;
    for (int round = 0; round < 5; ++round) {
        setAppData(folder_ / ("Round" + std::to_string(round) + "\\Fresh\\Config"));
        std::string key = key_ + "\\Round" + std::to_string(round);
        std::vector<bool> written = test::runOnThreadsAtOnce(kThreads, [&](int i) {
            return writeRegistryDword(RegistryRoot::kCurrentUser, key, "Value" + std::to_string(i),
                                      static_cast<uint32_t>(100 + i));
        });
        RegistryReader reader(RegistryRoot::kCurrentUser, key);
        for (int i = 0; i < kThreads; ++i) {
            EXPECT_TRUE(written[static_cast<size_t>(i)]) << "round " << round << ", writer " << i;
            EXPECT_EQ(reader.serializeInt("Value" + std::to_string(i), 0, -1), 100 + i) << "round " << round;
        }
    }
}

} // namespace
