#pragma once

// The ghost of one axis of a control that shows a position on two axes (an
// XY pad, a filter's response display): its handle bitmap sits at the
// target's current fraction along the axis, as the target shows it. The
// owning editor supplies the fraction (the modulated position).
//
// Orientation 0 moves along x: left = x + width x fraction - 15, top = y.
// Orientation 1 moves along y, upwards increasing as on the pad:
// left = x, top = y + (1 - fraction) x height - 15. (x, y) is the target's
// top-left corner in root coordinates, the size is the bitmap's.
//
// The target is watched: the ghost is active (drawn, hit, labelled) only
// while the target lives and is visible in the root's tree.
//
// Threading: GUI thread; draw runs under the root lock.

#include "editor/BitmapParameterGhostControl.h"
#include "editor/WatchedControl.h"
#include "gui/Enumerations.h"

#include <functional>

class XYGhostControl : public BitmapParameterGhostControl {
public:
    // Half the handle: the handle's centre sits on the position.
    static constexpr float kHandleOffset = 15.0f;

    // A fraction in 0..1 along the target's extent.
    using Fraction = std::function<float()>;

    XYGhostControl(gui::Control& target, gui::Orientation orientation, std::uint32_t parameterIndex,
                   Fraction fraction);
    ~XYGhostControl() override;

    gui::Rect getRect() override;
    bool isActive(int index) override;
    void draw(gui::Canvas& canvas) override;

    // Null once the target died.
    gui::Control* target() const { return target_.control(); }
    gui::Orientation orientation() const { return orientation_; }

protected:
    // The target's top-left corner in root coordinates.
    gui::Point targetOrigin() const;
    float fraction() const;

private:
    WatchedControl target_;
    gui::Orientation orientation_;
    Fraction fraction_;
};
