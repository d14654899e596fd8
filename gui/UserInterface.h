#pragma once

// The per-editor context of the toolkit: the registry of its components, the
// device backing, and the services the control tree calls (help hints, the
// touch-hold timer, posted messages). The platform's user interface derives
// from it and supplies the root control.
//
// Destruction: a derived destructor calls beginDestruction() before it
// deletes its tree, so that dying components only null their registry
// entries and controls skip the root control.
//
// Threading: GUI thread only.

#include "gui/DeviceBacking.h"

#include <string>
#include <vector>

namespace gui {

class Component;
class RootControl;
class Timer;

class UserInterface {
public:
    UserInterface();
    UserInterface(const UserInterface&) = delete;
    UserInterface& operator=(const UserInterface&) = delete;
    virtual ~UserInterface();

    virtual RootControl* rootControl() = 0;
    // A new timer ticking on the GUI thread, disabled; the caller may delete
    // it. Timers still alive when the user interface goes are deleted with it.
    virtual Timer* createTimer() = 0;

    // Shows the text as the help hint after the hint delay; an empty text
    // withdraws the hint.
    virtual void setHelpHint(const std::string& text);
    // Starts or stops the touch-hold timer.
    virtual void setTouchHoldTimer(bool running);
    // Drops every message still posted to the component.
    virtual void removePostedMessages(Component* component);

    DeviceBacking& deviceBacking() { return deviceBacking_; }

    void registerComponent(Component* component);
    void unregisterComponent(Component* component);
    // Null entries belong to components destroyed during destruction.
    const std::vector<Component*>& components() const { return components_; }
    bool isBeingDestroyed() const { return destroying_; }

protected:
    void beginDestruction() { destroying_ = true; }

private:
    std::vector<Component*> components_;
    bool destroying_ = false;
    DeviceBacking deviceBacking_;
};

} // namespace gui
