#include "effect_editor/XLFOSourceInterface.h"

#include "editor/ControlBuilder.h"
#include "editor/HotspotButton.h"
#include "effect/VarnelModulation.h"
#include "effect/VarnelParameters.h"
#include "effect_editor/SourcePanelParts.h"
#include "effect_editor/XLFOStepInterface.h"
#include "gui/Bitmap.h"
#include "gui/Image.h"
#include "gui/Knob.h"
#include "gui/SelectButton.h"
#include "gui/ToggleButton.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/SourceHost.h"
#include "modulation_editor/XLFOController.h"

namespace {

constexpr float kStepEditorX = 160.0f;
constexpr float kStepEditorY = 24.0f;
// As high as the step panel, whose knobs reach down to 89.
constexpr float kStepEditorHeight = 89.0f;
constexpr float kSyncModeWidth = 47.0f;
constexpr float kHotspotGap = 6.0f; // beyond the knob's radius

} // namespace

XLFOSourceInterface::XLFOSourceInterface(SourceHost& controller, SourceId id, VarnelParameters& parameters,
                                         const VarnelSourceSkin& skin)
    : VarnelSourceInterface(controller, id, parameters, skin) {
    builder().setParent(this);
    auto adopt = [this](gui::Control* c) {
        c->parent.setValue(this);
        link(c);
    };
    makeImage(*this, 0.0f, 8.0f, "XLFOInterfaceShadow.png");
    labels_ = makeImage(*this, 14.0f, 47.0f, "XLFOLabels.png");
    syncLabels_ = makeImage(*this, 14.0f, 47.0f, "XLFOLabelsSync.png");
    makeImage(*this, 59.0f, 35.0f, "XLFOButtonConnector.png");
    // Balance is the ring around the rate knob (frequency or its offset).
    balance_ = builder().createKnob(12, 34, skin.outerRing);
    frequency_ = builder().createKnob(20, 42, skin.innerKnob);
    frequencyOffset_ = builder().createKnob(20, 42, skin.innerKnob);
    glide_ = builder().createKnob(86, 50, skin.smallKnob);
    for (gui::Knob* k : {balance_, frequency_, frequencyOffset_, glide_})
        adopt(k);
    // Five hotspots over the offset's plain range, its ends and quarters.
    if (parameters.xlfos.getNumSets() > 0) {
        AbstractPluginParameter& offset = parameters.xlfos[0].frequencyOffset;
        const float lo = offset.getMin(), hi = offset.getMax();
        const float values[kHotspotCount] = {lo, lo + (hi - lo) * 0.25f, lo + (hi - lo) * 0.5f,
                                             lo + (hi - lo) * 0.75f, hi};
        builder().createHotspotButtons(*frequencyOffset_, offset, skin.hotspotButton,
                                       frequencyOffset_->width.getValue() * 0.5f + kHotspotGap, kHotspotCount,
                                       values, &hotspots_);
        for (HotspotButton* h : hotspots_)
            if (h != nullptr) adopt(h);
    }
    midiTrigger_ = makeIconToggle(*this, 67, 27, skin.iconToggle, "IconMidiOn.png", "IconMidiOff.png");
    syncMode_ = builder().createSelectButton(86, 27, skin.selectButton);
    adopt(syncMode_);
    syncMode_->setSize(kSyncModeWidth, syncMode_->height.getValue());
    if (parameters.xlfos.getNumSets() > 0) addParameterValueItems(*syncMode_, parameters.xlfos[0].syncMode);
    // The scales stand beneath the Snap toggle, which is drawn over them.
    scale_ = makeImage(*this, 139.0f, 12.0f, "XLFOScale.png");
    piano_ = makeImage(*this, 143.0f, 12.0f, "XLFOPiano.png");
    snap_ = makeIconToggle(*this, 134, 27, skin.iconToggle, "IconSnapOn.png", "IconSnapOff.png");

    if (auto* style = dynamic_cast<XLFOController::StepSlider::Style*>(skin.stepSlider))
        style->curveDot().load("CurveDot.png");
    const AbstractPluginParameter* glideFunction =
        parameters.xlfos.getNumSets() > 0 && parameters.xlfos[0].steps.getNumSets() > 0
            ? &parameters.xlfos[0].steps[0].glideFunction
            : nullptr;
    stepPanel_ = new XLFOStepInterface(gui::Control::userInterface(), builder(), skin, glideFunction);
    steps_ = new XLFOController(controller.interface(), skin.stepSlider, stepPanel_, std::string());
    if (XLFOController::PhaseOffsetSlider* phase = steps_->phaseOffsetSlider()) {
        phase->setHandleBitmaps(skin.phaseOffsetHandle, skin.phaseOffsetHandlePressed);
        // The strip is as high as the handle.
        if (skin.phaseOffsetHandle != nullptr && skin.phaseOffsetHandle->pixelHeight() > 0)
            steps_->phaseOffsetHeight.setValue(skin.phaseOffsetHandle->height.getValue());
    }
    adopt(steps_);
    steps_->setBoundsXYWH(kStepEditorX, kStepEditorY, steps_->width.getValue(), kStepEditorHeight);
    steps_->boundsEvent.addHandler(NotifyEvent::bind([this] { followStepEditor(); }));
    makePresetButton();
}

