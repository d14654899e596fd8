#include "gui/Animation.h"

#include <algorithm>

namespace gui {

namespace {

constexpr int kDefaultDuration = 200; // ms

float easeIn(float t) {
    float x = 0.6f * t + 0.4f;
    return ((x * x) * (x * x) - 0.0256f) * 1.0262727f;
}

} // namespace

float animationProgress(AnimationMotion motion, float t) {
    switch (motion) {
    case AnimationMotion::kSmooth:
        return t * t * (3.0f - 2.0f * t);
    case AnimationMotion::kEaseIn:
        return easeIn(t);
    case AnimationMotion::kEaseOut:
        return 1.0f - easeIn(1.0f - t);
    default:
        return t;
    }
}

Animation::Animation(Animator& animator, Control* control, const void* key)
    : duration(nullptr, kDefaultDuration), motion(nullptr, AnimationMotion::kLinear), animator_(&animator),
      start_(animator.clockStamp()) {
    animator.startAnimation(this, control, key);
}

void Animation::step() {
    const int length = duration.getValue();
    const float t = length < 1 ? 1.0f : float(animator_->clockStamp() - start_) / float(length);
    if (t >= 1.0f) {
        apply(1.0f);
        finishedEvent.notify(this);
        animator_->removeAnimation(this);
        return;
    }
    apply(animationProgress(motion.getValue(), t));
}

FadeAnimation::FadeAnimation(Animator& animator, Control& control, int target)
    : ControlAnimation(animator, control, &control.opacity), startOpacity_(control.opacity.getValue()),
      target_(std::clamp(target, 0, 255)) {}

void FadeAnimation::apply(float progress) {
    int value = int(std::trunc(float(startOpacity_) + float(target_ - startOpacity_) * progress));
    if (value != control().opacity.getValue()) control().opacity.setValue(value);
}

void fadeControl(Animator* animator, Control& control, int target, int duration) {
    if (animator == nullptr) {
        if (control.opacity.getValue() != target) control.opacity.setValue(target);
        return;
    }
    if (control.opacity.getValue() == target) {
        animator->stopAnimations(&control.opacity);
        return;
    }
    auto* fade = new FadeAnimation(*animator, control, target);
    if (duration >= 1) fade->duration.setValue(duration);
}

ValueAnimation<int, int>* animateIntProperty(Animator* animator, int* value, int newValue, Control* control,
                                             int duration, bool redraw) {
    if (animator == nullptr) {
        *value = newValue;
        return nullptr;
    }
    if (*value == newValue) {
        animator->stopAnimations(value);
        return nullptr;
    }
    auto* animation = new ValueAnimation<int, int>(*animator, *value, newValue, control, redraw);
    if (duration >= 1) animation->duration.setValue(duration);
    return animation;
}

} // namespace gui
