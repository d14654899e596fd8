#pragma once

// The coefficient of the graph's two-pole smoothers (signal smoother, delay
// time glide): g = min(2 sin(pi x min(f / fs, 0.5)), 0.5).
//
// The smoothers' recursion (low += g band; band += (x - 2 band - low) g) has
// its poles at the roots of z^2 - (2 - 2g - g^2) z + (1 - 2g): it diverges
// above g = 2 sqrt(2) - 2 (about 0.83) and rings (a negative pole) above 0.5.
// At 0.5 the poles are 0.75 and 0, the fastest response that never rings;
// the sine rule reaches it at about 0.08 fs, so every ordinary smoothing
// frequency is unaffected. The ratio is limited too, so that g stays at its
// limit from there up (the sine would fall again and reach 0 at fs, freezing
// the smoother). A frequency at or below 0 (or NaN), or a sample rate that is
// not positive, gives 0. The ratio is taken as 2^(log2 f - log2 fs).

#include <cmath>
#include <numbers>

inline float smoothingCoefficient(double frequency, double sampleRate) noexcept {
    if (!(frequency > 0.0) || !(sampleRate > 0.0)) return 0.0f;
    double ratio = std::exp2(std::log2(frequency) - std::log2(sampleRate));
    if (!(ratio < 0.5)) ratio = 0.5;
    double g = 2.0 * std::sin(std::numbers::pi * ratio);
    return float(g < 0.5 ? g : 0.5);
}
