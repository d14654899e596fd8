#pragma once

// Window-message input in the toolkit's terms: wheel messages as speed,
// distance and factor, the keys the editor handles itself, and the
// modifier keys read from the keyboard state.
//
// Threading: GUI thread (the keyboard state is the thread's).

#include "gui/BasicPoint.h"

#include <windows.h>

namespace gui {

// The lines of one wheel notch: the system's setting, or 3 when it is "one
// screen at a time" (WHEEL_PAGESCROLL) or could not be read.
int wheelScrollLines(bool readOk, UINT value);
// The system's setting through wheelScrollLines.
int systemWheelScrollLines();

// The milliseconds since the previous wheel message of the same axis,
// clamped to [10, 500]; last becomes now.
DWORD wheelInterval(DWORD now, DWORD& last);

struct WheelInput {
    int modifiers = 0;
    Point speed;    // notches per millisecond
    Point distance; // logical units
    float factor = 0.0f;
};

// A WM_MOUSEWHEEL (vertical) or WM_MOUSEHWHEEL message. keyModifiers are
// the Alt and Windows bits of readModifierKeys; Shift + Ctrl turn a vertical
// wheel horizontal and are then not reported.
WheelInput wheelInput(bool horizontalMessage, WPARAM wParam, int keyModifiers, int scrollLines,
                      DWORD interval);

// The toolkit's key code of a key the editor handles itself, else 0.
int toolkitKeyCode(WPARAM virtualKey);

// Adds Alt when VK_MENU is down and the Windows bit when either Windows key is.
int readModifierKeys(int bits);
// The 10 ms tracking: previous without Shift, Alt, Ctrl and the Windows bit,
// plus those held now.
int trackModifierKeys(int previous);

} // namespace gui
