#include "tools/testhost/ImportedModules.h"

#include <gtest/gtest.h>

#include <random>

namespace {

void put16(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A minimal 64-bit PE image with one section (file offset 0x200, address 0x1000) that holds an import
// directory naming `imports` and a delay-load directory naming `delayed`.
std::vector<uint8_t> peImage(const std::vector<std::string>& imports,
                             const std::vector<std::string>& delayed) {
    constexpr size_t kPe = 0x40, kOptional = kPe + 24, kDirectories = kOptional + 112,
                     kSections = kOptional + 240;
    constexpr size_t kRaw = 0x200, kSize = 0x400;
    constexpr uint32_t kAddress = 0x1000;
    std::vector<uint8_t> file(kRaw + kSize, 0);
    file[0] = 'M', file[1] = 'Z';
    put32(file, 0x3C, kPe);
    put32(file, kPe, 0x00004550);
    put16(file, kPe + 4, 0x8664); // x64
    put16(file, kPe + 6, 1);      // one section
    put16(file, kPe + 20, 240);   // optional header size
    put16(file, kOptional, 0x20B);
    put32(file, kDirectories - 4, 16);
    put32(file, kSections + 8, kSize);
    put32(file, kSections + 12, kAddress);
    put32(file, kSections + 16, kSize);
    put32(file, kSections + 20, kRaw);
    size_t names = 0x200; // within the section
    auto name = [&](const std::string& text) {
        std::copy(text.begin(), text.end(), file.begin() + kRaw + names);
        uint32_t rva = kAddress + static_cast<uint32_t>(names);
        names += text.size() + 1;
        return rva;
    };
    put32(file, kDirectories + 8, kAddress); // imports: 20-byte descriptors, name at 12, ended by zeros
    for (size_t i = 0; i < imports.size(); ++i)
        put32(file, kRaw + i * 20 + 12, name(imports[i]));
    if (!delayed.empty()) {
        const uint32_t delay = 0x100; // 32-byte descriptors, name at 4
        put32(file, kDirectories + 13 * 8, kAddress + delay);
        for (size_t i = 0; i < delayed.size(); ++i) {
            put32(file, kRaw + delay + i * 32, 1);
            put32(file, kRaw + delay + i * 32 + 4, name(delayed[i]));
        }
    }
    return file;
}

TEST(ImportedModules, ReadsBothDirectoriesAndJudgesEachName) {
    std::vector<std::string> modules;
    std::string error;
    ASSERT_TRUE(readImportedModules(peImage({"KERNEL32.dll", "zlib1.dll", "kernel32.DLL"}, {"USER32.dll"}),
                                    modules, error))
        << error;
    EXPECT_EQ(modules, (std::vector<std::string>{"kernel32.dll", "user32.dll", "zlib1.dll"}));
    ASSERT_TRUE(readImportedModules(peImage({}, {}), modules, error)) << error;
    EXPECT_TRUE(modules.empty());

    struct Case {
        const char* name;
        bool system;
    };
    for (const Case& c :
         {Case{"KERNEL32.dll", true}, Case{"msvcrt.dll", true}, Case{"ucrtbase.dll", true},
          Case{"OPENGL32.dll", true}, Case{"api-ms-win-crt-runtime-l1-1-0.dll", true},
          Case{"zlib1.dll", false}, Case{"libwinpthread-1.dll", false}, Case{"libstdc++-6.dll", false},
          Case{"libgcc_s_seh-1.dll", false}, Case{"api-ms-win-", false}, Case{"kernel32", false}})
        EXPECT_EQ(isWindowsSystemModule(c.name), c.system) << c.name;
}

TEST(ImportedModules, TruncatedAndHostileFilesFailWithoutCrashing) {
    const std::vector<uint8_t> image = peImage({"KERNEL32.dll", "USER32.dll"}, {"GDI32.dll"});
    std::vector<std::string> modules;
    std::string error;
    const size_t namesEnd = 0x400 + sizeof("KERNEL32.dll") + sizeof("USER32.dll") + sizeof("GDI32.dll");
    for (size_t size = 0; size < namesEnd; ++size) { // every cut before the last name's end
        std::vector<uint8_t> cut(image.begin(), image.begin() + size);
        error.clear();
        EXPECT_FALSE(readImportedModules(cut, modules, error)) << size;
        EXPECT_FALSE(error.empty()) << size;
        EXPECT_TRUE(modules.empty()) << size;
    }

    std::vector<uint8_t> outside = image;
    put32(outside, 0x200 + 12, 0x7FFFFFF0); // the first name far outside the section
    EXPECT_FALSE(readImportedModules(outside, modules, error));
    EXPECT_EQ(error, "PE import name outside the file");
    std::vector<uint8_t> unended = image;
    for (size_t offset = 0x200; offset < 0x400; ++offset)
        unended[offset] = 0x41; // descriptors and names without an end
    EXPECT_FALSE(readImportedModules(unended, modules, error));
    EXPECT_FALSE(readImportedModules(std::vector<uint8_t>{0x7F, 'E', 'L', 'F'}, modules, error));
    EXPECT_EQ(error, "not a PE file");

    std::mt19937 random(2026);
    for (int round = 0; round < 500; ++round) {
        std::vector<uint8_t> damaged = image;
        for (int i = 0; i < 6; ++i)
            damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
        readImportedModules(damaged, modules, error); // any verdict, no crash
    }
}

} // namespace
