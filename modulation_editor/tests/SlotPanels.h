#pragma once

// Small slot panels for the tests: a target selector, a level knob and the
// bypass and invert toggles as plain value controls, and a remove button;
// and a strip that lists a slot controller's slots as such panels.

#include "gui/BasicRect.h"
#include "gui/Button.h"
#include "gui/ValueControl.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SlotInterface.h"
#include "modulation_editor/SourceSlotController.h"

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

// Lists the slot controller's slots as test panels 25 units high on a new
// strip in the root's tree (the tree owns it).
inline ModulationScrollStrip* listSlotsOnStrip(SourceSlotController& slots, gui::UserInterface& userInterface,
                                               ModulationMatrixPluginInterface& interface,
                                               const gui::Rect& bounds) {
    auto* strip = new ModulationScrollStrip(userInterface, interface);
    strip->setBounds(bounds);
    strip->parent.setValue(userInterface.rootControl());
    slots.panelHeight.setValue(25.0f);
    slots.setStrip(strip);
    slots.setPanelFactory(
        [&userInterface, &interface] { return new TestSlotPanel(userInterface, interface); });
    return strip;
}

} // namespace test
