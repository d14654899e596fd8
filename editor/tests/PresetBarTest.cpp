#include "editor/PresetBar.h"

#include "editor/GenericPluginInterface.h"
#include "editor/HotspotButton.h"
#include "editor/StandardButtons.h"
#include "editor/tests/EditorRig.h"
#include "foundation/Registry.h"
#include "foundation/tests/TestFiles.h"
#include "gui/Button.h"
#include "gui/FileDialogs.h"
#include "gui/Knob.h"
#include "gui/PopupMenu.h"
#include "gui/Text.h"
#include "gui/headless/HeadlessClipboard.h"
#include "gui/headless/ModalResponder.h"
#include "plugin/GenericPluginSnapshots.h"
#include "plugin/PresetCache.h"
#include "plugin/PresetParameterCollection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

using gui::headless::ModalAnswer;
using gui::headless::ModalRequest;
using gui::headless::ModalResponder;
using test::EditorModel;

class PresetBarTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor = std::make_unique<GenericPluginInterface>(*ui, *model);
        display = new gui::Button(*ui, nullptr);
        display->parent.setValue(&ui->root());
        editor->standardButtons().setStandardButton(static_cast<int32_t>(StandardButtonKind::kPresetName),
                                                    display);
    }
    void closeEditor() override { editor.reset(); }

    PresetBar& bar() { return editor->presetBar(); }
    std::string path(const std::string& name) const { return folder_ / name; }
    std::vector<std::string> menuTexts() {
        std::vector<std::string> texts;
        for (int i = 0; i < bar().menu()->itemCount(); ++i)
            texts.push_back(bar().menu()->itemAt(i)->text.getValue());
        return texts;
    }
    gui::MenuItem* item(const std::string& text) {
        for (int i = 0; i < bar().menu()->itemCount(); ++i)
            if (bar().menu()->itemAt(i)->text.getValue() == text) return bar().menu()->itemAt(i);
        return nullptr;
    }
    std::string hostState() {
        std::ostringstream out(std::ios::out | std::ios::binary);
        EXPECT_TRUE(model->writeHostState(out));
        return out.str();
    }
    int32_t undoCount() const { return model->getUndoHistory()->getUndoCount(); }
    std::string goodText() {
        editor->copyPresetToClipboard();
        return gui::headless::HeadlessClipboard::text();
    }
    static std::string fileText(const std::string& p) {
        std::ifstream in(test::fsPath(p), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::unique_ptr<GenericPluginInterface> editor;
    gui::Button* display = nullptr;
};

TEST_F(PresetBarTest, TheMenuWithoutACacheStartsWithCopyAndPaste) {
    ASSERT_NE(bar().menu(), nullptr);
    EXPECT_EQ(menuTexts(), (std::vector<std::string>{"Copy", "Paste", "-", "Save", "Save As..."}));
}

TEST_F(PresetBarTest, HostileClipboardTextChangesNothing) {
    const std::string good = goodText();
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
        return text;
    };
    const size_t parameters = good.find("[Parameters]\n");
    ASSERT_NE(parameters, std::string::npos);
    std::string openQuote = good;
    openQuote.insert(parameters + 13, "Unit=\"0.25\n");
    std::string huge = good + std::string(17u * 1024u * 1024u, ' ');
    struct Case {
        const char* name;
        std::string text;
        bool enabled;
    };
    const Case cases[] = {
        {"empty", "", false},
        {"plain", "hello there", false},
        {"NUL", std::string("[Preset]\0Signature", 18), false},
        {"lone surrogate", "\xED\xA0\x80[Preset]", false},
        {"another signature",
         replaced("Signature=" + model->getMainCollection().getSignature(), "Signature=XXXX"), false},
        {"a refused version",
         replaced("Version=" + std::to_string(PresetParameterCollection::presetFormat().version),
                  "Version=99999"),
         false},
        {"header alone", "[Preset]", false},
        {"open quote", openQuote, true},
        {"17 MiB", huge, false},
    };
    model->unit.setValue(0.3f, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gui::headless::HeadlessClipboard::setText(c.text);
        bar().prepareMenu();
        EXPECT_EQ(item("Paste")->enabled.getValue(), c.enabled);
        const std::string before = hostState();
        const int32_t undo = undoCount();
        const size_t boxes = ModalResponder::requests().size();
        adapter->log.clear();
        item("Paste")->fireSelected();
        ui->advance(20);
        ASSERT_EQ(ModalResponder::requests().size(), boxes + 1);
        EXPECT_EQ(ModalResponder::requests().back().text.rfind("Could not paste from the clipboard.", 0), 0u)
            << ModalResponder::requests().back().text;
        EXPECT_EQ(hostState(), before);
        EXPECT_EQ(undoCount(), undo);
        EXPECT_TRUE(adapter->log.empty());
    }
}

