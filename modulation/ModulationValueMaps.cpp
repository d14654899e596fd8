#include "modulation/ModulationValueMaps.h"

#include <cmath>
#include <cstddef>
#include <iterator>

namespace {
constexpr float kPositions[] = {0.0f, 0.1f, 0.25f, 0.5f, 0.7f, 0.9f, 1.0f};
constexpr float kLevels[] = {0.0f, 0.002f, 0.05f, 0.16f, 0.36f, 0.91f, 1.0f};
constexpr std::size_t kPoints = std::size(kPositions);

// Through the points: the first y at or below the first x; else between the
// first point whose x is not below the input and the point before it; the
// last y beyond the last point.
float throughPoints(const float* xs, const float* ys, float x) {
    if (!(x > xs[0])) return ys[0];
    for (std::size_t i = 1; i < kPoints; ++i)
        if (!(xs[i] < x)) return ys[i - 1] + (ys[i] - ys[i - 1]) * (x - xs[i - 1]) / (xs[i] - xs[i - 1]);
    return ys[kPoints - 1];
}

float oddSymmetric(const float* xs, const float* ys, float x) {
    float y = throughPoints(xs, ys, std::fabs(x));
    return x < 0.0f ? -y : y;
}
} // namespace

float mapByTable7(float x) {
    return oddSymmetric(kPositions, kLevels, x);
}

float mapByTable7Inverse(float x) {
    return oddSymmetric(kLevels, kPositions, x);
}
