#include "gui/InterfaceTimer.h"

#include "gui/RootControl.h"
#include "gui/UserInterface.h"

namespace gui {

InterfaceTimer::InterfaceTimer(UserInterface& userInterface)
    : Component(userInterface), id_(userInterface.registerTimer(this)) {}

InterfaceTimer::~InterfaceTimer() {
    UserInterface& ui = userInterface();
    ui.removeFrameTimer(this);
    // During destruction the window and its timers are gone (or going).
    if (!ui.isBeingDestroyed()) {
        if (RootControl* root = ui.rootControl()) root->stopTimer(id_);
    }
    ui.unregisterTimer(id_);
}

void InterfaceTimer::propertyChanged(AbstractProperty& property) {
    if (&property == &enabled || &property == &interval || &property == &frameDriven)
        update();
    else
        Component::propertyChanged(property);
}

void InterfaceTimer::handleMessage(int code) {
    if (code == kUpdateMessage) update();
}

void InterfaceTimer::update() {
    UserInterface& ui = userInterface();
    if (!ui.isGuiThread()) {
        ui.postMessage(this, kUpdateMessage, kGuiList);
        return;
    }
    RootControl* root = ui.isBeingDestroyed() ? nullptr : ui.rootControl();
    ui.removeFrameTimer(this);
    if (root != nullptr) root->stopTimer(id_);
    if (!enabled.getValue() || interval.getValue() < 1) return;
    if (frameDriven.getValue() && ui.accelerated.getValue())
        ui.addFrameTimer(this);
    else if (root != nullptr)
        root->startTimer(id_, interval.getValue());
}

} // namespace gui
