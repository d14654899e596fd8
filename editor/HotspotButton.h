#pragma once

// A button on a ring around a knob that stands for one value of a stepped
// parameter; a click sets the knob's parameter to that value (the editor's
// preset and hot-spot handling decides what a click does).
//
// The button links itself to its knob and forgets it when the knob dies.
//
// Threading: GUI thread only.

#include "gui/Button.h"

class GenericPluginInterfaceBase;

namespace gui {
class Knob;
}

class HotspotButton : public gui::Button {
public:
    HotspotButton(gui::UserInterface& userInterface, gui::Knob* knob, GenericPluginInterfaceBase& interface,
                  float normalizedValue, gui::Button::Style* style);

    void componentDeleted(gui::Component* component) override;

    gui::Knob* knob() const { return knob_; }
    GenericPluginInterfaceBase& interface() const { return *interface_; }
    // The linear normalised value that a click sets.
    float normalizedValue() const { return normalizedValue_; }

private:
    gui::Knob* knob_;
    GenericPluginInterfaceBase* interface_;
    float normalizedValue_;
};
