#pragma once

// Bounds-checked reading of a module file's bytes, and the layout of a PE
// (Windows) image: its section table and data directories, with the mapping of
// relative virtual addresses to file offsets. Shared by the readers of a
// module's export and import tables. Every offset and count is checked against
// the file, so hostile input ends with an error, never a read outside it.

#include <cstdint>
#include <string>
#include <vector>

class ImageBytes {
public:
    explicit ImageBytes(const std::vector<uint8_t>& data) : data_(data) {}

    size_t size() const { return data_.size(); }
    bool has(uint64_t offset, uint64_t size) const;
    // A little-endian integer at `offset`; false (and `value` untouched) when it lies outside.
    template <class T> bool read(uint64_t offset, T& value) const {
        if (!has(offset, sizeof(T))) return false;
        T result = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            result = static_cast<T>(result | static_cast<T>(static_cast<T>(data_[offset + i]) << (8 * i)));
        value = result;
        return true;
    }
    // A zero-terminated name of 1 to kMaxName bytes that lies inside [offset, limit).
    bool name(uint64_t offset, uint64_t limit, std::string& text) const;

    static constexpr size_t kMaxName = 4096;

private:
    const std::vector<uint8_t>& data_;
};

// Names may share their bytes; what a reader copies out stays within this budget.
class NameBudget {
public:
    explicit NameBudget(size_t fileSize);
    bool take(size_t size);

private:
    size_t left_;
};

class PeImage {
public:
    // The data directories a reader asks for.
    enum Directory : uint32_t { kExports = 0, kImports = 1, kDelayImports = 13 };

    // Reads the headers; false with a reason in `error` when they are not a PE image's.
    bool open(const ImageBytes& bytes, std::string& error);
    // The relative virtual address and size of a data directory; an address of 0 when the image has none.
    bool directory(Directory which, uint32_t& rva, uint32_t& size, std::string& error) const;
    // The file offset of `rva`, with at least `size` bytes of its section in the file.
    bool offsetOf(uint32_t rva, uint64_t size, uint64_t& offset) const;
    bool is64Bit() const { return is64Bit_; }

private:
    const ImageBytes* bytes_ = nullptr;
    uint16_t sectionCount_ = 0;
    uint64_t sections_ = 0;
    uint64_t directories_ = 0;
    uint32_t directoryCount_ = 0;
    uint64_t optionalEnd_ = 0;
    bool is64Bit_ = false;
};

bool isPeFile(const std::vector<uint8_t>& file);
bool isElfFile(const std::vector<uint8_t>& file);
// The whole file at `path` (UTF-8), or false when it cannot be read.
bool readModuleFile(const std::string& path, std::vector<uint8_t>& file);
