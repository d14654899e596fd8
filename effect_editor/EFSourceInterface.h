#pragma once

// EFSourceInterface: the envelope follower's panel: the input buttons (the
// normal input and, when the plug-in has a usable side-chain input, the
// side chain) bound to "Input", and the Attack and Release knobs.
//
// Threading: GUI thread only.

#include "effect_editor/VarnelSourceInterface.h"

namespace gui {
class Image;
class Knob;
class ToggleButton;
} // namespace gui

class EFSourceInterface : public VarnelSourceInterface {
public:
    static constexpr float kWidth = 123.0f;

    EFSourceInterface(SourceHost& controller, SourceId id, VarnelParameters& parameters,
                      const VarnelSourceSkin& skin);
    ~EFSourceInterface() override;

    void setSourceInstance(std::int32_t instance) override;
    void componentDeleted(gui::Component* component) override;

    gui::ToggleButton* inputButton() const { return input_; }
    gui::ToggleButton* sideChainButton() const { return sideChain_; }
    gui::Knob* attackKnob() const { return attack_; }
    gui::Knob* releaseKnob() const { return release_; }

private:
    gui::ToggleButton* input_ = nullptr;
    gui::ToggleButton* sideChain_ = nullptr;
    gui::Knob* attack_ = nullptr;
    gui::Knob* release_ = nullptr;
    gui::Image* labels_ = nullptr;
};
