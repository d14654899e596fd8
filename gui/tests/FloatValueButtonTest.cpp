#include "gui/FloatValueButton.h"

#include "gui/DragAndDrop.h"
#include "gui/Modifiers.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace gui {
namespace {

struct Rig {
    std::uint32_t now = 1000;
    test::TestInterface ui{[this] { return now; }};
    RootControl& root = ui.root();
    Control* panel = new Control(ui);
    FloatValueButton* button = new FloatValueButton(ui, nullptr);

    Rig() {
        root.setBoundsXYWH(0, 0, 300, 300);
        panel->setBoundsXYWH(100, 100, 150, 150);
        panel->parent.setValue(&root);
        button->setBoundsXYWH(10, 10, 40, 20); // at (110, 110) in the root
        button->parent.setValue(panel);
    }
    void press() {
        root.handleMouseMove({120, 120}, 0);
        root.handleMouseDown(0, {120, 120}, kLeftButton);
    }
    void move(Point to) {
        now += 100;
        root.handleMouseMove(to, kLeftButton);
    }
    void release(Point at) { root.handleMouseUp(0, at, 0); }
};

TEST(FloatValueButton, KeepsThePressedLookAndDragsAlongItsAxis) {
    Rig rig;
    EXPECT_EQ(rig.button->buttonStyle.getValue(), Button::ButtonStyle::kHoldPressedLook);
    rig.button->maximum.setValue(10); // a coarse range: one step per 20 units
    rig.press();
    rig.move({120, 80});
    EXPECT_EQ(rig.button->value.getValue(), 2);
    EXPECT_EQ(rig.button->drawingState(), Button::DrawingState::kPressed); // off the button
    rig.release({120, 80});
    rig.button->orientation.setValue(Orientation::kHorizontal);
    rig.press();
    rig.move({180, 120});
    EXPECT_EQ(rig.button->value.getValue(), 5);
    rig.release({180, 120});
    EXPECT_FALSE(rig.button->dragging());
}

// Grid points are whole numbers: three steps over 0..100 are 0, 33, 67, 100.
TEST(FloatValueButton, QuantisedStepsMoveBetweenWholeGridPoints) {
    Rig rig;
    rig.button->maximum.setValue(100);
    rig.button->stepCount.setValue(3);
    EXPECT_EQ(rig.button->tracker().resolution.getValue(), 3);
    rig.press();
    float y = 120;
    for (int expected : {33, 67, 100, 100}) {
        y -= 20;
        rig.move({120, y});
        EXPECT_EQ(rig.button->value.getValue(), expected);
    }
    for (int expected : {67, 33, 0, 0}) {
        y += 20;
        rig.move({120, y});
        EXPECT_EQ(rig.button->value.getValue(), expected);
    }
    rig.release({120, y});

    const struct {
        int stepCount, max, value, steps, change;
    } cases[] = {
        {4, 4096, 1000, 1, 24},     // off the grid: the next point up
        {4, 4096, 1000, -1, -1000}, // and down
        {4, 4096, 1024, 2, 2048},
        {3, 100, 50, 1, 17},
        {3, 100, 50, -1, -17},
        {10, 4, 1, -1, -1}, // repeated points do not hold a step back
        {10, 4, 1, 1, 1},
        {0, 100, 50, 3, 3}, // not quantised
        {3, 0, 0, 1, 1},    // nor without a positive maximum
    };
    for (const auto& c : cases) {
        rig.button->minimum.setValue(-1);
        rig.button->maximum.setValue(c.max);
        rig.button->stepCount.setValue(c.stepCount);
        rig.button->value.setValue(c.value);
        EXPECT_EQ(rig.button->quantize(c.steps), c.change) << c.stepCount << " " << c.value << " " << c.steps;
    }
}

TEST(FloatValueButton, TheWheelStepsBetweenGridPoints) {
    Rig rig;
    rig.button->maximum.setValue(4096);
    rig.button->stepCount.setValue(4);
    rig.button->value.setValue(1000);
    const struct {
        float speed;
        int value;
    } notches[] = {{1, 1024}, {1, 2048}, {-0.2f, 1024}, {-1, 0}};
    for (const auto& n : notches) {
        rig.root.handleMouseWheel({120, 120}, 0, {0, n.speed}, {0, n.speed * 120}, 1);
        rig.root.RootControl::endGesture(); // the rig's root only logs it
        EXPECT_EQ(rig.button->value.getValue(), n.value) << n.speed;
    }
}

TEST(FloatValueButton, ASidewaysMoveBeforeAnyChangeRaisesTheDragOut) {
    struct Case {
        bool dragOut;
        bool changeFirst;
        int requests;
    } cases[] = {{true, false, 1}, {true, true, 0}, {false, false, 0}};
    for (const auto& c : cases) {
        Rig rig;
        rig.button->maximum.setValue(10);
        rig.button->dragOut.setValue(c.dragOut);
        std::vector<Point> requests;
        DragObject object;
        rig.button->dragOutEvent.addHandler(NotifyEvent::bind([&] {
            requests.push_back(rig.button->dragOutPoint());
            auto* stage = new DragStage(rig.ui);
            stage->startDrag(rig.button, &object);
        }));
        rig.press();
        const float y = c.changeFirst ? 100.0f : 120.0f;
        if (c.changeFirst) rig.move({120, y});
        const int before = rig.button->value.getValue();
        rig.move({124, y});
        EXPECT_TRUE(requests.empty());
        rig.move({125, y});
        ASSERT_EQ(int(requests.size()), c.requests) << c.dragOut << c.changeFirst;
        if (c.requests == 1) {
            EXPECT_EQ(requests[0], Point(10, 10));
            EXPECT_EQ(rig.button->value.getValue(), before);
            EXPECT_FALSE(rig.button->dragging()); // the stage took the press
            EXPECT_FALSE(rig.button->inGesture());
        }
        rig.release({125, y});
    }
}

} // namespace
} // namespace gui
