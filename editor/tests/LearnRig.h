#pragma once

// The MIDI-learn tests' rig: the maker's editor on the test model with a
// MIDI virtual parameter, knobs linked to Unit, Level and Note (Bipolar has
// none), and the learn and MIDI buttons registered.

#include "editor/MidiLearnController.h"
#include "editor/MidiLearnMode.h"
#include "editor/StandardButtons.h"
#include "editor/ZentorPluginInterface.h"
#include "editor/tests/EditorRig.h"
#include "gui/Button.h"
#include "plugin/ControllerMapping.h"
#include "plugin/GenericPluginBase.h"

#include <memory>

namespace test {

class VirtualParameter : public MidiVirtualPluginParameter {
public:
    using MidiVirtualPluginParameter::MidiVirtualPluginParameter;
    void setValue(float normalised) override { last = normalised; }
    float last = -1.0f;
};

// A product ghost with a fixed identifier over a fixed rect.
class FixedGhost : public MidiLearnController::LearnGhost {
public:
    FixedGhost(uint32_t id, gui::Rect rect) : id_(id), rect_(rect) {}
    gui::Rect getRect() override { return rect_; }
    uint32_t learnIdentifier() override { return id_; }

private:
    uint32_t id_;
    gui::Rect rect_;
};

class LearnTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        virtualParameter = std::make_unique<VirtualParameter>(*model, "Link Both");
        editor = std::make_unique<ZentorPluginInterface>(*ui, *model);
        unit = knob(model->unit, 10, 100);
        level = knob(model->level, 60, 100);
        note = knob(model->note, 110, 100);
        learnButton = button(StandardButtonKind::kMidiLearn, 300);
        midiButton = button(StandardButtonKind::kMidi, 340);
        mapping = GenericPlugin::getControllerMapping();
        mapping->clear();
    }
    void closeEditor() override {
        if (mapping != nullptr) mapping->clear();
        editor.reset();
        virtualParameter.reset();
    }
    gui::ValueControl* knob(AbstractPluginParameter& parameter, float x, float y) {
        gui::ValueControl* c = control();
        c->setBoundsXYWH(x, y, 40, 40);
        editor->linkControl(&parameter, c);
        return c;
    }
    gui::Button* button(StandardButtonKind kind, float x) {
        auto* b = new gui::Button(*ui, nullptr);
        b->hitByRect.setValue(true);
        b->setBoundsXYWH(x, 480, 30, 20);
        b->parent.setValue(&ui->root());
        editor->standardButtons().setStandardButton(static_cast<int32_t>(kind), b);
        return b;
    }
    MidiLearnController* overlay() const { return editor->midiLearn().overlay(); }
    // The model's report of a controller, through the channel and a drain.
    void controllerSeen(int32_t controller) {
        editor->pluginChanged(GenericPlugin::kMidiControllerSeen, controller);
        ui->advance(10);
    }
    static gui::Point centre(gui::Control* c) { return c->toRoot(gui::Point(20, 20)); }

    std::unique_ptr<VirtualParameter> virtualParameter;
    std::unique_ptr<ZentorPluginInterface> editor;
    gui::ValueControl* unit = nullptr;
    gui::ValueControl* level = nullptr;
    gui::ValueControl* note = nullptr;
    gui::Button* learnButton = nullptr;
    gui::Button* midiButton = nullptr;
    ControllerMapping* mapping = nullptr;
};

} // namespace test
