#pragma once

// The PNG fixtures that tools/pngfixtures writes at build time (embedded as
// the resource "PngFixtures"): each image with libpng's decoding of it, or
// the message the reader must refuse it with.

#include "foundation/SystemUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace test {

struct PngFixture {
    std::string name;
    std::string png;
    std::uint32_t gamma = 0; // gAMA value, 0 = none
    bool decodes = true;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba; // libpng's decoding: RGBA, no gamma, not premultiplied
    std::string message;
};

inline std::vector<PngFixture> loadPngFixtures() {
    std::vector<PngFixture> fixtures;
    std::optional<std::string_view> found = findResource("PngFixtures");
    if (!found) {
        ADD_FAILURE() << "the PngFixtures resource is missing";
        return fixtures;
    }
    std::string_view data = *found;
    std::size_t at = 0;
    auto take = [&](std::size_t count) {
        if (at + count > data.size()) throw std::runtime_error("PngFixtures is cut short");
        std::string_view piece = data.substr(at, count);
        at += count;
        return piece;
    };
    auto u32 = [&] {
        std::string_view b = take(4);
        return std::uint32_t(std::uint8_t(b[0])) | std::uint32_t(std::uint8_t(b[1])) << 8 |
               std::uint32_t(std::uint8_t(b[2])) << 16 | std::uint32_t(std::uint8_t(b[3])) << 24;
    };
    auto block = [&] { return std::string(take(u32())); };
    if (take(8) != "VPNGFIX1") throw std::runtime_error("PngFixtures has no signature");
    std::uint32_t count = u32();
    for (std::uint32_t i = 0; i < count; ++i) {
        PngFixture fixture;
        fixture.name = block();
        fixture.png = block();
        fixture.gamma = u32();
        fixture.decodes = u32() == 0;
        if (fixture.decodes) {
            fixture.width = u32();
            fixture.height = u32();
            std::string_view rgba = take(std::size_t(fixture.width) * fixture.height * 4);
            fixture.rgba.assign(rgba.begin(), rgba.end());
        } else {
            fixture.message = block();
        }
        fixtures.push_back(std::move(fixture));
    }
    return fixtures;
}

// The gamma table the reader must use, computed here on its own.
inline std::vector<std::uint8_t> expectedGammaTable(std::uint32_t gamma, float factor) {
    float exponent = gamma == 0 ? 1.0101009f : 45454.547f / float(gamma);
    exponent *= factor;
    std::vector<std::uint8_t> table(256);
    for (int i = 0; i < 256; ++i)
        table[std::size_t(i)] = std::uint8_t(std::trunc(std::pow(i / 255.0, double(exponent)) * 255.0));
    return table;
}

// libpng's RGBA through the gamma table, premultiplied, as stored pixels.
inline std::vector<std::uint32_t> expectedPixels(const PngFixture& fixture, float factor) {
    std::vector<std::uint8_t> table = expectedGammaTable(fixture.gamma, factor);
    std::vector<std::uint32_t> pixels(std::size_t(fixture.width) * fixture.height);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint8_t* p = &fixture.rgba[i * 4];
        std::uint32_t a = p[3];
        auto premultiply = [a](std::uint32_t c) { return (c * a + 127) / 255; };
        std::uint32_t r = premultiply(table[p[0]]), g = premultiply(table[p[1]]),
                      b = premultiply(table[p[2]]);
        pixels[i] = b | g << 8 | r << 16 | (255 - a) << 24;
    }
    return pixels;
}

} // namespace test
