#include "editor/HotspotButton.h"

#include "gui/Knob.h"

HotspotButton::HotspotButton(gui::UserInterface& userInterface, gui::Knob* knob,
                             GenericPluginInterfaceBase& interface, float normalizedValue,
                             gui::Button::Style* style)
    : gui::Button(userInterface, style), knob_(knob), interface_(&interface),
      normalizedValue_(normalizedValue) {
    if (knob_ != nullptr) link(knob_);
}

void HotspotButton::componentDeleted(gui::Component* component) {
    gui::Button::componentDeleted(component);
    if (component == knob_) knob_ = nullptr;
}