TEST_F(PresetBarTest, AnUnknownKeyLoadsTheRestReportsItAndStoresOneUndoStep) {
    model->unit.setValue(0.8f, 0);
    std::string text = goodText();
    model->unit.setValue(0.3f, 0);
    editor->storeUndoStep(-1);
    text.insert(text.find("[Parameters]\n") + 13, "No Such Knob=1\n");
    gui::headless::HeadlessClipboard::setText(text);
    bar().prepareMenu();
    EXPECT_TRUE(item("Paste")->enabled.getValue());
    const int32_t undo = undoCount();
    item("Paste")->fireSelected();
    ui->advance(20);
    ASSERT_EQ(ModalResponder::requests().size(), 1u);
    EXPECT_EQ(ModalResponder::requests()[0].text.rfind("Could not paste from the clipboard.\n", 0), 0u);
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.8f);
    EXPECT_EQ(undoCount(), undo + 1);
    model->getUndoHistory()->undo();
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.3f);
}

TEST_F(PresetBarTest, CopyAndPasteThroughTheMenu) {
    model->unit.setValue(0.8f, 0);
    model->setCurrentPresetName("Bright & Clear", GenericPlugin::kWholeName);
    item("Copy")->fireSelected();
    model->unit.setValue(0.1f, 0);
    bar().prepareMenu();
    ASSERT_TRUE(item("Paste")->enabled.getValue());
    const int32_t undo = undoCount();
    item("Paste")->fireSelected();
    ui->advance(20);
    EXPECT_TRUE(ModalResponder::requests().empty());
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.8f);
    EXPECT_EQ(model->getCurrentPreset().getName(), "Bright & Clear");
    EXPECT_EQ(undoCount(), undo + 1);
}

TEST_F(PresetBarTest, TheOverwriteQuestionCancelThenOk) {
    model->setCurrentPresetName("Echo", GenericPlugin::kWholeName);
    ASSERT_TRUE(editor->savePresetFile(path("Echo.ztp")));
    const std::string saved = fileText(path("Echo.ztp"));
    model->unit.setValue(0.9f, 0);
    ModalResponder::push(ModalAnswer{ModalAnswer::kCancel});
    bar().savePreset();
    EXPECT_EQ(fileText(path("Echo.ztp")), saved);
    ModalResponder::push(ModalAnswer{ModalAnswer::kOk});
    item("Save")->fireSelected();
    EXPECT_NE(fileText(path("Echo.ztp")), saved);
    const auto& requests = ModalResponder::requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const ModalRequest& r : requests) {
        EXPECT_EQ(r.kind, ModalRequest::Kind::kMessageBox);
        EXPECT_EQ(r.text, "Are you sure you want to overwrite  'Echo'?");
        EXPECT_EQ(r.title, "Confirmation");
        EXPECT_EQ(r.buttons, ModalAnswer::kOk | ModalAnswer::kCancel);
    }
}

TEST_F(PresetBarTest, SaveWithoutAPathIsSaveAsAndACancelRescans) {
    ModalAnswer chosen;
    chosen.chosen = true;
    chosen.path = path("Chosen.ztp");
    ModalResponder::push(chosen);
    bar().savePreset();
    ModalResponder::push(ModalAnswer{});
    item("Save As...")->fireSelected();
    const auto& requests = ModalResponder::requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const ModalRequest& r : requests) {
        EXPECT_EQ(r.kind, ModalRequest::Kind::kSaveDialog);
        EXPECT_EQ(r.filters, "Zentor Preset (*.ztp)|*.ztp|Any File (*.*)|*.*");
        EXPECT_EQ(r.defaultExtension, "ztp");
    }
    EXPECT_EQ(requests[0].proposedName, "Preset");
    EXPECT_EQ(requests[1].proposedName, "Chosen");
    EXPECT_FALSE(fileText(path("Chosen.ztp")).empty());
}

