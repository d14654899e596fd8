#include "gui/PngDecoder.h"

#include "gui/EBitmap.h"
#include "gui/tests/PngFixtureSet.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace gui {
namespace {

using test::PngFixture;

constexpr std::uint32_t kTransparent = 0xFF000000u;

struct Decoded {
    bool ok = false;
    std::string error;
    PngDecoder::Header header;
    std::vector<std::uint32_t> pixels;
    bool transparent = false;
};

Decoded decodeBytes(const std::string& bytes) {
    Decoded result;
    std::istringstream stream(bytes);
    try {
        PngDecoder decoder(stream);
        result.header = decoder.readHeader();
        result.pixels.assign(std::size_t(result.header.width) * std::size_t(result.header.height),
                             kTransparent);
        result.transparent = decoder.decode(result.pixels.data());
        result.ok = true;
    } catch (const EBitmap& error) {
        result.error = error.what();
    }
    return result;
}

// Restores the process-wide gamma factor after a test changed it.
struct GammaFactorScope {
    explicit GammaFactorScope(float factor) { PngDecoder::setGammaFactor(factor); }
    ~GammaFactorScope() { PngDecoder::setGammaFactor(1.0f); }
};

void appendBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char(std::uint8_t(value >> shift));
}

// A chunk with a CRC of zero (the reader does not check CRCs).
std::string chunk(const char* type, const std::string& data) {
    std::string out;
    appendBigEndian(out, std::uint32_t(data.size()));
    out += std::string(type, 4) + data;
    appendBigEndian(out, 0);
    return out;
}

std::string ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t colourType = 6,
                 std::uint8_t depth = 8) {
    std::string data;
    appendBigEndian(data, width);
    appendBigEndian(data, height);
    data += char(depth);
    data += char(colourType);
    data += std::string(3, '\0');
    return chunk("IHDR", data);
}

std::string deflated(const std::string& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
              uLong(raw.size()), 9);
    out.resize(size);
    return out;
}

const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

// A PNG of the given filtered rows (filter byte + samples each) in one IDAT.
std::string pngOf(std::uint32_t width, std::uint32_t height, std::uint8_t colourType, const std::string& rows,
                  const std::string& beforeData = {}) {
    return kSignature + ihdr(width, height, colourType) + beforeData + chunk("IDAT", deflated(rows)) +
           chunk("IEND", "");
}

std::uint32_t pixel(std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t t) {
    return std::uint32_t(b) | std::uint32_t(g) << 8 | std::uint32_t(r) << 16 | std::uint32_t(t) << 24;
}

const PngFixture* findFixture(const std::vector<PngFixture>& fixtures, const std::string& name) {
    for (const PngFixture& fixture : fixtures)
        if (fixture.name == name) return &fixture;
    ADD_FAILURE() << "no fixture " << name;
    return nullptr;
}

TEST(PngDecoder, EveryFixtureDecodesAsLibpngDoesThroughTheGammaTable) {
    std::vector<PngFixture> fixtures = test::loadPngFixtures();
    ASSERT_GT(fixtures.size(), 60u);
    for (float factor : {1.0f, 1.1f}) {
        GammaFactorScope scope(factor);
        for (const PngFixture& fixture : fixtures) {
            SCOPED_TRACE(fixture.name + " at factor " + std::to_string(factor));
            Decoded decoded = decodeBytes(fixture.png);
            if (!fixture.decodes) {
                EXPECT_FALSE(decoded.ok);
                EXPECT_EQ(decoded.error, fixture.message);
                continue;
            }
            ASSERT_TRUE(decoded.ok) << decoded.error;
            EXPECT_EQ(decoded.header.width, std::int32_t(fixture.width));
            EXPECT_EQ(decoded.header.height, std::int32_t(fixture.height));
            std::vector<std::uint32_t> expected = test::expectedPixels(fixture, factor);
            ASSERT_EQ(decoded.pixels.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i)
                ASSERT_EQ(decoded.pixels[i], expected[i]) << "pixel " << i;
            bool anyTranslucent = false;
            for (std::size_t i = 3; i < fixture.rgba.size(); i += 4)
                anyTranslucent = anyTranslucent || fixture.rgba[i] < 255;
            EXPECT_EQ(decoded.transparent, anyTranslucent);
        }
    }
}

