#pragma once

// Resampling of a loaded image to the device scale, on plain pixel blocks
// (rows top-down without padding). Averages are taken in linear light: each
// channel goes through the decoding gamma table, the weighted sum is scaled
// to 0..16320 and goes back through the encoding table; alpha is averaged as
// alpha (the stored T inverted before and after).
//
//   halve         the source is twice the destination in both axes: 2 x 2 blocks;
//   threeHalves   2 source pixels to 3: weights (2, 0), (1, 1), (0, 2) per axis;
//   edgeAware     ratios 5 : 8, 3 : 4, 7 : 8, 9 : 8 and 5 : 4 with phases that
//                 follow the strong edges of the source;
//   nearest       any other size.
//
// Every function reads only inside the source and writes exactly the
// destination: indices past the last row or column read the last one.

#include <cstdint>
#include <vector>

namespace gui::resample {

struct Block {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

struct Target {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

enum class Ratio { k5to8, k3to4, k7to8, k9to8, k5to4 };

// The first ratio A : D (in the order above) for which D x (destination - 1)
// < A x source in both axes; false when none fits.
bool chooseRatio(int sourceWidth, int sourceHeight, int width, int height, Ratio& ratio);

void halve(const Block& source, const Target& target);
void threeHalves(const Block& source, const Target& target);
void edgeAware(const Block& source, const Target& target, Ratio ratio);
void nearest(const Block& source, const Target& target);

// The pieces of the edge-aware resampler, for tests.
struct EdgeStrengths {
    std::vector<std::int64_t> strengths; // per boundary, zero-padded to a multiple of four
    std::int64_t threshold = 0;          // mean of the strong sums (at most 10000), else 2^30
};
EdgeStrengths columnStrengths(const Block& source);
EdgeStrengths rowStrengths(const Block& source);
// The weight (in 1 / D) of the first of the two source pixels, per destination pixel.
std::vector<int> phases(const EdgeStrengths& strengths, Ratio ratio, int count);

} // namespace gui::resample
