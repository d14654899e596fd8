#include "foundation/SetupBundle.h"

#include "foundation/Files.h"
#include "foundation/ModuleResources.h"
#include "foundation/StringUtils.h"
#include "foundation/tests/AllAtOnce.h"
#include "foundation/tests/TestFiles.h"
#include "tools/setupbundle/SetupBundleWriter.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <zlib.h>

namespace {

using setup_bundle::Member;
using Tree = std::map<std::string, std::string>; // relative path ('/') -> content; folders end in '/'

Member file(std::string name, std::string content) {
    return Member{std::move(name), false, std::move(content), {}};
}

Member folder(std::string name, std::vector<Member> members) {
    return Member{std::move(name), true, {}, std::move(members)};
}

std::string pack(const std::vector<Member>& topLevel) {
    std::string bundle;
    std::string error;
    EXPECT_TRUE(setup_bundle::writeSetupBundle(topLevel, bundle, error)) << error;
    return bundle;
}

bool extract(const std::string& bundle, std::string_view member, const std::string& target,
             bool overwrite = false) {
    std::istringstream in(bundle);
    SetupBundleReader reader(in, overwrite);
    return reader.readSetupBundleMember(member, target);
}

// Every file and folder below the folder, with the files' bytes.
Tree listTree(const std::string& root) {
    Tree tree;
    std::filesystem::path base = test::fsPath(root);
    std::error_code code;
    for (auto it = std::filesystem::recursive_directory_iterator(base, code);
         !code && it != std::filesystem::recursive_directory_iterator(); it.increment(code)) {
        std::u8string relative = std::filesystem::relative(it->path(), base).generic_u8string();
        std::string name(relative.begin(), relative.end());
        if (it->is_directory())
            tree[name + "/"] = "";
        else
            tree[name] = readFileToString(test::internalPath(it->path()));
    }
    return tree;
}

uint32_t u32At(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

void putU32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The offset of the record whose name is exactly name.
size_t recordOf(const std::string& bundle, const std::string& name) {
    size_t at = setup_bundle::headerSize;
    while (at + setup_bundle::recordSize <= bundle.size()) {
        auto length = static_cast<unsigned char>(bundle[at]);
        if (length == name.size() && bundle.compare(at + 1, length, name) == 0) return at;
        uint32_t size = u32At(bundle, at + setup_bundle::sizeOffset);
        // Step into folders, over files.
        at += setup_bundle::recordSize + (size == setup_bundle::folderMarker || length == 0
                                              ? 0
                                              : u32At(bundle, at + setup_bundle::contentLengthOffset));
    }
    ADD_FAILURE() << "no record " << name;
    return 0;
}

void rename(std::string& bundle, const std::string& from, const std::string& to, size_t length) {
    size_t at = recordOf(bundle, from);
    bundle[at] = static_cast<char>(length);
    bundle.replace(at + 1, setup_bundle::maxNameLength, std::string(setup_bundle::maxNameLength, '\0'));
    bundle.replace(at + 1, std::min(to.size(), setup_bundle::maxNameLength),
                   to.substr(0, setup_bundle::maxNameLength));
}

const Tree factoryPresets = {
    {"Basic/", ""},
    {"Basic/Deep/", ""},
    {"Basic/Deep/Nested/", ""},
    {"Basic/Deep/Nested/Echo.ztp", "Deep echo\r\nline two\n"},
    {"Basic/Init.ztp", "Init preset\n"},
    {"Basic/Pattern.bin",
     [] {
         std::string pattern;
         for (int i = 0; i < 70000; ++i)
             pattern += static_cast<char>((i * 7) % 251);
         return pattern;
     }()},
    {"Caf\xC3\xA9.txt", "caf\xC3\xA9\n"},
};

const Tree applicationData = {
    {"Empty.dat", ""},
    {"Settings.txt", "Welcome=1\n"},
};

TEST(SetupBundle, InstallExtractsTheModuleBundleExactly) {
    test::TemporaryFolder target("bundle");
    ASSERT_TRUE(installSetupDocs(target / "Presets", "FactoryPresets", false));
    EXPECT_EQ(listTree(target / "Presets"), factoryPresets);
    ASSERT_TRUE(installSetupDocs(target / "Data\\", "applicationdata", false)); // any case, trailing '\'
    EXPECT_EQ(listTree(target / "Data"), applicationData);
    EXPECT_FALSE(installSetupDocs(target / "Other", "ReadMe.txt", false)); // a top-level file is no member
    EXPECT_FALSE(installSetupDocs(target / "Other", "Missing", false));
    EXPECT_FALSE(folderExists(target / "Other"));
}

TEST(SetupBundle, OverwriteFlagDecidesAboutExistingFiles) {
    test::TemporaryFolder target("bundle");
    auto stream = loadResource("WindowsSetupDocs");
    std::string bundle = stream->str();
    ASSERT_TRUE(extract(bundle, "ApplicationData", target.path()));
    ASSERT_TRUE(test::writeWholeFile(target / "Settings.txt", "changed by the user"));
    std::filesystem::remove(test::fsPath(target / "Empty.dat"));

    EXPECT_TRUE(extract(bundle, "ApplicationData", target.path(), false));
    EXPECT_EQ(readFileToString(target / "Settings.txt"), "changed by the user");
    EXPECT_TRUE(fileExists(target / "Empty.dat")) << "a missing file comes back";

    EXPECT_TRUE(extract(bundle, "ApplicationData", target.path(), true));
    EXPECT_EQ(listTree(target.path()), applicationData);
}

// A first start in several hosts at once: extractions of one bundle into one
// new folder, some overwriting, all succeed and leave the tree exactly.
TEST(SetupBundle, ExtractionsIntoOneNewFolderAtOnce) {
    test::TemporaryFolder target("bundle");
    std::string bundle = loadResource("WindowsSetupDocs")->str();
    for (int round = 0; round < 10; ++round) {
        std::string folder = target / ("Round" + std::to_string(round) + "\\Zentor\\Presets");
        std::vector<bool> extracted = test::runOnThreadsAtOnce(
            8, [&](int i) { return extract(bundle, "FactoryPresets", folder, i % 4 == 0); });
        for (size_t i = 0; i < extracted.size(); ++i)
            EXPECT_TRUE(extracted[i]) << "round " << round << ", extraction " << i;
        EXPECT_EQ(listTree(folder), factoryPresets) << "round " << round;
    }
}

TEST(SetupBundle, BundleStartsWhereTheStreamStands) {
    test::TemporaryFolder target("bundle");
    std::istringstream in("junk" + pack({folder("Docs", {file("a.txt", "A")})}));
    in.seekg(4);
    SetupBundleReader reader(in, false);
    EXPECT_TRUE(reader.readSetupBundleMember("docs", target.path()));
    EXPECT_EQ(listTree(target.path()), (Tree{{"a.txt", "A"}}));
}

TEST(SetupBundle, MemberIsAFolderAndMatchesInAnyCase) {
    test::TemporaryFolder target("bundle");
    // A top-level file record "Docs" ahead of the folder "Docs".
    std::string bundle = pack({file("Docs", "a file"), folder("Docs2", {file("inside.txt", "in")})});
    rename(bundle, "Docs2", "Docs2", 4);
    EXPECT_TRUE(extract(bundle, "DOCS", target.path()));
    EXPECT_EQ(listTree(target.path()), (Tree{{"inside.txt", "in"}}));
}

TEST(SetupBundle, EmptyFilesAndFolders) {
    test::TemporaryFolder target("bundle");
    std::string bundle = pack({folder("Top", {file("empty", ""), folder("EmptyDir", {}), file("one", "1")})});
    EXPECT_TRUE(extract(bundle, "Top", target.path()));
    EXPECT_EQ(listTree(target.path()), (Tree{{"empty", ""}, {"EmptyDir/", ""}, {"one", "1"}}));
}

// Header: signature, u32 at 8 = size - 28, zeros to 53. Records: u8 name
// length, 63 bytes of name, u32 time 0, u32 content length, u32 size.
TEST(SetupBundleWriter, FieldsSitAtTheirOffsets) {
    std::string bundle = pack({folder("F", {file("a", "xyz")})});
    ASSERT_GE(bundle.size(), 53u + 4 * 76u);
    EXPECT_EQ(bundle.substr(0, 8), "FS/ISB/3");
    EXPECT_EQ(u32At(bundle, 8), bundle.size() - 28);
    EXPECT_EQ(bundle.substr(12, 41), std::string(41, '\0'));

    const size_t folderRecord = 53;
    EXPECT_EQ(bundle[folderRecord], 1);
    EXPECT_EQ(bundle.substr(folderRecord + 1, 63), "F" + std::string(62, '\0'));
    EXPECT_EQ(u32At(bundle, folderRecord + 64), 0u);
    EXPECT_EQ(u32At(bundle, folderRecord + 72), 0xFFFFFFFFu);

    const size_t fileRecord = folderRecord + 76;
    EXPECT_EQ(bundle[fileRecord], 1);
    EXPECT_EQ(bundle[fileRecord + 1], 'a');
    EXPECT_EQ(u32At(bundle, fileRecord + 64), 0u);
    uint32_t packed = u32At(bundle, fileRecord + 68);
    EXPECT_EQ(u32At(bundle, fileRecord + 72), 3u);
    char content[8] = {};
    uLongf contentSize = sizeof content;
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(content), &contentSize,
                         reinterpret_cast<const Bytef*>(bundle.data() + fileRecord + 76), packed),
              Z_OK);
    EXPECT_EQ(std::string(content, contentSize), "xyz");