TEST(PngDecoder, GammaOfTheImageAndTheFactor) {
    // Row 255 of "EveryAlpha" is opaque; column x holds red x.
    std::vector<PngFixture> fixtures = test::loadPngFixtures();
    const PngFixture* everyAlpha = findFixture(fixtures, "EveryAlpha");
    ASSERT_TRUE(everyAlpha);
    {
        GammaFactorScope scope(1.1f);
        Decoded decoded = decodeBytes(everyAlpha->png);
        ASSERT_TRUE(decoded.ok);
        EXPECT_EQ((decoded.pixels[255 * 256 + 128] >> 16) & 0xFF, 118u); // trunc(pow(128/255, 1.111) * 255)
        EXPECT_NEAR(decoded.header.exponent, 1.0101009f * 1.1f, 1e-6);
    }
    // gAMA 45455 at factor 1.0 is the identity.
    std::string rows;
    for (int y = 0; y < 256; ++y) {
        rows += '\0';
        for (int x = 0; x < 4; ++x)
            rows += std::string{char(y), char(y), char(y)};
    }
    std::string gama;
    appendBigEndian(gama, 45455);
    Decoded decoded = decodeBytes(pngOf(4, 256, 2, rows, chunk("gAMA", gama)));
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_FALSE(decoded.transparent);
    for (std::uint32_t y = 0; y < 256; ++y)
        ASSERT_EQ(decoded.pixels[y * 4 + 3], pixel(std::uint8_t(y), std::uint8_t(y), std::uint8_t(y), 0));

    // A gAMA of the wrong length, or of 0, is ignored: the image decodes as without one.
    Decoded plain = decodeBytes(pngOf(4, 256, 2, rows));
    ASSERT_TRUE(plain.ok);
    for (const std::string& bad :
         {std::string("\0\0\0\0", 4), std::string("\0\0\xb1", 3), std::string("\0\0\xb1\x8f\0", 5)}) {
        Decoded ignored = decodeBytes(pngOf(4, 256, 2, rows, chunk("gAMA", bad)));
        ASSERT_TRUE(ignored.ok) << ignored.error;
        EXPECT_EQ(ignored.pixels, plain.pixels);
        EXPECT_FLOAT_EQ(ignored.header.exponent, 1.0101009f);
    }
}

TEST(PngDecoder, FilterBytesAboveFourLeaveTheirRowAlone) {
    // Row 0 filter 5, row 1 filter 255: the samples are taken as they stand.
    std::string rows = std::string("\x05\x10\x20\x30\xff", 5) + std::string("\xff\x01\x02\x03\x80", 5);
    Decoded decoded = decodeBytes(pngOf(1, 2, 6, rows));
    ASSERT_TRUE(decoded.ok) << decoded.error;
    std::vector<std::uint8_t> table = test::expectedGammaTable(0, 1.0f);
    EXPECT_EQ(decoded.pixels[0], pixel(table[0x30], table[0x20], table[0x10], 0));
    auto premultiply = [](std::uint32_t c) { return std::uint8_t((c * 0x80 + 127) / 255); };
    EXPECT_EQ(decoded.pixels[1],
              pixel(premultiply(table[3]), premultiply(table[2]), premultiply(table[1]), 0x7F));
    EXPECT_TRUE(decoded.transparent);
}

