#pragma once

// How the render loop paces itself. The acceleration mode's low four bits
// choose a frame period (2: 30 frames a second, 3: 20, else 60). With a
// sane compositor the loop follows the display instead: it runs one pass per
// refresh and draws on every (skip + 1)-th pass, skip being the most whole
// refreshes that still fit the chosen period with half a refresh to spare.
// A compositor whose rate has a zero term, or whose refresh period lies
// outside [kShortestRefresh, kLongestRefresh], counts as none.

#include "gui/RenderPlatform.h"

#include <cstdint>

namespace gui {

struct RenderPacing {
    static constexpr double kPeriod60 = 16.666668;  // 1000 / 60 as the loop has always stored it
    static constexpr double kPeriod30 = 33.333336;  // 1000 / 30
    static constexpr double kPeriod20 = 50.0;       // 1000 / 20
    static constexpr double kShortestRefresh = 2.0; // 500 Hz
    static constexpr double kLongestRefresh = 100.0;
    static constexpr int kLongestWait = 100; // ms
    // From this frame period on, swaps keep a margin after the vertical blank.
    static constexpr double kSlowDisplayPeriod = 15.0;

    double framePeriod = kPeriod60; // ms between passes
    int skip = 0;                   // passes left out between two drawing passes
    double margin = 0.0;            // ms after the vertical blank before a swap
    int shortestWait = 1;           // ms the loop waits at least per pass
    bool compositor = false;        // passes follow the compositor's vertical blank
};

// The refresh period (ms) the compositor's rate gives, or 0 when it is not
// sane (a zero term, or a period outside the accepted range).
double refreshPeriodOf(const RenderPlatform::CompositorTiming& timing);

// The pacing for the acceleration mode; timing is null without a compositor.
RenderPacing choosePacing(std::uint32_t accelerationMode, const RenderPlatform::CompositorTiming* timing);

// The wait after a pass (ms): the frame period less what the pass took,
// truncated and clamped to [shortestWait, kLongestWait].
int frameWait(const RenderPacing& pacing, double drawingTime, double swapTime, double spareTime);

} // namespace gui
