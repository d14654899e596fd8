#pragma once

// An item of the editor's MIDI menu that stands for one MIDI controller
// number: its text is the number, ": " and the given text, and choosing it
// removes that controller's mapping from the shared controller map.
//
// Threading: GUI thread only.

#include "editor/GenericPluginInterface.h"
#include "gui/Menu.h"

#include <cstdint>
#include <string>

class GenericPluginInterface::MidiMenuItem : public gui::MenuItem {
public:
    MidiMenuItem(int32_t controller, const std::string& text);

    // Unmaps the controller, then fires the selected event.
    void fireSelected() override;

    int32_t controller() const { return controller_; }

private:
    int32_t controller_;
};
