#pragma once

// A button that shows its integer value as text and is dragged up or down
// (or wheeled) to change it. One step takes stepLength units of drag; a
// button whose stepLength is not above 0 is not dragged. The wheel never
// takes the value out of [min, max].
//
// Threading: GUI thread only.

#include "gui/Button.h"
#include "gui/ValueMouseTracker.h"

namespace gui {

class IntValueButton : public Button {
public:
    IntValueButton(UserInterface& userInterface, Style* style);
    ~IntValueButton() override;

    Property<float> stepLength; // drag length of one step

    void mouseDown(int button, const Point& point, int modifiers) override;
    void mouseMove(const Point& point, int modifiers) override;
    void mouseUp(int button, const Point& point, int modifiers) override;
    bool mouseWheel(int phase, const Point& point, int modifiers, const Point& firstDelta,
                    const Point& secondDelta) override;
    void valueControlPropertyChanged(AbstractProperty& property) override;
    bool isPushButton() const override { return false; }

    bool dragging() const { return dragging_; }
    ValueMouseTracker& tracker() { return tracker_; }

protected:
    // A wheel step held inside [min, max]; none when the value is at the limit.
    void wheelSteps(int steps) override;

private:
    void setUpTracker();
    // The first text line shows the value ("%d").
    void showValue();

    bool dragging_ = false;
    ValueMouseTracker tracker_;
    float lastY_ = 0.0f;
};

} // namespace gui