TEST_F(PresetBarTest, OpenOtherPresetSetsEveryPropertyAndLoads) {
    model->unit.setValue(0.7f, 0);
    ASSERT_TRUE(editor->savePresetFile(path("Other.ztp")));
    model->unit.setValue(0.2f, 0);
    // A property left over from the save dialog is set again.
    bar().fileDialog().path.setValue("Left Over");
    ModalAnswer chosen;
    chosen.chosen = true;
    chosen.path = path("Other.ztp");
    ModalResponder::push(chosen);
    bar().openOtherPreset();
    ASSERT_EQ(ModalResponder::requests().size(), 1u);
    const ModalRequest& r = ModalResponder::requests()[0];
    EXPECT_EQ(r.kind, ModalRequest::Kind::kOpenDialog);
    EXPECT_EQ(r.filters, PresetBar::kOpenFilters);
    EXPECT_EQ(r.defaultExtension, "ztp");
    EXPECT_EQ(r.proposedName, "Preset");
    EXPECT_EQ(r.startFolder, model->getPresetManager(-1)->getPath());
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.7f);
}

TEST_F(PresetBarTest, SaveAsDefaultWritesTheDefaultPresetFile) {
    model->unit.setValue(0.6f, 0);
    bar().saveAsDefault();
    const std::string folder = model->getPresetManager(-1)->getPath();
    const std::string file = (folder.back() == '\\' ? folder : folder + "\\") +
                             model->getDefaultPresetName() + model->getPresetExtension();
    EXPECT_TRUE(ModalResponder::requests().empty()) << ModalResponder::requests()[0].text;
    EXPECT_EQ(model->getCurrentPreset().getPath(), file);
    EXPECT_EQ(file.substr(file.size() - std::string("\\Default Setting.ztp").size()),
              "\\Default Setting.ztp");
}

TEST_F(PresetBarTest, RestoringFactoryPresetsAsksAndReportsOneFailure) {
    ModalResponder::push(ModalAnswer{ModalAnswer::kCancel});
    bar().restoreFactoryPresets();
    ASSERT_EQ(ModalResponder::requests().size(), 1u);
    EXPECT_EQ(ModalResponder::requests()[0].text, PresetBar::kRestoreQuestion);
    // The test module has no setup bundle: the restore fails once.
    ModalResponder::push(ModalAnswer{ModalAnswer::kOk});
    bar().restoreFactoryPresets();
    ASSERT_EQ(ModalResponder::requests().size(), 3u);
    EXPECT_EQ(ModalResponder::requests()[2].text, PresetBar::kRestoreFailed);
    EXPECT_EQ(ModalResponder::requests()[2].title, "Information");
}

TEST_F(PresetBarTest, AnEditorClosedInsideABoxOrDialogRunsNothingAfterwards) {
    model->setCurrentPresetName("Echo", GenericPlugin::kWholeName);
    ASSERT_TRUE(editor->savePresetFile(path("Echo.ztp")));
    const std::string saved = fileText(path("Echo.ztp"));
    model->unit.setValue(0.9f, 0);
    auto closeThen = [this](ModalAnswer answer) {
        return [this, answer](const ModalRequest&) {
            editor.reset();
            return answer;
        };
    };
    ModalAnswer ok{ModalAnswer::kOk};
    ModalAnswer chosen;
    chosen.chosen = true;
    chosen.path = path("Echo.ztp");
    using Step = std::function<void(PresetBar&)>;
    const Step steps[] = {
        [](PresetBar& b) { b.savePreset(); },
        [](PresetBar& b) { b.restoreFactoryPresets(); },
        [](PresetBar& b) { b.saveAs(); },
        [](PresetBar& b) { b.openOtherPreset(); },
        [](PresetBar& b) { b.changePresetFolder(); },
    };
    const ModalAnswer answers[] = {ok, ok, chosen, chosen, chosen};
    for (size_t i = 0; i < std::size(steps); ++i) {
        if (!editor) editor = std::make_unique<GenericPluginInterface>(*ui, *model);
        ModalResponder::push(closeThen(answers[i]));
        const size_t requests = ModalResponder::requests().size();
        steps[i](editor->presetBar());
        EXPECT_EQ(editor, nullptr);
        EXPECT_EQ(ModalResponder::requests().size(), requests + 1) << i;
        EXPECT_EQ(fileText(path("Echo.ztp")), saved) << i;
    }
}

} // namespace

