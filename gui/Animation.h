#pragma once

// Animations stepped by gui::Animator: a fraction t of the duration elapsed,
// shaped by the motion, applied to what the animation drives. At t >= 1 the
// animation applies 1.0, fires its finished event and removes itself.
//
// Motions: linear t; smooth t^2 (3 - 2t); ease-in ((0.6t + 0.4)^4 - 0.0256)
// x 1.0262727; ease-out the mirror of ease-in. A duration below 1 ms ends
// at the first step.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Animator.h"
#include "gui/BasicPoint.h"

#include <cmath>
#include <cstdint>
#include <type_traits>

namespace gui {

enum class AnimationMotion { kLinear = 0, kSmooth = 1, kEaseIn = 2, kEaseOut = 3 };

// The shaped fraction for t in 0..1.
float animationProgress(AnimationMotion motion, float t);

class Animation : public AnimatedObject {
public:
    // Registers itself under the key and takes its start time from the animator.
    Animation(Animator& animator, Control* control, const void* key);
    ~Animation() override = default;

    Property<int> duration;           // milliseconds, no owner
    Property<AnimationMotion> motion; // no owner
    NotifyEvent finishedEvent;

    void step() override;
    void destroy() override { delete this; }
    virtual void apply(float progress) = 0;

    Animator& animator() const { return *animator_; }

private:
    Animator* animator_;
    std::uint32_t start_;
};

class ControlAnimation : public Animation {
public:
    ControlAnimation(Animator& animator, Control& control, const void* key)
        : Animation(animator, &control, key), control_(&control) {}
    Control& control() const { return *control_; }

private:
    Control* control_;
};

// Fades a control's opacity from its current value to the target.
class FadeAnimation : public ControlAnimation {
public:
    FadeAnimation(Animator& animator, Control& control, int target);
    void apply(float progress) override;

private:
    int startOpacity_;
    int target_;
};

// Drives a value from its current value to an end value, keyed by the
// target. The target is a ValueAssignable<V> (a property) or a plain V. The
// entry keeps the control (its removal drops the animation); with redraw the
// control redraws its whole area at every step.
template <class V, class T> class ValueAnimation : public Animation {
public:
    ValueAnimation(Animator& animator, T& target, V end, Control* control = nullptr, bool redraw = true)
        : Animation(animator, control, &target), target_(&target), start_(current()), end_(end),
          redraw_(redraw ? control : nullptr) {}

    void apply(float progress) override {
        V value = interpolate(progress);
        if constexpr (std::is_base_of_v<ValueAssignable<V>, T>)
            target_->setValue(value);
        else
            *target_ = value;
        if (redraw_ != nullptr) redraw_->invalidateRect(redraw_->localRect());
    }

private:
    V current() const {
        if constexpr (std::is_base_of_v<ValueAssignable<V>, T>)
            return target_->getValue();
        else
            return *target_;
    }
    V interpolate(float p) const {
        if constexpr (std::is_same_v<V, Point>)
            return Point(start_.x + (end_.x - start_.x) * p, start_.y + (end_.y - start_.y) * p);
        else if constexpr (std::is_integral_v<V>)
            return V(std::trunc(float(start_) + float(end_ - start_) * p));
        else
            return V(start_ + (end_ - start_) * p);
    }

    T* target_;
    V start_;
    V end_;
    Control* redraw_;
};

// Fades the control's opacity to the target (at once without an animator).
// A fade to the opacity the control already has stops a running fade.
void fadeControl(Animator* animator, Control& control, int target, int duration);

// Animates *value towards newValue, linearly (at once without an animator);
// returns the animation, owned by the animator, or null.
ValueAnimation<int, int>* animateIntProperty(Animator* animator, int* value, int newValue, Control* control,
                                             int duration, bool redraw);

} // namespace gui