    const size_t folderEnd = fileRecord + 76 + packed;
    const std::string endRecord = std::string(72, '\0') + std::string(4, '\xFF');
    EXPECT_EQ(bundle.substr(folderEnd, 76), endRecord);
    EXPECT_EQ(u32At(bundle, folderRecord + 68), folderEnd + 76 - (folderRecord + 76)); // end record counted
    EXPECT_EQ(bundle.substr(folderEnd + 76), endRecord);                               // the top level's end
}

TEST(SetupBundleWriter, SameTreeSameBytesInNameOrder) {
    std::string first = pack({folder("b", {file("Z", "1"), file("a", "2")}), file("A", "3")});
    std::string second = pack({file("A", "3"), folder("b", {file("a", "2"), file("Z", "1")})});
    EXPECT_EQ(first, second);
    EXPECT_LT(recordOf(first, "a"), recordOf(first, "Z"));
}

TEST(SetupBundleWriter, RefusesWhatTheReaderWouldRefuse) {
    std::vector<std::vector<Member>> refused = {
        {file("..", "x")},        {file(".", "x")},
        {folder("a/b", {})},      {file("a\\b", "x")},
        {file("c:x", "x")},       {file("tab\there", "x")},
        {file("trailing.", "x")}, {file("CON", "x")},
        {file("lpt1.txt", "x")},  {file(std::string(64, 'n'), "x")},
        {file("", "x")},          {file("Same", "1"), file("same", "2")},
    };
    Member deep = file("leaf", "x");
    for (int i = 0; i < setup_bundle::maxDepth; ++i)
        deep = folder("d", {deep});
    std::string deepest;
    std::string error;
    EXPECT_TRUE(setup_bundle::writeSetupBundle({deep}, deepest, error)) << "as deep as the reader follows";
    refused.push_back({folder("d", {deep})});
    for (const auto& members : refused) {
        std::string bundle;
        error.clear();
        EXPECT_FALSE(setup_bundle::writeSetupBundle(members, bundle, error)) << members[0].name;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(setup_bundle::isValidMemberName(std::string(63, 'n')));
    EXPECT_TRUE(setup_bundle::isValidMemberName("Caf\xC3\xA9 (v2).txt"));
}

TEST(SetupBundleReader, WrongSignatureOrShortHeader) {
    test::TemporaryFolder target("bundle");
    std::string bundle = pack({folder("Docs", {file("a", "A")})});
    std::string wrong = bundle;
    wrong[7] = '2';
    EXPECT_FALSE(extract(wrong, "Docs", target / "out"));
    EXPECT_FALSE(extract("", "Docs", target / "out"));
    EXPECT_FALSE(extract("FS/ISB/3", "Docs", target / "out"));
    EXPECT_FALSE(folderExists(target / "out"));
}

// Every truncation that cuts into the member, its end record included, fails.
TEST(SetupBundleReader, EveryTruncationFails) {
    test::TemporaryFolder target("bundle");
    std::string bundle =
        pack({file("A", "first"), folder("Docs", {file("a", "A"), folder("sub", {file("b", "B")})})});
    const size_t memberEnd = bundle.size() - setup_bundle::recordSize;
    for (size_t length = 0; length < bundle.size(); ++length) {
        std::string out = target / std::to_string(length);
        EXPECT_EQ(extract(bundle.substr(0, length), "Docs", out), length >= memberEnd) << length;
    }
}

TEST(SetupBundleReader, UnsafeNamesAreSkippedAndNothingLeavesTheTarget) {
    const std::string bad[] = {"..",  ".",      "a/b", "..\\up", "c:evil", std::string("x\x01y"),
                               "NUL", "dots..", "end "};
    for (const std::string& name : bad) {
        test::TemporaryFolder root("bundle");
        std::string target = root / "target";
        // A folder and a file under placeholder names, renamed in the bytes.
        std::string bundle = pack({folder(
            "Docs", {folder("zz", {file("escaped.txt", "E")}), file("yy", "F"), file("ok.txt", "sibling")})});
        rename(bundle, "zz", name, name.size());
        rename(bundle, "yy", name, name.size());
        EXPECT_FALSE(extract(bundle, "Docs", target)) << name;
        EXPECT_EQ(listTree(root.path()), (Tree{{"target/", ""}, {"target/ok.txt", "sibling"}})) << name;
    }
}

TEST(SetupBundleReader, NameLengthAboveTheFieldIsDamage) {
    test::TemporaryFolder target("bundle");
    for (size_t length : {64u, 200u, 255u}) {
        std::string bundle = pack({folder("Docs", {file("aa", "bad"), file("ok.txt", "sibling")})});
        rename(bundle, "aa", std::string(63, 'n'), length);
        std::string out = target / std::to_string(length);
        EXPECT_FALSE(extract(bundle, "Docs", out)) << length;
        EXPECT_EQ(listTree(out), (Tree{{"ok.txt", "sibling"}})) << length;
    }
}

TEST(SetupBundleReader, HugeSizesAreRefusedWithoutAllocating) {
    test::TemporaryFolder target("bundle");
    struct Case {
        uint32_t contentLength; // 0: keep
        uint32_t size;
    };
    const Case cases[] = {
        {0, 0xFFFFFFFEu},          // far above the size limit
        {0, 200u * 1024u * 1024u}, // more than the packed bytes can inflate to
        {0xFFFFFFF0u, 3},          // more packed bytes than are left
        {0, 2},                    // inflates to more than declared
        {0, 4},                    // inflates to less than declared
    };
    for (const Case& c : cases) {
        std::string bundle = pack({folder("Docs", {file("big", "xyz"), file("ok.txt", "sibling")})});
        size_t at = recordOf(bundle, "big");
        if (c.contentLength) putU32(bundle, at + setup_bundle::contentLengthOffset, c.contentLength);
        putU32(bundle, at + setup_bundle::sizeOffset, c.size);
        std::string out = target / std::to_string(c.size);
        EXPECT_FALSE(extract(bundle, "Docs", out)) << c.size;
        Tree tree = listTree(out);
        EXPECT_EQ(tree.count("big"), 0u) << c.size;
        if (!c.contentLength) {
            EXPECT_EQ(tree.count("ok.txt"), 1u) << c.size;
        }
    }
}

TEST(SetupBundleReader, CorruptMemberKeepsItsSiblingsAndTheOldFile) {
    test::TemporaryFolder target("bundle");
    std::string bundle = pack({folder(
        "Docs", {file("a.txt", "first"), file("b.txt", std::string(500, 'b')), file("c.txt", "third")})});
    size_t at = recordOf(bundle, "b.txt") + setup_bundle::recordSize;
    for (size_t i = 4; i < 12; ++i)
        bundle[at + i] = static_cast<char>(bundle[at + i] ^ 0x5A);
    ASSERT_TRUE(test::writeWholeFile(target / "b.txt", "the old content"));
    EXPECT_FALSE(extract(bundle, "Docs", target.path(), true));
    EXPECT_EQ(listTree(target.path()),
              (Tree{{"a.txt", "first"}, {"b.txt", "the old content"}, {"c.txt", "third"}}))
        << "no truncated file and no temporary left behind";
}

TEST(SetupBundleReader, ChildReachingPastItsFolderIsDamage) {
    test::TemporaryFolder target("bundle");
    std::string bundle = pack({folder("Docs", {folder("inner", {file("a", "A")}), file("z", "Z")})});
    size_t inner = recordOf(bundle, "inner");
    putU32(bundle, inner + setup_bundle::contentLengthOffset, 10); // shorter than its records
    EXPECT_FALSE(extract(bundle, "Docs", target.path()));
}

TEST(SetupBundleReader, NestingIsBounded) {
    test::TemporaryFolder target("bundle");
    // 40 folders "d" inside each other, built by hand (the writer refuses).
    auto record = [](const std::string& name, uint32_t length, uint32_t size) {
        std::string bytes(setup_bundle::recordSize, '\0');
        bytes[0] = static_cast<char>(name.size());
        bytes.replace(1, name.size(), name);
        putU32(bytes, setup_bundle::contentLengthOffset, length);
        putU32(bytes, setup_bundle::sizeOffset, size);
        return bytes;
    };
    std::string end = record("", 0, setup_bundle::folderMarker);
    std::string inner = end;
    for (int i = 0; i < 40; ++i)
        inner = record("d", static_cast<uint32_t>(inner.size()), setup_bundle::folderMarker) + inner + end;
    std::string bundle = std::string("FS/ISB/3") + std::string(45, '\0') + inner;
    putU32(bundle, 8, static_cast<uint32_t>(bundle.size() - 28));
    EXPECT_FALSE(extract(bundle, "d", target.path()));
    std::string deepest = target.path();
    for (int i = 1; i < setup_bundle::maxDepth; ++i)
        deepest += "\\d";
    EXPECT_TRUE(folderExists(deepest));
    EXPECT_FALSE(folderExists(deepest + "\\d"));
}

} // namespace
