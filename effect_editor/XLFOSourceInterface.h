#pragma once

// XLFOSourceInterface: the XLFO's panel: the balance, frequency (free
// running) or frequency offset (synced, with five hotspot buttons) and glide
// knobs, the MIDI trigger, sync mode and snap controls, the scale or piano
// image by "Snap", the step editor with the product's step panel. The
// panel is the step editor's width + 179 wide and follows its resizes.
//
// Threading: GUI thread only.

#include "effect_editor/VarnelSourceInterface.h"

#include <vector>

class HotspotButton;
class XLFOController;
class XLFOStepInterface;

namespace gui {
class Image;
class Knob;
class SelectButton;
class ToggleButton;
} // namespace gui

class XLFOSourceInterface : public VarnelSourceInterface {
public:
    static constexpr float kExtraWidth = 179.0f;
    static constexpr int kHotspotCount = 5;

    XLFOSourceInterface(SourceHost& controller, SourceId id, VarnelParameters& parameters,
                        const VarnelSourceSkin& skin);
    ~XLFOSourceInterface() override;

    void setSourceInstance(std::int32_t instance) override;
    void refreshFromParameters() override;
    void componentDeleted(gui::Component* component) override;

    gui::Knob* balanceKnob() const { return balance_; }
    gui::Knob* frequencyKnob() const { return frequency_; }
    gui::Knob* frequencyOffsetKnob() const { return frequencyOffset_; }
    gui::Knob* glideKnob() const { return glide_; }
    gui::ToggleButton* midiTriggerButton() const { return midiTrigger_; }
    gui::SelectButton* syncModeButton() const { return syncMode_; }
    gui::ToggleButton* snapButton() const { return snap_; }
    gui::Image* labels() const { return labels_; }
    gui::Image* syncLabels() const { return syncLabels_; }
    gui::Image* scale() const { return scale_; }
    gui::Image* piano() const { return piano_; }
    XLFOController* stepEditor() const { return steps_; }
    XLFOStepInterface* stepPanel() const { return stepPanel_; }
    const std::vector<HotspotButton*>& hotspots() const { return hotspots_; }

private:
    void followStepEditor();

    gui::Knob* balance_ = nullptr;
    gui::Knob* frequency_ = nullptr;
    gui::Knob* frequencyOffset_ = nullptr;
    gui::Knob* glide_ = nullptr;
    gui::ToggleButton* midiTrigger_ = nullptr;
    gui::SelectButton* syncMode_ = nullptr;
    gui::ToggleButton* snap_ = nullptr;
    gui::Image* labels_ = nullptr;
    gui::Image* syncLabels_ = nullptr;
    gui::Image* scale_ = nullptr;
    gui::Image* piano_ = nullptr;
    XLFOController* steps_ = nullptr;
    XLFOStepInterface* stepPanel_ = nullptr;
    std::vector<HotspotButton*> hotspots_;
};
