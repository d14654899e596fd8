#include "modulation_editor/XLFOController.h"

#include <cmath>

XLFOController::ResizeAnimation::ResizeAnimation(gui::Animator& animator, XLFOController& controller)
    : gui::ControlAnimation(animator, controller, &controller), controller_(controller),
      startWidth_(static_cast<int32_t>(controller.width.getValue())), target_(controller.targetGeometry()) {
    duration.setValue(kResizeDuration);
    motion.setValue(gui::AnimationMotion::kSmooth);
    if (StepInterface* panel = controller.stepPanel_) {
        startPanelX_ = static_cast<int32_t>(panel->x.getValue());
        startPanelWidth_ = static_cast<int32_t>(panel->width.getValue());
    } else {
        startPanelX_ = target_.panelX;
        startPanelWidth_ = target_.panelWidth;
    }
    for (const StepSlider* slider : controller.sliders_)
        startSliderWidths_.push_back(slider != nullptr ? static_cast<int32_t>(slider->width.getValue()) : 0);
    finishedEvent.setHandler(NotifyEvent::bind([this] { controller_.animationGone(this); }));
}

void XLFOController::ResizeAnimation::apply(float progress) {
    auto eased = [progress](int32_t start, int32_t target) {
        return static_cast<int32_t>(
            std::trunc(static_cast<float>(start) + static_cast<float>(target - start) * progress));
    };
    Geometry g;
    g.width = eased(startWidth_, target_.width);
    g.panelX = eased(startPanelX_, target_.panelX);
    g.panelWidth = eased(startPanelWidth_, target_.panelWidth);
    g.sliderWidths.resize(target_.sliderWidths.size());
    for (size_t k = 0; k < g.sliderWidths.size(); ++k)
        g.sliderWidths[k] =
            eased(k < startSliderWidths_.size() ? startSliderWidths_[k] : 0, target_.sliderWidths[k]);
    controller_.applyGeometry(g);
}
