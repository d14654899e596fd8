#include "tools/testhost/ExportedSymbols.h"

#include "tools/testhost/PeImage.h"

#include <algorithm>
#include <set>

namespace {

bool fail(std::string& error, const char* reason) {
    error = reason;
    return false;
}

bool readElf(const ImageBytes& bytes, NameBudget& budget, std::vector<std::string>& symbols,
             std::string& error) {
    uint8_t fileClass = 0, encoding = 0;
    bytes.read<uint8_t>(4, fileClass);
    bytes.read<uint8_t>(5, encoding);
    if (fileClass != 2 || encoding != 1) return fail(error, "only 64-bit little-endian ELF files are read");
    uint64_t sectionOffset = 0;
    uint16_t sectionSize = 0, sectionCount = 0;
    if (!bytes.read(0x28, sectionOffset) || !bytes.read(0x3A, sectionSize) || !bytes.read(0x3C, sectionCount))
        return fail(error, "truncated ELF header");
    if (sectionSize < 64 || !bytes.has(sectionOffset, uint64_t{sectionSize} * sectionCount))
        return fail(error, "ELF section table outside the file");
    auto section = [&](uint32_t index) { return sectionOffset + uint64_t{index} * sectionSize; };
    for (uint32_t index = 0; index < sectionCount; ++index) {
        uint32_t type = 0;
        bytes.read(section(index) + 4, type);
        if (type != 11) // SHT_DYNSYM
            continue;
        uint64_t offset = 0, size = 0, entrySize = 0;
        uint32_t link = 0;
        bytes.read(section(index) + 0x18, offset);
        bytes.read(section(index) + 0x20, size);
        bytes.read(section(index) + 0x28, link);
        bytes.read(section(index) + 0x38, entrySize);
        if (entrySize < 24 || !bytes.has(offset, size) || link >= sectionCount)
            return fail(error, "ELF dynamic symbol table outside the file");
        uint64_t stringsOffset = 0, stringsSize = 0;
        bytes.read(section(link) + 0x18, stringsOffset);
        bytes.read(section(link) + 0x20, stringsSize);
        if (!bytes.has(stringsOffset, stringsSize)) return fail(error, "ELF symbol names outside the file");
        for (uint64_t entry = offset; entry + 24 <= offset + size; entry += entrySize) {
            uint32_t nameOffset = 0;
            uint8_t info = 0, other = 0;
            uint16_t sectionIndex = 0;
            bytes.read(entry, nameOffset);
            bytes.read(entry + 4, info);
            bytes.read(entry + 5, other);
            bytes.read(entry + 6, sectionIndex);
            uint8_t binding = info >> 4, visibility = other & 3;
            bool global = binding == 1 || binding == 2 || binding == 10; // global, weak, unique
            bool visible = visibility == 0 || visibility == 3;           // default, protected
            if (sectionIndex == 0 || !global || !visible || nameOffset == 0) continue;
            std::string name;
            if (!bytes.name(stringsOffset + nameOffset, stringsOffset + stringsSize, name))
                return fail(error, "ELF symbol name outside its table");
            if (!budget.take(name.size() + 1)) return fail(error, "too many symbol names");
            symbols.push_back(name);
        }
        return true;
    }
    return fail(error, "no dynamic symbol table");
}

bool readPe(const ImageBytes& bytes, NameBudget& budget, std::vector<std::string>& symbols,
            std::string& error) {
    PeImage image;
    uint32_t exportRva = 0, exportSize = 0;
    if (!image.open(bytes, error) || !image.directory(PeImage::kExports, exportRva, exportSize, error))
        return false;
    if (exportRva == 0) return true; // exports nothing
    uint64_t directory = 0;
    if (!image.offsetOf(exportRva, 40, directory)) return fail(error, "PE export directory outside the file");
    uint32_t ordinalBase = 0, functionCount = 0, nameCount = 0, functionsRva = 0, namesRva = 0,
             ordinalsRva = 0;
    bytes.read(directory + 16, ordinalBase);
    bytes.read(directory + 20, functionCount);
    bytes.read(directory + 24, nameCount);
    bytes.read(directory + 28, functionsRva);
    bytes.read(directory + 32, namesRva);
    bytes.read(directory + 36, ordinalsRva);
    uint64_t functions = 0, names = 0, ordinals = 0;
    if (functionCount && !image.offsetOf(functionsRva, uint64_t{functionCount} * 4, functions))
        return fail(error, "PE export addresses outside the file");
    if (nameCount && (!image.offsetOf(namesRva, uint64_t{nameCount} * 4, names) ||
                      !image.offsetOf(ordinalsRva, uint64_t{nameCount} * 2, ordinals)))
        return fail(error, "PE export names outside the file");
    std::set<uint32_t> named;
    for (uint32_t index = 0; index < nameCount; ++index) {
        uint32_t nameRva = 0;
        uint16_t ordinal = 0;
        bytes.read(names + uint64_t{index} * 4, nameRva);
        bytes.read(ordinals + uint64_t{index} * 2, ordinal);
        uint64_t nameOffset = 0;
        std::string name;
        if (!image.offsetOf(nameRva, 1, nameOffset) || !bytes.name(nameOffset, UINT64_MAX, name))
            return fail(error, "PE export name outside the file");
        if (!budget.take(name.size() + 1)) return fail(error, "too many export names");
        symbols.push_back(name);
        named.insert(ordinal);
    }
    for (uint32_t index = 0; index < functionCount; ++index) {
        uint32_t address = 0;
        bytes.read(functions + uint64_t{index} * 4, address);
        if (address == 0 || named.count(index)) continue;
        if (!budget.take(12)) return fail(error, "too many exports");
        symbols.push_back("#" + std::to_string(uint64_t{ordinalBase} + index));
    }
    return true;
}

} // namespace

bool readExportedSymbols(const std::vector<uint8_t>& file, std::vector<std::string>& symbols,
                         std::string& error) {
    symbols.clear();
    ImageBytes bytes(file);
    NameBudget budget(file.size());
    bool read = false;
    if (isElfFile(file))
        read = readElf(bytes, budget, symbols, error);
    else if (isPeFile(file))
        read = readPe(bytes, budget, symbols, error);
    else
        read = fail(error, "neither an ELF nor a PE file");
    if (!read) {
        symbols.clear();
        return false;
    }
    std::sort(symbols.begin(), symbols.end());
    return true;
}

bool readExportedSymbolsOfFile(const std::string& path, std::vector<std::string>& symbols,
                               std::string& error) {
    std::vector<uint8_t> file;
    if (!readModuleFile(path, file)) return fail(error, "cannot open the file");
    return readExportedSymbols(file, symbols, error);
}
