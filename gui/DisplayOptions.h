#pragma once

// Process-wide display choices of the editor: whether drawing is accelerated
// (and at which frame period), and the global scale override. Whoever opens
// the editor sets them (from the user's settings) before the first user
// interface is made; the toolkit only reads them.
//
// Threading: set before editors open, read on the GUI thread.

#include <cstdint>

namespace gui {

struct DisplayOptions {
    // 0 = drawing is not accelerated; otherwise the low 4 bits also choose
    // the render loop's frame period.
    std::uint32_t accelerationMode = 0;
    // A backing scale that replaces the monitors' one; 0 = none.
    float globalScaleOverride = 0.0f;
    // The framework's global option word, as the plug-in keeps it; bit 16
    // lets the accelerated renderer run on a driver vendor it refuses.
    std::uint32_t globalOptions = 0;
};

DisplayOptions& displayOptions();

} // namespace gui
