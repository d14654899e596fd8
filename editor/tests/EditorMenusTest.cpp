#include "editor/EditorMenus.h"

#include "editor/GenericPluginInterface.h"
#include "editor/HelpHint.h"
#include "editor/MidiLearnMode.h"
#include "editor/StandardButtons.h"
#include "editor/tests/LearnRig.h"
#include "foundation/FilePaths.h"
#include "foundation/Registry.h"
#include "gui/Button.h"
#include "gui/PopupMenu.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/headless/HeadlessPlatformDelegate.h"
#include "gui/headless/ModalResponder.h"
#include "plugin/ControllerMapping.h"
#include "plugin/GenericPluginSettings.h"
#include "plugin/GenericPluginSnapshots.h"
#include "plugin/PresetManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using gui::headless::HeadlessPlatformDelegate;
using gui::headless::ModalAnswer;
using gui::headless::ModalRequest;
using gui::headless::ModalResponder;

class Editor : public GenericPluginInterface {
public:
    using GenericPluginInterface::GenericPluginInterface;
    bool hasFactoryControllerMap() override { return factoryMap; }
    bool hasPresetBrowser() override { return browser; }
    void showAboutDialog() override { ++abouts; }
    bool factoryMap = false;
    bool browser = false;
    int abouts = 0;
};

// A menu as lines: submenu items indented by "  ", "[x]" when checked, "!"
// when disabled.
void dump(const gui::Menu& menu, std::vector<std::string>& out, const std::string& indent = "") {
    for (int i = 0; i < menu.itemCount(); ++i) {
        const gui::MenuItem* item = menu.itemAt(i);
        out.push_back(indent + item->text.getValue() + (item->isChecked.getValue() ? " [x]" : "") +
                      (item->enabled.getValue() ? "" : " !"));
        dump(*item, out, indent + "  ");
    }
}

std::vector<std::string> lines(const gui::Menu& menu) {
    std::vector<std::string> out;
    dump(menu, out);
    return out;
}

// Picks the shown item with this text (the responder sees the items flat).
ModalResponder::Script pick(const std::string& text) {
    return [text](const ModalRequest& request) {
        ModalAnswer answer;
        for (size_t i = 0; i < request.items.size(); ++i)
            if (request.items[i] == text) answer.item = static_cast<int>(i);
        return answer;
    };
}

class MenusTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        ModalResponder::reset();
        HeadlessPlatformDelegate::clearOpenedDocuments();
        test::TestPluginOptions options;
        options.midiState = true;
        model = makePlugin(options);
        linkBoth = std::make_unique<test::VirtualParameter>(*model, "Link Both");
        adapter = std::make_unique<test::RecordingAdapter>(*model);
        ui = std::make_unique<gui::headless::HeadlessInterface>(926.0f, 514.0f, 1000);
        open(EditorMenus::kFeatureEnableMidi | EditorMenus::kFeatureComponentDisplays);
        GenericPlugin::getControllerMapping()->clear();
    }
    void TearDown() override {
        GenericPlugin::getControllerMapping()->clear();
        editor.reset();
        ui.reset();
        linkBoth.reset();
        adapter.reset();
        model.reset();
        ModalResponder::reset();
        PluginTest::TearDown();
    }
    void open(uint32_t features) {
        editor.reset();
        editor = std::make_unique<Editor>(*ui, *model, features);
    }
    EditorMenus& menus() { return editor->menus(); }
    // Opens the menu the way its button does, choosing the item.
    void choose(gui::PopupMenu& menu, const std::string& text) {
        ModalResponder::push(pick(text));
        menu.show(gui::Point(0, 0));
    }
    bool registryBool(const char* name) {
        uint32_t value = 2;
        EXPECT_TRUE(readRegistryDword(RegistryRoot::kCurrentUser, keyPath(), name, value)) << name;
        return value != 0;
    }
    void writePreset(const std::string& relative) {
        PresetManager* root = model->getPresetManager(-1);
        std::string path = root->getPath();
        if (!path.empty() && path.back() != '\\') path += "\\";
        path += relative;
        std::filesystem::create_directories(test::fsPath(path).parent_path());
        ASSERT_TRUE(editor->savePresetFile(path));
    }

    std::unique_ptr<test::TestPlugin> model;
    std::unique_ptr<test::VirtualParameter> linkBoth;
    std::unique_ptr<test::RecordingAdapter> adapter;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<Editor> editor;
};

