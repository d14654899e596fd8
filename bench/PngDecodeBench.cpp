// The PNG reader's decoding speed on a 2048 x 2048 RGBA image of mixed
// content (smooth ramps, flat areas and noise; rows cycle through the five
// filters), beside zlib's own uncompress of the same image data in the same
// run. Figures are MB/s of decoded rows; the ratio of the two compares across
// machines (the goal is at least 0.6 of the raw inflate).

#include "gui/PngDecoder.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kSide = 2048;
constexpr std::size_t kRowBytes = 1 + kSide * 4;

struct TestImage {
    std::string rows;       // filtered rows as the image data holds them
    std::string compressed; // the zlib stream
    std::string png;
};

void appendBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char(std::uint8_t(value >> shift));
}

void appendChunk(std::string& out, const char* type, const std::string& data) {
    appendBigEndian(out, std::uint32_t(data.size()));
    out += std::string(type, 4) + data;
    appendBigEndian(out, 0);
}

const TestImage& testImage() {
    static const TestImage image = [] {
        TestImage made;
        std::uint32_t noise = 12345;
        made.rows.reserve(kRowBytes * kSide);
        for (std::uint32_t y = 0; y < kSide; ++y) {
            made.rows += char(y % 5);
            for (std::uint32_t x = 0; x < kSide; ++x) {
                noise = noise * 1664525u + 1013904223u;
                std::uint32_t region = (x / 256 + y / 256) % 3;
                for (std::uint32_t c = 0; c < 4; ++c) {
                    std::uint32_t value = region == 0   ? (x + y * c) & 255
                                          : region == 1 ? 128
                                                        : (noise >> (8 * c)) & 255;
                    made.rows += char(value);
                }
            }
        }
        uLongf size = compressBound(uLong(made.rows.size()));
        made.compressed.assign(size, '\0');
        compress2(reinterpret_cast<Bytef*>(made.compressed.data()), &size,
                  reinterpret_cast<const Bytef*>(made.rows.data()), uLong(made.rows.size()), 6);
        made.compressed.resize(size);
        made.png = std::string("\x89PNG\r\n\x1a\n", 8);
        std::string header;
        appendBigEndian(header, kSide);
        appendBigEndian(header, kSide);
        header += std::string("\x08\x06\0\0\0", 5);
        appendChunk(made.png, "IHDR", header);
        for (std::size_t at = 0; at < made.compressed.size(); at += 65536)
            appendChunk(made.png, "IDAT", made.compressed.substr(at, 65536));
        appendChunk(made.png, "IEND", "");
        return made;
    }();
    return image;
}

void PngDecode(benchmark::State& state) {
    const TestImage& image = testImage();
    std::vector<std::uint32_t> pixels(std::size_t(kSide) * kSide);
    for (auto _ : state) {
        std::istringstream stream(image.png);
        gui::PngDecoder decoder(stream);
        decoder.readHeader();
        benchmark::DoNotOptimize(decoder.decode(pixels.data()));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(image.rows.size()));
}

void ZlibUncompress(benchmark::State& state) {
    const TestImage& image = testImage();
    std::string out(image.rows.size(), '\0');
    for (auto _ : state) {
        uLongf size = uLongf(out.size());
        uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                   reinterpret_cast<const Bytef*>(image.compressed.data()), uLong(image.compressed.size()));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(image.rows.size()));
}

BENCHMARK(ZlibUncompress)->Unit(benchmark::kMillisecond);
BENCHMARK(PngDecode)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
