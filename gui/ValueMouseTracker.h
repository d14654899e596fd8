#pragma once

// Turns pointer drags and wheel turns into whole value steps for a value
// control: pointer acceleration, the fine modifier, a minimum travel per
// step for coarse ranges, detented movement with hysteresis, a wheel that
// always moves a coarse control by at least one step, and suppression of the
// jitter between the two clicks of a double click.
//
// The owning control's press handler records the press point (setClickPoint)
// and restarts the timer. Threading: GUI thread only.

#include "foundation/IntervalTimer.h"
#include "foundation/Property.h"
#include "gui/BasicPoint.h"

#include <memory>

namespace gui {

class Control;

class ValueMouseTracker {
public:
    explicit ValueMouseTracker(IntervalTimer::Clock clock = systemMilliseconds);
    ValueMouseTracker(const ValueMouseTracker&) = delete;
    ValueMouseTracker& operator=(const ValueMouseTracker&) = delete;

    Property<bool> acceleration;
    Property<float> fineFactor;
    Property<bool> stepped;
    Property<float> dragLength;
    Property<int> resolution;
    Property<float> wheelFactor;

    void reset();
    // A press at the point: remembered for the double-click filter; the timer starts again.
    void setClickPoint(const Point& point);
    int dragMove(Control& control, const Point& point, float delta, int modifiers);
    int dragStep(float delta, int modifiers);
    int wheelStep(float amount, float magnitude, int modifiers);

    float dragRemainder() const { return dragRemainder_; }
    float wheelRemainder() const { return wheelRemainder_; }
    float speed() const { return speed_; }
    // The press still held for the double-click filter, and its forgetting.
    bool hasClickPoint() const { return lastClick_.x != -1.0f; }
    const Point& clickPoint() const { return lastClick_; }
    void forgetClickPoint() { lastClick_.x = -1.0f; }

private:
    IntervalTimer::Clock clock_;
    float dragRemainder_ = 0.0f;
    std::unique_ptr<IntervalTimer> timer_;
    Point lastClick_{-1.0f, -1.0f};
    float speed_ = 0.0f;
    int lastWheelDirection_ = 0;
    float wheelRemainder_ = 0.0f;
};

} // namespace gui
