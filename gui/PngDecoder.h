#pragma once

// The decoding core of the PNG reader: 8-bit truecolour images with or
// without alpha, not interlaced, into 32-bit pixels (bytes blue, green, red,
// 255 - alpha; colours premultiplied), with the process-wide gamma correction
// applied to the colours on the way.
//
// Two steps, so that the caller can size its pixel block in between:
//   readHeader() checks the signature and the header and walks the chunks up
//   to the end of the first run of image-data chunks; it refuses sizes the
//   data cannot hold before anything is allocated;
//   decode(pixels) fills the block row by row.
// Both throw gui::EBitmap with "Invalid PNG signature", "Invalid PNG image"
// or "Unsupported PNG format". Rows decoded before a failure stay written.
//
// Input is read through a fixed 1024-byte buffer and only two rows are held.
// CRCs, the zlib checksum and everything after the last row are not checked.
// Only "gAMA" of the ancillary chunks is read: a length other than 4 or a
// value of 0 is ignored.
//
// Threading: a decoder belongs to one thread. The gamma table is shared; it
// is rebuilt under a lock when the effective exponent changes.

#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <vector>

namespace gui {

class PngDecoder {
public:
    // The largest side and the largest image, in pixels.
    static constexpr std::int32_t kMaxSide = 16384;
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;

    struct Header {
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t bytesPerPixel = 0; // 3 (RGB) or 4 (RGBA)
        float exponent = 0.0f;          // of the gamma table used, factor included
    };

    // The stream is read from its current position, where the signature must
    // start; it must outlive the decoder.
    explicit PngDecoder(std::istream& stream);
    ~PngDecoder();
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    // Reads 8 bytes; true when they are the PNG signature.
    static bool hasSignature(std::istream& stream);

    const Header& readHeader();

    // Fills width x height pixels, rows top-down without padding. Returns
    // whether some pixel's alpha is below 255. Call after readHeader.
    bool decode(std::uint32_t* pixels);

    // The gamma factor multiplies every image's exponent (1.0 at start).
    static void setGammaFactor(float factor);
    static float getGammaFactor();

private:
    struct ChunkHeader {
        std::uint32_t length = 0;
        std::uint32_t type = 0;
    };

    bool readAt(std::int64_t position, void* buffer, std::size_t count);
    bool readChunkHeaderAt(std::int64_t position, ChunkHeader& header);
    void nextChunk();
    void refillInput();
    void inflateRow(std::uint8_t* row, bool lastRow);

    std::istream& stream_;
    std::int64_t streamStart_ = 0;
    std::int64_t streamEnd_ = 0;
    std::int64_t firstChunk_ = 0;
    std::int64_t nextChunk_ = 0;
    std::int64_t chunkData_ = 0; // position of the next unread data byte
    ChunkHeader chunk_;
    std::uint32_t bytesLeft_ = 0;
    Header header_;
    bool headerRead_ = false;
    std::array<std::uint8_t, 256> gamma_{};
    std::array<std::uint8_t, 1024> input_{};
    struct Inflater;
    std::unique_ptr<Inflater> inflater_;
};

} // namespace gui
