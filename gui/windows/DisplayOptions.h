#pragma once

// How editors are displayed, set by whoever opens them: the graphics
// acceleration setting (0 off; its low 4 bits choose the frame period) and
// the global scale override (0 none).
//
// Threading: set before editors open; read on the GUI thread.

namespace gui {

struct DisplayOptions {
    int acceleration = 0;
    float globalScaleOverride = 0.0f;
};

DisplayOptions& displayOptions();

} // namespace gui
