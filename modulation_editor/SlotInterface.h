#pragma once

// SlotInterface: the panel of one modulation slot in the slot list. The
// product makes its sub-controls and hands them over by role; assigning a
// slot links each to that slot's parameter of the same role (the level
// knob also as the slot's level target, so sources can modulate it).
// Assigning the slot already shown does nothing, so a refresh during a
// drag of one of its controls keeps the control's link and its gesture.
//
// Threading: GUI thread only.

#include "foundation/NotifyEvent.h"
#include "gui/Control.h"

#include <array>
#include <cstdint>

class AbstractPluginParameter;
class ModulationMatrixPluginInterface;
class ModulationSlotParameterSet;

namespace gui {
class ValueControl;
}

class SlotInterface : public gui::Control {
public:
    // The sub-controls' roles (the product's control numbers).
    enum SlotControl : int32_t {
        kTarget = 0,
        kSource = 1,
        kLevel = 2,
        kBypass = 3,
        kInvert = 4,
        kNumControls = 5
    };
    static constexpr const char* kWarningHelp =
        "Although you can modulate almost any parameter with any source, some connections are not possible "
        "because they would introduce infinite loops.\n\nThe basic rule is that a modulation source cannot "
        "modulate its own parameters (because it would need its own output to calculate its output). When "
        "you "
        "make such a connection, a warning sign will appear in the slot and the slot will be ignored when "
        "producing audio.";
    static constexpr const char* kRemoveHelp =
        "The Remove Slot button clears the modulation connection and removes the slot from the interface.\n\n"
        "Note: If you want to temporarily disable a modulation slot, use the Bypass button (at the left edge "
        "of "
        "the level slider) instead.";

    SlotInterface(gui::UserInterface& userInterface, ModulationMatrixPluginInterface& interface);
    ~SlotInterface() override;

    // Fired (sender: the panel) when its remove button is clicked.
    NotifyEvent removeEvent;

    // The control of a role (a child of this panel; the panel's tree owns it).
    void setSlotControl(int32_t role, gui::ValueControl* control);
    gui::ValueControl* slotControl(int32_t role) const;
    void setRemoveButton(gui::Control* button);
    gui::Control* removeButton() const { return removeButton_; }
    // The loop-warning image (shown by updateLoopWarning).
    void setWarningControl(gui::Control* warning);
    gui::Control* warningControl() const { return warning_; }

    // Links the sub-controls to slot n's parameters (n < 0: unlinks them).
    virtual void assignSlot(int32_t slot);
    // Shows the warning while the slot has a source and a target, is not
    // bypassed, and the matrix cannot use it (a loop).
    virtual void updateLoopWarning();
    int32_t slot() const { return slot_; }
    bool isLoopWarningShown() const { return warningShown_; }

    // The parameter of a role for a slot, reached through the slot set.
    static AbstractPluginParameter* parameterFor(ModulationSlotParameterSet& set, int32_t role);

protected:
    ModulationMatrixPluginInterface& interface_;

private:
    void unlinkAll();

    int32_t slot_ = -1;
    std::array<gui::ValueControl*, kNumControls> controls_{};
    gui::Control* removeButton_ = nullptr;
    gui::Control* warning_ = nullptr;
    bool warningShown_ = false;
};
