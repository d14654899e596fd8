#include "tools/testhost/ExportedSymbols.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace {

constexpr size_t kMaxName = 4096;

class Bytes {
public:
    explicit Bytes(const std::vector<uint8_t>& data) : data_(data) {}

    bool has(uint64_t offset, uint64_t size) const {
        return offset <= data_.size() && size <= data_.size() - offset;
    }

    template <class T> bool read(uint64_t offset, T& value) const {
        if (!has(offset, sizeof(T))) return false;
        value = 0;
        for (size_t i = 0; i < sizeof(T); ++i) // little-endian
            value = static_cast<T>(value | static_cast<T>(static_cast<T>(data_[offset + i]) << (8 * i)));
        return true;
    }

    // A zero-terminated name of 1 to kMaxName bytes that lies inside [offset, limit).
    bool name(uint64_t offset, uint64_t limit, std::string& text) const {
        limit = std::min<uint64_t>(limit, data_.size());
        if (offset >= limit) return false;
        uint64_t end = std::min<uint64_t>(limit, offset + kMaxName + 1);
        const auto* begin = data_.data() + offset;
        const void* zero = std::memchr(begin, 0, end - offset);
        if (!zero || zero == begin) return false;
        text.assign(reinterpret_cast<const char*>(begin), static_cast<const uint8_t*>(zero) - begin);
        return true;
    }

private:
    const std::vector<uint8_t>& data_;
};

// Names may share their bytes; what is copied out stays within this budget.
class NameBudget {
public:
    explicit NameBudget(size_t fileSize) : left_(std::max<size_t>(fileSize, 1 << 16)) {}
    bool take(size_t size) {
        if (size > left_) return false;
        left_ -= size;
        return true;
    }

private:
    size_t left_;
};

bool fail(std::string& error, const char* reason) {
    error = reason;
    return false;
}

bool readElf(const Bytes& bytes, NameBudget& budget, std::vector<std::string>& symbols, std::string& error) {
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

bool readPe(const Bytes& bytes, NameBudget& budget, std::vector<std::string>& symbols, std::string& error) {
    uint32_t peOffset = 0, signature = 0;
    if (!bytes.read(0x3C, peOffset) || !bytes.read(peOffset, signature) || signature != 0x00004550)
        return fail(error, "no PE signature");
    uint16_t sectionCount = 0, optionalSize = 0, magic = 0;
    uint64_t coff = uint64_t{peOffset} + 4;
    if (!bytes.read(coff + 2, sectionCount) || !bytes.read(coff + 16, optionalSize))
        return fail(error, "truncated PE header");
    uint64_t optional = coff + 20;
    if (!bytes.read(optional, magic) || (magic != 0x20B && magic != 0x10B))
        return fail(error, "unknown PE optional header");
    uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
    uint32_t directoryCount = 0, exportRva = 0, exportSize = 0;
    if (!bytes.read(directories - 4, directoryCount) || directories + 8 > optional + optionalSize)
        return fail(error, "truncated PE data directories");
    if (directoryCount == 0 || !bytes.read(directories, exportRva) ||
        !bytes.read(directories + 4, exportSize))
        return fail(error, "truncated PE data directories");
    if (exportRva == 0) return true; // exports nothing
    uint64_t sections = optional + optionalSize;
    if (!bytes.has(sections, uint64_t{sectionCount} * 40))
        return fail(error, "PE section table outside the file");
    // A relative virtual address to a file offset with at least `size` bytes in its section.
    auto offsetOf = [&](uint32_t rva, uint64_t size, uint64_t& offset) {
        for (uint32_t index = 0; index < sectionCount; ++index) {
            uint32_t virtualSize = 0, address = 0, rawSize = 0, rawOffset = 0;
            uint64_t header = sections + uint64_t{index} * 40;
            bytes.read(header + 8, virtualSize);
            bytes.read(header + 12, address);
            bytes.read(header + 16, rawSize);
            bytes.read(header + 20, rawOffset);
            if (rva < address || rva - address >= rawSize) continue;
            uint64_t inSection = rva - address;
            if (size > rawSize - inSection || !bytes.has(uint64_t{rawOffset} + inSection, size)) return false;
            offset = uint64_t{rawOffset} + inSection;
            return true;
        }
        return false;
    };
    uint64_t directory = 0;
    if (!offsetOf(exportRva, 40, directory)) return fail(error, "PE export directory outside the file");
    uint32_t ordinalBase = 0, functionCount = 0, nameCount = 0, functionsRva = 0, namesRva = 0,
             ordinalsRva = 0;
    bytes.read(directory + 16, ordinalBase);
    bytes.read(directory + 20, functionCount);
    bytes.read(directory + 24, nameCount);
    bytes.read(directory + 28, functionsRva);
    bytes.read(directory + 32, namesRva);
    bytes.read(directory + 36, ordinalsRva);
    uint64_t functions = 0, names = 0, ordinals = 0;
    if (functionCount && !offsetOf(functionsRva, uint64_t{functionCount} * 4, functions))
        return fail(error, "PE export addresses outside the file");
    if (nameCount && (!offsetOf(namesRva, uint64_t{nameCount} * 4, names) ||
                      !offsetOf(ordinalsRva, uint64_t{nameCount} * 2, ordinals)))
        return fail(error, "PE export names outside the file");
    std::set<uint32_t> named;
    for (uint32_t index = 0; index < nameCount; ++index) {
        uint32_t nameRva = 0;
        uint16_t ordinal = 0;
        bytes.read(names + uint64_t{index} * 4, nameRva);
        bytes.read(ordinals + uint64_t{index} * 2, ordinal);
        uint64_t nameOffset = 0;
        std::string name;
        if (!offsetOf(nameRva, 1, nameOffset) || !bytes.name(nameOffset, UINT64_MAX, name))
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
    Bytes bytes(file);
    NameBudget budget(file.size());
    bool read = false;
    if (file.size() >= 4 && file[0] == 0x7F && file[1] == 'E' && file[2] == 'L' && file[3] == 'F')
        read = readElf(bytes, budget, symbols, error);
    else if (file.size() >= 2 && file[0] == 'M' && file[1] == 'Z')
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
    std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    if (!in) return fail(error, "cannot open the file");
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return readExportedSymbols(file, symbols, error);
}
