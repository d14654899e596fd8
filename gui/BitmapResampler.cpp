#include "gui/BitmapResampler.h"

#include "gui/BlendTables.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace gui::resample {

namespace {

// Strong boundaries: a sum above this many units per pixel summed over.
constexpr std::int64_t kStrongPerPixel = 16;
constexpr std::int64_t kMaxThreshold = 10000;
constexpr std::int64_t kNoThreshold = std::int64_t{1} << 30;

struct RatioInfo {
    int a; // destination pixels per cycle
    int d; // source pixels per cycle
};

RatioInfo info(Ratio ratio) {
    switch (ratio) {
    case Ratio::k5to8:
        return {5, 8};
    case Ratio::k3to4:
        return {3, 4};
    case Ratio::k7to8:
        return {7, 8};
    case Ratio::k9to8:
        return {9, 8};
    case Ratio::k5to4:
        return {5, 4};
    }
    return {1, 1};
}

// The channels of a pixel in linear light; the fourth is alpha (T inverted).
struct Linear {
    std::uint32_t c[4];
};

inline Linear toLinear(std::uint32_t pixel) {
    const auto& decode = gammaDecodeTable();
    return {{decode[pixel & 0xFF], decode[(pixel >> 8) & 0xFF], decode[(pixel >> 16) & 0xFF],
             decode[255 - (pixel >> 24)]}};
}

// Sums scaled to 0..16320 back to a pixel.
inline std::uint32_t fromLinearSums(const std::uint64_t sums[4], int shift) {
    const auto& encode = gammaEncodeTable();
    auto at = [&](int i) {
        std::uint64_t v = std::min<std::uint64_t>(sums[i] >> shift, kGammaEncodeSize - 1);
        return std::uint32_t(encode[std::size_t(v)]);
    };
    return at(0) | (at(1) << 8) | (at(2) << 16) | ((255 - at(3)) << 24);
}

inline std::uint32_t sampleAt(const Block& source, int x, int y) {
    x = std::clamp(x, 0, source.width - 1);
    y = std::clamp(y, 0, source.height - 1);
    return source.pixels[std::size_t(y) * std::size_t(source.width) + std::size_t(x)];
}

bool usable(const Block& source, const Target& target) {
    return source.pixels != nullptr && target.pixels != nullptr && source.width > 0 && source.height > 0 &&
           target.width > 0 && target.height > 0;
}

std::int64_t largestByteDifference(std::uint32_t p, std::uint32_t q) {
    std::int64_t largest = 0;
    for (int shift = 0; shift < 32; shift += 8)
        largest =
            std::max<std::int64_t>(largest, std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
    return largest;
}

EdgeStrengths finish(std::vector<std::int64_t> sums, std::int64_t pixelsPerBoundary) {
    EdgeStrengths result;
    std::int64_t strongTotal = 0, strongCount = 0;
    for (std::int64_t sum : sums)
        if (sum > kStrongPerPixel * pixelsPerBoundary) {
            strongTotal += sum;
            ++strongCount;
        }
    result.threshold = strongCount == 0 ? kNoThreshold : std::min(kMaxThreshold, strongTotal / strongCount);
    sums.resize((sums.size() + 3) / 4 * 4, 0);
    result.strengths = std::move(sums);
    return result;
}

} // namespace

bool chooseRatio(int sourceWidth, int sourceHeight, int width, int height, Ratio& ratio) {
    for (Ratio candidate : {Ratio::k5to8, Ratio::k3to4, Ratio::k7to8, Ratio::k9to8, Ratio::k5to4}) {
        RatioInfo r = info(candidate);
        if (std::int64_t(r.d) * (width - 1) < std::int64_t(r.a) * sourceWidth &&
            std::int64_t(r.d) * (height - 1) < std::int64_t(r.a) * sourceHeight) {
            ratio = candidate;
            return true;
        }
    }
    return false;
}

void halve(const Block& source, const Target& target) {
    if (!usable(source, target)) return;
    for (int y = 0; y < target.height; ++y)
        for (int x = 0; x < target.width; ++x) {
            std::uint64_t sums[4] = {};
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    Linear l = toLinear(sampleAt(source, 2 * x + dx, 2 * y + dy));
                    for (int c = 0; c < 4; ++c)
                        sums[c] += l.c[c];
                }
            target.pixels[std::size_t(y) * std::size_t(target.width) + std::size_t(x)] =
                fromLinearSums(sums, 4);
        }
}

void threeHalves(const Block& source, const Target& target) {
    if (!usable(source, target)) return;
    static constexpr int kWeights[3][2] = {{2, 0}, {1, 1}, {0, 2}};
    for (int y = 0; y < target.height; ++y) {
        const int* wy = kWeights[y % 3];
        int sy = 2 * (y / 3);
        for (int x = 0; x < target.width; ++x) {
            const int* wx = kWeights[x % 3];
            int sx = 2 * (x / 3);
            std::uint64_t sums[4] = {};
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i) {
                    std::uint32_t weight = std::uint32_t(wx[i] * wy[j]);
                    if (weight == 0) continue;
                    Linear l = toLinear(sampleAt(source, sx + i, sy + j));
                    for (int c = 0; c < 4; ++c)
                        sums[c] += std::uint64_t(l.c[c]) * weight;
                }
            target.pixels[std::size_t(y) * std::size_t(target.width) + std::size_t(x)] =
                fromLinearSums(sums, 4);
        }
    }
}

