#include "gui/PngDecoder.h"

#include "gui/EBitmap.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>

namespace gui {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

constexpr std::uint32_t chunkType(const char (&name)[5]) {
    return (std::uint32_t(std::uint8_t(name[0])) << 24) | (std::uint32_t(std::uint8_t(name[1])) << 16) |
           (std::uint32_t(std::uint8_t(name[2])) << 8) | std::uint32_t(std::uint8_t(name[3]));
}

constexpr std::uint32_t kIHDR = chunkType("IHDR");
constexpr std::uint32_t kIDAT = chunkType("IDAT");
constexpr std::uint32_t kIEND = chunkType("IEND");
constexpr std::uint32_t kGAMA = chunkType("gAMA");

// Lengths above this are not PNG chunks.
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;
// Deflate expands at most 1032 : 1; the slack covers the zlib header and small images.
constexpr std::int64_t kMaxInflateRatio = 1032;
constexpr std::int64_t kInflateSlack = 1024;
// The exponent of an image without "gAMA", before the factor.
constexpr float kDefaultExponent = 1.0101009f;
// "gAMA" holds the image gamma times 100000; 45454.547 / value is 1 / (2.2 x gamma).
constexpr float kGammaNumerator = 45454.547f;
constexpr float kExponentTolerance = 1.1920929e-7f;

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

[[noreturn]] void invalidImage() {
    throw EBitmap("Invalid PNG image");
}

// The process-wide gamma state.
struct GammaState {
    std::mutex mutex;
    float factor = 1.0f;
    float exponent = -1.0f;
    std::array<std::uint8_t, 256> table{};
};

GammaState& gammaState() {
    static GammaState state;
    return state;
}

// Copies the table for the exponent (factor included), rebuilding it first
// when the exponent changed.
void gammaTableFor(float exponent, std::array<std::uint8_t, 256>& out) {
    GammaState& state = gammaState();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!(std::fabs(exponent - state.exponent) <= kExponentTolerance)) {
        for (int i = 0; i < 256; ++i) {
            double value = std::trunc(std::pow(i / 255.0, double(exponent)) * 255.0);
            state.table[std::size_t(i)] = std::uint8_t(std::clamp(value, 0.0, 255.0));
        }
        state.exponent = exponent;
    }
    out = state.table;
}

inline std::uint32_t premultipliedPixel(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
    if (a != 255) {
        std::uint32_t t = r * a + 128;
        r = (t + (t >> 8)) >> 8;
        t = g * a + 128;
        g = (t + (t >> 8)) >> 8;
        t = b * a + 128;
        b = (t + (t >> 8)) >> 8;
    }
    return b | (g << 8) | (r << 16) | ((255 - a) << 24);
}

// Reverses the row's filter in place; prev is the unfiltered row above (all
// zeros for the first row). Both start with the filter byte.
void unfilterRow(std::uint8_t* row, const std::uint8_t* prev, std::size_t bytes, std::size_t bpp) {
    std::uint8_t* x = row + 1;
    const std::uint8_t* b = prev + 1;
    switch (row[0]) {
    case 1:
        for (std::size_t i = bpp; i < bytes; ++i)
            x[i] = std::uint8_t(x[i] + x[i - bpp]);
        break;
    case 2:
        for (std::size_t i = 0; i < bytes; ++i)
            x[i] = std::uint8_t(x[i] + b[i]);
        break;
    case 3:
        for (std::size_t i = 0; i < bpp && i < bytes; ++i)
            x[i] = std::uint8_t(x[i] + (b[i] >> 1));
        for (std::size_t i = bpp; i < bytes; ++i)
            x[i] = std::uint8_t(x[i] + ((unsigned(x[i - bpp]) + unsigned(b[i])) >> 1));
        break;
    case 4:
        for (std::size_t i = 0; i < bpp && i < bytes; ++i)
            x[i] = std::uint8_t(x[i] + b[i]); // a = c = 0: the predictor is b
        for (std::size_t i = bpp; i < bytes; ++i) {
            int a = x[i - bpp], up = b[i], c = b[i - bpp];
            int p = a + up - c;
            int pa = std::abs(p - a), pb = std::abs(p - up), pc = std::abs(p - c);
            int predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? up : c);
            x[i] = std::uint8_t(x[i] + predictor);
        }
        break;
    default: // 0, and unknown filters leave the row alone
        break;
    }
}

} // namespace

