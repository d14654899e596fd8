#pragma once

// The source tests' rig on the modulation editor rig: a slot controller
// with its strip, a source controller with the model's five source types
// (small test panels; an XLFO panel links its Frequency knob as target
// 16 + 3i), knobs on targets 0, 10 and 11 (the Pan ring linked first,
// around Freq), and drag stages for the slot controller.

#include "gui/ScrollArea.h"
#include "modulation_editor/ModulationDragStage.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/SourceController.h"
#include "modulation_editor/SourceDragButton.h"
#include "modulation_editor/SourceInterface.h"
#include "modulation_editor/SourceSlotController.h"
#include "modulation_editor/tests/ModulationEditorRig.h"
#include "modulation_editor/tests/SlotPanels.h"
#include "plugin/GenericPluginSnapshots.h"

#include <memory>

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

class TestSourceListener : public SourceController::Listener {
public:
    explicit TestSourceListener(VarnelPlugin& model) : model_(model) {}
    gui::Control* createButton(SourceController& controller, int32_t kind) override {
        if (kind != SourceController::kAddSourceButton && kind != SourceController::kAddSlotButton)
            return nullptr;
        auto* button = new gui::Button(controller.userInterface(), nullptr);
        button->setSize(20.0f, 16.0f);
        return button;
    }
    SourceInterface* createSourceInterface(SourceController& controller, SourceId id) override {
        if (id.type < 0 || id.type > 4) return nullptr;
        return new TestSourcePanel(controller, id, model_);
    }

private:
    VarnelPlugin& model_;
};

class SourceTest : public ModulationEditorTest {
protected:
    void SetUp() override {
        ModulationEditorTest::SetUp();
        slots = std::make_unique<SourceSlotController>(*editor);
        slotStrip = new ModulationScrollStrip(*ui, *editor);
        slotStrip->setBoundsXYWH(0, 200, 926, 100);
        slotStrip->parent.setValue(&ui->root());
        slots->panelHeight.setValue(25.0f);
        slots->setStrip(slotStrip);
        slots->setPanelFactory([this] { return new TestSlotPanel(*ui, *editor); });
        listener = std::make_unique<TestSourceListener>(*model);
        sources = new SourceController(*editor, *listener, *slots);
        sources->setBoundsXYWH(0, 320, 926, 190);
        sources->parent.setValue(&ui->root());
        sources->registerSourceType(model->xyControllers, "XY Controller", -1, 2);
        sources->registerSourceType(model->xlfos, "XLFO", 2, 1);
        sources->registerSourceType(model->egs, "Envelope Generator", 3, 1);
        sources->registerSourceType(model->efs, "Envelope Follower", 4, 1);
        sources->registerSourceType(model->midiSources, "MIDI Source", 5, 1);
        editor->makeStage = [this](uint32_t) { return new ModulationDragStage(*editor, *slots); };
        pan = knob(300, 40);
        freq = knob(305, 45);
        freq->setSize(30, 30);
        time = knob(400, 40);
        editor->linkControl(&model->filter[0].pan, pan, 11);
        editor->linkControl(&model->filter[0].freq, freq, 10);
        editor->linkControl(&model->delay[0].time, time, 0);
    }
    void TearDown() override {
        // Closing deletes the tree (the source controller with it); the slot
        // controller goes before the editor it listens to.
        editor->prepareForClosing();
        slots.reset();
        editor.reset();
        listener.reset();
        ModulationEditorTest::TearDown();
    }
    // Sets a source list's count as a host or preset would, then rebuilds.
    void setActive(AbstractParameterSetList& list, int32_t count, bool rebuild = true) {
        list.getNumActiveParameter().setValue(static_cast<float>(count), 0);
        if (rebuild) sources->rebuildSourceContainers();
    }
    SourceInterface* panel(int32_t position) {
        std::vector<SourceInterface*> all = sources->panels();
        return position >= 0 && static_cast<size_t>(position) < all.size()
                   ? all[static_cast<size_t>(position)]
                   : nullptr;
    }
    static gui::Point centreOf(gui::Control& control) {
        return control.toRoot(gui::Point(control.width.getValue() * 0.5f, control.height.getValue() * 0.5f));
    }
    int32_t undoCount() { return model->getUndoHistory()->getUndoCount(); }

    std::unique_ptr<SourceSlotController> slots;
    ModulationScrollStrip* slotStrip = nullptr;
    std::unique_ptr<TestSourceListener> listener;
    SourceController* sources = nullptr;
    gui::ValueControl* pan = nullptr;
    gui::ValueControl* freq = nullptr;
    gui::ValueControl* time = nullptr;
};

} // namespace test
