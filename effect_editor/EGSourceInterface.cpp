#include "effect_editor/EGSourceInterface.h"

#include "editor/ControlBuilder.h"
#include "effect/VarnelModulation.h"
#include "effect/VarnelParameters.h"
#include "effect_editor/SourcePanelParts.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Image.h"
#include "gui/Knob.h"
#include "gui/ToggleButton.h"
#include "modulation_editor/ModulationIndicator.h"
#include "modulation_editor/ModulationIndicatorManager.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/SourceHost.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDisplayY = 24.0f;
constexpr float kDisplayHeight = 83.0f;
constexpr float kDisplayLeftRow = 73.0f;
constexpr float kDisplayLeftColumn = 29.0f;
constexpr uint32_t kTargetsPerEG = 6;
constexpr float kIndicatorOffsetX = -16.0f;
constexpr float kIndicatorOffsetY = -5.0f;

} // namespace

EGSourceInterface::EGSourceInterface(SourceHost& controller, SourceId id, VarnelParameters& parameters,
                                     const VarnelSourceSkin& skin)
    : VarnelSourceInterface(controller, id, parameters, skin) {
    builder().setParent(this);
    triggers_[0] = makeIconToggle(*this, 12, 27, skin.iconToggle, "IconInputOn.png", "IconInputOff.png");
    triggers_[1] =
        makeIconToggle(*this, 31, 27, skin.iconToggle, "IconSideChainOn.png", "IconSideChainOff.png");
    triggers_[2] = makeIconToggle(*this, 50, 27, skin.iconToggle, "IconMidiOn.png", "IconMidiOff.png");
    triggers_[0]->addGroupMember(triggers_[1]);
    triggers_[0]->addGroupMember(triggers_[2]);
    if (!(skin.sideChainUsable && skin.sideChainUsable())) disableDimmed(triggers_[1]);
    threshold_ = builder().createKnob(17, 50, skin.knob);
    threshold_->parent.setValue(this);
    link(threshold_);
    labels_ = makeImage(*this, 12.0f, 99.0f, "EGLabels.png");

    display_ = new EnvelopeController(*this, skin.egSlider, skin.egLevelSlider);
    display_->parent.setValue(this);
    link(display_);
    display_->setBoundsXYWH(0.0f, kDisplayY, 100.0f, kDisplayHeight);
    display_->fitStages.setValue(true);
    display_->stageWidth.setValue(kDisplayStageWidth);
    display_->representation.setValue(EnvelopeController::Representation::kUnipolar);
    display_->lineColor.setValue(skin.egLineColor);
    display_->fillColor.setValue(skin.egFillColor);
    display_->fillColor2.setValue(skin.egFillColor2);
    display_->labelColor.setValue(skin.egLabelColor);
    display_->setDotBitmaps("EGDotNormal", "EGDotActive");
    // The stages start half a handle in, so that the Delay handle at time 0
    // stands whole inside the display (its centre marks the stage's end).
    if (skin.egSlider != nullptr)
        display_->originX.setValue(skin.egSlider->handle().getRect().width() / 2.0f);
    makePresetButton();
}

EGSourceInterface::~EGSourceInterface() {
    // The display unlinks its sliders through this panel.
    delete display_;
}

void EGSourceInterface::componentDeleted(gui::Component* component) {
    VarnelSourceInterface::componentDeleted(component);
    if (component == display_) display_ = nullptr;
    if (component == threshold_) threshold_ = nullptr;
    if (component == labels_) labels_ = nullptr;
    if (component == indicator_) indicator_ = nullptr;
    for (gui::ToggleButton*& b : triggers_)
        if (component == b) b = nullptr;
}

gui::Animator* EGSourceInterface::animator() {
    return interface().animator();
}

void EGSourceInterface::styleSlider(gui::Switch& slider) {
    (void)slider;
}

void EGSourceInterface::linkSlider(AbstractPluginParameter* parameter, gui::Switch* slider,
                                   std::uint32_t flags) {
    linkSourceControl(parameter, slider, flags);
}

void EGSourceInterface::unlinkSlider(AbstractPluginParameter* parameter, gui::Switch* slider) {
    // Only a pair still linked: the panel's rebinding unlinked the others.
    for (const ControlLink& l : controlLinks())
        if (l.first == slider && l.second == parameter) {
            interface().unlinkControl(parameter, slider);
            return;
        }
}

