#pragma once

// MidiSourceInterface: the MIDI source's panel: the input select button,
// the controller number button (enabled only for the Controller input) and
// the response curve select button. Its source name is the MIDI source's
// label.
//
// Threading: GUI thread only.

#include "effect_editor/VarnelSourceInterface.h"

namespace gui {
class IntValueButton;
class SelectButton;
} // namespace gui

class MidiSourceInterface : public VarnelSourceInterface {
public:
    static constexpr float kWidth = 122.0f;

    MidiSourceInterface(SourceHost& controller, SourceId id, VarnelParameters& parameters,
                        const VarnelSourceSkin& skin);
    ~MidiSourceInterface() override;

    void setSourceInstance(std::int32_t instance) override;
    void refreshFromParameters() override;
    void componentDeleted(gui::Component* component) override;

    gui::SelectButton* inputButton() const { return input_; }
    gui::IntValueButton* controllerButton() const { return controller_; }
    gui::SelectButton* curveButton() const { return curve_; }

private:
    gui::SelectButton* input_ = nullptr;
    gui::IntValueButton* controller_ = nullptr;
    gui::SelectButton* curve_ = nullptr;
};
