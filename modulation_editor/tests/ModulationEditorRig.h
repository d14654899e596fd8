#pragma once

// The modulation editor tests' rig: the common editor rig with a
// modulation-matrix interface whose drag stages the tests provide.

#include "gui/ValueControl.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/tests/VarnelEditorRig.h"

#include <functional>
#include <utility>
#include <vector>

namespace test {

class TestModulationInterface : public ModulationMatrixPluginInterface {
public:
    using ModulationMatrixPluginInterface::ModulationMatrixPluginInterface;
    gui::DragStage* createDragStage(uint32_t sourceIndex) override {
        return makeStage ? makeStage(sourceIndex) : nullptr;
    }
    void loadDefaultComponentPresetFor(uint32_t kind, int32_t index) override {
        presetLoads.emplace_back(static_cast<int32_t>(kind), index);
        ModulationMatrixPluginInterface::loadDefaultComponentPresetFor(kind, index);
    }
    std::function<gui::DragStage*(uint32_t)> makeStage;
    std::vector<std::pair<int32_t, int32_t>> presetLoads;
};

class ModulationEditorTest : public VarnelEditorRig<TestModulationInterface> {
protected:
    // A value control in the root's tree (the editor's closing deletes it).
    gui::ValueControl* knob(float x = 0.0f, float y = 0.0f) {
        auto* c = new gui::ValueControl(*ui);
        c->setBoundsXYWH(x, y, 40, 40);
        c->parent.setValue(&ui->root());
        return c;
    }
    // Sets the number of slots in use as the host would.
    void setSlotsInUse(int32_t count) {
        model->slots.getNumActiveParameter().setValue(static_cast<float>(count), 0);
    }
};

} // namespace test