namespace {

class CachedPresetBarTest : public PresetBarTest {
protected:
    uint32_t modelFlags() const override { return GenericPluginBase::kFlagPresetCatalogueCache; }
};

TEST_F(CachedPresetBarTest, FavoriteFollowsTheCacheAndNeedsAPresetFile) {
    ASSERT_NE(GenericPlugin::getPresetCache(), nullptr);
    EXPECT_EQ(menuTexts(),
              (std::vector<std::string>{"Favorite", "-", "Copy", "Paste", "-", "Save", "Save As..."}));
    bar().prepareMenu();
    EXPECT_FALSE(item("Favorite")->enabled.getValue());
    EXPECT_FALSE(bar().menu()->itemAt(1)->enabled.getValue());

    model->setCurrentPresetName("Fav", GenericPlugin::kWholeName);
    ASSERT_TRUE(editor->savePresetFile(path("Fav.ztp")));
    bar().prepareMenu();
    EXPECT_TRUE(item("Favorite")->enabled.getValue());
    EXPECT_FALSE(item("Favorite")->isChecked.getValue());
    item("Favorite")->fireSelected();
    EXPECT_TRUE(GenericPlugin::getPresetCache()->isFavorite(PresetCacheEntry(path("Fav.ztp"))));
    bar().prepareMenu();
    EXPECT_TRUE(item("Favorite")->isChecked.getValue());
    item("Favorite")->fireSelected();
    EXPECT_FALSE(GenericPlugin::getPresetCache()->isFavorite(PresetCacheEntry(path("Fav.ztp"))));
}

TEST_F(PresetBarTest, ChangingThePresetFolderRescansAndStoresIt) {
    const std::string folder = path("Other Presets");
    std::filesystem::create_directories(test::fsPath(folder));
    ModalAnswer chosen;
    chosen.chosen = true;
    chosen.path = folder;
    ModalResponder::push(chosen);
    bar().changePresetFolder();
    ASSERT_EQ(ModalResponder::requests().size(), 1u);
    EXPECT_EQ(ModalResponder::requests()[0].kind, ModalRequest::Kind::kFolderDialog);
    EXPECT_EQ(model->getPresetManager(-1)->getPath(), folder + "\\");
    RegistryReader reader(RegistryRoot::kCurrentUser, keyPath());
    EXPECT_EQ(reader.readString("PresetFolder"), folder + "\\");
}

TEST_F(PresetBarTest, CopyInOneInstancePasteInAnother) {
    model->unit.setValue(0.65f, 0);
    model->setCurrentPresetName("Shared", GenericPlugin::kWholeName);
    item("Copy")->fireSelected();
    auto otherModel = std::make_unique<EditorModel>(name_);
    gui::headless::HeadlessInterface otherUi;
    {
        GenericPluginInterface other(otherUi, *otherModel);
        auto* display = new gui::Button(otherUi, nullptr);
        display->parent.setValue(&otherUi.root());
        other.standardButtons().setStandardButton(static_cast<int32_t>(StandardButtonKind::kPresetName),
                                                  display);
        other.presetBar().prepareMenu();
        other.presetBar().paste();
        EXPECT_FLOAT_EQ(otherModel->unit.getValue(), 0.65f);
        EXPECT_EQ(otherModel->getCurrentPreset().getName(), "Shared");
    }
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.65f);
}

TEST_F(PresetBarTest, AnEditorClosedInsideThePresetBarMenuRunsNothingAfterwards) {
    ModalResponder::push([this](const ModalRequest& request) {
        editor.reset();
        ModalAnswer answer;
        // "Save As..." was picked before the editor went.
        for (size_t i = 0; i < request.items.size(); ++i)
            if (request.items[i] == "Save As...") answer.item = static_cast<int>(i);
        return answer;
    });
    display->secondaryClickEvent.notify(display);
    EXPECT_EQ(editor, nullptr);
    ASSERT_EQ(ModalResponder::requests().size(), 1u);
    EXPECT_EQ(ModalResponder::requests()[0].kind, ModalRequest::Kind::kMenu);
}

} // namespace

