#pragma once

// Whole-picture checks against small golden PNGs in gui/tests/data/, which
// the GUI tests embed as resources named "Golden<Name>" and read back with
// the toolkit's own reader. Golden pictures are opaque, so they survive
// the PNG round trip exactly.
//
// Regenerating them (after a deliberate change of the drawing), natively:
//   VARNEL_WRITE_GOLDEN=1 VARNEL_SOURCE_DIR=$PWD build/linux/gui/gui_tests --gtest_filter='*Golden*'
// writes gui/tests/data/Golden<Name>.png; look at every picture before
// committing it.

#include "gui/Bitmap.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace test {

inline void appendPngChunk(std::string& out, const char* type, const std::string& data) {
    auto be = [&out](std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += char(std::uint8_t(v >> shift));
    };
    be(std::uint32_t(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    be(std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

// An opaque bitmap as an RGB PNG with gAMA 45455 (read back unchanged at the gamma factor 1.0).
inline std::string encodeOpaquePng(const gui::Bitmap& bitmap) {
    auto be = [](std::string& out, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += char(std::uint8_t(v >> shift));
    };
    std::string header, gamma, rows;
    be(header, std::uint32_t(bitmap.pixelWidth()));
    be(header, std::uint32_t(bitmap.pixelHeight()));
    header += std::string("\x08\x02\0\0\0", 5);
    be(gamma, 45455);
    for (int y = 0; y < bitmap.pixelHeight(); ++y) {
        rows += '\0';
        for (int x = 0; x < bitmap.pixelWidth(); ++x) {
            std::uint32_t p = bitmap.getPixels()[y * bitmap.pixelWidth() + x];
            rows += std::string{char(p >> 16), char(p >> 8), char(p)};
        }
    }
    uLongf size = compressBound(uLong(rows.size()));
    std::string data(size, '\0');
    compress2(reinterpret_cast<Bytef*>(data.data()), &size, reinterpret_cast<const Bytef*>(rows.data()),
              uLong(rows.size()), 9);
    data.resize(size);
    std::string png("\x89PNG\r\n\x1a\n", 8);
    appendPngChunk(png, "IHDR", header);
    appendPngChunk(png, "gAMA", gamma);
    appendPngChunk(png, "IDAT", data);
    appendPngChunk(png, "IEND", "");
    return png;
}

inline void expectGolden(const gui::Bitmap& bitmap, const std::string& name) {
    for (int i = 0; i < bitmap.pixelWidth() * bitmap.pixelHeight(); ++i)
        ASSERT_EQ(bitmap.getPixels()[i] >> 24, 0u) << "golden pictures must be opaque (pixel " << i << ")";
    const char* write = std::getenv("VARNEL_WRITE_GOLDEN");
    const char* source = std::getenv("VARNEL_SOURCE_DIR");
    if (write != nullptr && source != nullptr) {
        std::ofstream file(std::string(source) + "/gui/tests/data/Golden" + name + ".png", std::ios::binary);
        file << encodeOpaquePng(bitmap);
        ASSERT_TRUE(file.good());
        return;
    }
    gui::DeviceBacking backing;
    gui::Bitmap golden(backing);
    golden.load("Golden" + name);
    ASSERT_EQ(golden.pixelWidth(), bitmap.pixelWidth());
    ASSERT_EQ(golden.pixelHeight(), bitmap.pixelHeight());
    int differing = 0;
    for (int i = 0; i < bitmap.pixelWidth() * bitmap.pixelHeight(); ++i)
        if (golden.getPixels()[i] != bitmap.getPixels()[i]) ++differing;
    EXPECT_EQ(differing, 0) << "pixels differ from gui/tests/data/Golden" << name << ".png";
}

} // namespace test
