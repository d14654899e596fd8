#include "editor/ComponentPresetHandler.h"

#include "editor/GenericPluginInterface.h"
#include "editor/tests/EditorRig.h"
#include "foundation/tests/TestFiles.h"
#include "gui/PopupMenu.h"
#include "gui/headless/ModalResponder.h"
#include "plugin/GenericPluginSnapshots.h"
#include "plugin/PresetManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

using gui::headless::ModalAnswer;
using gui::headless::ModalRequest;
using gui::headless::ModalResponder;

class ComponentPresetTest : public test::EditorTest {
protected:
    bool componentPresets() const override { return true; }
    void SetUp() override {
        EditorTest::SetUp();
        editor = std::make_unique<GenericPluginInterface>(*ui, *model);
    }
    void closeEditor() override { editor.reset(); }

    ComponentPresetHandler& handler(int32_t index = 0) {
        return *editor->getComponentPresetHandler(0, index);
    }
    std::string folder() { return handler().folder()->getPath(); }
    std::string file(const std::string& name) {
        const std::string f = folder();
        return (f.back() == '\\' ? f : f + "\\") + name + test::EditorModel::kComponentExtension;
    }
    std::vector<std::string> menuTexts() {
        std::vector<std::string> texts;
        for (int i = 0; i < handler().menu().itemCount(); ++i)
            texts.push_back(handler().menu().itemAt(i)->text.getValue());
        return texts;
    }
    void open() { handler().menu().openEvent.notify(&handler().menu()); }
    gui::MenuItem* item(const std::string& text) {
        for (int i = 0; i < handler().menu().itemCount(); ++i)
            if (handler().menu().itemAt(i)->text.getValue() == text) return handler().menu().itemAt(i);
        return nullptr;
    }
    int32_t undoCount() const { return model->getUndoHistory()->getUndoCount(); }

    std::unique_ptr<GenericPluginInterface> editor;
};

TEST_F(ComponentPresetTest, OneHandlerPerKindAndIndex) {
    ASSERT_NE(editor->getComponentPresetHandler(0, 0), nullptr);
    ASSERT_NE(editor->getComponentPresetHandler(0, 1), nullptr);
    EXPECT_EQ(editor->getComponentPresetHandler(0, 2), nullptr);
    EXPECT_EQ(editor->getComponentPresetHandler(1, 0), nullptr);
    EXPECT_EQ(editor->getComponentPresetHandler(-1, 0), nullptr);
    EXPECT_EQ(handler(1).index(), 1);
}

TEST_F(ComponentPresetTest, AnEmptyFolderAndTheSaveItems) {
    open();
    EXPECT_EQ(menuTexts(),
              (std::vector<std::string>{"(No Presets)", "-", "Save As...", "-", "Save As Default"}));
    EXPECT_FALSE(item("(No Presets)")->enabled.getValue());
    open();
    EXPECT_EQ(menuTexts().size(), 5u); // refilling never duplicates
}

TEST_F(ComponentPresetTest, SaveAsThenChooseLoadsOnlyTheComponentWithOneUndoStep) {
    model->unit.setValue(0.9f, 0);
    model->bipolar.setValue(0.5f, 0);
    ModalAnswer chosen;
    chosen.chosen = true;
    chosen.path = file("Bright");
    ModalResponder::push(chosen);
    open();
    item("Save As...")->fireSelected();
    ASSERT_EQ(ModalResponder::requests().size(), 1u);
    const ModalRequest& r = ModalResponder::requests()[0];
    EXPECT_EQ(r.kind, ModalRequest::Kind::kSaveDialog);
    EXPECT_EQ(r.filters, "Zentor Component Presets (*.ztsec)|*.ztsec|All Files (*.*)|*.*");
    EXPECT_EQ(r.defaultExtension, "ztsec");
    EXPECT_EQ(r.proposedName, "Component Preset");
    EXPECT_EQ(r.startFolder, folder());

    model->unit.setValue(0.1f, 0);
    model->bipolar.setValue(-0.5f, 0);
    open();
    ASSERT_NE(item("Bright"), nullptr);
    const int32_t undo = undoCount();
    item("Bright")->fireSelected();
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.9f);
    EXPECT_FLOAT_EQ(model->bipolar.getValue(), -0.5f);
    EXPECT_EQ(undoCount(), undo + 1);
    EXPECT_EQ(ModalResponder::requests().size(), 1u);
}

TEST_F(ComponentPresetTest, SaveAsDefaultAndLoadingTheDefault) {
    ErrorResult missing;
    handler().loadDefaultComponentPreset(missing);
    EXPECT_EQ(missing.getErrorCode(), -1);
    EXPECT_EQ(missing.getErrorMessage(), ComponentPresetHandler::kNoDefault);

    model->level.setValue(-30.0f, 0);
    open();
    item("Save As Default")->fireSelected();
    EXPECT_TRUE(ModalResponder::requests().empty());
    model->level.setValue(0.0f, 0);
    handler().folder()->refresh(folder());
    ErrorResult result;
    handler().loadDefaultComponentPreset(result);
    EXPECT_FALSE(result.hasError()) << result.getErrorMessage();
    EXPECT_FLOAT_EQ(model->level.getValue(), -30.0f);
}

TEST_F(ComponentPresetTest, AnUnknownKeyIsReportedAndTheLoadStillStoresItsUndoStep) {
    model->unit.setValue(0.3f, 0);
    editor->storeUndoStep(-1);
    std::filesystem::create_directories(test::fsPath(folder()));
    {
        std::ofstream out(test::fsPath(file("Odd")), std::ios::binary);
        const std::string signature = model->getParameterCollection(0, 0)->getSignature();
        out << "[Preset]\nSignature=" << signature
            << "\nVersion=1\n\n[Parameters]\nUnit=0.7\nNo Such Knob=1\n";
    }
    const int32_t undo = undoCount();
    handler().presetChosen(file("Odd"));
    ASSERT_EQ(ModalResponder::requests().size(), 1u);
    EXPECT_EQ(ModalResponder::requests()[0].text.rfind("The preset file could not be opened.\n", 0), 0u)
        << ModalResponder::requests()[0].text;
    // The rest of the file was loaded.
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.7f);
    EXPECT_EQ(undoCount(), undo + 1);
    model->getUndoHistory()->undo();
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.3f);
}

TEST_F(ComponentPresetTest, ASaveFailureNamesThePathAndAClosedEditorRunsNothing) {
    ModalAnswer chosen;
    chosen.chosen = true;
    chosen.path = file("Missing Folder\\X");
    ModalResponder::push(chosen);
    handler().saveAs();
    ASSERT_EQ(ModalResponder::requests().size(), 2u);
    EXPECT_EQ(ModalResponder::requests()[1].text,
              std::string(ComponentPresetHandler::kSaveFailed) + chosen.path);

    chosen.path = file("After Close");
    ModalResponder::push([this, chosen](const ModalRequest&) {
        editor.reset();
        return chosen;
    });
    ComponentPresetHandler& doomed = handler();
    doomed.saveAs();
    EXPECT_EQ(editor, nullptr);
    std::ifstream in(test::fsPath(chosen.path));
    EXPECT_FALSE(in.good());
}

} // namespace
