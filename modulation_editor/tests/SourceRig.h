#pragma once

// The source tests' rig on the source controller rig: small test panels
// for the five source types (an XLFO panel links its Frequency knob as target
// 16 + 3i), knobs on targets 0, 10 and 11 (the Pan ring linked first,
// around Freq), and drag stages for the slot controller.

#include "gui/ScrollArea.h"
#include "modulation_editor/ModulationDragStage.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/SourceDragButton.h"
#include "modulation_editor/SourceInterface.h"
#include "modulation_editor/tests/SourceControllerRig.h"
#include "plugin/GenericPluginSnapshots.h"

#include <memory>
#include <vector>

namespace test {

class TestSourcePanel : public SourceInterface {
public:
    TestSourcePanel(SourceController& controller, SourceId id, VarnelPlugin& model)
        : SourceInterface(controller, id, nullptr, nullptr), model_(model) {
        setSize(150.0f, 100.0f);
        for (size_t k = 0; k < dragButtons().size(); ++k)
            dragButtons()[k]->setBoundsXYWH(6.0f + 20.0f * static_cast<float>(k), 7.0f, 18.0f, 18.0f);
        if (id.type == VarnelModulation::kSourceTypeXLFO) {
            frequency = new gui::ValueControl(userInterface());
            frequency->setBoundsXYWH(40.0f, 40.0f, 30.0f, 30.0f);
            frequency->parent.setValue(this);
        }
    }
    void setSourceInstance(int32_t instance) override {
        SourceInterface::setSourceInstance(instance);
        setSourceName("S" + std::to_string(sourceId().type) + "." + std::to_string(instance + 1));
        if (frequency == nullptr) return;
        linkSourceControl(&model_.xlfos[instance].frequency, frequency,
                          static_cast<uint32_t>(VarnelModulation::xlfoTarget(instance, 0)));
    }
    gui::ValueControl* frequency = nullptr;

private:
    VarnelPlugin& model_;
};

class TestSourceListener : public AddButtonListener {
public:
    explicit TestSourceListener(VarnelPlugin& model) : model_(model) {}
    SourceInterface* createSourceInterface(SourceController& controller, SourceId id) override {
        if (id.type < 0 || id.type > 4) return nullptr;
        return new TestSourcePanel(controller, id, model_);
    }

private:
    VarnelPlugin& model_;
};

class SourceTest : public SourceControllerRig {
protected:
    void SetUp() override {
        SourceControllerRig::SetUp();
        openSources(std::make_unique<TestSourceListener>(*model), 320, 190);
        editor->makeStage = [this](uint32_t) { return new ModulationDragStage(*editor, *slots); };
        pan = knob(300, 40);
        freq = knob(305, 45);
        freq->setSize(30, 30);
        time = knob(400, 40);
        editor->linkControl(&model->filter[0].pan, pan, 11);
        editor->linkControl(&model->filter[0].freq, freq, 10);
        editor->linkControl(&model->delay[0].time, time, 0);
    }
    SourceInterface* panel(int32_t position) {
        std::vector<SourceInterface*> all = sources->panels();
        return position >= 0 && static_cast<size_t>(position) < all.size()
                   ? all[static_cast<size_t>(position)]
                   : nullptr;
    }
    int32_t undoCount() { return model->getUndoHistory()->getUndoCount(); }

    gui::ValueControl* pan = nullptr;
    gui::ValueControl* freq = nullptr;
    gui::ValueControl* time = nullptr;
};

} // namespace test
