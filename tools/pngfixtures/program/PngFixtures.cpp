// pngfixtures: writes the PNG test fixtures of the GUI tests into one file,
// each image beside what the reference decoder (libpng) makes of it.
//
//   pngfixtures <output file> [--seeds <folder>] [--images <folder>]
//
// The output is read by gui/tests/PngFixtureSet.h. Little-endian throughout:
//   "VPNGFIX1", count (u32), then per fixture:
//   name (u32 length + bytes), PNG (u32 length + bytes), gAMA value (u32, 0 = none),
//   kind (u32: 0 decodes, 1 refused), then for kind 0 width, height (u32) and
//   the reference's RGBA bytes (4 x width x height, not premultiplied, no
//   gamma), for kind 1 the expected message (u32 length + bytes).
// --seeds writes the small fixtures as seed inputs for the reader's fuzz
// target; --images writes the images the bitmap tests load as resources
// (plain and "_2x" variants, and a file that is no image).
//
// Built for the build machine and run at build time; libpng is used here and
// in no product code.

#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Fixture {
    std::string name;
    Bytes png;
    std::uint32_t gamma = 0;
    bool decodes = true;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Bytes rgba;
    std::string message;
};

struct Options {
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    int interlace = PNG_INTERLACE_NONE;
    int filters = PNG_ALL_FILTERS;
    int compression = 6;
    std::uint32_t gamma = 0; // gAMA value, 0 = none
};

// A small deterministic generator (xorshift32).
struct Noise {
    std::uint32_t state;
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

int channelsOf(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGBA:
        return 4;
    default:
        return 1; // palette indices
    }
}

void writeToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

[[noreturn]] void fail(png_structp, png_const_charp message) {
    throw std::runtime_error(message);
}

void warnNothing(png_structp, png_const_charp) {}

// Samples: rows of width x channels values of the bit depth (bytes for 8 bits,
// big-endian pairs for 16, packed for less).
Bytes encode(const Options& options, std::uint32_t width, std::uint32_t height, const Bytes& samples,
             std::size_t rowBytes) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, warnNothing);
    png_infop info = png_create_info_struct(png);
    try {
        png_set_write_fn(png, &out, writeToVector, flushNothing);
        png_set_IHDR(png, info, width, height, options.bitDepth, options.colourType, options.interlace,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (options.colourType == PNG_COLOR_TYPE_PALETTE) {
            png_color palette[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
            png_set_PLTE(png, info, palette, 4);
        }
        if (options.gamma != 0) png_set_gAMA_fixed(png, info, png_fixed_point(options.gamma));
        png_set_filter(png, 0, options.filters);
        png_set_compression_level(png, options.compression);
        png_write_info(png, info);
        std::vector<png_bytep> rows(height);
        for (std::uint32_t y = 0; y < height; ++y)
            rows[y] = const_cast<png_bytep>(samples.data() + y * rowBytes);
        png_write_image(png, rows.data());
        png_write_end(png, info);
    } catch (...) {
        png_destroy_write_struct(&png, &info);
        throw;
    }
    png_destroy_write_struct(&png, &info);
    return out;
}

struct Reader {
    const Bytes* data;
    std::size_t offset;
};

void readFromVector(png_structp png, png_bytep out, png_size_t length) {
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (reader->offset + length > reader->data->size()) png_error(png, "read past the end");
    std::memcpy(out, reader->data->data() + reader->offset, length);
    reader->offset += length;
}

// The reference decoding: 8-bit RGBA without gamma or premultiplication.
void referenceDecode(Fixture& fixture) {
    Reader reader{&fixture.png, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, warnNothing);
    png_infop info = png_create_info_struct(png);
    try {
        png_set_read_fn(png, &reader, readFromVector);
        png_read_info(png, info);
        fixture.width = png_get_image_width(png, info);
        fixture.height = png_get_image_height(png, info);
        if (png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != fixture.width * 4) throw std::runtime_error("not 8-bit RGBA");
        fixture.rgba.assign(std::size_t(fixture.width) * fixture.height * 4, 0);
        std::vector<png_bytep> rows(fixture.height);
        for (std::uint32_t y = 0; y < fixture.height; ++y)
            rows[y] = fixture.rgba.data() + std::size_t(y) * fixture.width * 4;
        png_read_image(png, rows.data());
    } catch (...) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw;
    }
    png_destroy_read_struct(&png, &info, nullptr);
}

