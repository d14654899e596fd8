#include "gui/IntValueButton.h"

#include "gui/Modifiers.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace gui {
namespace {

// Shift moves ten times as far: the fine modifier of this button is coarse.
constexpr float kFineFactor = 10.0f;

} // namespace

IntValueButton::IntValueButton(UserInterface& userInterface, Style* style)
    : Button(userInterface, style), stepLength(this, 10.0f), tracker_(userInterface.clock()) {
    setUpTracker();
    showValue();
}

IntValueButton::~IntValueButton() = default;

void IntValueButton::setUpTracker() {
    const std::int64_t range = std::int64_t(maximum.getValue()) - std::int64_t(minimum.getValue());
    const float length = stepLength.getValue();
    tracker_.resolution.setValue(int(std::min<std::int64_t>(range, INT32_MAX)));
    tracker_.wheelFactor.setValue(length / float(range));
    tracker_.dragLength.setValue(float(range) * length);
    tracker_.acceleration.setValue(false);
    tracker_.fineFactor.setValue(kFineFactor);
}

void IntValueButton::showValue() {
    if (textLines().empty()) return;
    char text[16];
    std::snprintf(text, sizeof text, "%d", value.getValue());
    textLine(0)->text.setValue(text);
}

void IntValueButton::valueControlPropertyChanged(AbstractProperty& property) {
    Button::valueControlPropertyChanged(property);
    if (&property == &minimum || &property == &maximum || &property == &stepLength) setUpTracker();
    if (&property == &value) showValue();
}

void IntValueButton::mouseDown(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    Button::mouseDown(button, point, modifiers);
    if (!alive.alive() || button != kMouseLeft || !inGesture()) return;
    if ((modifiers & kDoubleClick) && doubleClickEnabled.getValue()) return;
    if (modifierMode(modifiers) & kModeReset) {
        resetToDefault();
        return;
    }
    dragging_ = true;
    tracker_.reset();
    tracker_.setClickPoint(point);
    lastY_ = point.y;
}

void IntValueButton::mouseMove(const Point& point, int modifiers) {
    if (!dragging_) {
        Button::mouseMove(point, modifiers);
        return;
    }
    AliveGuard alive(this);
    RolloverValueControl::mouseMove(point, modifiers);
    if (!alive.alive()) return;
    const float delta = lastY_ - point.y;
    lastY_ = point.y;
    // A step of no length has no drag: the tracker's length would be 0 or below.
    if (stepLength.getValue() <= 0.0f || !inGesture()) return;
    const int steps = tracker_.dragMove(*this, point, delta, modifiers);
    if (steps != 0) performGesture(kGestureChange, steps);
}

void IntValueButton::mouseUp(int button, const Point& point, int modifiers) {
    if (button == kMouseLeft) dragging_ = false;
    Button::mouseUp(button, point, modifiers);
}

bool IntValueButton::mouseWheel(int phase, const Point&, int modifiers, const Point& firstDelta,
                                const Point&) {
    if (dragging_) return true;
    // The speed is both numbers of the tracker's wheel step: the distance
    // would sweep a fine range at once.
    const float speed = std::clamp(firstDelta.y, -1.0f, 1.0f);
    return wheelGesture(phase, tracker_, speed, modifiers);
}

void IntValueButton::wheelSteps(int steps) {
    const std::int64_t v = value.getValue();
    const std::int64_t held = std::clamp(std::int64_t(steps), std::int64_t(minimum.getValue()) - v,
                                         std::int64_t(maximum.getValue()) - v);
    if (held != 0) performGesture(kGestureChange, int(held));
}

} // namespace gui