void EGSourceInterface::setSourceInstance(std::int32_t instance) {
    VarnelSourceInterface::setSourceInstance(instance);
    if (instance < 0 || instance >= parameters().egs.getNumSets()) return;
    EGParameterSet& eg = parameters().egs[instance];
    linkSourceControl(&eg.triggering, triggers_[0], ~0u);
    linkSourceControl(&eg.threshold, threshold_, ~0u);
    auto target = [instance](std::int32_t item) {
        return static_cast<uint32_t>(VarnelModulation::egTarget(instance, item));
    };
    if (display_ != nullptr) {
        // One indicator on the display over this EG's six targets; the
        // sliders join it while the manager collects. The previous
        // instance's indicator goes (its sliders left it on unlinking).
        ModulationIndicatorManager* indicators = skin().indicators;
        if (indicators != nullptr) {
            delete indicator_;
            indicator_ = indicators->createIndicator(display_, target(0), kTargetsPerEG);
            if (indicator_ != nullptr) {
                link(indicator_);
                indicator_->offset.setValue(gui::Point(kIndicatorOffsetX, kIndicatorOffsetY));
            }
            indicators->beginCollecting();
        }
        // Hold is the set's first target: Hold, Delay, Attack, Decay, Sustain, Release.
        display_->setSlider(EnvelopeController::kDelay, &eg.delay, target(1));
        display_->setSlider(EnvelopeController::kAttack, &eg.attack, target(2));
        display_->setSlider(EnvelopeController::kDecay, &eg.decay, target(3));
        display_->setSlider(EnvelopeController::kSustain, &eg.sustain, target(4));
        display_->setSlider(EnvelopeController::kHold, &eg.hold, target(0));
        display_->setSlider(EnvelopeController::kRelease, &eg.release, target(5));
        if (indicators != nullptr) indicators->endCollecting();
    }
    refreshFromParameters();
}

bool EGSourceInterface::midiTriggered() const {
    // The MIDI button is on exactly when "Triggering" is MIDI.
    const std::int32_t instance = sourceId().instance;
    if (instance < 0 || instance >= parameters().egs.getNumSets()) return false;
    return parameters().egs[instance].triggering.getTypedValue() == EGTriggering::kMidi;
}

void EGSourceInterface::refreshFromParameters() {
    VarnelSourceInterface::refreshFromParameters();
    if (display_ == nullptr) return;
    const bool midi = midiTriggered();
    float left = kDisplayLeftRow;
    if (midi) {
        const float ys[3] = {36.0f, 55.0f, 74.0f};
        for (int k = 0; k < 3; ++k)
            moveTo(triggers_[k], 9.0f, ys[k]);
        left = kDisplayLeftColumn;
    } else {
        const float xs[3] = {12.0f, 31.0f, 50.0f};
        for (int k = 0; k < 3; ++k)
            moveTo(triggers_[k], xs[k], 27.0f);
    }
    if (threshold_ != nullptr) threshold_->visible.setValue(!midi);
    if (labels_ != nullptr) labels_->visible.setValue(!midi);
    const float right = width.getValue() - kRightMargin;
    display_->setBoundsXYWH(left, display_->y.getValue(), std::max(0.0f, right - left),
                            display_->height.getValue());
    display_->invalidateRect(display_->localRect());
    const int needed =
        static_cast<int>(std::max(display_->preferredWidth(), kMinimumDisplayWidth) + left + kRightMargin);
    const int w = getPanelWidth();
    if (w < needed)
        width.setValue(static_cast<float>(needed) + kGrowExtra);
    else if (static_cast<float>(w) > static_cast<float>(needed) + kKeepSlack)
        width.setValue(static_cast<float>(needed));
}

void EGSourceInterface::boundsChanged() {
    VarnelSourceInterface::boundsChanged();
    if (display_ == nullptr) return;
    const float left = display_->x.getValue();
    display_->setSize(std::max(0.0f, width.getValue() - kRightMargin - left), display_->height.getValue());
}

void EGSourceInterface::draw(gui::Canvas& canvas) {
    VarnelSourceInterface::draw(canvas);
    gui::Bitmap* background = skin().egDisplayBackground;
    if (display_ == nullptr || background == nullptr || !(background->getRect().width() > 0.0f)) return;
    canvas.drawBitmapInRect(*background, background->getRect(), display_->bounds.getValue(), 255);
}
