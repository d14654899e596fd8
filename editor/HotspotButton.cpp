#include "editor/HotspotButton.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "gui/Knob.h"

HotspotButton::HotspotButton(gui::UserInterface& userInterface, gui::Knob* knob,
                             GenericPluginInterfaceBase& interface, float normalizedValue,
                             gui::Button::Style* style)
    : gui::Button(userInterface, style), knob_(knob), interface_(&interface),
      normalizedValue_(normalizedValue) {
    if (knob_ != nullptr) link(knob_);
    clickEvent.setHandler(NotifyEvent::bind([this] { interface_->hotspotClicked(*this); }));
}

void HotspotButton::componentDeleted(gui::Component* component) {
    gui::Button::componentDeleted(component);
    if (component == knob_) knob_ = nullptr;
}
