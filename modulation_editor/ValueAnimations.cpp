#include "modulation_editor/ValueAnimations.h"

#include "gui/Control.h"

template class gui::ValueAnimation<float, Property<float>>;
template class gui::ValueAnimation<float, DelegatingProperty<float>>;

namespace {

template <class Target>
gui::ValueAnimation<float, Target>* animateTo(gui::Animator* animator, Target& value, float target,
                                              gui::Control* control, bool redraw, int duration,
                                              gui::AnimationMotion motion) {
    if (animator == nullptr) {
        value.setValue(target);
        return nullptr;
    }
    if (value.getValue() == target) {
        animator->stopAnimations(&value);
        return nullptr;
    }
    auto* animation = new gui::ValueAnimation<float, Target>(*animator, value, target, control, redraw);
    if (duration >= 1) animation->duration.setValue(duration);
    animation->motion.setValue(motion);
    return animation;
}

} // namespace

PropertyAnimation* animateProperty(gui::Animator* animator, Property<float>& property, float target,
                                   gui::Control& control, int duration, gui::AnimationMotion motion) {
    return animateTo(animator, property, target, &control, true, duration, motion);
}

DelegatingAnimation* animateDelegated(gui::Animator* animator, DelegatingProperty<float>& value, float target,
                                      gui::Control* control, int duration, gui::AnimationMotion motion) {
    return animateTo(animator, value, target, control, false, duration, motion);
}
