#pragma once

// What a control that carries several parameters (a parameter button, an XY
// pad) tells the editor: which parameters lie under a point, so that the
// editor finds them under the pointer as it finds a value control's own.
//
// Threading: GUI thread only.

#include "gui/BasicPoint.h"

#include <cstdint>
#include <vector>

class PositionToParameterInfo {
public:
    virtual ~PositionToParameterInfo() = default;
    // Appends the indices of the parameters at the point (in the control's
    // own coordinates); nothing when the point is not on the control.
    virtual void parametersAt(const gui::Point& point, std::vector<int32_t>& indices) = 0;
};