// Hostile and damaged inputs: each ends in its message, allocates nothing
// unbounded and touches no pixel outside the image.
TEST(PngDecoder, HostileHeadersAndChunksAreRefused) {
    std::string row = std::string(1, '\0') + std::string(16, '\x40');
    std::string image4x4;
    for (int y = 0; y < 4; ++y)
        image4x4 += row;
    std::string data = chunk("IDAT", deflated(image4x4));
    std::string lengthTooLarge = ihdr(4, 4);
    lengthTooLarge[0] = '\x80';
    std::string ihdr12 = ihdr(4, 4);
    ihdr12[3] = 12;
    std::string ihdr14 = kSignature;
    appendBigEndian(ihdr14, 14);
    ihdr14 += "IHDR" + ihdr(4, 4).substr(8, 13) + std::string(1, '\0');
    appendBigEndian(ihdr14, 0);
    std::string hugeLength = chunk("tEXt", "a");
    hugeLength[0] = '\x80';
    std::string gamaAtEnd = kSignature + ihdr(4, 4) + chunk("gAMA", "\0\0\xb1\x8f").substr(0, 10);

    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"empty", "", "Invalid PNG signature"},
        {"text", "hello, world, not a picture", "Invalid PNG signature"},
        {"signature only", kSignature, "Invalid PNG image"},
        {"first chunk not IHDR", kSignature + chunk("gAMA", "abcd") + ihdr(4, 4) + data, "Invalid PNG image"},
        {"IHDR length 12", kSignature + ihdr12 + data, "Invalid PNG image"},
        {"IHDR length 14", ihdr14 + data, "Invalid PNG image"},
        {"IHDR cut short", kSignature + ihdr(4, 4).substr(0, 15), "Invalid PNG image"},
        {"chunk length above 2^31 - 1", kSignature + lengthTooLarge + data, "Invalid PNG image"},
        {"later chunk length above 2^31 - 1", kSignature + ihdr(4, 4) + hugeLength + data,
         "Invalid PNG image"},
        {"width 0", kSignature + ihdr(0, 4) + data, "Unsupported PNG format"},
        {"height 0", kSignature + ihdr(4, 0) + data, "Unsupported PNG format"},
        {"width 16385", kSignature + ihdr(16385, 1) + data, "Unsupported PNG format"},
        {"width 2^31 - 1", kSignature + ihdr(0x7FFFFFFF, 0x7FFFFFFF) + data, "Unsupported PNG format"},
        {"width 2^32 - 1", kSignature + ihdr(0xFFFFFFFF, 1) + data, "Unsupported PNG format"},
        {"more than 2^26 pixels", kSignature + ihdr(16384, 4097) + data, "Unsupported PNG format"},
        {"depth 16", kSignature + ihdr(4, 4, 6, 16) + data, "Unsupported PNG format"},
        {"colour type 3", kSignature + ihdr(4, 4, 3) + data, "Unsupported PNG format"},
        {"IEND before image data", kSignature + ihdr(4, 4) + chunk("IEND", "") + data, "Invalid PNG image"},
        {"no image data", kSignature + ihdr(4, 4) + chunk("tEXt", "a\0b"), "Invalid PNG image"},
        {"short gAMA at the end", gamaAtEnd, "Invalid PNG image"},
        {"2^26 pixels from 60 bytes", kSignature + ihdr(16384, 4096) + chunk("IDAT", deflated("abc")),
         "Invalid PNG image"},
        {"more rows than the data holds", kSignature + ihdr(4, 400) + data, "Invalid PNG image"},
        {"image data ends a row early", kSignature + ihdr(4, 5) + data + chunk("IEND", ""),
         "Invalid PNG image"},
        {"garbage image data", kSignature + ihdr(4, 4) + chunk("IDAT", std::string(40, '\x55')),
         "Invalid PNG image"},
        {"tEXt between image data",
         kSignature + ihdr(4, 4) + chunk("IDAT", deflated(image4x4).substr(0, 10)) + chunk("tEXt", "a") +
             chunk("IDAT", deflated(image4x4).substr(10)),
         "Invalid PNG image"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded decoded = decodeBytes(c.bytes);
        EXPECT_FALSE(decoded.ok);
        EXPECT_EQ(decoded.error, c.message);
    }
    // The same image data is fine with the right header.
    Decoded good = decodeBytes(kSignature + ihdr(4, 4) + data + chunk("IEND", ""));
    ASSERT_TRUE(good.ok) << good.error;
    std::uint8_t c = std::uint8_t((test::expectedGammaTable(0, 1.0f)[0x40] * 0x40u + 127) / 255);
    EXPECT_EQ(good.pixels[15], pixel(c, c, c, 0xBF));
}

