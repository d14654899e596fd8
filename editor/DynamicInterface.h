#pragma once

// The base of panels that are built and torn down while the editor runs (a
// section, a source panel, a slot panel): a control with its own builder
// that remembers every (control, parameter) link it made through the
// editor's change manager.
//
// Lifetime: the panel links itself to every control it records, so a
// recorded control that dies leaves the record at once (the manager forgets
// it by its own link). Owners call unlinkAllControls before they rebind or
// delete a panel; a panel deleted without it still leaves nothing behind:
// its destructor deletes the controls it holds as children, and each death
// clears its record in the panel and in the manager.
//
// A notify control makes the panel rebuild: a value change of a value
// control (a selector, say), or the click of a push button, posts message 0
// to the panel, whose rebuildInterface then runs on the GUI thread.
//
// Threading: GUI thread only.

#include "editor/ControlBuilder.h"
#include "gui/Control.h"

#include <utility>
#include <vector>

class AbstractPluginParameter;
class GenericPluginInterfaceBase;

namespace gui {
class ValueControl;
}

class DynamicInterface : public gui::Control {
public:
    // The message that rebuilds the panel.
    static constexpr int kRebuildMessage = 0;

    using ControlLink = std::pair<gui::ValueControl*, AbstractPluginParameter*>;

    DynamicInterface(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface);
    ~DynamicInterface() override;

    void handleMessage(int code) override;
    void componentDeleted(gui::Component* component) override;
    // Builds or refreshes the panel's contents.
    virtual void rebuildInterface() = 0;

    // Links the control to the parameter through the editor and records the pair.
    void linkControl(AbstractPluginParameter* parameter, gui::ValueControl* control);
    // Records a pair the caller linked itself (a modulation target, say).
    void recordLink(AbstractPluginParameter* parameter, gui::ValueControl* control);
    // Unlinks every recorded pair through the editor, in order, and forgets them.
    void unlinkAllControls();
    // Null clears it.
    void setNotifyControl(gui::Control* control);

    ControlBuilder& builder() { return builder_; }
    const std::vector<ControlLink>& controlLinks() const { return controlLinks_; }
    GenericPluginInterfaceBase& interface() const { return *interface_; }
    gui::Control* notifyControl() const { return notifyControl_; }

private:
    void notifyFired();
    void detachNotifyControl();
    // Drops the panel's link to a control no pair or role refers to any more.
    void unlinkIfUnused(gui::Component* component);

    ControlBuilder builder_;
    std::vector<ControlLink> controlLinks_;
    GenericPluginInterfaceBase* interface_;
    gui::Control* notifyControl_ = nullptr;
    NotifyEvent::Handler* notifyHandler_ = nullptr;
};
