#include "effect_editor/EFSourceInterface.h"

#include "editor/ControlBuilder.h"
#include "effect/VarnelModulation.h"
#include "effect/VarnelParameters.h"
#include "effect_editor/SourcePanelParts.h"
#include "gui/Image.h"
#include "gui/Knob.h"
#include "gui/ToggleButton.h"

EFSourceInterface::EFSourceInterface(SourceHost& controller, SourceId id, VarnelParameters& parameters,
                                     const VarnelSourceSkin& skin)
    : VarnelSourceInterface(controller, id, parameters, skin) {
    width.setValue(kWidth);
    builder().setParent(this);
    input_ = makeIconToggle(*this, 43, 27, skin.iconToggle, "IconInputOn.png", "IconInputOff.png");
    sideChain_ =
        makeIconToggle(*this, 62, 27, skin.iconToggle, "IconSideChainOn.png", "IconSideChainOff.png");
    if (skin.sideChainUsable && skin.sideChainUsable()) {
        input_->addGroupMember(sideChain_);
    } else {
        disableDimmed(sideChain_);
        input_->on.setValue(true);
        disableDimmed(input_);
    }
    labels_ = makeImage(*this, 16.0f, 99.0f, "EFLabels.png");
    attack_ = builder().createKnob(12, 50, skin.knob);
    release_ = builder().createKnob(64, 50, skin.knob);
    for (gui::Control* c : {static_cast<gui::Control*>(attack_), static_cast<gui::Control*>(release_)}) {
        c->parent.setValue(this);
        link(c);
    }
    makePresetButton();
}

EFSourceInterface::~EFSourceInterface() = default;

void EFSourceInterface::componentDeleted(gui::Component* component) {
    VarnelSourceInterface::componentDeleted(component);
    if (component == input_) input_ = nullptr;
    if (component == sideChain_) sideChain_ = nullptr;
    if (component == attack_) attack_ = nullptr;
    if (component == release_) release_ = nullptr;
    if (component == labels_) labels_ = nullptr;
}

void EFSourceInterface::setSourceInstance(std::int32_t instance) {
    VarnelSourceInterface::setSourceInstance(instance);
    if (instance < 0 || instance >= parameters().efs.getNumSets()) return;
    EFParameterSet& ef = parameters().efs[instance];
    linkSourceControl(&ef.input, input_, ~0u);
    linkSourceControl(&ef.attack, attack_, static_cast<uint32_t>(VarnelModulation::efTarget(instance, 0)));
    linkSourceControl(&ef.release, release_, static_cast<uint32_t>(VarnelModulation::efTarget(instance, 1)));
}
