#pragma once

// The editor tests' rig: the test model with its recording adapter, a
// headless user interface on an injected clock, and a value display stand-in
// that records what the editor tells it.

#include "editor/ControlChangeManager.h"
#include "editor/tests/TestEditorModel.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Control.h"
#include "gui/Knob.h"
#include "gui/ValueControl.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/headless/ModalResponder.h"

#include <memory>
#include <string>
#include <vector>

namespace test {

class RecordingValueDisplay : public ControlChangeManager::ValueDisplay {
public:
    explicit RecordingValueDisplay(gui::UserInterface& userInterface, std::vector<std::string>& log)
        : control_(new gui::Control(userInterface)), log_(log) {}
    ~RecordingValueDisplay() override {
        log_.push_back("deleted");
        delete control_;
    }
    void parameterValueSent(int32_t index, float plain) override {
        log_.push_back("sent " + std::to_string(index) + " " + std::to_string(plain));
    }
    void parameterRefreshed(int32_t index) override { log_.push_back("refreshed " + std::to_string(index)); }
    void showFor(gui::ValueControl* control) override {
        log_.push_back("show " + std::to_string(control->controlId.getValue()));
    }
    void startHideTimer() override { log_.push_back("hide timer"); }
    void hide() override { log_.push_back("hide"); }
    gui::Control& displayControl() override { return *control_; }

private:
    gui::Control* control_;
    std::vector<std::string>& log_;
};

class EditorTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        gui::headless::ModalResponder::reset();
        model = std::make_unique<EditorModel>(name_, extraParameters(), modelFlags(), componentPresets());
        adapter = std::make_unique<RecordingAdapter>(*model);
        ui = std::make_unique<gui::headless::HeadlessInterface>(926.0f, 514.0f, 1000);
    }
    void TearDown() override {
        closeEditor();
        ui.reset();
        adapter.reset();
        model.reset();
        gui::headless::ModalResponder::reset();
        PluginTest::TearDown();
    }
    virtual int32_t extraParameters() const { return 0; }
    virtual uint32_t modelFlags() const { return 0; }
    virtual bool componentPresets() const { return false; }
    virtual void closeEditor() {}

    // A control in the root's tree (the editor's closing deletes it).
    gui::ValueControl* control() {
        auto* c = new gui::ValueControl(*ui);
        c->setBoundsXYWH(0, 0, 40, 40);
        c->parent.setValue(&ui->root());
        return c;
    }
    // A knob in the root's tree on the style (the test keeps it), which it
    // fills with plain 40 x 40 bitmaps and a radius of 18.
    gui::Knob* plainKnob(gui::Knob::Style& style) {
        for (int i : {0, 2}) {
            style.bitmap(i).setSize(40, 40);
            style.bitmap(i).clear();
            style.bitmap(i).getCanvas().fillRect(gui::Rect::fromXYWH(0, 0, 40, 40),
                                                 gui::Color(10, 10, 10, 255));
        }
        style.radius.setValue(18);
        auto* k = new gui::Knob(*ui, &style);
        k->parent.setValue(&ui->root());
        return k;
    }
    // One whole gesture: begin, the steps, end.
    static void drag(gui::ValueControl* c, std::initializer_list<int> steps) {
        c->performGesture(0, 0);
        for (int s : steps)
            c->performGesture(1, s);
        c->performGesture(2, 0);
    }

    std::unique_ptr<EditorModel> model;
    std::unique_ptr<RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
};

} // namespace test
