#include "tools/testhost/ExportedSymbols.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace {

std::vector<uint8_t> fixtureModule() {
    std::ifstream in(VARNEL_GAIN_FIXTURE_MODULE, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(ExportedSymbols, TheFixtureModuleExportsOnlyClapEntry) {
    std::vector<std::string> symbols;
    std::string error;
    ASSERT_TRUE(readExportedSymbolsOfFile(VARNEL_GAIN_FIXTURE_MODULE, symbols, error)) << error;
    EXPECT_EQ(symbols, std::vector<std::string>{"clap_entry"});
}

TEST(ExportedSymbols, TruncatedAndHostileFilesFailWithoutCrashing) {
    const std::vector<uint8_t> module = fixtureModule();
    ASSERT_GT(module.size(), 1024u);
    std::vector<std::string> symbols;
    std::string error;

    // Every cut through the headers; the shortest cannot hold a symbol table.
    for (size_t size = 0; size < 1024; ++size) {
        std::vector<uint8_t> cut(module.begin(), module.begin() + size);
        readExportedSymbols(cut, symbols, error); // must not crash; may fail
    }
    for (size_t size : {size_t{0}, size_t{1}, size_t{3}, size_t{64}}) {
        std::vector<uint8_t> cut(module.begin(), module.begin() + size);
        error.clear();
        EXPECT_FALSE(readExportedSymbols(cut, symbols, error)) << size;
        EXPECT_FALSE(error.empty()) << size;
        EXPECT_TRUE(symbols.empty()) << size;
    }

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"text", std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}});
    std::vector<uint8_t> pe(256, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    put32(pe, 0x3C, 0xFFFFFFF0u); // PE header far outside
    cases.push_back({"PE offset outside", pe});
    put32(pe, 0x3C, 0x80);
    put32(pe, 0x80, 0x00004550u);
    cases.push_back({"PE header cut", pe});
    std::vector<uint8_t> elf(64, 0);
    elf[0] = 0x7F, elf[1] = 'E', elf[2] = 'L', elf[3] = 'F', elf[4] = 2, elf[5] = 1;
    elf[0x3A] = 64;
    elf[0x3C] = 0xFF, elf[0x3D] = 0xFF; // 65535 sections that are not there
    cases.push_back({"ELF sections outside", elf});
    elf[4] = 1;
    cases.push_back({"32-bit ELF", elf});
    std::mt19937 random(12345);
    std::vector<uint8_t> noise(4096);
    for (auto& byte : noise)
        byte = static_cast<uint8_t>(random());
    noise[0] = 'M', noise[1] = 'Z';
    cases.push_back({"PE noise", noise});
    noise[0] = 0x7F, noise[1] = 'E', noise[2] = 'L', noise[3] = 'F', noise[4] = 2, noise[5] = 1;
    cases.push_back({"ELF noise", noise});
    for (const Case& c : cases) {
        error.clear();
        EXPECT_FALSE(readExportedSymbols(c.bytes, symbols, error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }

    // Random damage inside the real module: any verdict, no crash.
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> damaged = module;
        for (int i = 0; i < 8; ++i)
            damaged[random() % std::min<size_t>(damaged.size(), 4096)] = static_cast<uint8_t>(random());
        readExportedSymbols(damaged, symbols, error);
    }
}

} // namespace
