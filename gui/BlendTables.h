#pragma once

// Lookup tables of the software resampler, built once on first use
// (thread-safe) and shared by every bitmap.
//
// Bilinear weights: 32 × 32 entries indexed by the 5-bit fractional position
// of a source sample (row, column); each entry weights the four neighbouring
// pixels (top-left, next row, next column, diagonal) and sums to 255.
//
// Gamma: the decoding table takes a byte to a linear value on 0..65280
// (255 × 256, exponent 2.2, the lowest entries linear); the encoding table
// takes a linear value on 0..16320 (255 × 64 steps) back to a byte. Scaling
// through linear values keeps the brightness of resampled images.

#include <array>
#include <cstdint>

namespace gui {

using BilinearWeight = std::array<std::uint8_t, 4>;

inline constexpr int kBilinearSteps = 32;
inline constexpr int kGammaEncodeSize = 16321; // 0..255 × 64
inline constexpr int kGammaDecodeMax = 65280;  // 255 × 256

const std::array<BilinearWeight, kBilinearSteps * kBilinearSteps>& bilinearWeights();

inline const BilinearWeight& bilinearWeight(int row, int column) {
    return bilinearWeights()[static_cast<std::size_t>(row * kBilinearSteps + column)];
}

const std::array<std::uint8_t, kGammaEncodeSize>& gammaEncodeTable();
const std::array<std::uint16_t, 256>& gammaDecodeTable();

} // namespace gui
