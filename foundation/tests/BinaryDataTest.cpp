#include "foundation/BinaryData.h"
#include "foundation/ErrorResult.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::string text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

Bytes written(const std::function<void(BinaryDataWriter&)>& write) {
    std::ostringstream out;
    BinaryDataWriter writer(out);
    write(writer);
    EXPECT_TRUE(writer.isGood());
    return bytesOf(out.str());
}

std::uint32_t bitsOf(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

float floatOf(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// An input stream that cannot seek and that records the largest single read
// asked of it, to show how much a reader committed to at once.
class UnseekableBuffer : public std::streambuf {
public:
    explicit UnseekableBuffer(std::string data) : data_(std::move(data)) {}
    std::streamsize largestRequest = 0;
    std::size_t consumed() const { return position_; }

protected:
    int_type underflow() override {
        if (position_ >= data_.size()) return traits_type::eof();
        return traits_type::to_int_type(data_[position_]);
    }
    int_type uflow() override {
        if (position_ >= data_.size()) return traits_type::eof();
        return traits_type::to_int_type(data_[position_++]);
    }
    std::streamsize xsgetn(char* s, std::streamsize n) override {
        largestRequest = std::max(largestRequest, n);
        const auto count =
            std::min<std::streamsize>(n, static_cast<std::streamsize>(data_.size() - position_));
        std::memcpy(s, data_.data() + position_, static_cast<std::size_t>(count));
        position_ += static_cast<std::size_t>(count);
        return count;
    }

private:
    std::string data_;
    std::size_t position_ = 0;
};

TEST(BinaryDataWriter, ExactBytesOfEveryEncoding) {
    struct Case {
        const char* what;
        std::function<void(BinaryDataWriter&)> write;
        Bytes expected;
    };
    const Case cases[] = {
        {"int32 1", [](auto& w) { w.writeInt32(1); }, {0x01, 0x00, 0x00, 0x00}},
        {"int32 -2", [](auto& w) { w.writeInt32(-2); }, {0xFE, 0xFF, 0xFF, 0xFF}},
        {"int32 min",
         [](auto& w) { w.writeInt32(std::numeric_limits<std::int32_t>::min()); },
         {0x00, 0x00, 0x00, 0x80}},
        {"int32 0x12345678", [](auto& w) { w.writeInt32(0x12345678); }, {0x78, 0x56, 0x34, 0x12}},
        {"uint32", [](auto& w) { w.writeUInt32(0xDEADBEEFu); }, {0xEF, 0xBE, 0xAD, 0xDE}},
        {"bool true", [](auto& w) { w.writeBool(true); }, {0x01, 0x00, 0x00, 0x00}},
        {"bool false", [](auto& w) { w.writeBool(false); }, {0x00, 0x00, 0x00, 0x00}},
        {"float 1", [](auto& w) { w.writeFloat(1.0f); }, {0x00, 0x00, 0x80, 0x3F}},
        {"float -2.5", [](auto& w) { w.writeFloat(-2.5f); }, {0x00, 0x00, 0x20, 0xC0}},
        {"float 0.1", [](auto& w) { w.writeFloat(0.1f); }, {0xCD, 0xCC, 0xCC, 0x3D}},
        {"float -0", [](auto& w) { w.writeFloat(-0.0f); }, {0x00, 0x00, 0x00, 0x80}},
        {"float inf",
         [](auto& w) { w.writeFloat(std::numeric_limits<float>::infinity()); },
         {0x00, 0x00, 0x80, 0x7F}},
        {"string", [](auto& w) { w.writeString("abc"); }, {0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'}},
        {"empty string", [](auto& w) { w.writeString(""); }, {0x00, 0x00, 0x00, 0x00}},
        {"utf-8 string", [](auto& w) { w.writeString("\xC3\xA9"); }, {0x02, 0x00, 0x00, 0x00, 0xC3, 0xA9}},
        {"string with zero byte",
         [](auto& w) { w.writeString(std::string("a\0b", 3)); },
         {0x03, 0x00, 0x00, 0x00, 'a', 0x00, 'b'}},
        {"header", [](auto& w) { w.writeHeader("ZTBS", 1); }, {'Z', 'T', 'B', 'S', 0x01, 0x00, 0x00, 0x00}},
        {"header v258",
         [](auto& w) { w.writeHeader("PMap", 258); },
         {'P', 'M', 'a', 'p', 0x02, 0x01, 0x00, 0x00}},
        {"bytes", [](auto& w) { w.writeBytes("\x01\xFF", 2); }, {0x01, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(written(c.write), c.expected);
    }
}

TEST(BinaryDataWriter, RefusesWhatItCannotEncode) {
    std::ostringstream out;
    BinaryDataWriter writer(out);
    writer.writeHeader("ZTB", 1);
    EXPECT_FALSE(writer.isGood());
    EXPECT_TRUE(out.str().empty());

    std::ostringstream out2;
    BinaryDataWriter writer2(out2);
    writer2.writeHeader("ZTBSX", 1);
    EXPECT_FALSE(writer2.isGood());
    EXPECT_TRUE(out2.str().empty());
}

TEST(BinaryDataReader, ReadsBackWhatWasWritten) {
    const std::vector<std::uint32_t> floatBits = {bitsOf(1.0f),          bitsOf(-0.0f),
                                                  bitsOf(3.4028235e38f), 0x00000001u /* smallest subnormal */,
                                                  0x7F800000u /* inf */, 0x7FC00123u /* NaN with payload */};
    std::ostringstream out;
    BinaryDataWriter writer(out);
    writer.writeHeader("ZTBS", 7);
    writer.writeInt32(-123456789);
    writer.writeUInt32(0xFFFFFFFFu);
    writer.writeBool(true);
    for (std::uint32_t bits : floatBits)
        writer.writeFloat(floatOf(bits));
    writer.writeString("Default Setting");
    writer.writeString("");

    std::istringstream in(out.str());
    BinaryDataReader reader(in);
    EXPECT_TRUE(reader.checkSignature("ZTBS"));
    EXPECT_EQ(reader.getVersion(), 7);
    EXPECT_EQ(reader.readInt32(), -123456789);
    EXPECT_EQ(reader.readUInt32(), 0xFFFFFFFFu);
    EXPECT_TRUE(reader.readBool());
    for (std::uint32_t bits : floatBits)
        EXPECT_EQ(bitsOf(reader.readFloat()), bits);
    EXPECT_EQ(reader.readString(), "Default Setting");
    EXPECT_EQ(reader.readString(), "");
    EXPECT_TRUE(reader.isGood());
    EXPECT_EQ(in.peek(), std::char_traits<char>::eof());
}

TEST(BinaryDataReader, NonPositiveStringLengthReadsNothingMore) {
    for (std::int32_t length : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
        SCOPED_TRACE(length);
        std::ostringstream out;
        BinaryDataWriter writer(out);
        writer.writeInt32(length);
        writer.writeInt32(42);
        std::istringstream in(out.str());
        BinaryDataReader reader(in);
        EXPECT_EQ(reader.readString(), "");
        EXPECT_EQ(reader.readInt32(), 42) << "only the 4 length bytes were consumed";
        EXPECT_TRUE(reader.isGood());
    }
}

TEST(BinaryDataReader, CheckSignature) {
    struct Case {
        const char* what;
        Bytes input;
        const char* expected;
        bool result;
        std::int32_t version;
        bool good;
    };
    const Case cases[] = {
        {"empty stream", {}, "ZTBS", false, 0, false},
        {"match", {'Z', 'T', 'B', 'S', 1, 0, 0, 0}, "ZTBS", true, 1, true},
        {"case matters", {'z', 'T', 'B', 'S', 7, 0, 0, 0}, "ZTBS", false, 7, true},
        {"other signature", {'P', 'M', 'a', 'p', 2, 0, 0, 0}, "ZTBS", false, 2, true},
        {"expected too short", {'Z', 'T', 'B', 0, 3, 0, 0, 0}, "ZTB", false, 3, true},
        {"expected too long", {'Z', 'T', 'B', 'S', 4, 0, 0, 0}, "ZTBSX", false, 4, true},
        {"truncated version", {'Z', 'T', 'B', 'S', 1, 0}, "ZTBS", false, 0, false},
        {"truncated signature", {'Z', 'T'}, "ZTBS", false, 0, false},
        {"negative version", {'Z', 'T', 'B', 'S', 0xFF, 0xFF, 0xFF, 0xFF}, "ZTBS", true, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::istringstream in(text(c.input));
        BinaryDataReader reader(in);
        EXPECT_EQ(reader.checkSignature(c.expected), c.result);
        EXPECT_EQ(reader.getVersion(), c.version);
        EXPECT_EQ(reader.isGood(), c.good);
    }
}

TEST(BinaryDataReader, TruncatedInputYieldsZeroAndFails) {
    struct Case {
        const char* what;
        std::string input;
        std::function<bool(BinaryDataReader&)> readsZero;
    };
    const Case cases[] = {
        {"int32", "\x01\x02\x03", [](BinaryDataReader& r) { return r.readInt32() == 0; }},
        {"uint32", "\xFF", [](BinaryDataReader& r) { return r.readUInt32() == 0; }},
        {"float", std::string("\x00\x00\x80", 3),
         [](BinaryDataReader& r) { return bitsOf(r.readFloat()) == 0; }},
        {"bool", "\x01", [](BinaryDataReader& r) { return r.readBool() == false; }},
        {"string length", "\x05\x00", [](BinaryDataReader& r) { return r.readString().empty(); }},
        {"string body",
         std::string("\x05\x00\x00\x00"
                     "abc",
                     7),
         [](BinaryDataReader& r) { return r.readString().empty(); }},
        {"bytes", "\x07\x07\x07",
         [](BinaryDataReader& r) {
             unsigned char buffer[4] = {9, 9, 9, 9};
             return !r.readBytes(buffer, 4) && buffer[0] == 0 && buffer[1] == 0 && buffer[2] == 0 &&
                    buffer[3] == 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::istringstream in(c.input);
        BinaryDataReader reader(in);
        EXPECT_TRUE(c.readsZero(reader));
        EXPECT_FALSE(reader.isGood());
        EXPECT_TRUE(in.fail());
    }
}

TEST(BinaryDataReader, NothingIsReadAfterAFailure) {
    std::istringstream in(std::string("\x01\x00\x00\x00\x02\x00\x00\x00", 8));
    BinaryDataReader reader(in);
    unsigned char big[16];
    EXPECT_FALSE(reader.readBytes(big, sizeof big));
    EXPECT_EQ(reader.readInt32(), 0);
    EXPECT_EQ(reader.readFloat(), 0.0f);
    EXPECT_EQ(reader.readString(), "");
    EXPECT_FALSE(reader.checkSignature("ZTBS"));
    EXPECT_EQ(reader.getVersion(), 0);
}

TEST(BinaryDataReader, HostileStringLengths) {
    // 0x7FFFFFFF announced, 10 bytes present.
    {
        std::istringstream in(std::string("\xFF\xFF\xFF\x7F", 4) + "0123456789");
        BinaryDataReader reader(in);
        EXPECT_EQ(reader.readString(), "");
        EXPECT_FALSE(reader.isGood());
    }
    // Within the cap but longer than what is left, on a seekable stream.
    {
        std::istringstream in(std::string("\x0B\x00\x00\x00", 4) + "0123456789");
        BinaryDataReader reader(in);
        EXPECT_EQ(reader.readString(), "");
        EXPECT_FALSE(reader.isGood());
    }
    // Within the cap, on a stream that cannot tell its length: read in
    // bounded steps, never all at once.
    {
        UnseekableBuffer buffer(std::string("\xFF\xFF\xFF\x00", 4) + "0123456789");
        std::istream in(&buffer);
        BinaryDataReader reader(in);
        EXPECT_EQ(reader.readString(), "");
        EXPECT_FALSE(reader.isGood());
        EXPECT_LE(buffer.largestRequest, 64 * 1024);
    }
    // Above the cap: refused before reading any of it.
    {
        UnseekableBuffer buffer(std::string("\x01\x00\x00\x01", 4) + "0123456789");
        std::istream in(&buffer);
        BinaryDataReader reader(in);
        EXPECT_EQ(reader.readString(), "");
        EXPECT_FALSE(reader.isGood());
        EXPECT_EQ(buffer.consumed(), 4u);
    }
}

TEST(BinaryDataReader, StringLengthCapBoundary) {
    const std::int32_t cap = BinaryDataReader::maxStringLength;
    ASSERT_EQ(cap, 16 * 1024 * 1024);
    for (std::int32_t length : {cap, cap + 1}) {
        SCOPED_TRACE(length);
        std::ostringstream out;
        BinaryDataWriter writer(out);
        writer.writeString(std::string(static_cast<std::size_t>(length), 'x'));
        {
            // The unseekable path takes the same decision.
            UnseekableBuffer buffer(out.str());
            std::istream in(&buffer);
            BinaryDataReader reader(in);
            EXPECT_EQ(reader.readString().size(), length == cap ? static_cast<std::size_t>(cap) : 0u);
            EXPECT_EQ(reader.isGood(), length == cap);
        }
        std::istringstream in(out.str());
        BinaryDataReader reader(in);
        EXPECT_EQ(reader.readString().size(), length == cap ? static_cast<std::size_t>(cap) : 0u);
        EXPECT_EQ(reader.isGood(), length == cap);
    }
}

// A reader that owns its stream, the way file and resource readers do.
class OwningReader : public BinaryDataReader {
public:
    explicit OwningReader(std::unique_ptr<std::istream> owned)
        : BinaryDataReader(owned.get()), owned_(std::move(owned)) {}
    ~OwningReader() override = default;

private:
    std::unique_ptr<std::istream> owned_;
};

TEST(BinaryDataReader, DerivedReaderOwnsItsStream) {
    OwningReader reader(std::make_unique<std::istringstream>(std::string("\x2A\x00\x00\x00", 4)));
    EXPECT_EQ(reader.readInt32(), 42);

    OwningReader none(nullptr);
    EXPECT_FALSE(none.isGood());
    EXPECT_EQ(none.readInt32(), 0);
    EXPECT_EQ(none.readString(), "");
    EXPECT_FALSE(none.checkSignature("ZTBS"));
}

TEST(ErrorResult, FirstErrorWins) {
    ErrorResult result;
    EXPECT_EQ(result.getErrorCode(), 0);
    EXPECT_EQ(result.getErrorMessage(), "");
    EXPECT_FALSE(result.hasError());

    ErrorReporter& reporter = result;
    reporter.reportError(-1, "Invalid file format.");
    reporter.reportError(-2, "Invalid preset header.");
    EXPECT_EQ(result.getErrorCode(), -1);
    EXPECT_EQ(result.getErrorMessage(), "Invalid file format.");

    const IErrorResult& view = result;
    EXPECT_TRUE(view.hasError());

    ErrorResult copy = result;
    EXPECT_EQ(copy.getErrorCode(), -1);
    EXPECT_EQ(copy.getErrorMessage(), "Invalid file format.");
}

TEST(ErrorResult, FromRecord) {
    static const ErrorRecord corrupt{-1, "Incorrect file permissions or corrupt preset file."};
    ErrorResult result(corrupt);
    EXPECT_EQ(result.getErrorCode(), -1);
    EXPECT_EQ(result.getErrorMessage(), corrupt.message);
    result.reportError(ErrorRecord{-3, "later"});
    EXPECT_EQ(result.getErrorMessage(), corrupt.message);
}

} // namespace