void appendBigEndian(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

void appendChunk(Bytes& out, const char* type, const std::uint8_t* data, std::size_t length) {
    appendBigEndian(out, std::uint32_t(length));
    std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (length > 0) out.insert(out.end(), data, data + length);
    appendBigEndian(out, std::uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

struct Rewrite {
    std::size_t idatPiece = 0;   // 0: one chunk for all image data
    bool textBefore = false;     // a tEXt chunk before the image data
    bool textBetween = false;    // a tEXt chunk between two image-data chunks
    bool ancillaryAfter = false; // tIME and tEXt after the image data
};

// Rewrites the chunk sequence: image data joined and split again, extra chunks.
Bytes rewrite(const Bytes& png, const Rewrite& how) {
    Bytes out(png.begin(), png.begin() + 8);
    Bytes imageData;
    std::size_t position = 8;
    bool imageDataWritten = false;
    const std::uint8_t text[] = "Comment\0written by pngfixtures";
    const std::uint8_t time[] = {0x07, 0xE6, 1, 2, 3, 4, 5};
    while (position + 12 <= png.size()) {
        std::uint32_t length = (std::uint32_t(png[position]) << 24) |
                               (std::uint32_t(png[position + 1]) << 16) |
                               (std::uint32_t(png[position + 2]) << 8) | png[position + 3];
        std::string type(reinterpret_cast<const char*>(&png[position + 4]), 4);
        const std::uint8_t* data = &png[position + 8];
        position += 12 + length;
        if (type == "IDAT") {
            imageData.insert(imageData.end(), data, data + length);
            continue;
        }
        if (!imageData.empty() && !imageDataWritten) {
            std::size_t piece = how.idatPiece == 0 ? imageData.size() : how.idatPiece;
            if (how.textBetween) piece = std::max<std::size_t>(1, imageData.size() / 2);
            for (std::size_t at = 0; at < imageData.size(); at += piece) {
                appendChunk(out, "IDAT", imageData.data() + at, std::min(piece, imageData.size() - at));
                if (how.textBetween && at == 0) appendChunk(out, "tEXt", text, sizeof text - 1);
            }
            imageDataWritten = true;
            if (how.ancillaryAfter) {
                appendChunk(out, "tIME", time, sizeof time);
                appendChunk(out, "tEXt", text, sizeof text - 1);
            }
        }
        if (type == "IHDR") {
            appendChunk(out, type.c_str(), data, length);
            if (how.textBefore) appendChunk(out, "tEXt", text, sizeof text - 1);
            continue;
        }
        appendChunk(out, type.c_str(), data, length);
    }
    return out;
}

// An image whose rows mix smooth runs, steps and noise, so that every filter
// has something to do; alpha covers 0, 255 and values between.
Bytes pixelsFor(std::uint32_t width, std::uint32_t height, int channels, std::uint32_t seed) {
    Noise noise{seed * 2654435761u + 1};
    Bytes samples(std::size_t(width) * height * channels);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                std::uint32_t value;
                switch ((x / 3 + y + c) % 4) {
                case 0:
                    value = (x * 37 + y * 11 + c * 80) & 255;
                    break;
                case 1:
                    value = noise.next() >> 24;
                    break;
                case 2:
                    value = ((x + y) & 1) ? 255 : 0;
                    break;
                default:
                    value = 255 - ((y * 53 + c * 29) & 255);
                    break;
                }
                samples[(std::size_t(y) * width + x) * channels + std::size_t(c)] = std::uint8_t(value);
            }
    return samples;
}

Fixture decoding(const std::string& name, const Options& options, std::uint32_t width, std::uint32_t height,
                 const Bytes& samples, const Rewrite& how = {}) {
    Fixture fixture;
    fixture.name = name;
    std::size_t rowBytes = std::size_t(width) * channelsOf(options.colourType);
    fixture.png = rewrite(encode(options, width, height, samples, rowBytes), how);
    fixture.gamma = options.gamma;
    referenceDecode(fixture);
    return fixture;
}

Fixture refused(const std::string& name, const Options& options, std::uint32_t width, std::uint32_t height,
                const std::string& message, const Rewrite& how = {}) {
    Fixture fixture;
    fixture.name = name;
    int bitsPerPixel = channelsOf(options.colourType) * options.bitDepth;
    std::size_t rowBytes = (std::size_t(width) * bitsPerPixel + 7) / 8;
    Bytes samples(rowBytes * height);
    Noise noise{width * 31 + height};
    for (auto& sample : samples)
        sample = std::uint8_t(noise.next() >> 24);
    if (options.colourType == PNG_COLOR_TYPE_PALETTE)
        for (auto& sample : samples)
            sample &= 3;
    fixture.png = rewrite(encode(options, width, height, samples, rowBytes), how);
    fixture.gamma = options.gamma;
    fixture.decodes = false;
    fixture.message = message;
    return fixture;
}

std::vector<Fixture> allFixtures() {
    std::vector<Fixture> fixtures;
    const struct {
        const char* name;
        int filters;
    } filters[] = {{"None", PNG_FILTER_NONE}, {"Sub", PNG_FILTER_SUB},     {"Up", PNG_FILTER_UP},
                   {"Avg", PNG_FILTER_AVG},   {"Paeth", PNG_FILTER_PAETH}, {"Adaptive", PNG_ALL_FILTERS}};
    const std::uint32_t widths[] = {1, 2, 3, 7, 33};
    const int levels[] = {0, 1, 9};
    const std::uint32_t gammas[] = {0, 45455, 100000, 22000};
    std::uint32_t index = 0;
    for (int colourType : {PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_RGBA})
        for (const auto& filter : filters)
            for (std::uint32_t width : widths) {
                Options options;
                options.colourType = colourType;
                options.filters = filter.filters;
                options.compression = levels[index % 3];
                options.gamma = gammas[index % 4];
                Rewrite how;
                how.idatPiece = (index / 3) % 2 == 1 ? 1 : 0;
                how.textBefore = index % 5 == 2;
                how.ancillaryAfter = index % 5 == 3;
                std::uint32_t height = 2 + (index % 6);
                std::string name = std::string(colourType == PNG_COLOR_TYPE_RGB ? "Rgb8" : "Rgba8") +
                                   filter.name + "W" + std::to_string(width) + "L" +
                                   std::to_string(options.compression) + (how.idatPiece ? "Split" : "") +
                                   (options.gamma ? "G" + std::to_string(options.gamma) : "");
                fixtures.push_back(decoding(name, options, width, height,
                                            pixelsFor(width, height, channelsOf(colourType), index), how));
                ++index;
            }

    // Every alpha with every colour value: column x has colour x, row y alpha y.
    {
        Options options;
        options.colourType = PNG_COLOR_TYPE_RGBA;
        Bytes samples(256 * 256 * 4);
        for (std::uint32_t y = 0; y < 256; ++y)
            for (std::uint32_t x = 0; x < 256; ++x) {
                std::uint8_t* p = &samples[(y * 256 + x) * 4];
                p[0] = std::uint8_t(x);
                p[1] = std::uint8_t(255 - x);
                p[2] = std::uint8_t(x * 7);
                p[3] = std::uint8_t(y);
            }
        fixtures.push_back(decoding("EveryAlpha", options, 256, 256, samples));
    }
    // A fully opaque RGBA image.
    {
        Options options;
        options.colourType = PNG_COLOR_TYPE_RGBA;
        Bytes samples = pixelsFor(8, 8, 4, 99);
        for (std::size_t i = 3; i < samples.size(); i += 4)
            samples[i] = 255;
        fixtures.push_back(decoding("OpaqueRgba", options, 8, 8, samples));
    }

    const std::string unsupported = "Unsupported PNG format";
    auto with = [](int colourType, int depth, int interlace = PNG_INTERLACE_NONE) {
        Options options;
        options.colourType = colourType;
        options.bitDepth = depth;
        options.interlace = interlace;
        return options;
    };
    fixtures.push_back(refused("Grey8", with(PNG_COLOR_TYPE_GRAY, 8), 5, 4, unsupported));
    fixtures.push_back(refused("Grey1", with(PNG_COLOR_TYPE_GRAY, 1), 9, 3, unsupported));
    fixtures.push_back(refused("GreyAlpha8", with(PNG_COLOR_TYPE_GRAY_ALPHA, 8), 5, 4, unsupported));
    fixtures.push_back(refused("Palette8", with(PNG_COLOR_TYPE_PALETTE, 8), 5, 4, unsupported));
    fixtures.push_back(refused("Palette2", with(PNG_COLOR_TYPE_PALETTE, 2), 5, 4, unsupported));
    fixtures.push_back(refused("Rgb16", with(PNG_COLOR_TYPE_RGB, 16), 5, 4, unsupported));
    fixtures.push_back(refused("Rgba16", with(PNG_COLOR_TYPE_RGBA, 16), 5, 4, unsupported));
    fixtures.push_back(
        refused("Rgb8Interlaced", with(PNG_COLOR_TYPE_RGB, 8, PNG_INTERLACE_ADAM7), 9, 9, unsupported));
    fixtures.push_back(
        refused("Rgba8Interlaced", with(PNG_COLOR_TYPE_RGBA, 8, PNG_INTERLACE_ADAM7), 9, 9, unsupported));
    Rewrite between;
    between.textBetween = true;
    fixtures.push_back(
        refused("TextBetweenImageData", with(PNG_COLOR_TYPE_RGBA, 8), 16, 16, "Invalid PNG image", between));
    return fixtures;
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
}

Bytes uniformImage(std::uint32_t width, std::uint32_t height, std::uint8_t r, std::uint8_t g,
                   std::uint8_t b) {
    Options options;
    Bytes samples;
    for (std::uint32_t i = 0; i < width * height; ++i)
        samples.insert(samples.end(), {r, g, b});
    return encode(options, width, height, samples, std::size_t(width) * 3);
}

Bytes noiseImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
    Options options;
    options.colourType = PNG_COLOR_TYPE_RGBA;
    return encode(options, width, height, pixelsFor(width, height, 4, seed), std::size_t(width) * 4);
}

// The images the bitmap tests load by name.
void writeModelImages(const std::string& folder) {
    writeFile(folder + "/ModelBoth.png", uniformImage(10, 6, 255, 0, 0));
    writeFile(folder + "/ModelBoth_2x.png", uniformImage(20, 12, 0, 255, 0));
    writeFile(folder + "/ModelPlain.png", noiseImage(5, 5, 7));
    writeFile(folder + "/ModelOdd_2x.png", noiseImage(101, 51, 8));
    writeFile(folder + "/ModelNoise.png", noiseImage(12, 10, 9));
    writeFile(folder + "/ModelNoise_2x.png", noiseImage(24, 20, 10));
    std::string text = "This is no image.\n";
    writeFile(folder + "/ModelText.txt", Bytes(text.begin(), text.end()));
}

void putLittle(std::ofstream& out, std::uint32_t value) {
    char bytes[4] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
    out.write(bytes, 4);
}

void putBlock(std::ofstream& out, const void* data, std::size_t size) {
    putLittle(out, std::uint32_t(size));
    out.write(static_cast<const char*>(data), std::streamsize(size));
}

} // namespace

