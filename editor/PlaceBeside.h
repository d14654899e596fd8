#pragma once

// Placement of a floating label (the value display, the value labels of
// component buttons) beside a control: on the preferred side of the target
// rectangle with a gap, on the opposite side when it does not fit there,
// centred on the target along the other axis, and kept inside the limits and
// the root control. The label becomes a child of the root control.
//
// Threading: GUI thread only.

#include "gui/BasicRect.h"

namespace gui {
class Control;
}

enum class PlacementSide { kLeft = 0, kRight = 1, kAbove = 2, kBelow = 3 };

// target and limits are in root coordinates; the gap is in logical units.
void placeBeside(gui::Control& control, const gui::Rect& target, PlacementSide side, int gap,
                 gui::Rect limits);
