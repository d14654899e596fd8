#pragma once

// XLFOController::ResizeAnimation: eases the step editor from the geometry
// it had when the animation was made to the target of its step count and
// selection: the controller's width, the step panel's x and width and every
// slider's width, each start + (target - start) x (3 - 2t) t^2 truncated to
// an integer, the sliders placed from x 0 at the running sum of their eased
// widths. Keyed by the controller, so a new relayout replaces it (the
// controller then points at the new one); its end clears the controller's
// pointer to it.
//
// Threading: GUI thread only (stepped by the animator).

#include "gui/Animation.h"
#include "modulation_editor/XLFOController.h"

#include <cstdint>
#include <vector>

class XLFOController::ResizeAnimation : public gui::ControlAnimation {
public:
    ResizeAnimation(gui::Animator& animator, XLFOController& controller);

    void apply(float progress) override;

private:
    XLFOController& controller_;
    int32_t startWidth_ = 0;
    int32_t startPanelX_ = 0;
    int32_t startPanelWidth_ = 0;
    std::vector<int32_t> startSliderWidths_;
    Geometry target_;
};
