#pragma once

// The coefficient of the graph's two-pole smoothers (signal smoother, delay
// time glide): g = min(2 sin(pi x min(f / fs, 0.5)), 0.95). The ratio is
// limited to 0.5 so that g stays at 0.95 from half the sample rate up (the
// sine would fall again above it and reach 0 at fs, freezing the smoother);
// a frequency at or below 0 (or NaN), or a sample rate that is not positive,
// gives 0. The ratio is taken as 2^(log2 f - log2 fs).

#include <cmath>
#include <numbers>

namespace varnel {

inline float smoothingCoefficient(double frequency, double sampleRate) noexcept
{
    if (!(frequency > 0.0) || !(sampleRate > 0.0))
        return 0.0f;
    double ratio = std::exp2(std::log2(frequency) - std::log2(sampleRate));
    if (!(ratio < 0.5))
        ratio = 0.5;
    double g = 2.0 * std::sin(std::numbers::pi * ratio);
    return float(g < 0.95 ? g : 0.95);
}

} // namespace varnel
