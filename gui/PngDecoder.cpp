#include "gui/PngDecoder.h"

#include "gui/EBitmap.h"

#include <emmintrin.h>
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

// Premultiplied (t = c x a + 128, (t + (t >> 8)) >> 8; exact at a = 255), stored b, g, r, 255 - a.
inline std::uint32_t premultipliedPixel(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
    std::uint32_t t = r * a + 128;
    r = (t + (t >> 8)) >> 8;
    t = g * a + 128;
    g = (t + (t >> 8)) >> 8;
    t = b * a + 128;
    b = (t + (t >> 8)) >> 8;
    return b | (g << 8) | (r << 16) | ((255 - a) << 24);
}

// Bytewise sum and bytewise floor average of four bytes at once.
inline std::uint32_t addBytes(std::uint32_t x, std::uint32_t y) {
    return ((x & 0x7F7F7F7Fu) + (y & 0x7F7F7F7Fu)) ^ ((x ^ y) & 0x80808080u);
}
inline std::uint32_t averageBytes(std::uint32_t x, std::uint32_t y) {
    return (x & y) + (((x ^ y) & 0xFEFEFEFEu) >> 1);
}
inline std::uint32_t load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void store32(std::uint8_t* p, std::uint32_t v) {
    std::memcpy(p, &v, 4);
}

// The PNG predictor: of a (left), b (up) and c (up-left), the one closest to
// a + b - c, preferring a, then b.
inline int paeth(int a, int b, int c) {
    int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

// Reverses the row's filter in place; prev is the unfiltered row above (all
// zeros for the first row). Both start with the filter byte. Bpp is 3 or 4.
template <std::size_t Bpp> void unfilterRow(std::uint8_t* row, const std::uint8_t* prev, std::size_t bytes) {
    std::uint8_t* x = row + 1;
    const std::uint8_t* b = prev + 1;
    if constexpr (Bpp == 4) {
        // Four bytes (one pixel) at a time where the filter works bytewise.
        if (row[0] == 1) {
            std::uint32_t left = load32(x);
            for (std::size_t i = 4; i < bytes; i += 4)
                store32(x + i, left = addBytes(load32(x + i), left));
            return;
        }
        if (row[0] == 4) {
            // One pixel at a time in 16-bit lanes: the predictor picks per channel.
            const __m128i zero = _mm_setzero_si128();
            __m128i a = zero, c = zero;
            for (std::size_t i = 0; i < bytes; i += 4) {
                __m128i up = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(load32(b + i))), zero);
                __m128i p = _mm_sub_epi16(up, c); // (a + b - c) - a
                __m128i q = _mm_sub_epi16(a, c);  // (a + b - c) - b
                __m128i pa = _mm_max_epi16(p, _mm_sub_epi16(zero, p));
                __m128i pb = _mm_max_epi16(q, _mm_sub_epi16(zero, q));
                __m128i r = _mm_add_epi16(p, q); // (a + b - c) - c
                __m128i pc = _mm_max_epi16(r, _mm_sub_epi16(zero, r));
                // a when pa <= pb and pa <= pc; else b when pb <= pc; else c.
                __m128i takeA = _mm_andnot_si128(
                    _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc)), _mm_set1_epi16(-1));
                __m128i takeB = _mm_andnot_si128(_mm_cmpgt_epi16(pb, pc), _mm_set1_epi16(-1));
                __m128i predictor =
                    _mm_or_si128(_mm_and_si128(takeA, a),
                                 _mm_andnot_si128(takeA, _mm_or_si128(_mm_and_si128(takeB, up),
                                                                      _mm_andnot_si128(takeB, c))));
                __m128i filtered = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(load32(x + i))), zero);
                a = _mm_and_si128(_mm_add_epi16(filtered, predictor), _mm_set1_epi16(0xFF));
                store32(x + i, std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(a, a))));
                c = up;
            }
            return;
        }
        if (row[0] == 3) {
            std::uint32_t left = 0;
            for (std::size_t i = 0; i < bytes; i += 4) {
                // floor((a + b) / 2) bytewise, then added to the filtered bytes.
                left = addBytes(load32(x + i), averageBytes(left, load32(b + i)));
                store32(x + i, left);
            }
            return;
        }
    }
    switch (row[0]) {
    case 1:
        for (std::size_t i = Bpp; i < bytes; ++i)
            x[i] = std::uint8_t(x[i] + x[i - Bpp]);
        break;
    case 2:
        for (std::size_t i = 0; i < bytes; ++i)
            x[i] = std::uint8_t(x[i] + b[i]);
        break;
    case 3:
        for (std::size_t i = 0; i < Bpp; ++i)
            x[i] = std::uint8_t(x[i] + (b[i] >> 1));
        for (std::size_t i = Bpp; i < bytes; i += Bpp)
            for (std::size_t k = 0; k < Bpp; ++k)
                x[i + k] = std::uint8_t(x[i + k] + ((unsigned(x[i + k - Bpp]) + unsigned(b[i + k])) >> 1));
        break;
    case 4:
        for (std::size_t i = 0; i < Bpp; ++i)
            x[i] = std::uint8_t(x[i] + b[i]); // a = c = 0: the predictor is b
        for (std::size_t i = Bpp; i < bytes; i += Bpp)
            for (std::size_t k = 0; k < Bpp; ++k)
                x[i + k] = std::uint8_t(x[i + k] + paeth(x[i + k - Bpp], b[i + k], b[i + k - Bpp]));
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
        if (bpp == 4)
            unfilterRow<4>(current, previous, rowBytes);
        else
            unfilterRow<3>(current, previous, rowBytes);
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