namespace {

TEST_F(PresetBarTest, AHotspotSetsItsKnobsParameterInOneGestureAndOneUndoStep) {
    auto* knob = new gui::Knob(*ui, nullptr);
    knob->parent.setValue(&ui->root());
    editor->linkControl(&model->steps, knob);
    // Steps runs 2..5: two thirds of the way is 4.
    auto* hotspot = new HotspotButton(*ui, knob, *editor, 2.0f / 3.0f, nullptr);
    hotspot->parent.setValue(&ui->root());
    const int32_t undo = undoCount();
    adapter->log.clear();
    hotspot->clickEvent.notify(hotspot);
    EXPECT_EQ(model->steps.getValue(), 4);
    ui->advance(10);
    EXPECT_EQ(knob->value.getValue(), 4);
    EXPECT_EQ(adapter->kindsOf(EditorModel::kSteps), "bve");
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_EQ(undoCount(), undo + 1);
    EXPECT_TRUE(model->getCurrentPreset().isModified());

    // Unbound, then dead: nothing.
    editor->linkControl(&model->steps, nullptr);
    adapter->log.clear();
    hotspot->clickEvent.notify(hotspot);
    delete knob;
    EXPECT_EQ(hotspot->knob(), nullptr);
    hotspot->clickEvent.notify(hotspot);
    EXPECT_TRUE(adapter->log.empty());
    EXPECT_EQ(undoCount(), undo + 1);
}

TEST_F(PresetBarTest, CompareWithPresets) {
    auto add = [this](StandardButtonKind kind) {
        auto* b = new gui::Button(*ui, nullptr);
        b->parent.setValue(&ui->root());
        editor->standardButtons().setStandardButton(static_cast<int32_t>(kind), b);
        return b;
    };
    gui::Button* ab = add(StandardButtonKind::kCompareSwitch);
    gui::Button* copy = add(StandardButtonKind::kCompareCopy);
    gui::Button* undo = add(StandardButtonKind::kUndo);
    gui::Button* redo = add(StandardButtonKind::kRedo);
    auto click = [](gui::Button* b) { b->clickEvent.notify(b); };
    auto alpha = [this] { return display->textLine(0)->color.getValue().a; };

    model->unit.setValue(0.9f, 0);
    model->setCurrentPresetName("Bright", GenericPlugin::kWholeName);
    ASSERT_TRUE(editor->savePresetFile(path("Bright.ztp")));
    model->unit.setValue(0.2f, 0);
    model->setCurrentPresetName("Dark", GenericPlugin::kWholeName);
    ASSERT_TRUE(editor->loadPresetFile(path("Bright.ztp")));
    ui->advance(20);
    EXPECT_EQ(undoCount(), 1);
    EXPECT_EQ(display->textLine(0)->text.getValue(), "Bright");
    EXPECT_EQ(alpha(), 255);
    EXPECT_TRUE(copy->enabled.getValue());

    // B still holds the state of the first attach.
    click(ab);
    ui->advance(20);
    EXPECT_EQ(model->getCompareStates()->getActive(), 1);
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.5f);
    EXPECT_EQ(undoCount(), 2);
    EXPECT_TRUE(ab->on.getValue());
    EXPECT_NE(display->textLine(0)->text.getValue(), "Bright");

    click(undo);
    ui->advance(20);
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.9f);
    EXPECT_EQ(undoCount(), 1);
    EXPECT_EQ(model->getUndoHistory()->getRedoCount(), 1);
    EXPECT_EQ(display->textLine(0)->text.getValue(), "Bright");
    click(redo);
    ui->advance(20);
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.5f);
    EXPECT_TRUE(redo->enabled.getValue() == false);

    click(ab);
    ui->advance(20);
    EXPECT_EQ(model->getCompareStates()->getActive(), 0);
    EXPECT_FLOAT_EQ(model->unit.getValue(), 0.9f);
    EXPECT_EQ(display->textLine(0)->text.getValue(), "Bright");

    // A change dims the name; A/B copy then makes both slots alike.
    gui::ValueControl* c = control();
    editor->linkControl(&model->unit, c);
    test::EditorTest::drag(c, {-3600});
    ui->advance(20);
    EXPECT_TRUE(model->getCurrentPreset().isModified());
    EXPECT_EQ(alpha(), 160);
    EXPECT_TRUE(copy->enabled.getValue());
    click(copy);
    EXPECT_FALSE(copy->enabled.getValue());
    const float kept = model->unit.getValue();
    click(ab);
    ui->advance(20);
    EXPECT_FLOAT_EQ(model->unit.getValue(), kept);
}

} // namespace

namespace {

TEST_F(PresetBarTest, SaveAsDefaultReportsAFailureWithThePath) {
    const std::string folder = model->getPresetManager(-1)->getPath();
    const std::string file = (folder.back() == '\\' ? folder : folder + "\\") +
                             model->getDefaultPresetName() + model->getPresetExtension();
    // A folder where the file should go: the write fails.
    std::filesystem::create_directories(test::fsPath(file));
    bar().saveAsDefault();
    ASSERT_EQ(ModalResponder::requests().size(), 1u);
    EXPECT_EQ(ModalResponder::requests()[0].text, PresetBar::kSaveFailed + file);
    EXPECT_EQ(ModalResponder::requests()[0].title, "Information");
}

} // namespace
