#pragma once

// The component tests' rig on the modulation editor rig: a component display
// in the root's tree over a slot controller that lists nothing and counts
// the list's rebuilds, with empty section panels added by the test.

#include "editor/DynamicInterface.h"
#include "modulation_editor/ModulationComponentDisplay.h"
#include "modulation_editor/tests/ListlessSlotController.h"
#include "modulation_editor/tests/ModulationEditorRig.h"

#include <memory>

namespace test {

// A section panel with nothing on it.
class EmptyPanel : public DynamicInterface {
public:
    using DynamicInterface::DynamicInterface;
    void rebuildInterface() override {}
};

class ComponentDisplayRig : public ModulationEditorTest {
protected:
    void SetUp() override {
        ModulationEditorTest::SetUp();
        slots = std::make_unique<ListlessSlotController>(*editor);
        display = new ModulationComponentDisplay(*ui, *editor, slots.get());
        display->setBoundsXYWH(0, 200, 600, 120);
        display->parent.setValue(&ui->root());
    }
    // As the editor host closes: the tree goes first, then the slot
    // controller and the editor. A rig whose styles the tree uses closes
    // first and lets them go after.
    void closeEditor() {
        if (editor == nullptr) return;
        editor->prepareForClosing();
        slots.reset();
        editor.reset();
    }
    void TearDown() override {
        closeEditor();
        ModulationEditorTest::TearDown();
    }
    // A section of 120 x 120 for the targets from first on; its index.
    int addPanel(int32_t first, int32_t count) {
        auto* panel = new EmptyPanel(*ui, *editor);
        panel->setSize(120.0f, 120.0f);
        return display->addSectionContainer(0.0f, panel, first, count);
    }

    std::unique_ptr<ListlessSlotController> slots;
    ModulationComponentDisplay* display = nullptr;
};

} // namespace test
