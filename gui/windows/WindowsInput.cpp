#include "gui/windows/WindowsInput.h"

#include "gui/Keys.h"
#include "gui/Modifiers.h"

#include <algorithm>

namespace gui {

namespace {

constexpr int kFallbackScrollLines = 3;
constexpr DWORD kShortestWheelInterval = 10;
constexpr DWORD kLongestWheelInterval = 500;
constexpr float kNotchesPerUnit = 0.008333334f; // one notch is 120 units
constexpr float kUnitsPerLine = 10.0f;
constexpr float kUnitsPerHorizontalNotch = 25.0f;

bool keyDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

} // namespace

int wheelScrollLines(bool readOk, UINT value) {
    if (!readOk || value == WHEEL_PAGESCROLL) return kFallbackScrollLines;
    return int(std::min<UINT>(value, 1000));
}

int systemWheelScrollLines() {
    UINT lines = 0;
    const bool ok = SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0) != 0;
    return wheelScrollLines(ok, lines);
}

DWORD wheelInterval(DWORD now, DWORD& last) {
    const DWORD elapsed = now - last;
    last = now;
    return std::clamp(elapsed, kShortestWheelInterval, kLongestWheelInterval);
}

WheelInput wheelInput(bool horizontalMessage, WPARAM wParam, int keyModifiers, int scrollLines,
                      DWORD interval) {
    WheelInput input;
    const float notches = float(GET_WHEEL_DELTA_WPARAM(wParam)) * kNotchesPerUnit;
    const WORD keys = GET_KEYSTATE_WPARAM(wParam);
    int modifiers = keyModifiers;
    if (keys & MK_LBUTTON) modifiers |= kLeftButton;
    if (keys & MK_MBUTTON) modifiers |= kMiddleButton;
    if (keys & MK_RBUTTON) modifiers |= kRightButton;
    if (keys & MK_CONTROL) modifiers |= kCtrl;
    if (keys & MK_SHIFT) modifiers |= kShift;
    const float elapsed = float(std::max<DWORD>(interval, 1));
    const bool shiftCtrl = (modifiers & (kShift | kCtrl)) == (kShift | kCtrl);
    if (!horizontalMessage && !shiftCtrl) {
        input.distance = Point(0.0f, float(scrollLines) * notches * kUnitsPerLine);
        input.speed = Point(0.0f, notches / elapsed);
        input.factor = notches;
    } else {
        if (!horizontalMessage) modifiers &= ~(kShift | kCtrl);
        input.distance = Point(notches * kUnitsPerHorizontalNotch, 0.0f);
        input.speed = Point(notches / elapsed, 0.0f);
        input.factor = 0.0f;
    }
    input.modifiers = modifiers;
    return input;
}

int toolkitKeyCode(WPARAM virtualKey) {
    switch (virtualKey) {
    case VK_ESCAPE:
        return kKeyEscape;
    case VK_END:
        return kKeyEnd;
    case VK_HOME:
        return kKeyHome;
    case VK_LEFT:
        return kKeyLeft;
    case VK_UP:
        return kKeyUp;
    case VK_RIGHT:
        return kKeyRight;
    case VK_DOWN:
        return kKeyDown;
    case VK_DELETE:
        return kKeyDelete;
    default:
        return kNoKey;
    }
}

int readModifierKeys(int bits) {
    if (keyDown(VK_MENU)) bits |= kAlt;
    if (keyDown(VK_LWIN) || keyDown(VK_RWIN)) bits |= kWindowsKey;
    return bits;
}

int trackModifierKeys(int previous) {
    int bits = previous & ~(kShift | kAlt | kCtrl | kWindowsKey);
    if (keyDown(VK_CONTROL)) bits |= kCtrl;
    if (keyDown(VK_SHIFT)) bits |= kShift;
    return readModifierKeys(bits);
}

} // namespace gui
