#pragma once

// The modulation editor tests' rig: the effect's model with the editor
// core's recording adapter, a headless user interface on an injected clock,
// and a modulation-matrix interface whose drag stages the tests provide.

#include "editor/tests/TestEditorModel.h"
#include "effect/VarnelPlugin.h"
#include "gui/ValueControl.h"
#include "gui/headless/ModalResponder.h"
#include "gui/headless/PosixInterface.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"

#include <functional>
#include <memory>
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

class ModulationEditorTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        gui::headless::ModalResponder::reset();
        model = std::make_unique<VarnelPlugin>(name_);
        adapter = std::make_unique<RecordingAdapter>(*model);
        ui = std::make_unique<gui::headless::PosixInterface>(926.0f, 514.0f, 1000);
        editor = std::make_unique<TestModulationInterface>(*ui, *model);
    }
    void TearDown() override {
        editor.reset();
        ui.reset();
        adapter.reset();
        model.reset();
        gui::headless::ModalResponder::reset();
        PluginTest::TearDown();
    }

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

    std::unique_ptr<VarnelPlugin> model;
    std::unique_ptr<RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::PosixInterface> ui;
    std::unique_ptr<TestModulationInterface> editor;
};

} // namespace test