XLFOSourceInterface::~XLFOSourceInterface() = default;

void XLFOSourceInterface::componentDeleted(gui::Component* component) {
    VarnelSourceInterface::componentDeleted(component);
    if (component == balance_) balance_ = nullptr;
    if (component == frequency_) frequency_ = nullptr;
    if (component == frequencyOffset_) frequencyOffset_ = nullptr;
    if (component == glide_) glide_ = nullptr;
    if (component == midiTrigger_) midiTrigger_ = nullptr;
    if (component == syncMode_) syncMode_ = nullptr;
    if (component == snap_) snap_ = nullptr;
    if (component == labels_) labels_ = nullptr;
    if (component == syncLabels_) syncLabels_ = nullptr;
    if (component == scale_) scale_ = nullptr;
    if (component == piano_) piano_ = nullptr;
    if (component == steps_) {
        steps_ = nullptr;
        stepPanel_ = nullptr;
    }
    for (HotspotButton*& h : hotspots_)
        if (component == h) h = nullptr;
}

void XLFOSourceInterface::followStepEditor() {
    if (steps_ == nullptr) return;
    width.setValue(steps_->width.getValue() + kExtraWidth);
    boundsChanged();
}

void XLFOSourceInterface::setSourceInstance(std::int32_t instance) {
    VarnelSourceInterface::setSourceInstance(instance);
    if (instance < 0 || instance >= parameters().xlfos.getNumSets()) return;
    XLFOParameterSet& xlfo = parameters().xlfos[instance];
    auto target = [instance](std::int32_t item) {
        return static_cast<uint32_t>(VarnelModulation::xlfoTarget(instance, item));
    };
    linkSourceControl(&xlfo.balance, balance_, ~0u);
    linkSourceControl(&xlfo.frequency, frequency_, target(0));
    linkSourceControl(&xlfo.frequencyOffset, frequencyOffset_, ~0u);
    linkSourceControl(&xlfo.glide, glide_, target(1));
    linkSourceControl(&xlfo.midiTrigger, midiTrigger_, ~0u);
    linkSourceControl(&xlfo.syncMode, syncMode_, ~0u);
    linkSourceControl(&xlfo.snap, snap_, ~0u);
    if (steps_ != nullptr) {
        XLFOController::StepLayout layout;
        layout.steps = &xlfo.steps;
        for (int32_t role = 0; role < XLFOController::kNumRoles; ++role)
            layout.offsets[role] = role;
        layout.parametersPerStep = XLFOController::kNumRoles;
        layout.stepCountIndex = xlfo.steps.firstParameterIndex();
        layout.snapIndex = xlfo.snap.getIndex();
        layout.phaseOffsetIndex = xlfo.phaseOffset.getIndex();
        steps_->linkParameters(layout, target(2));
        // The step editor links the phase offset and the steps itself.
        claimParameter(xlfo.phaseOffset.getIndex());
        claimParameter(xlfo.steps.firstParameterIndex());
        for (int32_t k = 0; k < xlfo.steps.getNumSets(); ++k)
            for (int32_t role = 0; role < XLFOController::kNumRoles; ++role)
                claimParameter(xlfo.steps.firstParameterIndex() + 1 + k * XLFOController::kNumRoles + role);
        steps_->layoutForNumSteps(xlfo.steps.getNumActive());
    }
    refreshFromParameters();
}

void XLFOSourceInterface::refreshFromParameters() {
    VarnelSourceInterface::refreshFromParameters();
    const std::int32_t instance = sourceId().instance;
    if (instance < 0 || instance >= parameters().xlfos.getNumSets()) return;
    XLFOParameterSet& xlfo = parameters().xlfos[instance];
    const bool freeRunning = !(xlfo.syncMode.getValue() > xlfo.syncMode.getMin());
    if (frequency_ != nullptr) frequency_->visible.setValue(freeRunning);
    if (labels_ != nullptr) labels_->visible.setValue(freeRunning);
    if (frequencyOffset_ != nullptr) frequencyOffset_->visible.setValue(!freeRunning);
    for (HotspotButton* h : hotspots_)
        if (h != nullptr) h->visible.setValue(!freeRunning);
    if (syncLabels_ != nullptr) syncLabels_->visible.setValue(!freeRunning);
    const bool snapped = xlfo.snap.getValue() != 0.0f;
    if (scale_ != nullptr) scale_->visible.setValue(!snapped);
    if (piano_ != nullptr) piano_->visible.setValue(snapped);
    if (steps_ != nullptr) {
        steps_->setNumSteps(xlfo.steps.getNumActive());
        steps_->selectionChanged();
    }
}
