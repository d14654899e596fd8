#pragma once

// ModulationComponentButton: the component button of an editor with a
// modulation matrix. It stands for one section of a
// ModulationComponentDisplay and takes part in source drags as a hover-only
// entry (group 0) of the editor's drag manager:
//   - when a drag starts it remembers whether its component is open;
//   - resting on it for the hover interval folds or unfolds its component
//     (a button without a section clicks instead);
//   - when the drag ends it folds or unfolds the component back to what it
//     remembered, so a drag leaves the display as it found it;
//   - a drop on it offers its component's targets.
// A click that opens its component filters the slot list to the component's
// targets, with the section's container as the highlight.
//
// Lifetime: the button belongs to the tree and leaves the drag manager when
// it goes (unless the editor already released the manager). The display is
// reached through the base's link, so a display that dies first leaves the
// button without a section.
//
// Threading: GUI thread only.

#include "editor/ComponentButton.h"
#include "modulation_editor/ModulationHoverItem.h"

#include <cstdint>
#include <vector>

class ModulationComponentDisplay;
class ModulationMatrixPluginInterface;

class ModulationComponentButton : public ComponentButton, public ModulationHoverItem {
public:
    // sectionIndex: the component on the display (-1: none).
    ModulationComponentButton(gui::UserInterface& userInterface, ModulationMatrixPluginInterface& interface,
                              ComponentStyle* style, gui::Button::Style* buttonStyle,
                              ModulationComponentDisplay* display, int32_t sectionIndex = -1);
    ~ModulationComponentButton() override;

    // The display it stands on, null once it died or when it is no
    // modulation display.
    ModulationComponentDisplay* modulationDisplay() const;
    // The component on the display, -1 when none (or no display).
    int32_t sectionIndex() const { return componentIndex(); }
    // Whether the section names a component of a live display.
    bool hasSection() const;

    // --- ModulationHoverItem: the component's targets that may be offered now.
    void offeredTargets(std::vector<std::uint32_t>& targets) override;

    void fireEvent6(int phase) override;
    void performMouseAction(int button, int modifiers) override;

private:
    bool componentOpen() const;

    ModulationMatrixPluginInterface& modulationInterface_;
    // The component's open state when the drag started.
    bool openAtDragStart_ = false;
    bool dragSeen_ = false;
};
