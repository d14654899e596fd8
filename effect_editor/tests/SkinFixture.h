#pragma once

// The skin tests' fixture: the manifest (embedded from resources/skin/skin.tsv
// as the resource "skin"), a PNG chunk walker and a small decoder for the 8-bit
// RGB and RGBA images the renderer writes, and the source folder.

#include "foundation/ModuleResources.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace test {

struct ManifestRow {
    std::string name;
    int width = 0;
    int height = 0;
    std::string kind;
    int cells = 1;
    std::string note;
};

// The rows of the embedded manifest, header skipped. Empty when it is missing.
inline std::vector<ManifestRow> manifest() {
    std::vector<ManifestRow> rows;
    std::optional<std::string_view> text = findResource("skin");
    if (!text) return rows;
    std::istringstream lines{std::string(*text)};
    std::string line;
    std::getline(lines, line); // header
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::string field;
        std::istringstream parts(line);
        while (std::getline(parts, field, '\t'))
            fields.push_back(field);
        if (fields.size() != 6) continue;
        rows.push_back({fields[0], std::atoi(fields[1].c_str()), std::atoi(fields[2].c_str()), fields[3],
                        std::atoi(fields[4].c_str()), fields[5]});
    }
    return rows;
}

inline std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
    return (std::uint32_t(std::uint8_t(bytes[at])) << 24) |
           (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint32_t(std::uint8_t(bytes[at + 3]));
}

struct PngChunk {
    std::string type;
    std::string_view data;
};

// The chunks after the signature, in order; none when the structure is broken.
inline std::optional<std::vector<PngChunk>> pngChunks(std::string_view bytes) {
    if (bytes.substr(0, 8) != std::string_view("\x89PNG\r\n\x1a\n", 8)) return std::nullopt;
    std::vector<PngChunk> chunks;
    std::size_t at = 8;
    while (at < bytes.size()) {
        if (bytes.size() - at < 12) return std::nullopt;
        std::uint32_t length = bigEndian32(bytes, at);
        if (length > bytes.size() - at - 12) return std::nullopt;
        chunks.push_back({std::string(bytes.substr(at + 4, 4)), bytes.substr(at + 8, length)});
        at += 12 + length;
    }
    return chunks;
}

struct PngHeader {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
};

inline PngHeader pngHeader(const PngChunk& ihdr) {
    std::string_view d = ihdr.data;
    return {int(bigEndian32(d, 0)), int(bigEndian32(d, 4)), std::uint8_t(d[8]), std::uint8_t(d[9]),
            std::uint8_t(d[12])};
}

// Straight (not premultiplied) RGBA pixels, row by row.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    int alpha(int x, int y) const { return rgba[(std::size_t(y) * width + x) * 4 + 3]; }
    std::uint32_t pixel(int x, int y) const {
        const std::uint8_t* p = &rgba[(std::size_t(y) * width + x) * 4];
        return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
    }
};

// Decodes an 8-bit, non-interlaced RGB or RGBA PNG; none for anything else.
inline std::optional<Image> decodePng(std::string_view bytes) {
    std::optional<std::vector<PngChunk>> chunks = pngChunks(bytes);
    if (!chunks || chunks->empty() || chunks->front().type != "IHDR" || chunks->front().data.size() != 13)
        return std::nullopt;
    PngHeader header = pngHeader(chunks->front());
    if (header.bitDepth != 8 || (header.colourType != 2 && header.colourType != 6) || header.interlace != 0 ||
        header.width <= 0 || header.height <= 0 || header.width > 8192 || header.height > 8192)
        return std::nullopt;
    std::string compressed;
    for (const PngChunk& chunk : *chunks)
        if (chunk.type == "IDAT") compressed += chunk.data;

    const std::size_t channels = header.colourType == 6 ? 4 : 3;
    const std::size_t stride = header.width * channels;
    std::vector<std::uint8_t> raw((stride + 1) * header.height);
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(compressed.data()),
                   uLong(compressed.size())) != Z_OK ||
        rawSize != raw.size())
        return std::nullopt;

    Image image{header.width, header.height,
                std::vector<std::uint8_t>(std::size_t(header.width) * header.height * 4)};
    std::vector<std::uint8_t> previous(stride, 0), current(stride);
    for (int y = 0; y < header.height; ++y) {
        const std::uint8_t* line = &raw[y * (stride + 1)];
        for (std::size_t i = 0; i < stride; ++i) {
            int a = i >= channels ? current[i - channels] : 0;
            int b = previous[i];
            int c = i >= channels ? previous[i - channels] : 0;
            int predictor = 0;
            switch (line[0]) {
            case 0:
                break;
            case 1:
                predictor = a;
                break;
            case 2:
                predictor = b;
                break;
            case 3:
                predictor = (a + b) / 2;
                break;
            case 4: {
                int p = a + b - c;
                int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                break;
            }
            default:
                return std::nullopt;
            }
            current[i] = std::uint8_t(line[1 + i] + predictor);
        }
        for (int x = 0; x < header.width; ++x) {
            std::uint8_t* out = &image.rgba[(std::size_t(y) * header.width + x) * 4];
            for (std::size_t k = 0; k < 3; ++k)
                out[k] = current[x * channels + k];
            out[3] = channels == 4 ? current[x * channels + 3] : 255;
        }
        std::swap(previous, current);
    }
    return image;
}

// resources/skin/ of the source tree (the test runner sets VARNEL_SOURCE_DIR).
inline std::string skinSourceFolder() {
    const char* root = std::getenv("VARNEL_SOURCE_DIR");
    return std::string(root ? root : ".") + "/resources/skin/";
}

inline std::optional<std::string> readSkinFile(const std::string& relative) {
    std::ifstream in(skinSourceFolder() + relative, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace test
