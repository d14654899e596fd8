#include "editor/GenericPluginInterfaceBase.h"

#include "editor/tests/EditorRig.h"
#include "gui/Knob.h"
#include "gui/Modifiers.h"
#include "gui/headless/HeadlessClipboard.h"
#include "gui/headless/ModalResponder.h"
#include "plugin/GenericPluginSnapshots.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using gui::headless::ModalResponder;
using test::EditorModel;

class InterfaceBaseTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor = std::make_unique<GenericPluginInterfaceBase>(*ui, *model);
    }
    void closeEditor() override { editor.reset(); }

    int32_t undoCount() const { return model->getUndoHistory()->getUndoCount(); }
    gui::ValueControl* linked(AbstractPluginParameter& parameter) {
        gui::ValueControl* c = control();
        editor->linkControl(&parameter, c);
        return c;
    }
    std::string path(const std::string& name) const { return folder_ / name; }

    std::unique_ptr<GenericPluginInterfaceBase> editor;
};

TEST_F(InterfaceBaseTest, TheFirstAttachStoresTheInitialState) {
    const GenericPlugin::UndoHistory* history = model->getUndoHistory();
    EXPECT_EQ(history->getList().get(0).name, "Initial state");
    EXPECT_EQ(history->getUndoCount(), 0);
    EXPECT_TRUE(model->getCompareStates()->isInitialized());
}

TEST_F(InterfaceBaseTest, AGestureWithAChangeStoresOneUndoStepAndOneWithoutNone) {
    gui::ValueControl* k = linked(model->unit);
    drag(k, {100, 100});
    EXPECT_EQ(undoCount(), 1);
    drag(k, {});
    EXPECT_EQ(undoCount(), 1);
    drag(k, {100, -100}); // back where it started
    EXPECT_EQ(undoCount(), 1);
    drag(k, {50}); // as a typed value arrives: begin, one change, end
    EXPECT_EQ(undoCount(), 2);
    EXPECT_TRUE(model->getCompareStates()->isChanged());
    EXPECT_TRUE(model->getCurrentPreset().isModified());
}

TEST_F(InterfaceBaseTest, ACtrlResetStoresOneUndoStep) {
    gui::Knob::Style style(*ui);
    gui::Knob* knob = plainKnob(style);
    editor->linkControl(&model->level, knob);
    drag(knob, {6000});
    EXPECT_EQ(undoCount(), 1);
    ui->mouseMove({20, 30});
    ui->mouseDown(0, {20, 30}, gui::kLeftButton | gui::kCtrl);
    ui->mouseUp(0, {20, 30}, 0);
    EXPECT_FLOAT_EQ(model->level.getValue(), -12.0f);
    EXPECT_EQ(undoCount(), 2);
    EXPECT_EQ(adapter->gestureFaults(), "");
    delete knob;
}

TEST_F(InterfaceBaseTest, UndoCountsStopBelowTheRecordCount) {
    gui::ValueControl* k = linked(model->note);
    for (int i = 0; i < 120; ++i)
        drag(k, {i % 2 == 0 ? 1 : -1});
    EXPECT_EQ(undoCount(), GenericPlugin::kUndoRecords - 1);
    GenericPlugin::UndoHistory* history = model->getUndoHistory();
    int undone = 0;
    while (history->undo())
        ++undone;
    EXPECT_EQ(undone, GenericPlugin::kUndoRecords - 1);
    // 99 steps back from the newest (61, alternating): the oldest kept step.
    EXPECT_FLOAT_EQ(model->note.getValue(), 60.0f + ((120 - 99) % 2 == 1 ? 1.0f : 0.0f));
}

TEST_F(InterfaceBaseTest, APresetLoadStoresExactlyOneUndoStepAfterTheLoad) {
    model->unit.setValue(0.9f, 0);
    ASSERT_TRUE(editor->savePresetFile(path("Saved.ztp")));
    model->unit.setValue(0.1f, 0);
    ASSERT_TRUE(editor->loadPresetFile(path("Saved.ztp")));
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.9f);
    EXPECT_EQ(undoCount(), 0);
    ui->advance(10);
    EXPECT_EQ(undoCount(), 1);
    ui->advance(100);
    EXPECT_EQ(undoCount(), 1);
    EXPECT_EQ(model->getCurrentPreset().getName(), "Saved");
}