TEST_F(MenusTest, TheHelpMenuAcrossTheFeatureBits) {
    const std::vector<std::string> full = {"Help Topics",
                                           "Show Interactive Help Hints [x]",
                                           "Show Component Displays [x]",
                                           "-",
                                           "Zentor Web Site",
                                           "Zentor Support",
                                           "-",
                                           "About"};
    std::vector<std::string> without = full;
    without.erase(without.begin() + 2);
    struct Case {
        uint32_t features;
        std::vector<std::string> items;
    };
    for (const Case& c : {Case{EditorMenus::kFeatureComponentDisplays, full}, Case{0, without},
                          Case{EditorMenus::kFeatureEnableMidi, without}}) {
        open(c.features);
        menus().buildHelpMenu();
        menus().buildHelpMenu();
        EXPECT_EQ(lines(menus().helpMenu()), c.items) << c.features;
    }
}

TEST_F(MenusTest, HelpChoicesWriteTheRegistryAndOpenTheirDocuments) {
    editor->showHelpHintText("A hint", HelpHint::kAlways);
    choose(*editor->helpMenu(), "Show Interactive Help Hints");
    EXPECT_FALSE(registryBool("showInteractiveHelp"));
    EXPECT_FALSE(editor->hint().isShown());
    menus().buildHelpMenu();
    EXPECT_EQ(lines(menus().helpMenu())[1], "Show Interactive Help Hints");
    choose(*editor->helpMenu(), "Show Interactive Help Hints");
    EXPECT_TRUE(registryBool("showInteractiveHelp"));
    choose(*editor->helpMenu(), "Show Component Displays");
    EXPECT_FALSE(registryBool("ShowComponentDisplays"));

    // The pages open from the posted commands, at the next drain.
    choose(*editor->helpMenu(), "Zentor Support");
    EXPECT_TRUE(HeadlessPlatformDelegate::openedDocuments().empty());
    ui->advance(10);
    choose(*editor->helpMenu(), "Zentor Web Site");
    ui->advance(10);
    EXPECT_EQ(HeadlessPlatformDelegate::openedDocuments(),
              (std::vector<std::string>{"https://zentor.example/support/", "https://zentor.example/"}));
    // Help Topics without a help file does nothing; with one it opens it.
    HeadlessPlatformDelegate::clearOpenedDocuments();
    choose(*editor->helpMenu(), "Help Topics");
    ui->advance(10);
    EXPECT_TRUE(HeadlessPlatformDelegate::openedDocuments().empty());
    RegistryWriter(RegistryRoot::kLocalMachine, keyPath())
        .serializeString("HelpFileName", "C:\\Help\\V.pdf", "");
    readStartupRegistrySettings(keyPath());
    choose(*editor->helpMenu(), "Help Topics");
    ui->advance(10);
    EXPECT_EQ(HeadlessPlatformDelegate::openedDocuments(), (std::vector<std::string>{"C:\\Help\\V.pdf"}));
    deleteRegistryKey(RegistryRoot::kLocalMachine, "Software\\Zentor\\" + name_);
    readStartupRegistrySettings(keyPath());
    choose(*editor->helpMenu(), "About");
    EXPECT_EQ(editor->abouts, 1);
}

