#pragma once

// The two value animations of the modulation editor, instantiated once
// here: one moves a float property of a control and redraws the control at
// every step; the other moves a value held through a delegating property (a
// control's x, y, width or height), whose own setter redraws. Both are keyed
// by their target, so a new animation of the same target replaces a running
// one, and both are owned by the animator.
//
// Threading: GUI thread only.

#include "foundation/Property.h"
#include "gui/Animation.h"

namespace gui {
class Control;
}

extern template class gui::ValueAnimation<float, Property<float>>;
extern template class gui::ValueAnimation<float, DelegatingProperty<float>>;

using PropertyAnimation = gui::ValueAnimation<float, Property<float>>;
using DelegatingAnimation = gui::ValueAnimation<float, DelegatingProperty<float>>;

// Moves the property towards target over duration milliseconds (at once
// without an animator), redrawing control at every step. A property already
// at the target stops its running animation. Returns the animation or null.
PropertyAnimation* animateProperty(gui::Animator* animator, Property<float>& property, float target,
                                   gui::Control& control, int duration,
                                   gui::AnimationMotion motion = gui::AnimationMotion::kSmooth);
// The same for a delegating property, without a redraw of its own; an
// animated control given here drops the animation when it dies.
DelegatingAnimation* animateDelegated(gui::Animator* animator, DelegatingProperty<float>& value, float target,
                                      gui::Control* control, int duration,
                                      gui::AnimationMotion motion = gui::AnimationMotion::kSmooth);
