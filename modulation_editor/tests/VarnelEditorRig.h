#pragma once

// The editor tests' common rig: the effect's model with the editor core's
// recording adapter, a headless user interface on an injected clock, and an
// editor of the test's type opened on them (the model's part alone for a
// test that opens its editor itself). A rig whose editor reads the
// model's editor settings when it opens sets them in openingSize(), which
// also gives the window's size. Scripted modal answers are cleared around
// every test.

#include "editor/tests/TestEditorModel.h"
#include "effect/VarnelPlugin.h"
#include "gui/Control.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/headless/ModalResponder.h"

#include <memory>
#include <utility>

namespace test {

// The effect's model with the recording adapter, for a test that opens its
// editor itself.
class VarnelModelRig : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        gui::headless::ModalResponder::reset();
        model = std::make_unique<VarnelPlugin>(name_);
        adapter = std::make_unique<RecordingAdapter>(*model);
    }
    void TearDown() override {
        adapter.reset();
        model.reset();
        gui::headless::ModalResponder::reset();
        PluginTest::TearDown();
    }

    std::unique_ptr<VarnelPlugin> model;
    std::unique_ptr<RecordingAdapter> adapter;
};

template <class Editor> class VarnelEditorRig : public VarnelModelRig {
protected:
    void SetUp() override {
        VarnelModelRig::SetUp();
        const auto [width, height] = openingSize();
        ui = std::make_unique<gui::headless::HeadlessInterface>(width, height, 1000);
        editor = std::make_unique<Editor>(*ui, *model);
    }
    void TearDown() override {
        editor.reset();
        ui.reset();
        VarnelModelRig::TearDown();
    }
    // The window's width and height; called once the model is made.
    virtual std::pair<float, float> openingSize() { return {926.0f, 514.0f}; }

    // Sets a parameter as automation does and tells the editor.
    void automate(AbstractPluginParameter& parameter, float value) {
        parameter.setValue(value, kParameterChangeNotToHost);
        editor->refreshControls(parameter.getIndex());
    }
    static gui::Point centreOf(const gui::Control& control) {
        return control.toRoot(gui::Point(control.width.getValue() * 0.5f, control.height.getValue() * 0.5f));
    }

    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<Editor> editor;
};

} // namespace test
