#include "gui/windows/WindowsInput.h"

#include "gui/Modifiers.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

WPARAM wheelParam(int delta, WORD keys = 0) {
    return MAKEWPARAM(keys, WORD(short(delta)));
}

TEST(WinInput, ScreenAtATimeAndFailedReadsCountAsThreeLines) {
    struct Case {
        bool ok;
        UINT value;
        int lines;
    };
    const Case cases[] = {
        {true, 3, 3},  {true, 1, 1},     {true, 0, 0}, {true, 7, 7}, {true, WHEEL_PAGESCROLL, 3},
        {false, 0, 3}, {false, 12345, 3}};
    for (const Case& c : cases)
        EXPECT_EQ(wheelScrollLines(c.ok, c.value), c.lines) << c.ok << " " << c.value;
    // Three lines of one notch move 30 units.
    const WheelInput input =
        wheelInput(false, wheelParam(120), 0, wheelScrollLines(true, WHEEL_PAGESCROLL), 100);
    EXPECT_FLOAT_EQ(input.distance.y, 30.0f);
    EXPECT_EQ(systemWheelScrollLines(), 3);
}

TEST(WinInput, WheelIntervalsAreClamped) {
    DWORD last = 1000;
    EXPECT_EQ(wheelInterval(1050, last), 50u);
    EXPECT_EQ(last, 1050u);
    EXPECT_EQ(wheelInterval(3050, last), 500u);
    EXPECT_EQ(wheelInterval(3051, last), 10u);
    last = 0xFFFFFFF0u; // the millisecond clock wraps
    EXPECT_EQ(wheelInterval(0x20, last), 48u);
}

TEST(WinInput, WheelMessagesBecomeSpeedDistanceAndFactor) {
    struct Case {
        bool horizontal;
        int delta;
        WORD keys;
        DWORD interval;
        int modifiers;
        Point speed;
        Point distance;
        float factor;
    };
    const Case cases[] = {
        {false, 120, 0, 50, 0, {0, 0.02f}, {0, 30}, 1.0f},
        {false, -240, 0, 500, 0, {0, -0.004f}, {0, -60}, -2.0f},
        {false, 60, MK_CONTROL, 10, kCtrl, {0, 0.05f}, {0, 15}, 0.5f},
        {false, 120, MK_CONTROL | MK_SHIFT, 100, 0, {0.01f, 0}, {25, 0}, 0.0f},
        {false,
         120,
         MK_SHIFT | MK_LBUTTON | MK_RBUTTON | MK_MBUTTON,
         100,
         kShift | kLeftButton | kRightButton | kMiddleButton,
         {0, 0.01f},
         {0, 30},
         1.0f},
        {true, -120, MK_CONTROL | MK_SHIFT, 100, kCtrl | kShift, {-0.01f, 0}, {-25, 0}, 0.0f},
    };
    for (const Case& c : cases) {
        const WheelInput input = wheelInput(c.horizontal, wheelParam(c.delta, c.keys), 0, 3, c.interval);
        SCOPED_TRACE(testing::Message() << c.horizontal << " " << c.delta << " " << c.keys);
        EXPECT_EQ(input.modifiers, c.modifiers);
        EXPECT_NEAR(input.speed.x, c.speed.x, 1e-6);
        EXPECT_NEAR(input.speed.y, c.speed.y, 1e-6);
        EXPECT_NEAR(input.distance.x, c.distance.x, 1e-4);
        EXPECT_NEAR(input.distance.y, c.distance.y, 1e-4);
        EXPECT_NEAR(input.factor, c.factor, 1e-6);
    }
    EXPECT_EQ(wheelInput(false, wheelParam(120), kAlt | kWindowsKey, 3, 50).modifiers, kAlt | kWindowsKey);
}

TEST(WinInput, KeysTheEditorHandles) {
    const std::pair<WPARAM, int> keys[] = {{VK_ESCAPE, 9}, {VK_END, 8},   {VK_HOME, 7}, {VK_LEFT, 4},
                                           {VK_UP, 2},     {VK_RIGHT, 5}, {VK_DOWN, 3}, {VK_DELETE, 6},
                                           {'A', 0},       {VK_RETURN, 0}};
    for (const auto& [key, code] : keys)
        EXPECT_EQ(toolkitKeyCode(key), code) << key;
}

TEST(WinInput, ModifiersFollowTheKeyboardState) {
    BYTE saved[256] = {};
    GetKeyboardState(saved);
    BYTE state[256] = {};
    state[VK_MENU] = 0x80;
    state[VK_RWIN] = 0x80;
    SetKeyboardState(state);
    EXPECT_EQ(readModifierKeys(kLeftButton), kLeftButton | kAlt | kWindowsKey);
    state[VK_MENU] = 0;
    state[VK_RWIN] = 0;
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    EXPECT_EQ(trackModifierKeys(kShift | kAlt | kLeftButton), kCtrl | kLeftButton);
    state[VK_CONTROL] = 0;
    state[VK_SHIFT] = 0x80;
    SetKeyboardState(state);
    EXPECT_EQ(trackModifierKeys(kCtrl | kWindowsKey), kShift);
    SetKeyboardState(saved);
}

} // namespace
} // namespace gui
