#pragma once

// ModulationButton: the toggle button of the product's panels that keeps a
// timer of the user interface running while it is held. The timer starts at
// the press (the owner hooks its tick); the release stops it, clears the
// pressed flag and sets the toggle state from the value, so a change that
// the value's owner refused never stays lit.
//
// Lifetime: the button owns its timer.
//
// Threading: GUI thread only.

#include "gui/ToggleButton.h"

namespace gui {
class Timer;
}

class ModulationButton : public gui::ToggleButton {
public:
    ModulationButton(gui::UserInterface& userInterface, Style* style);
    ~ModulationButton() override;

    // Null once the user interface destroyed it.
    gui::Timer* timer() const { return timer_; }
    bool isPressed() const { return pressed_; }

    void mouseDown(int button, const gui::Point& point, int modifiers) override;
    void mouseUp(int button, const gui::Point& point, int modifiers) override;
    void captureLost() override;

private:
    void released();

    gui::Timer* timer_ = nullptr;
    bool pressed_ = false;
};
