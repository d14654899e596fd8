#pragma once

// Modifier mask of every pointer and key event.

namespace gui {

enum Modifier : int {
    kShift = 1,
    kAlt = 2,
    kCtrl = 4,
    kLeftButton = 8,
    kRightButton = 16,
    kMiddleButton = 32,
    kDoubleClick = 64,
    kRightPressEmulation = 128, // a left press with only this bit becomes a right press
    kWindowsKey = 0x100,
    kPressMove = 0x200, // a pointer move sent as part of a press or release
};

// The bits that decide whether a gesture's modifiers are "exactly Ctrl":
// Shift, Alt, Ctrl, 128 and the Windows key.
inline constexpr int kKeyModifierMask = 0x187;

// A move must exceed this many units in x or in y to turn a press into a drag.
inline constexpr float kDragThreshold = 4.0f;

} // namespace gui
