#include "editor/MidiLearnMode.h"

#include "editor/HelpHint.h"
#include "editor/tests/LearnRig.h"
#include "foundation/tests/AllocationCounter.h"
#include "plugin/tests/TestProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using test::EditorModel;

using LearnModeTest = test::LearnTest;

// Fault: leaving the mode kept the armed identifier, so the next controller
// moved (the model reports every one while an editor is open) silently took
// over the last armed control.
TEST_F(LearnModeTest, LeavingTheModeDisarmsEveryWay) {
    enum class Way { kButton, kClose, kOverlayDies };
    for (Way way : {Way::kButton, Way::kClose, Way::kOverlayDies}) {
        mapping->assign(4, EditorModel::kUnit);
        editor->setMidiLearnActive(true);
        overlay()->mouseDown(1, overlay()->fromRoot(centre(level)), 8);
        ASSERT_EQ(editor->midiLearn().armedIdentifier(), uint32_t(EditorModel::kLevel));
        switch (way) {
        case Way::kButton:
            learnButton->clickEvent.notify(learnButton);
            break;
        case Way::kClose:
            overlay()->closeButton()->clickEvent.notify(overlay()->closeButton());
            break;
        case Way::kOverlayDies:
            delete overlay();
            break;
        }
        EXPECT_EQ(editor->midiLearn().armedIdentifier(), MidiLearnMode::kNone);
        EXPECT_FALSE(editor->hasLearnOverlay());
        controllerSeen(4);
        EXPECT_EQ(mapping->getParameter(4), uint32_t(EditorModel::kUnit)) << int(way);
        EXPECT_EQ(mapping->findController(EditorModel::kLevel), -1);
        editor->setMidiLearnActive(false);
        // The faded-out overlay deletes itself.
        ui->advance(400);
    }
}

TEST_F(LearnModeTest, AHidingOverlayArmsNothing) {
    editor->setMidiLearnActive(true);
    MidiLearnController* fading = overlay();
    editor->setMidiLearnActive(false);
    ASSERT_TRUE(fading->isHiding());
    fading->mouseDown(1, fading->fromRoot(centre(unit)), 8);
    fading->armGhost(0);
    EXPECT_EQ(editor->midiLearn().armedIdentifier(), MidiLearnMode::kNone);
    EXPECT_EQ(fading->learnGhostCount(), 0);
    ui->advance(400);
}

TEST_F(LearnModeTest, OnlyAControllerNumberMapsAndOnlyWhileArmed) {
    struct Case {
        bool armed;
        int32_t controller;
        bool maps;
    };
    const Case cases[] = {{true, -1, false}, {true, -2, false}, {true, 128, false}, {true, 0, true},
                          {true, 127, true}, {false, 0, false}, {false, 64, false}};
    for (const Case& c : cases) {
        mapping->clear();
        editor->setMidiLearnActive(true);
        if (c.armed) overlay()->mouseDown(1, overlay()->fromRoot(centre(note)), 8);
        controllerSeen(c.controller);
        EXPECT_EQ(mapping->findController(EditorModel::kNote), c.maps ? c.controller : -1)
            << c.armed << " " << c.controller;
        editor->setMidiLearnActive(false);
        ui->advance(400);
    }
    // Without the mode nothing maps either.
    controllerSeen(5);
    EXPECT_EQ(mapping->getParameter(5), ControllerMapping::none);
}

TEST_F(LearnModeTest, NoHelpHintWhileLearning) {
    editor->showHelpHintText("A hint", HelpHint::kAlways);
    EXPECT_TRUE(editor->hint().isShown());
    editor->setMidiLearnActive(true);
    EXPECT_FALSE(editor->hint().isShown());
    editor->showHelpHintText("Another", HelpHint::kAlways);
    EXPECT_FALSE(editor->hint().isShown());
    editor->setMidiLearnActive(false);
    editor->showHelpHintText("Again", HelpHint::kAlways);
    EXPECT_TRUE(editor->hint().isShown());
}

// Closing the editor while learning, and the overlay's death orders.
TEST_F(LearnModeTest, ClosingWhileLearningAndAfterTheOverlayDied) {
    editor->setMidiLearnActive(true);
    overlay()->mouseDown(1, overlay()->fromRoot(centre(unit)), 8);
    editor->pluginChanged(GenericPlugin::kMidiControllerSeen, 3);
    editor.reset();
    ui->advance(10);
    EXPECT_EQ(mapping->getParameter(3), ControllerMapping::none);
}