struct PngDecoder::Inflater {
    z_stream stream{};
    bool initialised = false;
    ~Inflater() {
        if (initialised) inflateEnd(&stream);
    }
};

PngDecoder::PngDecoder(std::istream& stream) : stream_(stream) {
    stream_.clear();
    std::streampos start = stream_.tellg();
    streamStart_ = start < 0 ? 0 : std::int64_t(start);
    streamEnd_ = std::numeric_limits<std::int64_t>::max();
    if (start >= 0 && stream_.seekg(0, std::ios::end)) {
        std::streampos end = stream_.tellg();
        if (end >= 0) streamEnd_ = std::int64_t(end);
    }
    stream_.clear();
    stream_.seekg(start);
}

PngDecoder::~PngDecoder() = default;

bool PngDecoder::hasSignature(std::istream& stream) {
    std::uint8_t bytes[8];
    stream.read(reinterpret_cast<char*>(bytes), 8);
    return stream.gcount() == 8 && std::memcmp(bytes, kSignature, 8) == 0;
}

void PngDecoder::setGammaFactor(float factor) {
    GammaState& state = gammaState();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.factor = factor;
}

float PngDecoder::getGammaFactor() {
    GammaState& state = gammaState();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.factor;
}

bool PngDecoder::readAt(std::int64_t position, void* buffer, std::size_t count) {
    if (position < 0 || position > streamEnd_ || std::int64_t(count) > streamEnd_ - position) return false;
    stream_.clear();
    if (!stream_.seekg(std::streamoff(position))) return false;
    stream_.read(static_cast<char*>(buffer), std::streamsize(count));
    return std::size_t(stream_.gcount()) == count;
}

bool PngDecoder::readChunkHeaderAt(std::int64_t position, ChunkHeader& header) {
    std::uint8_t bytes[8];
    if (!readAt(position, bytes, 8)) return false;
    header.length = bigEndian32(bytes);
    header.type = bigEndian32(bytes + 4);
    if (header.length > kMaxChunkLength) invalidImage();
    return true;
}

const PngDecoder::Header& PngDecoder::readHeader() {
    std::uint8_t signature[8];
    if (!readAt(streamStart_, signature, 8) || std::memcmp(signature, kSignature, 8) != 0)
        throw EBitmap("Invalid PNG signature");
    firstChunk_ = streamStart_ + 8;

    ChunkHeader ihdr;
    std::uint8_t fields[13];
    if (!readChunkHeaderAt(firstChunk_, ihdr) || ihdr.type != kIHDR || ihdr.length != 13 ||
        !readAt(firstChunk_ + 8, fields, 13))
        invalidImage();
    std::uint32_t width = bigEndian32(fields);
    std::uint32_t height = bigEndian32(fields + 4);
    std::uint8_t depth = fields[8], colourType = fields[9];
    if (width < 1 || height < 1 || width > std::uint32_t(kMaxSide) || height > std::uint32_t(kMaxSide) ||
        std::int64_t(width) * std::int64_t(height) > kMaxPixels || depth != 8 ||
        (colourType != 2 && colourType != 6) || fields[10] != 0 || fields[11] != 0 || fields[12] != 0)
        throw EBitmap("Unsupported PNG format");
    header_.width = std::int32_t(width);
    header_.height = std::int32_t(height);
    header_.bytesPerPixel = colourType == 6 ? 4 : 3;

    // Walk to the end of the first run of image data: the gamma on the way,
    // and how many data bytes there really are.
    float exponent = kDefaultExponent;
    bool gammaFound = false;
    bool inImageData = false;
    std::int64_t imageDataBytes = 0;
    std::int64_t position = firstChunk_ + 8 + 13 + 4;
    for (;;) {
        ChunkHeader chunk;
        if (!readChunkHeaderAt(position, chunk)) {
            if (inImageData) break; // cut short: decoding reports it
            invalidImage();
        }
        std::int64_t data = position + 8;
        if (chunk.type == kIDAT) {
            inImageData = true;
            imageDataBytes +=
                std::min<std::int64_t>(chunk.length, std::max<std::int64_t>(0, streamEnd_ - data));
        } else if (inImageData) {
            break;
        } else if (chunk.type == kIEND) {
            invalidImage();
        } else if (chunk.type == kGAMA && !gammaFound && chunk.length == 4) {
            std::uint8_t value[4];
            if (readAt(data, value, 4) && bigEndian32(value) != 0) {
                exponent = kGammaNumerator / float(bigEndian32(value));
                gammaFound = true;
            }
        }
        position = data + std::int64_t(chunk.length) + 4;
    }
    std::int64_t rowBytes = 1 + std::int64_t(width) * header_.bytesPerPixel;
    if (std::int64_t(height) * rowBytes > kMaxInflateRatio * imageDataBytes + kInflateSlack) invalidImage();

    exponent *= getGammaFactor();
    header_.exponent = exponent;
    gammaTableFor(exponent, gamma_);
    headerRead_ = true;
    return header_;
}