TEST_F(InterfaceBaseTest, PresetErrorsReachTheUser) {
    EXPECT_FALSE(editor->loadPresetFile(path("Missing.ztp")));
    EXPECT_FALSE(editor->savePresetFile(path("NoFolder\\Saved.ztp")));
    const auto& requests = ModalResponder::requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].text.rfind("The preset file could not be opened.\n", 0), 0u) << requests[0].text;
    EXPECT_GT(requests[0].text.size(), std::string("The preset file could not be opened.\n").size());
    EXPECT_EQ(requests[1].text,
              "An error occurred while saving the preset. Please check that the preset file is "
              "writable: " +
                  path("NoFolder\\Saved.ztp"));
    EXPECT_EQ(requests[1].title, "Information");
}

TEST_F(InterfaceBaseTest, CopyThenPasteRestoresValuesAndName) {
    model->frequency.setValue(440.0f, 0);
    model->steps.setValue(5.0f, 0);
    model->setCurrentPresetName("Bright Echo", -1);
    editor->copyPresetToClipboard();
    model->frequency.setValue(20.0f, 0);
    model->steps.setValue(2.0f, 0);
    model->setCurrentPresetName("Other", -1);
    std::string error;
    EXPECT_TRUE(editor->pastePresetFromClipboard(&error)) << error;
    EXPECT_FLOAT_EQ(model->frequency.getValue(), 440.0f);
    EXPECT_FLOAT_EQ(model->steps.getValue(), 5.0f);
    EXPECT_EQ(model->getCurrentPreset().getName(), "Bright Echo");
}

TEST_F(InterfaceBaseTest, PastingTextThatIsNoPresetFailsWithItsError) {
    model->unit.setValue(0.3f, 0);
    for (const char* text : {"", "hello", "[Preset]\nSignature=XXXX\n", "\x01\x02\x03"}) {
        gui::headless::HeadlessClipboard::setText(text);
        std::string error;
        EXPECT_FALSE(editor->pastePresetFromClipboard(&error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_FLOAT_EQ(model->unit.getValue(), 0.3f);
    }
    ui->advance(10);
    EXPECT_EQ(undoCount(), 0);
}

TEST_F(InterfaceBaseTest, DialogsStartInTheMainPresetFolderWithoutACurrentPath) {
    EXPECT_EQ(editor->presetDialogFolder(), model->getPresetManager(-1)->getPath());
    ASSERT_TRUE(editor->savePresetFile(path("Here.ztp")));
    EXPECT_EQ(editor->presetDialogFolder(),
              path("Here.ztp").substr(0, path("Here.ztp").find_last_of('\\') + 1));
}

TEST_F(InterfaceBaseTest, TheValueDisplayHearsValuesRefreshesAndTheControlsEvents) {
    std::vector<std::string> log;
    editor->adoptValueDisplay(std::make_unique<test::RecordingValueDisplay>(*ui, log));
    gui::ValueControl* k = linked(model->unit);
    editor->listenToControl(k);
    k->enterEvent.notify(k);
    k->performGesture(gui::kGestureBegin, 0);
    k->performGesture(gui::kGestureChange, 18000);
    k->performGesture(gui::kGestureEnd, 0);
    k->leaveEvent.notify(k);
    editor->refreshControls(EditorModel::kUnit);
    const std::vector<std::string> expected = {"show 0",     "show 0",     "sent 0 1.000000",
                                               "hide timer", "hide timer", "refreshed 0"};
    EXPECT_EQ(log, expected);
    editor.reset();
    EXPECT_EQ(log.back(), "deleted");
}

TEST_F(InterfaceBaseTest, ParameterNotificationsRefreshOnTheTick) {
    gui::ValueControl* k = linked(model->unit);
    model->unit.setValue(0.25f, kParameterChangeNotToHost);
    ui->pushNotification(gui::kFrameList, static_cast<std::uint32_t>(GenericPlugin::kParameterChanged),
                         EditorModel::kUnit);
    EXPECT_EQ(k->value.getValue(), 18000);
    ui->advance(10);
    EXPECT_EQ(k->value.getValue(), 9000);
}

TEST_F(InterfaceBaseTest, ClosingInMidDragEndsTheGestureAndDeletesTheTree) {
    gui::ValueControl* k = linked(model->level);
    ui->root().setMouseCapture(k);
    k->performGesture(gui::kGestureBegin, 0);
    k->performGesture(gui::kGestureChange, 100);
    editor->prepareForClosing();
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_TRUE(ui->root().children().empty());
    editor.reset();
    EXPECT_EQ(adapter->gestureFaults(), "");
}

} // namespace
