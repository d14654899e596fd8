#include "modulation_editor/ModulationComponentDisplay.h"

#include "gui/ScrollButton.h"
#include "modulation_editor/AbstractSlotController.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"

#include <algorithm>

ModulationComponentDisplay::ModulationComponentDisplay(gui::UserInterface& userInterface,
                                                       ModulationMatrixPluginInterface& interface,
                                                       AbstractSlotController* slotController,
                                                       gui::Button::Style* backwardStyle,
                                                       gui::Button::Style* forwardStyle)
    : ComponentDisplay(userInterface, interface, backwardStyle, forwardStyle), interface_(interface),
      slotController_(slotController) {
    interface_.dragManager().add(backwardButton(), 1, 1);
    interface_.dragManager().add(forwardButton(), 1, 1);
    componentToggledEvent.addHandler(NotifyEvent::bind(this, &ModulationComponentDisplay::componentToggled));
}

ModulationComponentDisplay::~ModulationComponentDisplay() {
    componentToggledEvent.removeHandler(this, &ModulationComponentDisplay::componentToggled);
    if (interface_.hasDragManager()) {
        if (backwardButton() != nullptr) interface_.dragManager().remove(backwardButton());
        if (forwardButton() != nullptr) interface_.dragManager().remove(forwardButton());
    }
}

int ModulationComponentDisplay::addSectionContainer(float offset, DynamicInterface* panel,
                                                    int32_t firstTarget, int32_t targetCount) {
    const int index = ComponentDisplay::addSectionContainer(offset, panel);
    if (index >= static_cast<int>(targetRanges_.size())) targetRanges_.resize(static_cast<size_t>(index) + 1);
    targetRanges_[static_cast<size_t>(index)] = {std::max(0, firstTarget), std::max(0, targetCount)};
    return index;
}

ModulationComponentDisplay::TargetRange ModulationComponentDisplay::targetRange(int index) const {
    if (index < 0 || index >= static_cast<int>(targetRanges_.size())) return {};
    return targetRanges_[static_cast<size_t>(index)];
}

bool ModulationComponentDisplay::isOpen(int index) const {
    const std::vector<Record>& records = components();
    return index >= 0 && index < static_cast<int>(records.size()) &&
           records[static_cast<size_t>(index)].unfolded;
}

void ModulationComponentDisplay::componentToggled() {
    if (slotController_ != nullptr) slotController_->refreshSlots(-1);
}
