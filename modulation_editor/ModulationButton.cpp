#include "modulation_editor/ModulationButton.h"

#include "gui/Timer.h"
#include "gui/UserInterface.h"

ModulationButton::ModulationButton(gui::UserInterface& userInterface, Style* style)
    : gui::ToggleButton(userInterface, style), timer_(userInterface.createTimer()) {
    if (timer_ != nullptr) timer_->destroyEvent.addHandler(NotifyEvent::bind([this] { timer_ = nullptr; }));
}

ModulationButton::~ModulationButton() {
    if (gui::Timer* timer = timer_) {
        timer_ = nullptr;
        timer->destroyEvent.clear();
        delete timer;
    }
}

void ModulationButton::mouseDown(int button, const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    gui::ToggleButton::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != gui::kMouseLeft) return;
    pressed_ = true;
    if (timer_ != nullptr) timer_->enabled.setValue(true);
}

void ModulationButton::mouseUp(int button, const gui::Point& point, int modifiers) {
    AliveGuard alive(this);
    gui::ToggleButton::mouseUp(button, point, modifiers);
    if (alive.alive() && button == gui::kMouseLeft) released();
}

void ModulationButton::captureLost() {
    AliveGuard alive(this);
    gui::ToggleButton::captureLost();
    if (alive.alive() && pressed_) released();
}

void ModulationButton::released() {
    if (timer_ != nullptr) timer_->enabled.setValue(false);
    pressed_ = false;
    syncFromValue();
}
