#include "foundation/BinaryData.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <istream>
#include <ostream>

namespace {

std::uint32_t fromLittleEndian(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::array<char, 4> toLittleEndian(std::uint32_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
            static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
}

// Bytes between the read position and the end, or -1 when the stream cannot
// tell (not seekable). Leaves the read position where it was.
std::streamoff bytesLeft(std::istream& stream) {
    std::streambuf* buffer = stream.rdbuf();
    if (buffer == nullptr) return -1;
    const std::streampos here = buffer->pubseekoff(0, std::ios::cur, std::ios::in);
    if (here == std::streampos(-1)) return -1;
    const std::streampos end = buffer->pubseekoff(0, std::ios::end, std::ios::in);
    buffer->pubseekpos(here, std::ios::in);
    if (end == std::streampos(-1) || end < here) return -1;
    return end - here;
}

} // namespace

BinaryDataReader::BinaryDataReader(std::istream& stream) : stream_(&stream) {}
BinaryDataReader::BinaryDataReader(std::istream* stream) : stream_(stream) {}
BinaryDataReader::~BinaryDataReader() = default;

bool BinaryDataReader::isGood() const {
    return stream_ != nullptr && !stream_->fail();
}

void BinaryDataReader::fail() {
    if (stream_ != nullptr) stream_->setstate(std::ios::failbit);
}

bool BinaryDataReader::readBytes(void* buffer, std::size_t count) {
    if (count == 0) return isGood();
    if (isGood()) {
        stream_->read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
        if (stream_->gcount() == static_cast<std::streamsize>(count) && !stream_->fail()) return true;
        fail();
    }
    std::memset(buffer, 0, count);
    return false;
}

std::uint32_t BinaryDataReader::readUInt32() {
    unsigned char bytes[4];
    if (!readBytes(bytes, sizeof bytes)) return 0;
    return fromLittleEndian(bytes);
}

std::int32_t BinaryDataReader::readInt32() {
    return static_cast<std::int32_t>(readUInt32());
}

float BinaryDataReader::readFloat() {
    const std::uint32_t bits = readUInt32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool BinaryDataReader::readBool() {
    return readInt32() != 0;
}

std::string BinaryDataReader::readString() {
    const std::int32_t length = readInt32();
    if (length < 1 || !isGood()) return {};
    if (length > maxStringLength) {
        fail();
        return {};
    }
    const std::streamoff left = bytesLeft(*stream_);
    if (left >= 0 && left < length) {
        fail();
        return {};
    }
    // The length is now bounded by the cap, and by the bytes present when the
    // stream can tell. A stream that cannot tell is read in chunks, so what is
    // allocated never runs far ahead of what actually arrived.
    constexpr std::size_t chunk = 64 * 1024;
    const auto total = static_cast<std::size_t>(length);
    std::string text;
    while (text.size() < total) {
        const std::size_t start = text.size();
        const std::size_t count = std::min(chunk, total - start);
        text.resize(start + count);
        if (!readBytes(text.data() + start, count)) return {};
    }
    return text;
}

bool BinaryDataReader::checkSignature(std::string_view expected) {
    char signature[4];
    const bool haveSignature = readBytes(signature, sizeof signature);
    version_ = readInt32();
    if (!haveSignature || !isGood()) return false;
    return expected.size() == sizeof signature &&
           std::memcmp(signature, expected.data(), sizeof signature) == 0;
}

BinaryDataWriter::BinaryDataWriter(std::ostream& stream) : stream_(&stream) {}
BinaryDataWriter::BinaryDataWriter(std::ostream* stream) : stream_(stream) {}
BinaryDataWriter::~BinaryDataWriter() = default;

bool BinaryDataWriter::isGood() const {
    return stream_ != nullptr && !stream_->fail();
}

void BinaryDataWriter::fail() {
    if (stream_ != nullptr) stream_->setstate(std::ios::failbit);
}

void BinaryDataWriter::writeBytes(const void* data, std::size_t count) {
    if (stream_ != nullptr && count > 0)
        stream_->write(static_cast<const char*>(data), static_cast<std::streamsize>(count));
}

void BinaryDataWriter::writeUInt32(std::uint32_t value) {
    const auto bytes = toLittleEndian(value);
    writeBytes(bytes.data(), bytes.size());
}

void BinaryDataWriter::writeInt32(std::int32_t value) {
    writeUInt32(static_cast<std::uint32_t>(value));
}

void BinaryDataWriter::writeFloat(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    writeUInt32(bits);
}

void BinaryDataWriter::writeBool(bool value) {
    writeInt32(value ? 1 : 0);
}

void BinaryDataWriter::writeString(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(INT32_MAX)) {
        fail();
        return;
    }
    writeInt32(static_cast<std::int32_t>(text.size()));
    writeBytes(text.data(), text.size());
}

void BinaryDataWriter::writeHeader(std::string_view signature, std::int32_t version) {
    if (signature.size() != 4) {
        fail();
        return;
    }
    writeBytes(signature.data(), signature.size());
    writeInt32(version);
}
