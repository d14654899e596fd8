#include "editor/WatchedControl.h"

#include "gui/Control.h"
#include "gui/RootControl.h"
#include "gui/UserInterface.h"

WatchedControl::WatchedControl(gui::Control& control)
    : gui::Component(control.userInterface()), control_(&control) {
    link(control_);
}

WatchedControl::~WatchedControl() = default;

bool WatchedControl::isShown() const {
    if (control_ == nullptr) return false;
    gui::UserInterface& ui = control_->userInterface();
    gui::RootControl* root = ui.isBeingDestroyed() ? nullptr : ui.rootControl();
    if (root == nullptr) return false;
    const gui::Control* top = control_;
    while (top->getParent() != nullptr)
        top = top->getParent();
    return top == root && control_->isVisibleInTree();
}

void WatchedControl::componentDeleted(gui::Component* component) {
    gui::Component::componentDeleted(component);
    if (component == control_) control_ = nullptr;
}
