#pragma once

// The filter tests' rig: the product's editor at 926 x 514 on the headless
// platform with the effect's model and the recording adapter.

#include "editor/tests/TestEditorModel.h"
#include "effect/VarnelPlugin.h"
#include "effect/VarnelPluginSettings.h"
#include "effect_editor/VarnelInterface.h"
#include "gui/Control.h"
#include "gui/ValueControl.h"
#include "gui/headless/ModalResponder.h"
#include "gui/headless/PosixInterface.h"

#include <memory>

namespace test {

class FilterRig : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        gui::headless::ModalResponder::reset();
        model = std::make_unique<VarnelPlugin>(name_);
        adapter = std::make_unique<RecordingAdapter>(*model);
        VarnelPlugin::VarnelSettings& s = model->getVarnelSettings();
        s.interfaceLayout.setValue(VarnelPlugin::InterfaceLayout::kWide);
        s.showModulation.setValue(true);
        ui = std::make_unique<gui::headless::PosixInterface>(float(model->getInterfaceWidth()),
                                                             float(model->getInterfaceHeight()), 1000);
        editor = std::make_unique<VarnelInterface>(*ui, *model);
    }
    void TearDown() override {
        editor.reset();
        ui.reset();
        adapter.reset();
        model.reset();
        gui::headless::ModalResponder::reset();
        PluginTest::TearDown();
    }
    // The control's centre in root coordinates.
    static gui::Point centreInRoot(const gui::Control& control) {
        gui::Point at(control.width.getValue() / 2, control.height.getValue() / 2);
        for (const gui::Control* c = &control; c != nullptr && c->getParent() != nullptr;
             c = c->getParent()) {
            at.x += c->bounds.getValue().left;
            at.y += c->bounds.getValue().top;
        }
        return at;
    }
    static void gesture(gui::ValueControl& control, int delta) {
        control.performGesture(0, 0);
        control.performGesture(1, delta);
        control.performGesture(2, 0);
    }
    // Sets a parameter as automation does and tells the editor.
    void automate(AbstractPluginParameter& parameter, float value) {
        parameter.setValue(value, kParameterChangeNotToHost);
        editor->refreshControls(parameter.getIndex());
    }

    std::unique_ptr<VarnelPlugin> model;
    std::unique_ptr<RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::PosixInterface> ui;
    std::unique_ptr<VarnelInterface> editor;
};

} // namespace test
