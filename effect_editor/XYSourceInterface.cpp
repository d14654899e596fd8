#include "effect_editor/XYSourceInterface.h"

#include "effect/VarnelParameters.h"
#include "gui/MultiLabel.h"
#include "modulation_editor/ModulationIndicatorManager.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/SourceDragButton.h"
#include "modulation_editor/SourceHost.h"
#include "modulation_editor/XYControllerButton.h"

namespace {

constexpr float kTitleX = 50.0f;

} // namespace

XYSourceInterface::XYSourceInterface(SourceHost& controller, SourceId id, VarnelParameters& parameters,
                                     const VarnelSourceSkin& skin)
    : VarnelSourceInterface(controller, id, parameters, skin) {
    width.setValue(kWidth);
    if (title() != nullptr) title()->setX(kTitleX);
    pad_ = new XYControllerButton(userInterface(), controller.interface(), skin.xyButton);
    pad_->parent.setValue(this);
    link(pad_);
    pad_->setBoundsXYWH(0.0f, 0.0f, width.getValue(), height.getValue());
    setChildIndex(pad_, 0);
    pad_->padInsets.setValue(gui::Rect(8.0f, 9.0f, 8.0f, 7.0f));
    pad_->helpText.setValue(kPadHelp);
    // The pad's face (its title band and screen) and the target at the point.
    pad_->setBackgroundSource(skin.xyBackground);
    if (skin.xyPointIcon != nullptr) pad_->pointIcon().load(skin.xyPointIcon);
    const std::vector<SourceDragButton*>& drags = dragButtons();
    if (!drags.empty() && drags[0] != nullptr) drags[0]->icon(0).load("IconSourceX.png");
    if (drags.size() > 1 && drags[1] != nullptr) {
        drags[1]->icon(0).load("IconSourceY.png");
        moveTo(drags[1], 25.0f, 7.0f);
    }
}

XYSourceInterface::~XYSourceInterface() = default;

void XYSourceInterface::componentDeleted(gui::Component* component) {
    VarnelSourceInterface::componentDeleted(component);
    if (component == pad_) pad_ = nullptr;
}

void XYSourceInterface::setSourceInstance(std::int32_t instance) {
    VarnelSourceInterface::setSourceInstance(instance);
    if (pad_ == nullptr || instance < 0 || instance >= parameters().xyControllers.getNumSets()) return;
    XYParameterSet& xy = parameters().xyControllers[instance];
    ModulationIndicatorManager* indicators = skin().indicators;
    if (indicators != nullptr) indicators->beginCollecting();
    // The pad writes its two channels itself (a parameter button); the panel
    // claims both axes.
    pad_->setParameter(0, &xy.hor);
    pad_->setParameter(1, &xy.ver);
    claimParameter(xy.hor.getIndex());
    claimParameter(xy.ver.getIndex());
    if (indicators != nullptr) indicators->endCollecting();
    pad_->parameterChanged(-1);
}

void XYSourceInterface::refreshFromParameters() {
    VarnelSourceInterface::refreshFromParameters();
    if (pad_ != nullptr) pad_->parameterChanged(-1);
}
