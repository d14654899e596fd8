#include "editor/XYGhostControl.h"

#include "gui/Control.h"
#include "gui/UserInterface.h"

XYGhostControl::XYGhostControl(gui::Control& target, gui::Orientation orientation,
                               std::uint32_t parameterIndex, Fraction fraction)
    : BitmapParameterGhostControl(target.userInterface().deviceBacking(), parameterIndex), target_(target),
      orientation_(orientation), fraction_(std::move(fraction)) {}

XYGhostControl::~XYGhostControl() = default;

gui::Point XYGhostControl::targetOrigin() const {
    const gui::Control* control = target_.control();
    return control != nullptr ? control->toRoot(gui::Point(0.0f, 0.0f)) : gui::Point(0.0f, 0.0f);
}

float XYGhostControl::fraction() const {
    return fraction_ ? fraction_() : 0.0f;
}

gui::Rect XYGhostControl::getRect() {
    const gui::Rect size = bitmap().getRect();
    const gui::Control* control = target_.control();
    if (control == nullptr) return {};
    const gui::Point at = targetOrigin();
    const float t = fraction();
    if (orientation_ == gui::Orientation::kHorizontal)
        return gui::Rect::fromXYWH(at.x + control->width.getValue() * t - kHandleOffset, at.y, size.width(),
                                   size.height());
    return gui::Rect::fromXYWH(at.x, at.y + (1.0f - t) * control->height.getValue() - kHandleOffset,
                               size.width(), size.height());
}

bool XYGhostControl::isActive(int) {
    return target_.isShown();
}

void XYGhostControl::draw(gui::Canvas& canvas) {
    // The overlay draws active ghosts only; a direct call is held to it too.
    if (target_.isShown()) BitmapParameterGhostControl::draw(canvas);
}