TEST(PngDecoder, EveryTruncationFailsCleanlyAndKeepsTheRowsBeforeIt) {
    std::vector<PngFixture> fixtures = test::loadPngFixtures();
    for (const char* name :
         {"Rgba8PaethW7L9Split", "Rgb8AdaptiveW33L9", "Rgba8SubW33L0Split", "Rgba8UpW3L0"}) {
        const PngFixture* found = nullptr;
        for (const PngFixture& fixture : fixtures)
            if (fixture.name.rfind(name, 0) == 0) found = &fixture;
        ASSERT_TRUE(found) << name;
        const PngFixture& fixture = *found;
        SCOPED_TRACE(fixture.name);
        Decoded whole = decodeBytes(fixture.png);
        ASSERT_TRUE(whole.ok);
        // Where the image data ends: everything after it may go, and the
        // checksum at its end is not read.
        std::size_t lastData = fixture.png.rfind("IDAT") - 4;
        std::size_t end =
            lastData + 12 +
            ((std::uint8_t(fixture.png[lastData + 2]) << 8) | std::uint8_t(fixture.png[lastData + 3]));
        for (std::size_t length = 0; length < end; ++length) {
            SCOPED_TRACE(length);
            Decoded cut = decodeBytes(fixture.png.substr(0, length));
            if (cut.ok) {
                // Only the end of the deflate stream and its checksum (a few 1-byte chunks) may be missing.
                ASSERT_GE(length + 6 * 13, end);
                ASSERT_EQ(cut.pixels, whole.pixels);
                continue;
            }
            ASSERT_EQ(cut.error, length < 8 ? "Invalid PNG signature" : "Invalid PNG image");
            // Rows decoded before the cut are right; the rest is untouched.
            for (std::size_t i = 0; i < cut.pixels.size(); ++i)
                if (cut.pixels[i] != kTransparent) {
                    ASSERT_EQ(cut.pixels[i], whole.pixels[i]) << "pixel " << i;
                }
        }
        EXPECT_TRUE(decodeBytes(fixture.png.substr(0, end)).ok);
    }
}

TEST(PngDecoder, ACutAfterTheFirstRowKeepsThatRowAndLeavesTheRestUntouched) {
    // Stored (level 0) data makes the cut exact: zlib header 2, block header 5.
    std::string rows;
    for (int y = 0; y < 3; ++y)
        rows += std::string(1, '\0') + std::string(8, char(0x20 + y));
    uLongf size = compressBound(uLong(rows.size()));
    std::string stored(size, '\0');
    compress2(reinterpret_cast<Bytef*>(stored.data()), &size, reinterpret_cast<const Bytef*>(rows.data()),
              uLong(rows.size()), 0);
    stored.resize(size);
    std::string png = kSignature + ihdr(2, 3) + chunk("IDAT", stored) + chunk("IEND", "");
    std::size_t dataStart = png.find("IDAT") + 4;
    Decoded cut = decodeBytes(png.substr(0, dataStart + 2 + 5 + 9 + 3));
    ASSERT_FALSE(cut.ok);
    EXPECT_EQ(cut.error, "Invalid PNG image");
    ASSERT_EQ(cut.pixels.size(), 6u);
    std::uint8_t c = std::uint8_t((test::expectedGammaTable(0, 1.0f)[0x20] * 0x20u + 127) / 255);
    EXPECT_EQ(cut.pixels[0], pixel(c, c, c, 0xDF));
    EXPECT_EQ(cut.pixels[1], pixel(c, c, c, 0xDF));
    for (std::size_t i = 2; i < 6; ++i)
        EXPECT_EQ(cut.pixels[i], kTransparent);
}

} // namespace
} // namespace gui