TEST_F(MenusTest, TheMidiMenuListsTheAssignmentsAndClearsOnlyThem) {
    ControllerMapping* mapping = GenericPlugin::getControllerMapping();
    menus().buildMidiMenu();
    EXPECT_EQ(lines(menus().midiMenu()),
              (std::vector<std::string>{"Enable MIDI [x]", "-", "Clear !", "Revert", "Save"}));
    mapping->assign(9, ControllerMapping::virtualBase);
    mapping->assign(7, static_cast<uint32_t>(model->pan.getIndex()));
    mapping->assign(3, 0x7FFFFFFFu);
    editor->factoryMap = true;
    int appended = 0;
    editor->midiMenuEvent.addHandler(NotifyEvent::bind([&appended] { ++appended; }));
    menus().buildMidiMenu();
    menus().buildMidiMenu();
    EXPECT_EQ(appended, 2);
    EXPECT_EQ(lines(menus().midiMenu()),
              (std::vector<std::string>{"Enable MIDI [x]", "-", "Clear", "  7: Pan", "  9: Link Both", "  -",
                                        "  Clear All", "Revert", "Save", "Load Factory Settings"}));
    choose(*editor->midiMenu(), "7: Pan");
    EXPECT_EQ(mapping->getParameter(7), ControllerMapping::none);
    EXPECT_EQ(mapping->getParameter(9), ControllerMapping::virtualBase);
    choose(*editor->midiMenu(), "Clear All");
    EXPECT_EQ(mapping->getParameter(9), ControllerMapping::none);
    open(0);
    menus().buildMidiMenu();
    EXPECT_EQ(lines(menus().midiMenu())[0], "Clear !");
}

// Another instance remaps the controller while the menu is open.
TEST_F(MenusTest, AnItemClearsOnlyWhileItsControllerStillMapsItsParameter) {
    ControllerMapping* mapping = GenericPlugin::getControllerMapping();
    mapping->assign(7, static_cast<uint32_t>(model->gain.getIndex()));
    ModalResponder::push([&](const ModalRequest& request) {
        mapping->assign(7, static_cast<uint32_t>(model->pan.getIndex()));
        return pick("7: Gain")(request);
    });
    editor->midiMenu()->show(gui::Point(0, 0));
    EXPECT_EQ(mapping->getParameter(7), static_cast<uint32_t>(model->pan.getIndex()));
}

TEST_F(MenusTest, EnableMidiIsOneGestureAndOneUndoStep) {
    const int32_t undo = model->getUndoHistory()->getUndoCount();
    choose(*editor->midiMenu(), "Enable MIDI");
    EXPECT_FLOAT_EQ(model->midiState->getValue(), 1.0f);
    EXPECT_EQ(model->getUndoHistory()->getUndoCount(), undo + 1);
    EXPECT_EQ(adapter->kindsOf(model->midiState->getIndex()), "bve");
    menus().buildMidiMenu();
    EXPECT_EQ(lines(menus().midiMenu())[0], "Enable MIDI");
    choose(*editor->midiMenu(), "Enable MIDI");
    EXPECT_FLOAT_EQ(model->midiState->getValue(), 0.0f);
    EXPECT_EQ(model->getUndoHistory()->getUndoCount(), undo + 2);
}

TEST_F(MenusTest, SaveWritesTheMapAndAFailureNamesThePath) {
    GenericPlugin::getControllerMapping()->assign(5, 0);
    choose(*editor->midiMenu(), "Save");
    const std::string file = GenericPlugin::getProductFolder() + GenericPlugin::kMidiMapFile;
    EXPECT_EQ(std::filesystem::file_size(test::fsPath(file)), 520u);
    GenericPlugin::getControllerMapping()->clear();
    choose(*editor->midiMenu(), "Revert");
    EXPECT_EQ(GenericPlugin::getControllerMapping()->getParameter(5), 0u);
    EXPECT_TRUE(ModalResponder::requests().size() == 2u);
    // The file's place taken by a folder: both report with the path.
    std::filesystem::remove(test::fsPath(file));
    std::filesystem::create_directories(test::fsPath(file) / "x");
    choose(*editor->midiMenu(), "Save");
    choose(*editor->midiMenu(), "Revert");
    const auto& requests = ModalResponder::requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[3].text, EditorMenus::kSaveMapFailed + file);
    EXPECT_EQ(requests[3].title, "Information");
    EXPECT_EQ(requests[5].text, EditorMenus::kRevertMapFailed + file);
}

