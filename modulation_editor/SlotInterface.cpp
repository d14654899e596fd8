#include "modulation_editor/SlotInterface.h"

#include "gui/ValueControl.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation/ModulationSlotParameterSet.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"

SlotInterface::SlotInterface(gui::UserInterface& userInterface, ModulationMatrixPluginInterface& interface)
    : gui::Control(userInterface), interface_(interface) {}

// The sub-controls die with the panel; each death leaves the editor's tables.
SlotInterface::~SlotInterface() = default;

void SlotInterface::setSlotControl(int32_t role, gui::ValueControl* control) {
    if (role < 0 || role >= kNumControls) return;
    controls_[static_cast<size_t>(role)] = control;
    if (control != nullptr && control->getParent() != this) control->parent.setValue(this);
}

gui::ValueControl* SlotInterface::slotControl(int32_t role) const {
    return role >= 0 && role < kNumControls ? controls_[static_cast<size_t>(role)] : nullptr;
}

void SlotInterface::setRemoveButton(gui::Control* button) {
    removeButton_ = button;
    if (button == nullptr) return;
    if (button->getParent() != this) button->parent.setValue(this);
    button->helpText.setValue(kRemoveHelp);
    button->clickEvent.setHandler(NotifyEvent::bind([this] { removeEvent.notify(this); }));
}

void SlotInterface::setWarningControl(gui::Control* warning) {
    warning_ = warning;
    if (warning == nullptr) return;
    if (warning->getParent() != this) warning->parent.setValue(this);
    warning->helpText.setValue(kWarningHelp);
    warning->visible.setValue(warningShown_);
}

AbstractPluginParameter* SlotInterface::parameterFor(ModulationSlotParameterSet& set, int32_t role) {
    switch (role) {
    case kTarget:
        return &set.target;
    case kSource:
        return &set.source;
    case kLevel:
        return &set.level;
    case kBypass:
        return &set.bypass;
    case kInvert:
        return &set.invert;
    default:
        return nullptr;
    }
}

void SlotInterface::unlinkAll() {
    ModulationSlotParameterSet* set = interface_.slotSet(slot_);
    if (set == nullptr) return;
    for (int32_t role = 0; role < kNumControls; ++role)
        if (gui::ValueControl* control = controls_[static_cast<size_t>(role)])
            interface_.unlinkControl(parameterFor(*set, role), control);
}

void SlotInterface::assignSlot(int32_t slot) {
    if (slot == slot_) return;
    unlinkAll();
    ModulationSlotParameterSet* set = interface_.slotSet(slot);
    slot_ = set != nullptr ? slot : -1;
    if (set != nullptr) {
        for (int32_t role = 0; role < kNumControls; ++role) {
            gui::ValueControl* control = controls_[static_cast<size_t>(role)];
            if (control == nullptr) continue;
            const uint32_t target = role == kLevel
                                        ? interface_.firstSlotTarget() + static_cast<uint32_t>(slot)
                                        : ModulationMatrixPluginInterface::kNoTarget;
            interface_.linkControl(parameterFor(*set, role), control, target);
        }
    }
    updateLoopWarning();
}

void SlotInterface::updateLoopWarning() {
    bool shown = false;
    if (slot_ >= 0) {
        ModulationMatrixController& controller = interface_.matrixController();
        shown = controller.getSource(slot_) >= 0 && controller.getTarget(slot_) >= 0 &&
                !controller.isBypassed(slot_) && !controller.isSlotEffective(slot_);
    }
    warningShown_ = shown;
    if (warning_ != nullptr) warning_->visible.setValue(shown);
}
