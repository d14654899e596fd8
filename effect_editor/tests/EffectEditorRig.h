#pragma once

// The product editor tests' rig: the effect's model with the editor core's
// recording adapter, a headless user interface on an injected clock, and a
// plug-in interface that counts its undo steps.

#include "editor/GenericPluginInterfaceBase.h"
#include "editor/tests/TestEditorModel.h"
#include "effect/VarnelPlugin.h"
#include "gui/headless/ModalResponder.h"
#include "gui/headless/PosixInterface.h"

#include <memory>

namespace test {

class CountingInterface : public GenericPluginInterfaceBase {
public:
    using GenericPluginInterfaceBase::GenericPluginInterfaceBase;
    void storeUndoStep(int32_t index) override {
        ++undoSteps;
        GenericPluginInterfaceBase::storeUndoStep(index);
    }
    int undoSteps = 0;
};

class EffectEditorTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        gui::headless::ModalResponder::reset();
        model = std::make_unique<VarnelPlugin>(name_);
        adapter = std::make_unique<RecordingAdapter>(*model);
        ui = std::make_unique<gui::headless::PosixInterface>(926.0f, 514.0f, 1000);
        editor = std::make_unique<CountingInterface>(*ui, *model);
    }
    void TearDown() override {
        editor.reset();
        ui.reset();
        adapter.reset();
        model.reset();
        gui::headless::ModalResponder::reset();
        PluginTest::TearDown();
    }

    std::unique_ptr<VarnelPlugin> model;
    std::unique_ptr<RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::PosixInterface> ui;
    std::unique_ptr<CountingInterface> editor;
};

} // namespace test
