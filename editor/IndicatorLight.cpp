#include "editor/IndicatorLight.h"

#include "gui/Timer.h"
#include "gui/UserInterface.h"

IndicatorLight::IndicatorLight(gui::UserInterface& userInterface, gui::Light::Style* style)
    : gui::Light(userInterface, style), timer_(userInterface.createTimer()) {
    if (timer_ == nullptr) return;
    timer_->tickEvent.addHandler(NotifyEvent::bind(this, &IndicatorLight::timerTick));
    // The user interface deletes the timers it still has when it goes.
    timer_->destroyEvent.addHandler(NotifyEvent::bind([this] { timer_ = nullptr; }));
}

IndicatorLight::~IndicatorLight() {
    if (timer_ == nullptr) return;
    gui::Timer* timer = timer_;
    timer_ = nullptr;
    timer->destroyEvent.clear();
    timer->tickEvent.clear();
    delete timer;
}

void IndicatorLight::light(int milliseconds) {
    on.setValue(true);
    if (style() != nullptr) style()->on.setValue(true);
    if (timer_ == nullptr) return;
    // Enabling starts a full interval from now.
    timer_->enabled.setValue(false);
    timer_->interval.setValue(milliseconds);
    timer_->enabled.setValue(true);
}

void IndicatorLight::timerTick() {
    if (timer_ != nullptr) timer_->enabled.setValue(false);
    switchOff();
}