int main(int argc, char** argv) {
    std::string seeds, images;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--seeds")
            seeds = argv[i + 1];
        else if (std::string(argv[i]) == "--images")
            images = argv[i + 1];
        else
            argc = 0;
    }
    if (argc < 2 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: pngfixtures <output file> [--seeds <folder>] [--images <folder>]\n");
        return 2;
    }
    try {
        std::vector<Fixture> fixtures = allFixtures();
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        out.write("VPNGFIX1", 8);
        putLittle(out, std::uint32_t(fixtures.size()));
        for (const Fixture& fixture : fixtures) {
            putBlock(out, fixture.name.data(), fixture.name.size());
            putBlock(out, fixture.png.data(), fixture.png.size());
            putLittle(out, fixture.gamma);
            putLittle(out, fixture.decodes ? 0 : 1);
            if (fixture.decodes) {
                putLittle(out, fixture.width);
                putLittle(out, fixture.height);
                out.write(reinterpret_cast<const char*>(fixture.rgba.data()),
                          std::streamsize(fixture.rgba.size()));
            } else {
                putBlock(out, fixture.message.data(), fixture.message.size());
            }
        }
        if (!out) throw std::runtime_error(std::string("cannot write ") + argv[1]);
        if (!seeds.empty())
            for (const Fixture& fixture : fixtures)
                if (fixture.png.size() <= 600) writeFile(seeds + "/" + fixture.name + ".png", fixture.png);
        if (!images.empty()) writeModelImages(images);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pngfixtures: %s\n", error.what());
        return 1;
    }
    return 0;
}
