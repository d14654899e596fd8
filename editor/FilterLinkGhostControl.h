#pragma once

// The ghost of one axis of a filter's link point on a response display. The
// owning editor supplies the anchor, the link point in the target's own
// coordinates; the handle is centred horizontally on it (left = anchor x -
// half the bitmap's width), its top at the anchor (orientation 0) or 5
// below it (orientation 1), so the two handles of one point do not cover
// each other's tops.
//
// Threading: GUI thread; draw runs under the root lock.

#include "editor/XYGhostControl.h"

#include <functional>

class FilterLinkGhostControl : public XYGhostControl {
public:
    // How far below the anchor the vertical handle sits.
    static constexpr float kVerticalGap = 5.0f;

    using Anchor = std::function<gui::Point()>;

    FilterLinkGhostControl(gui::Control& target, gui::Orientation orientation, std::uint32_t parameterIndex,
                           Anchor anchor);
    ~FilterLinkGhostControl() override;

    gui::Rect getRect() override;

private:
    Anchor anchor_;
};
