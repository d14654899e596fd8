#pragma once

// The source rigs' common part on the modulation editor rig: a slot
// controller with its strip (small test slot panels) above a source
// controller with the model's five source types, whose panels the test's
// listener makes, and a listener base that makes the add buttons.

#include "gui/Button.h"
#include "modulation_editor/SourceController.h"
#include "modulation_editor/tests/ModulationEditorRig.h"
#include "modulation_editor/tests/SlotPanels.h"

#include <memory>
#include <utility>

namespace test {

// A listener that gives the controller plain add buttons; the rig's
// listener makes the panels.
class AddButtonListener : public SourceController::Listener {
public:
    gui::Control* createButton(SourceController& controller, int32_t kind) override {
        if (kind != SourceController::kAddSourceButton && kind != SourceController::kAddSlotButton)
            return nullptr;
        auto* button = new gui::Button(controller.userInterface(), nullptr);
        button->setSize(20.0f, 16.0f);
        return button;
    }
};

class SourceControllerRig : public ModulationEditorTest {
protected:
    // Makes the slot controller with its strip at the top of 200 and the
    // source controller, full width, from the top given; the listener
    // makes its panels.
    void openSources(std::unique_ptr<SourceController::Listener> panelListener, float top, float height) {
        slots = std::make_unique<SourceSlotController>(*editor);
        slotStrip = listSlotsOnStrip(*slots, *ui, *editor, gui::Rect::fromXYWH(0, 200, 926, 100));
        listener = std::move(panelListener);
        sources = new SourceController(*editor, *listener, *slots);
        sources->setBoundsXYWH(0, top, 926, height);
        sources->parent.setValue(&ui->root());
        sources->registerSourceType(model->xyControllers, "XY Controller", -1, 2);
        sources->registerSourceType(model->xlfos, "XLFO", 2, 1);
        sources->registerSourceType(model->egs, "Envelope Generator", 3, 1);
        sources->registerSourceType(model->efs, "Envelope Follower", 4, 1);
        sources->registerSourceType(model->midiSources, "MIDI Source", 5, 1);
    }
    // Closing deletes the tree (the source controller with it); the slot
    // controller goes before the editor it listens to. A rig whose styles
    // the tree uses closes first and lets them go after.
    void closeEditor() {
        if (editor == nullptr) return;
        editor->prepareForClosing();
        slots.reset();
        editor.reset();
        listener.reset();
    }
    void TearDown() override {
        closeEditor();
        ModulationEditorTest::TearDown();
    }
    // Sets a source list's count as a host or preset would, then rebuilds.
    void setActive(AbstractParameterSetList& list, int32_t count, bool rebuild = true) {
        list.getNumActiveParameter().setValue(static_cast<float>(count), 0);
        if (rebuild) sources->rebuildSourceContainers();
    }

    std::unique_ptr<SourceSlotController> slots;
    ModulationScrollStrip* slotStrip = nullptr;
    std::unique_ptr<SourceController::Listener> listener;
    SourceController* sources = nullptr;
};

} // namespace test
