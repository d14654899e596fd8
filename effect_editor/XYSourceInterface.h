#pragma once

// XYSourceInterface: the XY controller's panel: the pad (an XY controller
// button behind the other controls, drawn from the skin's XY face with the
// target icon at its point) bound to "Hor" and "Ver", two drag buttons (X
// and Y) and no Preset button.
//
// Threading: GUI thread only.

#include "effect_editor/VarnelSourceInterface.h"

class XYControllerButton;

class XYSourceInterface : public VarnelSourceInterface {
public:
    static constexpr float kWidth = 141.0f;
    static constexpr const char* kPadHelp =
        "The XY controller gives you a way to easily control multiple parameters with just one mouse "
        "movement. "
        "You can hook up the X and Y axis to almost all parameters, simply by dragging the X and Y source "
        "drag "
        "buttons to any modulation target. \n\nThe 'target' icon in the XY controller visualizes the current "
        "value. However, you can click and drag anywhere, not just on the icon.\n\nCtrl-click the XY "
        "controller to reset the current value. Hold down Shift while dragging for fine-tuning.\n\nTip: You "
        "can also associate an XY controller with your external MIDI Controller using MIDI Learn.";

    XYSourceInterface(SourceHost& controller, SourceId id, VarnelParameters& parameters,
                      const VarnelSourceSkin& skin);
    ~XYSourceInterface() override;

    void setSourceInstance(std::int32_t instance) override;
    void refreshFromParameters() override;
    void componentDeleted(gui::Component* component) override;

    XYControllerButton* pad() const { return pad_; }

private:
    XYControllerButton* pad_ = nullptr;
};
