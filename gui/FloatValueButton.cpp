#include "gui/FloatValueButton.h"

#include "gui/Modifiers.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gui {
namespace {

std::int64_t clampToInt(std::int64_t v) {
    return std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX);
}

} // namespace

FloatValueButton::FloatValueButton(UserInterface& userInterface, Style* style)
    : Button(userInterface, style), dragOut(this, false), orientation(this, Orientation::kVertical),
      stepCount(this, 0), tracker_(userInterface.clock()) {
    buttonStyle.setValue(ButtonStyle::kHoldPressedLook);
    setUpTracker();
}

FloatValueButton::~FloatValueButton() = default;

void FloatValueButton::setUpTracker() {
    const std::int64_t range = std::int64_t(maximum.getValue()) - std::int64_t(minimum.getValue());
    const int count = stepCount.getValue();
    tracker_.resolution.setValue(count >= 1 ? count : int(std::min<std::int64_t>(range, INT32_MAX)));
}

void FloatValueButton::valueControlPropertyChanged(AbstractProperty& property) {
    Button::valueControlPropertyChanged(property);
    if (&property == &minimum || &property == &maximum || &property == &stepCount) setUpTracker();
}

int FloatValueButton::quantize(int steps) const {
    const std::int64_t count = stepCount.getValue();
    const std::int64_t max = maximum.getValue();
    if (count < 1 || steps == 0 || max <= 0) return steps;
    const std::int64_t v = value.getValue();
    // The grid point j: round(j * max / count), in integers.
    auto grid = [count, max](std::int64_t j) {
        return static_cast<std::int64_t>(std::llround(double(j) * double(max) / double(count)));
    };
    // j0: the last grid point at or below the value.
    std::int64_t j = static_cast<std::int64_t>(std::floor(double(v) * double(count) / double(max)));
    while (grid(j) > v)
        --j;
    while (grid(j + 1) <= v)
        ++j;
    std::int64_t target;
    if (grid(j) == v) {
        // Where fine grids repeat a point, a step down starts from its first.
        if (steps < 0)
            while (grid(j - 1) == v)
                --j;
        target = grid(j + steps);
    } else {
        target = steps > 0 ? grid(j + 1) : grid(j);
    }
    return int(clampToInt(target - v));
}

void FloatValueButton::changeBy(int steps) {
    const int change = quantize(steps);
    if (change == 0) return;
    const int before = value.getValue();
    AliveGuard alive(this);
    performGesture(kGestureChange, change);
    if (alive.alive() && value.getValue() != before) tracker_.forgetClickPoint();
}

void FloatValueButton::mouseDown(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    Button::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != kMouseLeft || !inGesture()) return;
    if ((modifiers & kDoubleClick) && doubleClickEnabled.getValue()) return;
    updateLinkFromModifiers(modifiers);
    if (modifierMode(modifiers) & kModeReset) {
        resetToDefault();
        return;
    }
    const Point at = toRoot(point);
    tracker_.reset();
    tracker_.setClickPoint(at);
    lastCoordinate_ = orientation.getValue() == Orientation::kVertical ? at.y : at.x;
    pressPoint_ = point;
    dragging_ = true;
}

void FloatValueButton::mouseMove(const Point& point, int modifiers) {
    AliveGuard alive(this);
    Button::mouseMove(point, modifiers);
    if (!alive.alive() || !dragging_ || !inGesture()) return;
    const Point at = toRoot(point);
    const bool vertical = orientation.getValue() == Orientation::kVertical;
    if (dragOut.getValue() && tracker_.hasClickPoint()) {
        const Point& press = tracker_.clickPoint();
        const float across = vertical ? std::fabs(at.x - press.x) : std::fabs(at.y - press.y);
        if (across > kDragThreshold) {
            tracker_.forgetClickPoint(); // one request per press
            dragOutEvent.notify(this);
            return;
        }
    }
    updateLinkFromModifiers(modifiers);
    const float coordinate = vertical ? at.y : at.x;
    const float delta = vertical ? lastCoordinate_ - coordinate : coordinate - lastCoordinate_;
    lastCoordinate_ = coordinate;
    const int steps = tracker_.dragMove(*this, at, delta, modifiers);
    if (steps != 0) changeBy(steps);
}

void FloatValueButton::mouseUp(int button, const Point& point, int modifiers) {
    const bool dragged = button == kMouseLeft && dragging_;
    AliveGuard alive(this);
    Button::mouseUp(button, point, modifiers);
    if (!alive.alive() || !dragged) return;
    updateLinkFromModifiers(0);
    dragging_ = false;
}

bool FloatValueButton::mouseWheel(int phase, const Point&, int modifiers, const Point& firstDelta,
                                  const Point&) {
    if (dragging_) return true;
    // The speed is both numbers of the tracker's wheel step: the distance
    // would sweep a fine range at once.
    const float speed = std::clamp(firstDelta.y, -1.0f, 1.0f);
    return wheelGesture(phase, tracker_, speed, modifiers);
}

void FloatValueButton::wheelSteps(int steps) {
    changeBy(steps);
}

} // namespace gui
