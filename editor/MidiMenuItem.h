#pragma once

// An item of the editor's MIDI menu that stands for one MIDI controller
// number: its text is the number, ": " and the given text, and choosing it
// removes that controller's mapping from the shared controller map. Given
// the identifier it was listed for, it removes the mapping only while the
// controller still maps that identifier (another instance may have remapped
// it while the menu was open).
//
// Threading: GUI thread only.

#include "editor/GenericPluginInterface.h"
#include "gui/Menu.h"

#include <cstdint>
#include <string>

class GenericPluginInterface::MidiMenuItem : public gui::MenuItem {
public:
    static constexpr uint32_t kAnyIdentifier = 0xFFFFFFFFu;

    MidiMenuItem(int32_t controller, const std::string& text, uint32_t identifier = kAnyIdentifier);

    // Unmaps the controller, then fires the selected event.
    void fireSelected() override;

    int32_t controller() const { return controller_; }
    uint32_t identifier() const { return identifier_; }

private:
    int32_t controller_;
    uint32_t identifier_;
};
