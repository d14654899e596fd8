#pragma once

// XLFOStepInterface: the product's XLFO step panel on the step editor's
// panel base: its background, a title ("Step 3", or "(Multiple)" while
// several steps are selected), the value and glide knobs, the random toggle,
// the glide function select button and the Hide, Remove Step and Add Step
// buttons. The step editor links the step controls to the last selected
// step.
//
// Threading: GUI thread only.

#include "effect_editor/VarnelSourceSkin.h"
#include "modulation_editor/XLFOController.h"

namespace gui {
class Image;
class MultiLabel;
} // namespace gui

class AbstractPluginParameter;
class ControlBuilder;

class XLFOStepInterface : public XLFOController::StepInterface {
public:
    static constexpr const char* kValueHelp =
        "The Value knob in the step interface sets the value of the selected steps. This sets all selected "
        "steps to the same value. In contrast, if you select multiple steps and drag one of them, the "
        "relative differences between the steps are preserved.\n\nTip: To reset the value, Ctrl-click the "
        "knob.";

    // glideFunction names the glide function's choices (every step's alike;
    // null: none).
    XLFOStepInterface(gui::UserInterface& userInterface, ControlBuilder& builder,
                      const VarnelSourceSkin& skin, const AbstractPluginParameter* glideFunction);
    ~XLFOStepInterface() override;

    using XLFOController::StepInterface::update;
    void update(std::int32_t step) override;
    void componentDeleted(gui::Component* component) override;

    gui::MultiLabel* title() const { return title_; }

private:
    gui::Image* background_ = nullptr;
    gui::MultiLabel* title_ = nullptr;
};
