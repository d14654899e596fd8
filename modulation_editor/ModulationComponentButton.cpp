#include "modulation_editor/ModulationComponentButton.h"

#include "gui/Control.h"
#include "gui/ValueControl.h"
#include "modulation_editor/AbstractSlotController.h"
#include "modulation_editor/ModulationComponentDisplay.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"

namespace {

// The modifier bits that choose a mouse action.
constexpr int kActionMask = 135;

} // namespace

ModulationComponentButton::ModulationComponentButton(gui::UserInterface& userInterface,
                                                     ModulationMatrixPluginInterface& interface,
                                                     ComponentStyle* style, gui::Button::Style* buttonStyle,
                                                     ModulationComponentDisplay* display,
                                                     int32_t sectionIndex)
    : ComponentButton(userInterface, interface, style, buttonStyle), modulationInterface_(interface) {
    if (display != nullptr) setDisplay(display, sectionIndex);
    // Component buttons stay before the scroll buttons (group 1).
    if (interface.hasDragManager()) interface.dragManager().add(this, 1, 0);
}

ModulationComponentButton::~ModulationComponentButton() {
    if (modulationInterface_.hasDragManager()) modulationInterface_.dragManager().remove(this);
}

ModulationComponentDisplay* ModulationComponentButton::modulationDisplay() const {
    return dynamic_cast<ModulationComponentDisplay*>(display());
}

bool ModulationComponentButton::hasSection() const {
    const ModulationComponentDisplay* d = modulationDisplay();
    const int32_t index = componentIndex();
    if (d == nullptr || index < 0 || index >= static_cast<int32_t>(d->components().size())) return false;
    return d->components()[static_cast<size_t>(index)].control != nullptr;
}

bool ModulationComponentButton::componentOpen() const {
    const ModulationComponentDisplay* d = modulationDisplay();
    return d != nullptr && d->isOpen(componentIndex());
}

void ModulationComponentButton::offeredTargets(std::vector<std::uint32_t>& targets) {
    if (!hasSection()) return;
    const ModulationComponentDisplay::TargetRange range = modulationDisplay()->targetRange(componentIndex());
    for (int32_t k = 0; k < range.count; ++k) {
        const auto target = static_cast<std::uint32_t>(range.first + k);
        if (modulationInterface_.canAddToTargetRange(target)) targets.push_back(target);
    }
}

void ModulationComponentButton::fireEvent6(int phase) {
    if (phase == gui::kTargetDragStarted) {
        dragSeen_ = hasSection();
        openAtDragStart_ = componentOpen();
        ComponentButton::fireEvent6(phase);
        return;
    }
    if (phase == gui::kTargetRested) {
        if (hasSection())
            modulationDisplay()->toggleComponent(componentIndex());
        else
            ComponentButton::fireEvent6(phase); // clicks
        return;
    }
    if (phase == gui::kTargetDragEnded) {
        const bool restore = dragSeen_ && hasSection() && componentOpen() != openAtDragStart_;
        dragSeen_ = false;
        if (restore) modulationDisplay()->toggleComponent(componentIndex());
        return;
    }
    ComponentButton::fireEvent6(phase);
}

void ModulationComponentButton::performMouseAction(int button, int modifiers) {
    AliveGuard alive(this);
    ComponentButton::performMouseAction(button, modifiers);
    // Only the click that folds or unfolds (no reset) filters.
    if (!alive.alive() || gui::modifierMode(modifiers & kActionMask) != 0 || !hasSection()) return;
    ModulationComponentDisplay* d = modulationDisplay();
    AbstractSlotController* slots = d->slotController();
    const ModulationComponentDisplay::TargetRange range = d->targetRange(componentIndex());
    if (slots == nullptr || range.count < 1) return;
    if (d->isOpen(componentIndex())) {
        // The container grows to its panel's extent as it unfolds: the
        // highlight takes the panel's, which the container has at the end.
        gui::Control* container = d->components()[static_cast<size_t>(componentIndex())].control;
        const gui::Control* shown = container->children().empty() ? container : container->children().front();
        slots->setTargetFilter(modulationInterface_.unionBounds(shown, nullptr), range.first, range.count);
    } else if (slots->targetFilterFirst() == range.first) {
        slots->refreshSlots(-1);
    }
}
