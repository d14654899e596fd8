#include "editor/FilterLinkGhostControl.h"

#include "gui/Control.h"

FilterLinkGhostControl::FilterLinkGhostControl(gui::Control& target, gui::Orientation orientation,
                                               std::uint32_t parameterIndex, Anchor anchor)
    : XYGhostControl(target, orientation, parameterIndex, {}), anchor_(std::move(anchor)) {}

FilterLinkGhostControl::~FilterLinkGhostControl() = default;

gui::Rect FilterLinkGhostControl::getRect() {
    if (target() == nullptr) return {};
    const gui::Rect size = bitmap().getRect();
    const gui::Point anchor = targetOrigin() + (anchor_ ? anchor_() : gui::Point(0.0f, 0.0f));
    const float top = orientation() == gui::Orientation::kVertical ? anchor.y + kVerticalGap : anchor.y;
    return gui::Rect::fromXYWH(anchor.x - size.width() * 0.5f, top, size.width(), size.height());
}