// The model's test plug-in with its processor and host: a controller
// processed on the audio thread is learned after one tick, and the next
// value moves model, processor, host and knob.
class LearnPluginTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        test::TestPluginOptions options;
        options.midiState = true;
        rig = std::make_unique<test::PluginRig>(name_, options);
        rig->processor->activate(48000.0f);
        ui = std::make_unique<gui::headless::HeadlessInterface>(926.0f, 514.0f, 1000);
        editor = std::make_unique<ZentorPluginInterface>(*ui, *rig->model);
        knob = new gui::ValueControl(*ui);
        knob->setBoundsXYWH(10, 100, 40, 40);
        knob->parent.setValue(&ui->root());
        editor->linkControl(&rig->model->gain, knob);
        GenericPlugin::getControllerMapping()->clear();
    }
    void TearDown() override {
        GenericPlugin::getControllerMapping()->clear();
        editor.reset();
        ui.reset();
        rig.reset();
        PluginTest::TearDown();
    }
    void controller(uint8_t number, uint8_t value) {
        rig->processor->getMidiQueue().push(MidiEvent::make(0xB0, number, value, 0));
        block.run(*rig->processor);
    }

    std::unique_ptr<test::PluginRig> rig;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<ZentorPluginInterface> editor;
    gui::ValueControl* knob = nullptr;
    test::HostBlock block{64};
};

TEST_F(LearnPluginTest, AControllerFromTheAudioThreadIsLearnedThenMovesEverything) {
    editor->setMidiLearnActive(true);
    MidiLearnController* overlay = editor->midiLearn().overlay();
    overlay->mouseDown(1, overlay->fromRoot(knob->toRoot(gui::Point(20, 20))), 8);
    std::thread audio([this] { controller(21, 0); });
    audio.join();
    ControllerMapping* mapping = GenericPlugin::getControllerMapping();
    EXPECT_EQ(mapping->getParameter(21), ControllerMapping::none);
    ui->advance(10);
    const uint32_t gain = static_cast<uint32_t>(rig->model->gain.getIndex());
    EXPECT_EQ(mapping->getParameter(21), gain);
    EXPECT_EQ(rig->processor->getControllerMapping().getParameter(21), gain);
    // The audio path of the next value allocates nothing.
    size_t allocations = 0;
    std::thread second([this, &allocations] {
        test::AllocationCounter counter;
        controller(21, 127);
        allocations = counter.allocations();
    });
    second.join();
    EXPECT_EQ(allocations, 0u);
    EXPECT_FLOAT_EQ(rig->processor->gain.getValue(), 1.0f);
    ui->advance(10);
    EXPECT_FLOAT_EQ(rig->model->gain.getValue(), 1.0f);
    ASSERT_FALSE(rig->host.sent.empty());
    EXPECT_EQ(rig->host.sent.back().index, int32_t(gain));
    EXPECT_FLOAT_EQ(rig->host.sent.back().value, 1.0f);
    EXPECT_EQ(knob->value.getValue(), knob->maximum.getValue());
}

// The audio thread reports controllers while the GUI arms, clears, toggles
// learn and closes the editor (run under TSan).
TEST_F(LearnPluginTest, ControllersWhileTheGuiLearnsAndCloses) {
    std::atomic<bool> stop{false};
    std::thread audio([this, &stop] {
        uint8_t n = 0;
        while (!stop.load()) {
            // Mostly one controller (each new mapping writes the map file),
            // now and then another.
            controller(static_cast<uint8_t>(n % 64 == 0 ? 22 : 21), static_cast<uint8_t>(n % 128));
            n = static_cast<uint8_t>(n + 1);
            // One block per millisecond, as a host's audio thread runs.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int round = 0; round < 40; ++round) {
        editor->setMidiLearnActive(true);
        if (MidiLearnController* overlay = editor->midiLearn().overlay()) {
            overlay->mouseDown(1, overlay->fromRoot(knob->toRoot(gui::Point(20, 20))), 8);
            ui->advance(10);
            if (round % 3 == 0) overlay->clearArmedMapping();
        }
        ui->advance(10);
        editor->setMidiLearnActive(false);
        ui->advance(10);
    }
    // Closing waits until no report is in the editor.
    editor.reset();
    stop.store(true);
    audio.join();
    ui->advance(400);
    // Only the moved controllers ever mapped the knob's parameter.
    const int32_t mapped = GenericPlugin::getControllerMapping()->findController(
        static_cast<uint32_t>(rig->model->gain.getIndex()));
    EXPECT_TRUE(mapped == -1 || mapped == 21 || mapped == 22) << mapped;
}

} // namespace
