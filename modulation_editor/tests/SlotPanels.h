#pragma once

// Small slot panels for the tests: a target selector, a level knob and the
// bypass and invert toggles as plain value controls, and a remove button.

#include "gui/Button.h"
#include "gui/ValueControl.h"
#include "modulation_editor/SlotInterface.h"

namespace test {

class TestSlotPanel : public SlotInterface {
public:
    TestSlotPanel(gui::UserInterface& userInterface, ModulationMatrixPluginInterface& interface)
        : SlotInterface(userInterface, interface) {
        for (int32_t role : {kTarget, kLevel, kBypass, kInvert}) {
            auto* control = new gui::ValueControl(userInterface);
            control->setBoundsXYWH(static_cast<float>(role) * 20.0f, 0.0f, 20.0f, 20.0f);
            setSlotControl(role, control);
        }
        auto* remove = new gui::Button(userInterface, nullptr);
        remove->setBoundsXYWH(100.0f, 0.0f, 16.0f, 16.0f);
        setRemoveButton(remove);
        auto* warning = new gui::Control(userInterface);
        setWarningControl(warning);
    }
};

} // namespace test
