#include "gui/RenderPacing.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

constexpr std::uint32_t kModeBits = 0xF;
constexpr std::uint32_t kMode30 = 2;
constexpr std::uint32_t kMode20 = 3;
// The first skip is taken once the period exceeds one and a half refreshes.
constexpr double kSkipThreshold = 1.5;
constexpr double kSlowMargin = 6.0;
constexpr int kSlowShortestWait = 5;

double modePeriod(std::uint32_t accelerationMode) {
    switch (accelerationMode & kModeBits) {
    case kMode30:
        return RenderPacing::kPeriod30;
    case kMode20:
        return RenderPacing::kPeriod20;
    default:
        return RenderPacing::kPeriod60;
    }
}

} // namespace

double refreshPeriodOf(const RenderPlatform::CompositorTiming& timing) {
    if (timing.rateNumerator == 0 || timing.rateDenominator == 0) return 0.0;
    const double period = 1000.0 / double(timing.rateNumerator) * double(timing.rateDenominator);
    if (!(period >= RenderPacing::kShortestRefresh && period <= RenderPacing::kLongestRefresh)) return 0.0;
    return period;
}

RenderPacing choosePacing(std::uint32_t accelerationMode, const RenderPlatform::CompositorTiming* timing) {
    RenderPacing pacing;
    pacing.framePeriod = modePeriod(accelerationMode);
    if (const double refresh = timing != nullptr ? refreshPeriodOf(*timing) : 0.0; refresh > 0.0) {
        // The period is at most 50 ms and the refresh at least 2 ms: k stays below 25.
        while (pacing.framePeriod > (double(pacing.skip) + kSkipThreshold) * refresh)
            ++pacing.skip;
        pacing.framePeriod = refresh;
        pacing.compositor = true;
    }
    if (pacing.framePeriod >= RenderPacing::kSlowDisplayPeriod) {
        pacing.margin = kSlowMargin;
        pacing.shortestWait = kSlowShortestWait;
    }
    return pacing;
}

int frameWait(const RenderPacing& pacing, double drawingTime, double swapTime, double spareTime) {
    const double left = pacing.framePeriod - drawingTime - swapTime - spareTime;
    if (std::isnan(left)) return pacing.shortestWait;
    // Clamped before the conversion, so no time of any size overflows it.
    const double clamped =
        std::clamp(std::trunc(left), double(pacing.shortestWait), double(RenderPacing::kLongestWait));
    return int(clamped);
}

} // namespace gui
