#include "dsp/ValueMaps.h"

#include <cmath>

namespace {
constexpr float kLn2 = 0.6931471805599453f;
constexpr float kInvLn2 = 1.4426950408889634f;
// Where the straight tail of the frequency-with-zero map reaches 0 Hz, and
// its slope (0.125 Hz over 2.643856 octaves) with the inverse slope.
constexpr float kTailStart = -5.643856f;
constexpr float kTailSlope = 0.04727943f;
constexpr float kTailInverseSlope = 21.150848f;
} // namespace

float ratioFromOctavesExp(float x) {
    return std::exp(x * kLn2);
}

float octavesFromRatio(float x) {
    return std::log(x) * kInvLn2;
}

float valueFromLog2Tail(float x) {
    if (x > -3.0f) return std::exp2(x);
    if (x >= kTailStart) return (x - kTailStart) * kTailSlope;
    return 0.0f;
}

float log2WithLinearTail(float x) {
    if (x > 0.125f) return std::log2(x);
    if (x >= 0.0f) return x * kTailInverseSlope + kTailStart;
    return kTailStart;
}

float gainToDb(float x) {
    const float magnitude = std::fabs(x);
    if (!(magnitude > 1e-10f)) return -180.0f;
    const float db = 20.0f * std::log10(magnitude);
    return db > -180.0f ? db : -180.0f;
}

float levelFromPosition(float x) {
    if (x <= 0.1f) return x * 0.23988324f;
    return std::exp((x - 1.0f) * 36.0f * 0.1151292546497023f);
}

float semitonesFromOctaves(float x) {
    return x * 12.0f;
}

float octavesFromSemitones(float x) {
    return x * 0.083333336f;
}
