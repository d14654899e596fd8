#include "gui/IntValueButton.h"

#include "gui/Modifiers.h"
#include "gui/Text.h"
#include "gui/tests/DelegateInterfaceRig.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace gui {
namespace {

using test::DelegateInterface;

struct Rig {
    std::uint32_t now = 1000;
    DelegateInterface ui{[this] { return now; }};
    RootControl& root = ui.root();
    IntValueButton* button = new IntValueButton(ui, nullptr);

    Rig() {
        root.setBoundsXYWH(0, 0, 200, 200);
        button->setBoundsXYWH(50, 50, 40, 20);
        button->parent.setValue(&root);
    }
    // A drag from (60, 60) by dy (upwards negative), over 100 ms.
    void drag(float dy, int modifiers = 0) {
        root.handleMouseMove({60, 60}, 0);
        root.handleMouseDown(0, {60, 60}, kLeftButton | modifiers);
        now += 100;
        root.handleMouseMove({60, 60 + dy}, kLeftButton | modifiers);
        root.handleMouseUp(0, {60, 60 + dy}, 0);
    }
    void wheel(float speed) {
        root.handleMouseWheel({60, 60}, 0, {0, speed}, {0, speed * 120}, 1);
        root.RootControl::endGesture(); // the rig's root only logs it
    }
};

TEST(IntValueButton, DragsOneStepPerStepLengthAndShowsTheValue) {
    const struct {
        int max;
        float stepLength, dy;
        int modifiers;
        int value;
    } cases[] = {
        {100, 10, -30, 0, 3},     // upwards increases
        {100, 10, 20, 0, 0},      // held at the minimum
        {100, 5, -30, 0, 6},      // a shorter step
        {100, 10, -3, kShift, 3}, // Shift is ten times coarser
        {1000, 40, -60, 0, 3},    // a step never takes more than 20 units
        {100, 0, -30, 0, 0},      // no step length: no drag
        {100, -10, -30, 0, 0},    // nor below
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.button->maximum.setValue(c.max);
        rig.button->stepLength.setValue(c.stepLength);
        rig.drag(c.dy, c.modifiers);
        EXPECT_EQ(rig.button->value.getValue(), c.value) << c.stepLength << " " << c.dy;
        EXPECT_FALSE(rig.button->dragging());
        EXPECT_FALSE(rig.button->inGesture());
        EXPECT_EQ(rig.button->textLine(0)->text.getValue(), std::to_string(c.value));
    }
}

TEST(IntValueButton, CtrlResetsWithoutADrag) {
    Rig rig;
    rig.button->maximum.setValue(100);
    rig.button->defaultValue.setValue(40);
    rig.button->value.setValue(7);
    rig.drag(-30, kCtrl);
    EXPECT_EQ(rig.button->value.getValue(), 40);
}

TEST(IntValueButton, TheWheelNeverLeavesTheRange) {
    Rig rig;
    rig.button->minimum.setValue(-3);
    rig.button->maximum.setValue(1000);
    rig.button->value.setValue(995);
    rig.wheel(1); // ten steps of 10 units at full speed: held at the maximum
    EXPECT_EQ(rig.button->value.getValue(), 1000);
    rig.wheel(1);
    EXPECT_EQ(rig.button->value.getValue(), 1000);
    rig.button->value.setValue(2);
    rig.wheel(-1);
    EXPECT_EQ(rig.button->value.getValue(), -3);
    rig.button->maximum.setValue(2); // a coarse range: one step per notch
    rig.wheel(1);
    EXPECT_EQ(rig.button->value.getValue(), -2);
    EXPECT_EQ(rig.button->textLine(0)->text.getValue(), "-2");
}

} // namespace
} // namespace gui