TEST_F(MenusTest, ThePresetMenuWithFoldersTheCurrentOneAndTheOptions) {
    writePreset("Alpha.ztp");
    writePreset("Drums\\Kick.ztp");
    writePreset("Pads\\Soft.ztp");
    model->getPresetManager(-1)->refreshAll();
    ModalResponder::push(pick("Kick"));
    editor->presetMenu()->show(gui::Point(0, 0));
    EXPECT_EQ(model->getCurrentPreset().getName(), "Kick");
    menus().fillPresetMenu();
    menus().fillPresetMenu();
    EXPECT_EQ(
        lines(menus().presetMenu()),
        (std::vector<std::string>{"Alpha", "-", "Drums [x]", "  Kick [x]", "Pads", "  Soft", "-",
                                  "Save As...", "-", "Options", "  Enable MIDI Program Changes", "  -",
                                  "  Save As Default", "  -", "  Open Other Preset...",
                                  "  Change Preset Folder...", "  Restore Factory Presets", "  Refresh"}));
    choose(*editor->presetMenu(), "Enable MIDI Program Changes");
    EXPECT_TRUE(registryBool("EnableMIDIProgramChanges"));
    ModalResponder::push(pick("Alpha"));
    editor->presetMenu()->show(gui::Point(0, 0));
    EXPECT_EQ(model->getCurrentPreset().getName(), "Alpha");
    menus().fillPresetMenu();
    EXPECT_EQ(lines(menus().presetMenu())[2], "Drums");
    editor->browser = true;
    menus().fillPresetMenu();
    EXPECT_EQ(lines(menus().presetMenu())[0], "Enable MIDI Program Changes [x]");
}

TEST_F(MenusTest, AnEmptyFolderAndRefreshFindsNewPresets) {
    menus().fillPresetMenu();
    EXPECT_EQ(lines(menus().presetMenu())[0], "(No Presets) !");
    writePreset("New.ztp");
    choose(*editor->presetMenu(), "Refresh");
    menus().fillPresetMenu();
    EXPECT_EQ(lines(menus().presetMenu())[0], "New [x]");
}

TEST_F(MenusTest, ChangePresetFolderStoresItAndRescans) {
    const std::string chosen = folder_ / "Chosen";
    std::filesystem::create_directories(test::fsPath(chosen));
    ModalResponder::push(pick("Change Preset Folder..."));
    ModalAnswer answer;
    answer.chosen = true;
    answer.path = chosen;
    ModalResponder::push(answer);
    editor->presetMenu()->show(gui::Point(0, 0));
    EXPECT_EQ(model->getPresetManager(-1)->getPath(), chosen + "\\");
    std::string stored;
    EXPECT_TRUE(readRegistryString(RegistryRoot::kCurrentUser, keyPath(), "PresetFolder", stored));
    EXPECT_EQ(stored, chosen + "\\");
}

// The responder closes the editor inside each menu: nothing follows (ASan).
TEST_F(MenusTest, AnEditorClosedInsideAMenuRunsNothing) {
    for (const char* text :
         {"Show Interactive Help Hints", "About", "Clear All", "Enable MIDI", "Save As..."}) {
        ModalResponder::reset();
        open(EditorMenus::kFeatureEnableMidi);
        GenericPlugin::getControllerMapping()->assign(5, 0);
        gui::PopupMenu* menu = std::string(text) == "Save As..." ? editor->presetMenu()
                               : std::string(text) == "Clear All" || std::string(text) == "Enable MIDI"
                                   ? editor->midiMenu()
                                   : editor->helpMenu();
        ModalResponder::push([&](const ModalRequest& request) {
            ModalAnswer answer = pick(text)(request);
            editor.reset();
            return answer;
        });
        menu->show(gui::Point(0, 0));
        EXPECT_EQ(editor, nullptr);
        EXPECT_EQ(ModalResponder::requests().size(), 1u) << text;
        EXPECT_EQ(GenericPlugin::getControllerMapping()->getParameter(5), 0u) << text;
    }
}

} // namespace