void nearest(const Block& source, const Target& target) {
    if (!usable(source, target)) return;
    for (int y = 0; y < target.height; ++y) {
        int sy = int(std::int64_t(y) * source.height / target.height);
        for (int x = 0; x < target.width; ++x) {
            int sx = int(std::int64_t(x) * source.width / target.width);
            target.pixels[std::size_t(y) * std::size_t(target.width) + std::size_t(x)] =
                sampleAt(source, sx, sy);
        }
    }
}

EdgeStrengths columnStrengths(const Block& source) {
    std::vector<std::int64_t> sums(std::size_t(std::max(0, source.width - 1)), 0);
    for (int y = 0; y < source.height; ++y)
        for (int k = 0; k + 1 < source.width; ++k)
            sums[std::size_t(k)] += largestByteDifference(sampleAt(source, k, y), sampleAt(source, k + 1, y));
    return finish(std::move(sums), source.height);
}

EdgeStrengths rowStrengths(const Block& source) {
    std::vector<std::int64_t> sums(std::size_t(std::max(0, source.height - 1)), 0);
    for (int k = 0; k + 1 < source.height; ++k)
        for (int x = 0; x < source.width; ++x)
            sums[std::size_t(k)] += largestByteDifference(sampleAt(source, x, k), sampleAt(source, x, k + 1));
    return finish(std::move(sums), source.width);
}

std::vector<int> phases(const EdgeStrengths& edges, Ratio ratio, int count) {
    const RatioInfo r = info(ratio);
    const std::int64_t theta = edges.threshold;
    // Boundaries past the list have no strength; the one before the first is a wall.
    auto strength = [&](std::int64_t i) -> std::int64_t {
        if (i < 0) return kNoThreshold;
        if (i >= std::int64_t(edges.strengths.size())) return 0;
        return edges.strengths[std::size_t(i)];
    };
    auto adaptive = [&](std::int64_t m) {
        if (strength(m + 1) <= theta) return r.d / 2;
        std::int64_t best = m - 1;
        for (std::int64_t k = m; k <= m + 2; ++k)
            if (strength(k) > strength(best)) best = k;
        return (best == m - 1 || best == m + 1) ? r.d / 4 : 3 * r.d / 4;
    };
    std::vector<int> out;
    out.reserve(std::size_t(std::max(0, count)) + 9);
    for (std::int64_t b = 0; int(out.size()) < count; b += r.d) {
        switch (ratio) {
        case Ratio::k5to8:
            out.insert(out.end(), {5, strength(b + 1) <= theta ? 2 : 1, adaptive(b + 2),
                                   strength(b + 5) > theta ? 7 : 6, 3});
            break;
        case Ratio::k7to8:
            out.insert(out.end(), {7, 6, 5, adaptive(b + 2), 3, 2, 1});
            break;
        case Ratio::k9to8:
            out.insert(out.end(), {8, 1, 2, 3, adaptive(b + 2), 5, 6, 7, 8});
            break;
        case Ratio::k5to4:
            out.insert(out.end(), {4, 1, adaptive(b), 3, 4});
            break;
        case Ratio::k3to4:
            out.insert(out.end(), {3, adaptive(b), 1});
            break;
        }
    }
    out.resize(std::size_t(std::max(0, count)));
    return out;
}

void edgeAware(const Block& source, const Target& target, Ratio ratio) {
    if (!usable(source, target)) return;
    const RatioInfo r = info(ratio);
    const std::vector<int> columnPhases = phases(columnStrengths(source), ratio, target.width);
    const std::vector<int> rowPhases = phases(rowStrengths(source), ratio, target.height);
    const int shift = r.d == 8 ? 8 : 6;
    const int carry = ratio == Ratio::k5to8 ? 1 : 0;

    // The source column of every destination column.
    std::vector<int> columns(std::size_t(target.width));
    int column = 0;
    for (int x = 0; x < target.width; ++x) {
        columns[std::size_t(x)] = column;
        int inCycle = x % r.a;
        int advance = 1;
        switch (ratio) {
        case Ratio::k9to8:
        case Ratio::k5to4:
            advance = inCycle == 0 ? 0 : 1;
            break;
        case Ratio::k7to8:
        case Ratio::k3to4:
            advance = inCycle == r.a - 1 ? 2 : 1;
            break;
        case Ratio::k5to8:
            advance = (inCycle == 1 || inCycle == 2 || inCycle == 4) ? 2 : 1;
            break;
        }
        column += advance;
    }

    for (int y = 0; y < target.height; ++y) {
        int row = int((std::int64_t(r.d) * y + carry) / r.a);
        int pr = rowPhases[std::size_t(y)];
        for (int x = 0; x < target.width; ++x) {
            int sx = columns[std::size_t(x)];
            int pc = columnPhases[std::size_t(x)];
            const std::uint32_t weights[4] = {std::uint32_t(pr * pc), std::uint32_t(pr * (r.d - pc)),
                                              std::uint32_t((r.d - pr) * pc),
                                              std::uint32_t((r.d - pr) * (r.d - pc))};
            const std::uint32_t samples[4] = {sampleAt(source, sx, row), sampleAt(source, sx + 1, row),
                                              sampleAt(source, sx, row + 1),
                                              sampleAt(source, sx + 1, row + 1)};
            std::uint64_t sums[4] = {};
            for (int k = 0; k < 4; ++k) {
                if (weights[k] == 0) continue;
                Linear l = toLinear(samples[k]);
                for (int c = 0; c < 4; ++c)
                    sums[c] += std::uint64_t(l.c[c]) * weights[k];
            }
            target.pixels[std::size_t(y) * std::size_t(target.width) + std::size_t(x)] =
                fromLinearSums(sums, shift);
        }
    }
}

} // namespace gui::resample
