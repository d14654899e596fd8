#include "editor/DynamicInterface.h"

#include "editor/GenericPluginInterfaceBase.h"
#include "gui/Button.h"
#include "gui/UserInterface.h"
#include "gui/ValueControl.h"

#include <algorithm>

namespace {

// The event of a control that tells of a user's change: a value control's
// value change, but a push button's click, since pressing it changes no value.
NotifyEvent& notifyEventOf(gui::Control& control) {
    if (auto* button = dynamic_cast<gui::Button*>(&control); button != nullptr && button->isPushButton())
        return control.clickEvent;
    if (auto* valueControl = dynamic_cast<gui::ValueControl*>(&control))
        return valueControl->valueChangedEvent;
    return control.clickEvent;
}

} // namespace

DynamicInterface::DynamicInterface(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface)
    : gui::Control(userInterface), builder_(interface, *this), interface_(&interface) {}

DynamicInterface::~DynamicInterface() {
    detachNotifyControl();
    // The panel's own controls go with it; each death clears its records.
    deleteChildren();
    for (const ControlLink& pair : controlLinks_)
        gui::Component::unlink(pair.first);
    controlLinks_.clear();
}

void DynamicInterface::handleMessage(int code) {
    gui::Control::handleMessage(code);
    if (code == kRebuildMessage) rebuildInterface();
}

void DynamicInterface::componentDeleted(gui::Component* component) {
    gui::Control::componentDeleted(component);
    if (component == notifyControl_) {
        notifyControl_ = nullptr;
        notifyHandler_ = nullptr; // deleted with the control's event
    }
    // The dying control is only compared: the manager drops its own record
    // through its link, so the control is never called here.
    auto found =
        std::find_if(controlLinks_.begin(), controlLinks_.end(), [component](const ControlLink& pair) {
            return static_cast<gui::Component*>(pair.first) == component;
        });
    if (found != controlLinks_.end()) controlLinks_.erase(found);
}

void DynamicInterface::linkControl(AbstractPluginParameter* parameter, gui::ValueControl* control) {
    if (parameter == nullptr || control == nullptr) return;
    interface_->linkControl(parameter, control);
    controlLinks_.emplace_back(control, parameter);
    link(control);
}

void DynamicInterface::recordLink(AbstractPluginParameter* parameter, gui::ValueControl* control) {
    if (parameter == nullptr || control == nullptr) return;
    controlLinks_.emplace_back(control, parameter);
    link(control);
}

void DynamicInterface::unlinkAllControls() {
    std::vector<ControlLink> pairs;
    pairs.swap(controlLinks_);
    for (const ControlLink& pair : pairs)
        interface_->unlinkControl(pair.second, pair.first);
    for (const ControlLink& pair : pairs)
        unlinkIfUnused(pair.first);
}

void DynamicInterface::unlinkIfUnused(gui::Component* component) {
    if (component == notifyControl_) return;
    const bool recorded =
        std::any_of(controlLinks_.begin(), controlLinks_.end(), [component](const ControlLink& p) {
            return static_cast<gui::Component*>(p.first) == component;
        });
    if (!recorded) gui::Component::unlink(component);
}

void DynamicInterface::setNotifyControl(gui::Control* control) {
    if (control == notifyControl_) return;
    detachNotifyControl();
    if (control == nullptr) return;
    notifyControl_ = control;
    notifyHandler_ = NotifyEvent::bind(this, &DynamicInterface::notifyFired);
    notifyEventOf(*control).setHandler(notifyHandler_);
    link(control);
}

void DynamicInterface::detachNotifyControl() {
    gui::Control* control = notifyControl_;
    if (control == nullptr) return;
    notifyControl_ = nullptr;
    NotifyEvent& event = notifyEventOf(*control);
    if (event.getHandler() == notifyHandler_) event.setHandler(nullptr);
    notifyHandler_ = nullptr;
    unlinkIfUnused(control);
}

void DynamicInterface::notifyFired() {
    userInterface().postMessage(this, kRebuildMessage, gui::kGuiList);
}