void PngDecoder::nextChunk() {
    if (!readChunkHeaderAt(nextChunk_, chunk_)) invalidImage();
    chunkData_ = nextChunk_ + 8;
    bytesLeft_ = chunk_.length;
    nextChunk_ = chunkData_ + std::int64_t(chunk_.length) + 4;
}

void PngDecoder::refillInput() {
    while (bytesLeft_ == 0) {
        nextChunk();
        if (chunk_.type != kIDAT) invalidImage();
    }
    // A chunk cut short by the end of the stream still gives what it holds.
    std::int64_t available = std::max<std::int64_t>(0, streamEnd_ - chunkData_);
    std::size_t count =
        std::size_t(std::min<std::int64_t>({bytesLeft_, std::int64_t(input_.size()), available}));
    if (count == 0 || !readAt(chunkData_, input_.data(), count)) invalidImage();
    chunkData_ += std::int64_t(count);
    bytesLeft_ -= std::uint32_t(count);
    inflater_->stream.next_in = input_.data();
    inflater_->stream.avail_in = uInt(count);
}

void PngDecoder::inflateRow(std::uint8_t* row, bool lastRow) {
    z_stream& z = inflater_->stream;
    z.next_out = row;
    z.avail_out = uInt(1 + std::int64_t(header_.width) * header_.bytesPerPixel);
    while (z.avail_out > 0) {
        if (z.avail_in == 0) refillInput();
        int result = inflate(&z, Z_SYNC_FLUSH);
        if (result == Z_STREAM_END) {
            if (z.avail_out == 0 && lastRow) return;
            invalidImage();
        }
        if (result != Z_OK) invalidImage();
    }
}

bool PngDecoder::decode(std::uint32_t* pixels) {
    if (!headerRead_) readHeader();
    nextChunk_ = firstChunk_;
    do {
        nextChunk();
    } while (chunk_.type != kIDAT);

    inflater_ = std::make_unique<Inflater>();
    if (inflateInit(&inflater_->stream) != Z_OK) invalidImage();
    inflater_->initialised = true;

    const std::size_t bpp = std::size_t(header_.bytesPerPixel);
    const std::size_t width = std::size_t(header_.width);
    const std::size_t rowBytes = width * bpp;
    std::vector<std::uint8_t> rows(2 * (rowBytes + 1), 0);
    std::uint8_t* current = rows.data();
    std::uint8_t* previous = rows.data() + rowBytes + 1;
    const std::uint8_t* gamma = gamma_.data();
    std::uint32_t alphaAnd = 255;

    for (std::int32_t y = 0; y < header_.height; ++y) {
        inflateRow(current, y == header_.height - 1);
        unfilterRow(current, previous, rowBytes, bpp);
        const std::uint8_t* in = current + 1;
        std::uint32_t* out = pixels + std::size_t(y) * width;
        if (bpp == 4) {
            for (std::size_t x = 0; x < width; ++x, in += 4) {
                std::uint32_t a = in[3];
                alphaAnd &= a;
                out[x] = premultipliedPixel(gamma[in[0]], gamma[in[1]], gamma[in[2]], a);
            }
        } else {
            for (std::size_t x = 0; x < width; ++x, in += 3)
                out[x] = std::uint32_t(gamma[in[2]]) | (std::uint32_t(gamma[in[1]]) << 8) |
                         (std::uint32_t(gamma[in[0]]) << 16);
        }
        std::swap(current, previous);
    }
    inflater_.reset();
    return alphaAnd != 255;
}

} // namespace gui
