// The PNG reader: any input ends in gui::EBitmap or in an image of the
// header's size whose colours never exceed their alpha (premultiplied). When
// libpng (CRC and checksum errors ignored) also decodes the input, every pixel
// equals libpng's through the same gamma table.

#include "gui/EBitmap.h"
#include "gui/PngDecoder.h"

#include <png.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Source {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset;
};

void readSource(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (length > source->size - source->offset) png_error(png, "end of input");
    std::memcpy(out, source->data + source->offset, length);
    source->offset += length;
}

[[noreturn]] void failed(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void quiet(png_structp, png_const_charp) {}

// libpng's RGBA of an 8-bit truecolour image, or nothing.
bool referenceDecode(const std::uint8_t* data, std::size_t size, std::uint32_t width, std::uint32_t height,
                     std::vector<std::uint8_t>& rgba) {
    Source source{data, size, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failed, quiet);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &source, readSource);
        png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
        png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
        png_set_user_limits(png, 16384, 16384);
        png_read_info(png, info);
        if (png_get_image_width(png, info) == width && png_get_image_height(png, info) == height) {
            if (png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB)
                png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
            png_read_update_info(png, info);
            rgba.assign(std::size_t(width) * height * 4, 0);
            rows.resize(height);
            for (std::uint32_t y = 0; y < height; ++y)
                rows[y] = rgba.data() + std::size_t(y) * width * 4;
            png_read_image(png, rows.data());
            ok = true;
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    gui::PngDecoder decoder(stream);
    gui::PngDecoder::Header header;
    std::vector<std::uint32_t> pixels;
    try {
        header = decoder.readHeader();
        if (header.width < 1 || header.height < 1 || header.width > gui::PngDecoder::kMaxSide ||
            header.height > gui::PngDecoder::kMaxSide ||
            std::int64_t(header.width) * header.height > gui::PngDecoder::kMaxPixels)
            __builtin_trap();
        pixels.assign(std::size_t(header.width) * std::size_t(header.height), 0xFF000000u);
        decoder.decode(pixels.data());
    } catch (const gui::EBitmap&) {
        return 0;
    }
    for (std::uint32_t p : pixels) {
        std::uint32_t alpha = 255 - (p >> 24);
        for (int shift = 0; shift < 24; shift += 8)
            if (((p >> shift) & 0xFF) > alpha) __builtin_trap();
    }

    std::vector<std::uint8_t> rgba;
    if (!referenceDecode(data, size, std::uint32_t(header.width), std::uint32_t(header.height), rgba))
        return 0;
    std::uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = std::uint8_t(std::trunc(std::pow(i / 255.0, double(header.exponent)) * 255.0));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint8_t* q = &rgba[i * 4];
        std::uint32_t a = q[3];
        auto premultiply = [a](std::uint32_t c) { return (c * a + 127) / 255; };
        std::uint32_t expected = premultiply(table[q[2]]) | premultiply(table[q[1]]) << 8 |
                                 premultiply(table[q[0]]) << 16 | (255 - a) << 24;
        if (pixels[i] != expected) __builtin_trap();
    }
    return 0;
}
