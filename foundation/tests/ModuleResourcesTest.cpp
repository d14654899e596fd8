#include "foundation/ModuleResources.h"

#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

// foundation/tests/resources/Gentle.fil: bytes 0..255 three times, then "\0tail\xff".
std::string gentleBytes() {
    std::string bytes;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 256; ++i)
            bytes += static_cast<char>(i);
    bytes += std::string("\0tail\xff", 6);
    return bytes;
}

TEST(Resources, FoundInAnyCaseAndWithAnyExtension) {
    for (const char* name : {"Gentle.fil", "Gentle", "gentle", "GENTLE.xyz", "gEnTlE.fil.fil"}) {
        SCOPED_TRACE(name);
        if (std::string(name) == "gEnTlE.fil.fil") {
            // Only the last extension is removed: "gEnTlE.fil" is no resource name.
            EXPECT_FALSE(resourceExists(name));
            continue;
        }
        EXPECT_TRUE(resourceExists(name));
        auto stream = loadResource(name);
        ASSERT_TRUE(stream);
        std::string content(std::istreambuf_iterator<char>(*stream), {});
        EXPECT_EQ(content, gentleBytes());
    }
}

TEST(Resources, BytesAreExactForEveryFile) {
    std::optional<std::string_view> knob = findResource("knob_2X.PNG");
    ASSERT_TRUE(knob);
    EXPECT_EQ(*knob, std::string_view("not really a png\r\n\x1a"));

    std::optional<std::string_view> empty = findResource("Empty");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    auto stream = loadResource("empty.txt");
    EXPECT_EQ(stream->get(), std::char_traits<char>::eof());
}

// "Knob_2x" and "KnobSync" sort one way when "_" is compared as upper case
// and the other way as lower case; both must be found whichever order the
// resource compiler wrote and the loader expects.
TEST(Resources, NamesWithAnUnderscoreAndTheirLetterNeighboursAreAllFound) {
    std::optional<std::string_view> knob = findResource("Knob_2x.png");
    std::optional<std::string_view> sync = findResource("KnobSync.png");
    ASSERT_TRUE(knob);
    ASSERT_TRUE(sync);
    EXPECT_EQ(*sync, "sync");
}

TEST(Resources, MissingNamesAreReportedNotInvented) {
    for (const char* name : {"Missing", "Gentl", "Gentlee", "", ".fil", "Knob"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(resourceExists(name));
        EXPECT_FALSE(findResource(name));
        try {
            loadResource(name);
            ADD_FAILURE() << "no exception";
        } catch (const EResource& e) {
            EXPECT_STREQ(e.what(), "Resource not found");
        }
    }
}

std::vector<std::string> observedNames;
void observeName(std::string_view name) {
    observedNames.emplace_back(name);
}

TEST(Resources, TheLookupObserverHearsEveryNameAskedForUntilRemoved) {
    observedNames.clear();
    setResourceLookupObserver(&observeName);
    EXPECT_TRUE(resourceExists("Gentle.fil"));
    EXPECT_FALSE(findResource("Missing.png"));
    EXPECT_THROW(loadResource("Absent"), EResource);
    setResourceLookupObserver(nullptr);
    EXPECT_TRUE(resourceExists("Gentle"));
    EXPECT_EQ(observedNames, (std::vector<std::string>{"Gentle.fil", "Missing.png", "Absent"}));
}

TEST(ModuleResources, VersionStringsOfTheOwnModule) {
    struct Case {
        VersionField field;
        const char* value;
    };
    const Case cases[] = {
        {VersionField::kCompanyName, "Zentor"}, {VersionField::kFileDescription, "Varnel 2 stereo delay"},
        {VersionField::kFileVersion, "2.00"},   {VersionField::kLegalCopyright, "Copyright (C) 2026 Zentor"},
        {VersionField::kProductName, "Varnel"}, {VersionField::kProductVersion, "2.00"},
        {VersionField::kComments, ""}, // not defined
    };
    for (const Case& c : cases) {
        EXPECT_EQ(getVersionInfoString(c.field), c.value) << versionFieldName(c.field);
        EXPECT_EQ(getVersionInfoString(c.field, getLibraryModulePath()), c.value)
            << versionFieldName(c.field);
    }
    test::TemporaryFolder temp("version");
    std::string plain = temp / "plain.dll";
    ASSERT_TRUE(test::writeWholeFile(plain, "no version here"));
    EXPECT_EQ(getVersionInfoString(VersionField::kProductVersion, plain), "");
    EXPECT_EQ(getVersionInfoString(VersionField::kProductVersion, temp / "missing.dll"), "");
}

TEST(ModuleResources, ModuleHookKeepsTheMainModuleWhenNothingMatches) {
    std::string own = getLibraryModulePath();
    ASSERT_FALSE(own.empty());
    EXPECT_FALSE(recordLibraryModule(own + ".missing"));
    EXPECT_EQ(getLibraryModulePath(), own);
    EXPECT_TRUE(recordLibraryModule(own));
    EXPECT_EQ(getLibraryModulePath(), own);
    EXPECT_TRUE(resourceExists("Gentle"));
}

} // namespace
