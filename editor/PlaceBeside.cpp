#include "editor/PlaceBeside.h"

#include "gui/Control.h"
#include "gui/RootControl.h"
#include "gui/UserInterface.h"

#include <algorithm>

void placeBeside(gui::Control& control, const gui::Rect& target, PlacementSide side, int gap,
                 gui::Rect limits) {
    gui::RootControl* root = control.userInterface().rootControl();
    if (root == nullptr) return;
    gui::intersect(limits, root->localRect());
    gui::Rect paint;
    control.getPaintBounds(paint);
    const float w = paint.width();
    const float h = paint.height();
    float x = (target.left + target.right) * 0.5f - w * 0.5f;
    float y = (target.top + target.bottom) * 0.5f - h * 0.5f;

    const bool horizontal = side == PlacementSide::kLeft || side == PlacementSide::kRight;
    const float size = horizontal ? w : h;
    const float low = horizontal ? limits.left : limits.top;
    const float high = horizontal ? limits.right : limits.bottom;
    const float before = (horizontal ? target.left : target.top) - float(gap) - size;
    const float after = float(gap) + (horizontal ? target.right : target.bottom);
    bool afterFirst = side == PlacementSide::kRight || side == PlacementSide::kBelow;
    float& coordinate = horizontal ? x : y;
    for (int attempt = 0; attempt < 2; ++attempt) {
        coordinate = afterFirst ? after : before;
        if (low <= coordinate && coordinate + size < high) break;
        afterFirst = !afterFirst;
    }

    // The upper bound wins when the label is larger than the limits.
    x = std::min(std::max(x, limits.left), limits.right - w);
    y = std::min(std::max(y, limits.top), limits.bottom - h);
    if (control.getParent() != root) control.parent.setValue(root);
    const gui::Rect bounds(x - paint.left, y - paint.top, x - paint.left + control.width.getValue(),
                           y - paint.top + control.height.getValue());
    if (gui::rectMoved(control.bounds.getValue(), bounds)) control.bounds.setValue(bounds);
}
