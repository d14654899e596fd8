#include "tools/testhost/PeImage.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

bool ImageBytes::has(uint64_t offset, uint64_t size) const {
    return offset <= data_.size() && size <= data_.size() - offset;
}

bool ImageBytes::name(uint64_t offset, uint64_t limit, std::string& text) const {
    limit = std::min<uint64_t>(limit, data_.size());
    if (offset >= limit) return false;
    uint64_t end = std::min<uint64_t>(limit, offset + kMaxName + 1);
    const auto* begin = data_.data() + offset;
    const void* zero = std::memchr(begin, 0, end - offset);
    if (!zero || zero == begin) return false;
    text.assign(reinterpret_cast<const char*>(begin), static_cast<const uint8_t*>(zero) - begin);
    return true;
}

NameBudget::NameBudget(size_t fileSize) : left_(std::max<size_t>(fileSize, 1 << 16)) {}

bool NameBudget::take(size_t size) {
    if (size > left_) return false;
    left_ -= size;
    return true;
}

namespace {

bool fail(std::string& error, const char* reason) {
    error = reason;
    return false;
}

constexpr uint32_t kPeSignature = 0x00004550; // "PE\0\0"
constexpr uint16_t kPe32Plus = 0x20B, kPe32 = 0x10B;
constexpr uint64_t kSectionHeaderSize = 40;

} // namespace

bool PeImage::open(const ImageBytes& bytes, std::string& error) {
    bytes_ = &bytes;
    uint32_t peOffset = 0, signature = 0;
    if (!bytes.read(0x3C, peOffset) || !bytes.read(peOffset, signature) || signature != kPeSignature)
        return fail(error, "no PE signature");
    uint16_t optionalSize = 0, magic = 0;
    uint64_t coff = uint64_t{peOffset} + 4;
    if (!bytes.read(coff + 2, sectionCount_) || !bytes.read(coff + 16, optionalSize))
        return fail(error, "truncated PE header");
    uint64_t optional = coff + 20;
    if (!bytes.read(optional, magic) || (magic != kPe32Plus && magic != kPe32))
        return fail(error, "unknown PE optional header");
    is64Bit_ = magic == kPe32Plus;
    directories_ = optional + (is64Bit_ ? 112 : 96);
    optionalEnd_ = optional + optionalSize;
    if (!bytes.read(directories_ - 4, directoryCount_) || directories_ + 8 > optionalEnd_ ||
        directoryCount_ == 0)
        return fail(error, "truncated PE data directories");
    sections_ = optionalEnd_;
    return true;
}

bool PeImage::directory(Directory which, uint32_t& rva, uint32_t& size, std::string& error) const {
    rva = size = 0;
    uint64_t entry = directories_ + uint64_t{which} * 8;
    if (which >= directoryCount_ || entry + 8 > optionalEnd_) return true; // the image has none
    if (!bytes_->read(entry, rva) || !bytes_->read(entry + 4, size))
        return fail(error, "truncated PE data directories");
    if (rva != 0 && !bytes_->has(sections_, uint64_t{sectionCount_} * kSectionHeaderSize))
        return fail(error, "PE section table outside the file");
    return true;
}

bool PeImage::offsetOf(uint32_t rva, uint64_t size, uint64_t& offset) const {
    for (uint32_t index = 0; index < sectionCount_; ++index) {
        uint32_t address = 0, rawSize = 0, rawOffset = 0;
        uint64_t header = sections_ + uint64_t{index} * kSectionHeaderSize;
        bytes_->read(header + 12, address);
        bytes_->read(header + 16, rawSize);
        bytes_->read(header + 20, rawOffset);
        if (rva < address || rva - address >= rawSize) continue;
        uint64_t inSection = rva - address;
        if (size > rawSize - inSection || !bytes_->has(uint64_t{rawOffset} + inSection, size)) return false;
        offset = uint64_t{rawOffset} + inSection;
        return true;
    }
    return false;
}

bool isPeFile(const std::vector<uint8_t>& file) {
    return file.size() >= 2 && file[0] == 'M' && file[1] == 'Z';
}

bool isElfFile(const std::vector<uint8_t>& file) {
    return file.size() >= 4 && file[0] == 0x7F && file[1] == 'E' && file[2] == 'L' && file[3] == 'F';
}

bool readModuleFile(const std::string& path, std::vector<uint8_t>& file) {
    std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    if (!in) return false;
    file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}
