#pragma once

// A button dragged along an axis to change its value, optionally in a fixed
// number of steps (stepCount grid points over 0..max), optionally dragged
// out of its place as a drag-and-drop object.
//
// Grid: the points are the integers g(j) = round(j * max / stepCount). On a
// grid point a drag or wheel step of s moves s points; off the grid the
// first step goes to the next point in the direction of motion.
//
// Drag-out: with dragOut set, a press that moves more than 4 units across
// the drag axis before the value has changed raises dragOutEvent (the sender
// is the button) instead of changing the value. The owner answers it with a
// DragStage, whose start takes the press off the button. Once the value has
// moved, the press belongs to the value drag.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"
#include "gui/Button.h"
#include "gui/Enumerations.h"
#include "gui/ValueMouseTracker.h"

namespace gui {

class FloatValueButton : public Button {
public:
    FloatValueButton(UserInterface& userInterface, Style* style);
    ~FloatValueButton() override;

    Property<bool> dragOut;
    Property<Orientation> orientation;
    Property<int> stepCount; // 0: not quantised

    NotifyEvent dragOutEvent;

    void mouseDown(int button, const Point& point, int modifiers) override;
    void mouseMove(const Point& point, int modifiers) override;
    void mouseUp(int button, const Point& point, int modifiers) override;
    bool mouseWheel(int phase, const Point& point, int modifiers, const Point& firstDelta,
                    const Point& secondDelta) override;
    void valueControlPropertyChanged(AbstractProperty& property) override;
    bool isPushButton() const override { return false; }

    // The change that s steps make from the current value on the grid
    // (s itself when the button is not quantised).
    int quantize(int steps) const;

    bool dragging() const { return dragging_; }
    // Where the press that a drag-out carries away was (local coordinates).
    const Point& dragOutPoint() const { return pressPoint_; }
    ValueMouseTracker& tracker() { return tracker_; }

protected:
    // A wheel step goes through changeBy, as a drag step does.
    void wheelSteps(int steps) override;

private:
    void setUpTracker();
    // Changes the gesture by the quantised steps; the first change of the
    // value forgets the press, so no drag-out follows.
    void changeBy(int steps);

    ValueMouseTracker tracker_;
    bool dragging_ = false;
    float lastCoordinate_ = 0.0f;
    Point pressPoint_;
};

} // namespace gui
