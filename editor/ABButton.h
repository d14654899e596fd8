#pragma once

// The editor's A/B compare button: a button with a state and the text "A/B".
// What a press does belongs to the editor's preset handling.
//
// Threading: GUI thread only.

#include "foundation/Property.h"
#include "gui/Button.h"

class ABButton : public gui::Button {
public:
    ABButton(gui::UserInterface& userInterface, gui::Button::Style* style);

    Property<bool> state;
};
