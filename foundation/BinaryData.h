#pragma once

// Binary streams: the one encoding shared by every binary format.
//
//   int32 / uint32   4 bytes, little-endian
//   float            4 bytes, IEEE 754 single precision, little-endian
//   bool, enum       written as int32
//   string           int32 byte length n, then n bytes of UTF-8, no terminator
//   header           4 signature characters, then int32 version
//
// The byte order is fixed whatever the host's is.
//
// The reader never returns garbage: a read that fails (past the end, or on a
// stream that already failed) yields 0, 0.0f, false or "" and leaves the
// stream failed. A string length is never trusted: a length above
// maxStringLength, or above the bytes left in the stream, fails the stream and
// yields "" without allocating that length.
//
// Neither class owns its stream. A derived class that owns one hands it to
// the protected constructor (or setStream) and deletes it in its destructor.
// A null stream behaves as a stream that has failed.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

class BinaryDataReader {
public:
    static constexpr std::int32_t maxStringLength = 16 * 1024 * 1024;

    explicit BinaryDataReader(std::istream& stream);
    BinaryDataReader(const BinaryDataReader&) = delete;
    BinaryDataReader& operator=(const BinaryDataReader&) = delete;
    virtual ~BinaryDataReader();

    std::istream* getStream() const { return stream_; }
    // True while no read has failed.
    bool isGood() const;

    std::int32_t readInt32();
    std::uint32_t readUInt32();
    float readFloat();
    bool readBool();
    // Reads exactly count bytes; on failure fills the buffer with zeros and
    // returns false.
    bool readBytes(void* buffer, std::size_t count);
    std::string readString();

    // Reads a header. The version is stored whatever happens (0 when it could
    // not be read); true only when the 4 signature bytes equal expected, which
    // must itself be 4 characters long.
    bool checkSignature(std::string_view expected);
    std::int32_t getVersion() const { return version_; }

protected:
    explicit BinaryDataReader(std::istream* stream);
    void setStream(std::istream* newStream) { stream_ = newStream; }

private:
    void fail();

    std::istream* stream_;
    std::int32_t version_ = 0;
};

class BinaryDataWriter {
public:
    explicit BinaryDataWriter(std::ostream& stream);
    BinaryDataWriter(const BinaryDataWriter&) = delete;
    BinaryDataWriter& operator=(const BinaryDataWriter&) = delete;
    virtual ~BinaryDataWriter();

    std::ostream* getStream() const { return stream_; }
    bool isGood() const;

    void writeInt32(std::int32_t value);
    void writeUInt32(std::uint32_t value);
    void writeFloat(float value);
    void writeBool(bool value);
    void writeBytes(const void* data, std::size_t count);
    // A string longer than an int32 length can say fails the stream and
    // writes nothing.
    void writeString(std::string_view text);
    // A signature that is not 4 characters long fails the stream and writes
    // nothing.
    void writeHeader(std::string_view signature, std::int32_t version);

protected:
    explicit BinaryDataWriter(std::ostream* stream);
    void setStream(std::ostream* newStream) { stream_ = newStream; }

private:
    void fail();

    std::ostream* stream_;
};
