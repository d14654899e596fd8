#pragma once

// IndicatorLight: the editor's light (ControlBuilder::createLight), with a
// timer of the user interface whose tick switches it off. light(ms) lights
// it and starts that timer again, so that a light kept busy stays on and
// goes off the given time after the last call.
//
// Threading: GUI thread only; draw runs under the root control's lock.

#include "gui/Light.h"

namespace gui {
class Timer;
}

class IndicatorLight : public gui::Light {
public:
    IndicatorLight(gui::UserInterface& userInterface, gui::Light::Style* style);
    ~IndicatorLight() override;

    // Lit now, off after milliseconds (unless lit again meanwhile).
    void light(int milliseconds);

private:
    void timerTick();

    gui::Timer* timer_;
};
