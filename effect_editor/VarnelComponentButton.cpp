#include "effect_editor/VarnelComponentButton.h"

VarnelComponentButton::VarnelComponentButton(gui::UserInterface& userInterface,
                                             ModulationMatrixPluginInterface& interface,
                                             ComponentStyle* style, gui::Button::Style* buttonStyle,
                                             ModulationComponentDisplay* display, int32_t sectionIndex)
    : ModulationComponentButton(userInterface, interface, style, buttonStyle, display, sectionIndex) {}

VarnelComponentButton::~VarnelComponentButton() = default;

void VarnelComponentButton::updateFilterDisplay() {}

void VarnelComponentButton::positionChanged(int channel, int newPosition, int oldPosition) {
    ModulationComponentButton::positionChanged(channel, newPosition, oldPosition);
    updateFilterDisplay();
}
