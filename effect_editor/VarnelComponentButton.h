#pragma once

// VarnelComponentButton: the product's component button, a thin layer over
// the modulation editor's. It gives the product's buttons one hook for
// their small displays: whatever moves the face (a drag position, a
// parameter change outside the button) calls updateFilterDisplay.
//
// Threading: GUI thread only.

#include "modulation_editor/ModulationComponentButton.h"

#include <cstdint>

class VarnelComponentButton : public ModulationComponentButton {
public:
    VarnelComponentButton(gui::UserInterface& userInterface, ModulationMatrixPluginInterface& interface,
                          ComponentStyle* style, gui::Button::Style* buttonStyle,
                          ModulationComponentDisplay* display, int32_t sectionIndex = -1);
    ~VarnelComponentButton() override;

    // Hook: the button's display follows the drag or its parameters; empty here.
    virtual void updateFilterDisplay();

    void positionChanged(int channel, int newPosition, int oldPosition) override;
};
