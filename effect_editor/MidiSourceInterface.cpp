#include "effect_editor/MidiSourceInterface.h"

#include "editor/ControlBuilder.h"
#include "effect/VarnelParameters.h"
#include "effect_editor/SourcePanelParts.h"
#include "gui/IntValueButton.h"
#include "gui/SelectButton.h"
#include "modulation/MidiModSource.h"

namespace {

constexpr float kControlWidth = 98.0f;
constexpr float kTextOffsetX = -5.0f;
constexpr float kStepLength = 10.0f;

} // namespace

MidiSourceInterface::MidiSourceInterface(SourceHost& controller, SourceId id, VarnelParameters& parameters,
                                         const VarnelSourceSkin& skin)
    : VarnelSourceInterface(controller, id, parameters, skin) {
    width.setValue(kWidth);
    builder().setParent(this);
    input_ = builder().createSelectButton(12, 35, skin.selectButton);
    controller_ = new gui::IntValueButton(userInterface(), skin.valueButton);
    builder().placeControl(controller_, 12, 60, 128);
    controller_->stepLength.setValue(kStepLength);
    curve_ = builder().createSelectButton(12, 85, skin.selectButton);
    for (gui::Button* b : {static_cast<gui::Button*>(input_), static_cast<gui::Button*>(controller_),
                           static_cast<gui::Button*>(curve_)}) {
        b->parent.setValue(this);
        link(b);
        b->setSize(kControlWidth, b->height.getValue());
        b->textOffsetX.setValue(kTextOffsetX);
    }
    // Every MIDI source names its inputs and curves alike.
    if (parameters.midiSources.getNumSets() > 0) {
        addParameterValueItems(*input_, parameters.midiSources[0].input);
        addParameterValueItems(*curve_, parameters.midiSources[0].responseCurve);
    }
    makePresetButton();
}

MidiSourceInterface::~MidiSourceInterface() = default;

void MidiSourceInterface::componentDeleted(gui::Component* component) {
    VarnelSourceInterface::componentDeleted(component);
    if (component == input_) input_ = nullptr;
    if (component == controller_) controller_ = nullptr;
    if (component == curve_) curve_ = nullptr;
}

void MidiSourceInterface::setSourceInstance(std::int32_t instance) {
    VarnelSourceInterface::setSourceInstance(instance);
    if (instance < 0 || instance >= parameters().midiSources.getNumSets()) return;
    MidiSourceParameterSet& midi = parameters().midiSources[instance];
    linkSourceControl(&midi.input, input_, ~0u);
    linkSourceControl(&midi.controllerNumber, controller_, ~0u);
    linkSourceControl(&midi.responseCurve, curve_, ~0u);
    refreshFromParameters();
}

void MidiSourceInterface::refreshFromParameters() {
    VarnelSourceInterface::refreshFromParameters();
    const std::int32_t instance = sourceId().instance;
    if (instance < 0 || instance >= parameters().midiSources.getNumSets()) return;
    MidiSourceParameterSet& midi = parameters().midiSources[instance];
    setEnabledDimmed(controller_, midi.input.getTypedValue() == MidiModSource::MidiInput::kController);
    setSourceName(midi.getSourceLabel());
}
