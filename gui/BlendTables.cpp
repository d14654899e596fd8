#include "gui/BlendTables.h"

#include <cmath>

namespace gui {

const std::array<BilinearWeight, kBilinearSteps * kBilinearSteps>& bilinearWeights() {
    static const auto table = [] {
        std::array<BilinearWeight, kBilinearSteps * kBilinearSteps> t{};
        for (int i = 0; i < kBilinearSteps; ++i) {
            for (int j = 0; j < kBilinearSteps; ++j) {
                const int a = i * 255 / kBilinearSteps;
                const int b = j * 255 / kBilinearSteps;
                const int p = a * b / 255;
                t[static_cast<std::size_t>(i * kBilinearSteps + j)] = {
                    static_cast<std::uint8_t>(255 - a - b + p), static_cast<std::uint8_t>(a - p),
                    static_cast<std::uint8_t>(b - p), static_cast<std::uint8_t>(p)};
            }
        }
        return t;
    }();
    return table;
}

const std::array<std::uint8_t, kGammaEncodeSize>& gammaEncodeTable() {
    static const auto table = [] {
        std::array<std::uint8_t, kGammaEncodeSize> t{};
        for (int i = 0; i < kGammaEncodeSize; ++i) {
            if (i <= 7) {
                t[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
                continue;
            }
            const double v = 255.0 * std::pow(i / static_cast<double>(kGammaEncodeSize - 1), 1.0 / 2.2);
            t[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::lround(v));
        }
        return t;
    }();
    return table;
}

const std::array<std::uint16_t, 256>& gammaDecodeTable() {
    static const auto table = [] {
        std::array<std::uint16_t, 256> t{};
        for (int i = 0; i < 256; ++i) {
            long v = i < 8 ? 4L * i : std::lround(kGammaDecodeMax * std::pow(i / 255.0, 2.2));
            if (i >= 1 && i <= 8) v += 1;
            t[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(v);
        }
        return t;
    }();
    return table;
}

} // namespace gui
