#pragma once

// ModulationComponentDisplay: the component display of an editor with a
// modulation matrix. Its scroll buttons are hover-only entries (group 1) of
// the editor's drag manager, so resting on them while a source is dragged
// scrolls the components; it removes them again when it goes. Each
// component records the range of modulation targets it holds (the component
// buttons filter the slot list by it), and every fold or unfold refreshes
// the slot list.
//
// Lifetime: the slot controller belongs to the product's editor and
// outlives the display (the tree is deleted first); it may be null.
//
// Threading: GUI thread only.

#include "editor/ComponentDisplay.h"

#include <cstdint>
#include <vector>

class AbstractSlotController;
class DynamicInterface;
class ModulationMatrixPluginInterface;

class ModulationComponentDisplay : public ComponentDisplay {
public:
    struct TargetRange {
        int32_t first = 0;
        int32_t count = 0;
    };

    ModulationComponentDisplay(gui::UserInterface& userInterface, ModulationMatrixPluginInterface& interface,
                               AbstractSlotController* slotController,
                               gui::Button::Style* backwardStyle = nullptr,
                               gui::Button::Style* forwardStyle = nullptr);
    ~ModulationComponentDisplay() override;

    // Adds the panel's container (ComponentDisplay::addSectionContainer) and
    // records the targets its component holds; returns its index.
    int addSectionContainer(float offset, DynamicInterface* panel, int32_t firstTarget, int32_t targetCount);
    // The targets of a component; an empty range outside the components.
    TargetRange targetRange(int index) const;
    // Whether a component is unfolded (false outside the components).
    bool isOpen(int index) const;
    AbstractSlotController* slotController() const { return slotController_; }
    ModulationMatrixPluginInterface& modulationInterface() const { return interface_; }

private:
    void componentToggled();

    ModulationMatrixPluginInterface& interface_;
    AbstractSlotController* slotController_;
    std::vector<TargetRange> targetRanges_;
};
