#pragma once

// EGSourceInterface: the envelope generator's panel: the three triggering
// buttons (input, side chain, MIDI: one choice group bound to
// "Triggering"), the threshold knob and the envelope display with its six
// sliders. The panel is the display's EnvelopeController::Panel: it styles
// the sliders and links them as modulation targets.
//
// Width: refreshFromParameters places the buttons and the display by
// whether MIDI triggers, then sizes the panel from the display's preferred
// width (needed = that, at least 160, + its left edge + 10): narrower than
// needed grows to needed + 12, wider than needed + 24 shrinks to needed.
//
// Ownership: the display is deleted first in the destructor, while the
// panel it calls back is whole.
//
// Threading: GUI thread only.

#include "effect_editor/EnvelopeController.h"
#include "effect_editor/VarnelSourceInterface.h"

namespace gui {
class Image;
class Knob;
class ToggleButton;
} // namespace gui

class ModulationIndicator;

class EGSourceInterface : public VarnelSourceInterface, public EnvelopeController::Panel {
public:
    static constexpr float kDisplayStageWidth = 70.0f;
    static constexpr float kMinimumDisplayWidth = 160.0f;
    static constexpr float kRightMargin = 10.0f;
    static constexpr float kGrowExtra = 12.0f;
    static constexpr float kKeepSlack = 24.0f;

    EGSourceInterface(SourceHost& controller, SourceId id, VarnelParameters& parameters,
                      const VarnelSourceSkin& skin);
    ~EGSourceInterface() override;

    void setSourceInstance(std::int32_t instance) override;
    void refreshFromParameters() override;
    void boundsChanged() override;
    void draw(gui::Canvas& canvas) override;
    void componentDeleted(gui::Component* component) override;

    // --- EnvelopeController::Panel
    gui::UserInterface& userInterface() override { return gui::Control::userInterface(); }
    gui::Animator* animator() override;
    void styleSlider(gui::Switch& slider) override;
    void linkSlider(AbstractPluginParameter* parameter, gui::Switch* slider, std::uint32_t flags) override;
    void unlinkSlider(AbstractPluginParameter* parameter, gui::Switch* slider) override;

    EnvelopeController* display() const { return display_; }
    gui::ToggleButton* triggerButton(int index) const { return triggers_[index]; }
    gui::Knob* thresholdKnob() const { return threshold_; }
    gui::Image* labels() const { return labels_; }
    ModulationIndicator* indicator() const { return indicator_; }

private:
    bool midiTriggered() const;

    EnvelopeController* display_ = nullptr;
    gui::ToggleButton* triggers_[3] = {nullptr, nullptr, nullptr};
    gui::Knob* threshold_ = nullptr;
    gui::Image* labels_ = nullptr;
    ModulationIndicator* indicator_ = nullptr;
    bool sizing_ = false;
};
