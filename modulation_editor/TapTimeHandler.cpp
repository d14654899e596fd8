#include "modulation_editor/TapTimeHandler.h"

#include "foundation/IntervalTimer.h"
#include "gui/Control.h"
#include "gui/Timer.h"
#include "gui/UserInterface.h"

TapTimeHandler::TapTimeHandler(gui::Control& owner)
    : owner_(owner), interval_(IntervalTimer::create(owner.userInterface().clock())) {
    timer_ = owner.userInterface().createTimer();
    timer_->interval.setValue(kActiveMs);
    timer_->tickEvent.setHandler(NotifyEvent::bind(this, &TapTimeHandler::timerTick));
    // The user interface deletes the timers it still has when it goes.
    timer_->destroyEvent.addHandler(NotifyEvent::bind([this] { timer_ = nullptr; }));
}

TapTimeHandler::~TapTimeHandler() {
    if (timer_ == nullptr) return;
    gui::Timer* timer = timer_;
    timer_ = nullptr;
    timer->destroyEvent.clear();
    delete timer;
}

void TapTimeHandler::pressed() {
    interval_->restart();
}

std::uint32_t TapTimeHandler::tap() {
    const std::uint32_t measured = interval_->elapsed();
    interval_->restart();
    return measured;
}

std::uint32_t TapTimeHandler::elapsed() const {
    return interval_->elapsed();
}

void TapTimeHandler::click() {
    if (active_) {
        setActive(false);
        return;
    }
    if (interval_->elapsed() > kQuickClickMs) return;
    setActive(true);
}

void TapTimeHandler::deactivate() {
    if (active_) setActive(false);
}

void TapTimeHandler::timerTick() {
    if (active_) setActive(false);
}

void TapTimeHandler::setActive(bool active) {
    active_ = active;
    if (timer_ != nullptr) {
        // Enabling starts a full interval from now.
        timer_->enabled.setValue(false);
        timer_->enabled.setValue(active);
    }
    stateChangedEvent.notify(this);
    owner_.invalidateRect(owner_.localRect());
}
