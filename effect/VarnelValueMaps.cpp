#include "effect/VarnelValueMaps.h"

#include "dsp/ValueMaps.h"

#include <cmath>
#include <cstddef>
#include <iterator>

namespace {
constexpr float kTable14X[] = {0.0f,  0.15f, 0.2f,  0.33f, 0.4f,  0.5f,  0.6f,
                               0.68f, 0.75f, 0.85f, 0.9f,  0.95f, 0.98f, 1.0f};
constexpr float kTable14Y[] = {0.0f,  0.02f, 0.03f, 0.05f, 0.07f, 0.1f,  0.13f,
                               0.17f, 0.22f, 0.35f, 0.46f, 0.66f, 0.82f, 1.0f};
constexpr float kTable8X[] = {0.0f, 0.001f, 0.007f, 0.03f, 0.1f, 0.3f, 0.5f, 1.0f};
constexpr float kTable8Y[] = {0.0f, 0.2f, 0.5f, 0.7f, 0.8f, 0.9f, 0.95f, 0.98f};
static_assert(std::size(kTable14X) == std::size(kTable14Y));
static_assert(std::size(kTable8X) == std::size(kTable8Y));

// ln(10) / 20: decibels to the exponent of e.
constexpr float kDbToExponent = 0.1151292546497023f;
// 1 / 0.23988324, the slope of the level curve's straight tail inverted.
constexpr float kLevelTailInverseSlope = 4.168695f;
// Where the straight tail meets the 36 dB-per-unit curve (-32.4 dB).
constexpr float kLevelTailEnd = 0.023988325f;
// 1 / 36: one unit of position per 36 dB.
constexpr float kPositionPerDb = 0.027777778f;
// 1 / 3.5: octaves of filter pan per unit.
constexpr float kFilterPanPerOctave = 0.2857143f;
constexpr float kFilterPanOctaves = 3.5f;

template <std::size_t N>
float throughPoints(const float (&xs)[N], const float (&ys)[N], float x, float beyond) {
    if (!(x > xs[0])) return ys[0];
    for (std::size_t i = 1; i < N; ++i)
        if (!(xs[i] < x)) return ys[i - 1] + (ys[i] - ys[i - 1]) * (x - xs[i - 1]) / (xs[i] - xs[i - 1]);
    return beyond;
}
} // namespace

float mapByTable14(float x) {
    return throughPoints(kTable14X, kTable14Y, x, 1.0f);
}

float mapByTable14Inverse(float x) {
    return throughPoints(kTable14Y, kTable14X, x, 1.0f);
}

float mapByTable8(float x) {
    return throughPoints(kTable8X, kTable8Y, x, 0.98f);
}

float mapByTable8Inverse(float x) {
    return throughPoints(kTable8Y, kTable8X, x, 1.0f);
}

float ratioFromOctaves(float x) {
    return std::pow(2.0f, x);
}

float positionFromLevel(float g) {
    if (g <= kLevelTailEnd) return g * kLevelTailInverseSlope;
    return gainToDb(g) * kPositionPerDb + 1.0f;
}

float dbToGain(float x) {
    return std::exp(x * kDbToExponent);
}

float octavesToFilterPan(float x) {
    return x * kFilterPanPerOctave;
}

float filterPanToOctaves(float x) {
    return x * kFilterPanOctaves;
}
