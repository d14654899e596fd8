#include "gui/ValueMouseTracker.h"

#include "gui/Control.h"
#include "gui/Modifiers.h"
#include "gui/UserInterface.h"
#include "gui/ValueControl.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

constexpr int kDefaultDoubleClickTime = 500;
constexpr float kCoarseTravel = 20.0f;
constexpr float kDetent = 0.4f;

} // namespace

ValueMouseTracker::ValueMouseTracker(IntervalTimer::Clock clock)
    : acceleration(nullptr, true), fineFactor(nullptr, 0.1f), stepped(nullptr, false),
      dragLength(nullptr, 200.0f), resolution(nullptr, 4096), wheelFactor(nullptr, 1.0f),
      clock_(std::move(clock)) {
    reset();
}

void ValueMouseTracker::reset() {
    lastClick_ = Point(-1.0f, -1.0f);
    dragRemainder_ = 0.0f;
    speed_ = 0.0f;
    lastWheelDirection_ = 0;
    wheelRemainder_ = 0.0f;
    timer_ = IntervalTimer::create(clock_);
}

void ValueMouseTracker::setClickPoint(const Point& point) {
    lastClick_ = point;
    timer_->restart();
}

int ValueMouseTracker::dragMove(Control& control, const Point& point, float delta, int modifiers) {
    if (control.doubleClickEnabled.getValue() && lastClick_.x != -1.0f) {
        UserInterface& ui = control.userInterface();
        const int doubleClickTime =
            ui.hasPlatformDelegate() ? ui.platformDelegate().doubleClickTime() : kDefaultDoubleClickTime;
        const bool near = std::fabs(point.x - lastClick_.x) <= kDragThreshold &&
                          std::fabs(point.y - lastClick_.y) <= kDragThreshold;
        if (near && timer_->elapsed() <= std::uint32_t(std::max(doubleClickTime, 0))) return 0;
        lastClick_.x = -1.0f;
    }
    return dragStep(delta, modifiers);
}

int ValueMouseTracker::dragStep(float delta, int modifiers) {
    const std::uint32_t elapsed = timer_->elapsed();
    timer_->restart();
    const float ms = float(std::max<std::uint32_t>(elapsed, 20));
    speed_ = std::min(std::fabs(delta) / ms, 0.1f) * 10.0f;
    const float fine = fineFactor.getValue();
    const int steps = resolution.getValue();
    if (modifierMode(modifiers) & kModeFine)
        delta *= fine;
    else if (acceleration.getValue() && !stepped.getValue() && steps >= 100)
        delta *= fine + (1.0f - fine) * speed_;
    float x;
    if (!stepped.getValue() && dragLength.getValue() >= float(steps) * kCoarseTravel)
        x = delta / kCoarseTravel + dragRemainder_;
    else
        x = float(steps) * delta / dragLength.getValue() + dragRemainder_;
    if (!std::isfinite(x)) x = 0.0f;
    x = std::clamp(x, -1.0e9f, 1.0e9f);
    float n;
    if (stepped.getValue())
        n = std::trunc(x > 0.0f ? x + kDetent : x - kDetent);
    else
        n = std::trunc(x);
    dragRemainder_ = x - n;
    return int(n);
}

int ValueMouseTracker::wheelStep(float amount, float magnitude, int modifiers) {
    float x;
    if (resolution.getValue() < 100) {
        x = magnitude * 0.04f + wheelRemainder_;
        if (amount != 0.0f) {
            const int direction = amount > 0.0f ? 1 : -1;
            if (direction != lastWheelDirection_) {
                x = direction > 0 ? std::max(x, 1.0f) : std::min(x, -1.0f);
                lastWheelDirection_ = direction;
            }
        }
    } else {
        if (modifierMode(modifiers) & kModeFine) amount *= fineFactor.getValue();
        x = float(resolution.getValue()) * amount * wheelFactor.getValue() + wheelRemainder_;
    }
    if (!std::isfinite(x)) x = 0.0f;
    x = std::clamp(x, -1.0e9f, 1.0e9f);
    const float n = std::trunc(x);
    wheelRemainder_ = x - n;
    return int(n);
}

} // namespace gui
