#include "effect_editor/tests/integrity/EditorStates.h"

#include "editor/MidiLearnMode.h"
#include "effect/VarnelPlugin.h"
#include "effect/VarnelPluginSettings.h"
#include "effect_editor/VarnelInterface.h"
#include "effect_editor/VarnelSkin.h"
#include "effect_editor/XLFOSourceInterface.h"
#include "gui/Button.h"
#include "gui/ScrollArea.h"
#include "gui/ValueControl.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/SourceController.h"
#include "modulation_editor/SourceId.h"
#include "modulation_editor/XLFOController.h"
#include "plugin/GenericPluginSnapshots.h"

#include <string>

namespace editor_states {

const char* stateName(State state) {
    switch (state) {
    case State::kFresh:
        return "fresh 640 x 321";
    case State::kFull:
        return "full 926 x 514";
    case State::kLearn:
        return "MIDI learn";
    }
    return "?";
}

void prepareModel(VarnelPlugin& model, State state) {
    VarnelPlugin::VarnelSettings& settings = model.getVarnelSettings();
    const bool full = state != State::kFresh;
    settings.interfaceLayout.setValue(full ? VarnelPlugin::InterfaceLayout::kWide
                                           : VarnelPlugin::InterfaceLayout::kStandard);
    settings.showModulation.setValue(full);
    settings.expandedSection.setValue(full ? 1 : -1);
    if (GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings())
        shared->welcomeHintShown.setValue(state == State::kFresh);
    if (!full) return;
    // One source of each kind and filter 1 on, a resonant low pass.
    for (AbstractParameterSetList* list : {static_cast<AbstractParameterSetList*>(&model.xyControllers),
                                           static_cast<AbstractParameterSetList*>(&model.xlfos),
                                           static_cast<AbstractParameterSetList*>(&model.egs),
                                           static_cast<AbstractParameterSetList*>(&model.efs),
                                           static_cast<AbstractParameterSetList*>(&model.midiSources)})
        list->getNumActiveParameter().setValue(1.0f, kParameterChangeNotToHost);
    model.filter[0].enabled.setValue(1.0f, kParameterChangeNotToHost);
    model.filter[0].freq.setValue(10.0f, kParameterChangeNotToHost);
    model.filter[0].peak.setValue(0.5f, kParameterChangeNotToHost);
}

void prepareEditor(VarnelInterface& editor, VarnelPlugin& model, State state) {
    if (state == State::kFresh) return;
    // Two slots of the XLFO: one on Delay 1 Time, one without a target.
    const auto [xlfo, outputs] = editor.sourceController()->getSourceParameterRange(SourceId(1, 0));
    model.slots.getNumActiveParameter().setValue(2.0f, kParameterChangeNotToHost);
    model.slots.getSet(0)->source.setValue(float(xlfo + 1), kParameterChangeNotToHost);
    model.slots.getSet(0)->target.setValue(1.0f, kParameterChangeNotToHost);
    model.slots.getSet(1)->source.setValue(float(xlfo + 1), kParameterChangeNotToHost);
    editor.refreshControls(-1);
    // The XLFO's first step selected: its step panel shows.
    for (SourceInterface* panel : editor.sourceController()->panels())
        if (auto* lfo = dynamic_cast<XLFOSourceInterface*>(panel); lfo != nullptr && lfo->stepEditor())
            lfo->stepEditor()->selectOnly(0);
    // The state is where the session starts, as a loaded state is: the
    // undo history's first record and both A/B slots hold it.
    if (GenericPlugin::UndoHistory* history = model.getUndoHistory()) history->initialize();
    if (GenericPlugin::CompareStates* compare = model.getCompareStates()) compare->initialize();
    if (state == State::kLearn) editor.midiLearn().setActive(true);
}

void showSource(VarnelInterface& editor, int32_t position) {
    SourceController& sources = *editor.sourceController();
    if (SourceContainer* container = sources.containerAt(position))
        sources.strip().scrollArea()->scrollToShow(container, nullptr, false);
}

walk::ControlWalk::Describe describer(VarnelInterface& editor, VarnelPlugin& model) {
    return [&editor, &model](gui::Control& control) -> std::string {
        auto* value = dynamic_cast<gui::ValueControl*>(&control);
        if (value == nullptr) return {};
        const int32_t index = editor.indexOfControl(value);
        if (AbstractPluginParameter* parameter = index >= 0 ? model.getParameter(index) : nullptr)
            return parameter->getName();
        if (auto* button = dynamic_cast<gui::Button*>(&control))
            for (int32_t s = 0; s < VarnelSkin::kButtonStyleCount; ++s)
                if (button->style() != nullptr && button->style() == editor.skin().buttonStyle(s))
                    return "style " + std::to_string(s);
        return {};
    };
}

} // namespace editor_states
