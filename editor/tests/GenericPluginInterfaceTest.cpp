#include "editor/GenericPluginInterface.h"

#include "editor/HelpHint.h"
#include "editor/ParameterButton.h"
#include "editor/ParameterValueDisplay.h"
#include "editor/StandardButtons.h"
#include "editor/tests/EditorRig.h"
#include "foundation/Files.h"
#include "foundation/Registry.h"
#include "foundation/tests/AllocationCounter.h"
#include "gui/Button.h"
#include "gui/MessageChannel.h"
#include "gui/Text.h"
#include "plugin/GenericPluginSettings.h"
#include "plugin/GenericPluginSnapshots.h"
#include "plugin/PresetManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

namespace {

using test::EditorModel;

// Counts the refreshes the drains cause.
class CountingInterface : public GenericPluginInterface {
public:
    using GenericPluginInterface::GenericPluginInterface;
    void refreshAll() override {
        ++fullRefreshes;
        GenericPluginInterface::refreshAll();
    }
    void updatePresetDisplay() override { ++presetDisplayUpdates; }
    int fullRefreshes = 0;
    int presetDisplayUpdates = 0;
};

class InterfaceTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor = std::make_unique<CountingInterface>(*ui, *model);
    }
    void closeEditor() override { editor.reset(); }
    gui::ValueControl* linked(AbstractPluginParameter& parameter) {
        gui::ValueControl* c = control();
        editor->linkControl(&parameter, c);
        return c;
    }

    std::unique_ptr<CountingInterface> editor;
};

TEST_F(InterfaceTest, AttachingMakesTheEditorTheModelsListener) {
    EXPECT_EQ(model->getInterface(), &editor->modelListener());
    EXPECT_EQ(editor->getRootControlInterface(), &ui->root());
    EXPECT_EQ(&editor->interfaceLock(), &model->getInterfaceLock());
    editor.reset();
    EXPECT_EQ(model->getInterface(), nullptr);
}

TEST_F(InterfaceTest, TheEditorMakesOneHiddenValueDisplayThatShowsForAListenedControl) {
    auto* display = dynamic_cast<ParameterValueDisplay*>(&editor->valueDisplay()->displayControl());
    ASSERT_NE(display, nullptr);
    EXPECT_FALSE(display->visible.getValue());
    gui::ValueControl* k = linked(model->steps);
    editor->listenToControl(k);
    ui->mouseMove({20, 20});
    EXPECT_TRUE(display->shown());
    EXPECT_EQ(display->entries().size(), 1u);
    EXPECT_EQ(display->entries()[0].parameter, &model->steps);
}

TEST_F(InterfaceTest, AutomationFromAnotherThreadShowsAfterOneTickNotBefore) {
    gui::ValueControl* k = linked(model->level);
    std::thread audio([this] { model->level.setValue(0.0f, kParameterChangeNotToHost); });
    audio.join();
    EXPECT_EQ(k->value.getValue(), 24000);
    ui->advance(9);
    EXPECT_EQ(k->value.getValue(), 24000);
    ui->advance(1);
    EXPECT_EQ(k->value.getValue(), 30000);
    EXPECT_TRUE(adapter->log.empty());
}

TEST_F(InterfaceTest, ModelCodesGoToTheirLists) {
    struct Commands : CountingInterface {
        using CountingInterface::CountingInterface;
        void handleCommand(int32_t code, int32_t argument) override { seen.emplace_back(code, argument); }
        std::vector<std::pair<int32_t, int32_t>> seen;
    };
    editor.reset();
    auto commandsEditor = std::make_unique<Commands>(*ui, *model);
    gui::ValueControl* k = control();
    commandsEditor->linkControl(&model->unit, k);
    model->unit.setValue(0.75f, kParameterChangeNotToHost);
    model->setCurrentPresetName("Other", GenericPlugin::kWholeName);
    ui->advance(10);
    EXPECT_EQ(k->value.getValue(), 27000);
    ASSERT_FALSE(commandsEditor->seen.empty());
    EXPECT_EQ(commandsEditor->seen.back(),
              std::make_pair(int32_t{GenericPlugin::kCurrentPresetChanged}, int32_t{0}));
}

TEST_F(InterfaceTest, PluginChangedAllocatesNothing) {
    test::AllocationCounter counter;
    for (int i = 0; i < 100; ++i)
        editor->pluginChanged(GenericPlugin::kParameterChanged, i % 7);
    editor->pluginChanged(GenericPlugin::kCurrentPresetChanged, 0);
    EXPECT_EQ(counter.allocations(), 0u);
}

TEST_F(InterfaceTest, AFloodedQueueEndsInOneFullRefresh) {
    gui::ValueControl* k = linked(model->unit);
    model->setPresetModified(true);
    ui->advance(10);
    editor->fullRefreshes = editor->presetDisplayUpdates = 0;
    model->unit.setValue(0.125f, kParameterChangeNotToHost); // lost in the flood that follows
    for (std::uint32_t i = 0; i < gui::MessageChannel::kQueueNodes + 100; ++i)
        editor->pluginChanged(GenericPlugin::kParameterChanged, EditorModel::kNote);
    editor->presetDisplayUpdates = 0;
    ui->advance(10);
    EXPECT_EQ(editor->fullRefreshes, 1);
    // Each delivered refresh ends in the preset display, and so does the
    // full one (the display writes only what changed).
    EXPECT_GT(editor->presetDisplayUpdates, 1);
    EXPECT_EQ(k->value.getValue(), 4500);
    ui->advance(10);
    EXPECT_EQ(editor->fullRefreshes, 1);
}

TEST_F(InterfaceTest, AParameterRefreshMovesOnlyItsControlThenThePresetDisplay) {
    gui::ValueControl* unit = linked(model->unit);
    gui::ValueControl* level = linked(model->level);
    const int levelBefore = level->value.getValue();
    ui->advance(10);
    editor->presetDisplayUpdates = 0;
    model->unit.setValue(0.25f, kParameterChangeNotToHost);
    model->level.setValue(0.0f, kParameterChangeNotToHost);
    ui->advance(10); // the model's own notifications
    level->value.setValue(levelBefore);
    unit->value.setValue(0);
    editor->presetDisplayUpdates = 0;
    editor->pluginChanged(GenericPlugin::kParameterChanged, EditorModel::kUnit);
    ui->advance(10);
    EXPECT_EQ(unit->value.getValue(), 9000);
    EXPECT_EQ(level->value.getValue(), levelBefore);
    EXPECT_EQ(editor->presetDisplayUpdates, 1);
    // -1 refreshes every control, with one preset display update.
    editor->presetDisplayUpdates = 0;
    editor->pluginChanged(GenericPlugin::kParameterChanged, -1);
    ui->advance(10);
    EXPECT_EQ(level->value.getValue(), 30000);
    EXPECT_EQ(editor->presetDisplayUpdates, 1);
}

TEST_F(InterfaceTest, ABusyScopeKeepsTheCloseWaitingUntilItIsReleased) {
    auto busy = std::make_unique<GenericPlugin::BusyScope>(*model);
    int sleeps = 0;
    model->setSleepFunction([&](uint32_t milliseconds) {
        EXPECT_EQ(milliseconds, 50u);
        if (++sleeps == 3) busy.reset();
    });
    editor.reset();
    EXPECT_EQ(sleeps, 3);
    EXPECT_EQ(model->getInterface(), nullptr);
    model->setSleepFunction({});
}

TEST_F(InterfaceTest, ClosingInMidDragEndsEveryGestureThroughTheLiveManager) {
    gui::ValueControl* head = linked(model->unit);
    ASSERT_TRUE(editor->chainParameter(&model->bipolar, head, ControlChangeManager::kLinkSteps));
    ui->mouseDown(0, {20, 20}, 8);
    head->performGesture(gui::kGestureBegin, 0);
    head->performGesture(gui::kGestureChange, 500);
    editor.reset();
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_TRUE(ui->root().children().empty());
    ui->mouseUp(0, {20, 20}, 0);
    ui->advance(100);
    // Nothing of the closed editor is left installed (ASan).
    ui->root().setSize(500, 400);
    ui->root().monitorChangedEvent.notify(&ui->root());
    ui->scaleChangedEvent.notify(ui.get());
    ui->pushNotification(gui::kFrameList, static_cast<std::uint32_t>(GenericPlugin::kParameterChanged),
                         EditorModel::kUnit);
    ui->pushNotification(gui::kGuiList, static_cast<std::uint32_t>(GenericPlugin::kCurrentPresetChanged), 0);
    ui->advance(2000);
}

TEST_F(InterfaceTest, ARootThatFitsKeepsItsSize) {
    model->getSettings()->setInterfaceSizes({{640, 321}, {926, 514}});
    model->getSettings()->layoutIndex.setValue(1);
    ui->advance(1000);
    EXPECT_FLOAT_EQ(ui->root().width.getValue(), 926.0f);
    EXPECT_EQ(model->getSettings()->layoutIndex.getValue(), 1);
}

TEST_F(InterfaceTest, ATooLargeEditorShrinksToTheLargestListedSizeThatFitsOncePerStart) {
    GenericPlugin::Settings& settings = *model->getSettings();
    struct : GenericPluginInterface::InterfaceListener {
        bool requestResize(int32_t, int32_t) override { return true; }
    } host;
    editor->setInterfaceListener(&host);
    settings.setInterfaceSizes({{640, 321}, {926, 514}, {1200, 700}});
    settings.layoutIndex.setValue(2);
    ui->root().setSize(1200, 700);
    ui->advance(999);
    EXPECT_FLOAT_EQ(ui->root().width.getValue(), 1200.0f);
    ui->advance(1);
    EXPECT_EQ(settings.layoutIndex.getValue(), 1);
    EXPECT_FLOAT_EQ(ui->root().width.getValue(), 926.0f);
    EXPECT_FLOAT_EQ(ui->root().height.getValue(), 514.0f);
    EXPECT_EQ(settings.interfaceWidth.getValue(), 1024);
    // The window follows the user (free size), the check shrinks it again.
    editor->setFreeSize(true);
    ui->root().setSize(1200, 700);
    ui->advance(5000);
    EXPECT_FLOAT_EQ(ui->root().width.getValue(), 1200.0f); // no new start, no new check
    editor->sizeChecker().start();
    ui->advance(1000);
    EXPECT_FLOAT_EQ(ui->root().width.getValue(), 926.0f);
}

TEST_F(InterfaceTest, AnEmptySizeTableChangesNothing) {
    ui->root().setSize(1200, 700);
    ui->advance(1000);
    EXPECT_FLOAT_EQ(ui->root().width.getValue(), 1200.0f);
    EXPECT_EQ(model->getSettings()->layoutIndex.getValue(), 0);
    EXPECT_EQ(model->getSettings()->interfaceWidth.getValue(), 0);
}

TEST_F(InterfaceTest, TheScalingEntriesOfASmallRoot) {
    ui->root().setSize(400, 300);
    const auto entries = editor->scalingEntries(0, 4);
    ASSERT_EQ(entries.size(), 8u);
    const char* texts[] = {"100% (Monitor Default)", "125%", "150%", "175%", "200%", "225%", "250%", "300%"};
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].text, texts[i]);
        EXPECT_EQ(entries[i].ticked, i == 4);
        EXPECT_EQ(entries[i].enabled, i <= 4) << i; // the work area is 1024 x 603
    }
}

TEST_F(InterfaceTest, TheContextMenuTakesTheControlsOwnParameter) {
    struct Menus : CountingInterface {
        using CountingInterface::CountingInterface;
        void openParameterContextMenu(int32_t index, gui::ValueControl*) override { opened.push_back(index); }
        std::vector<int32_t> opened;
    };
    editor.reset();
    auto menus = std::make_unique<Menus>(*ui, *model);
    gui::ValueControl* bound = control();
    gui::ValueControl* unbound = control();
    menus->linkControl(&model->note, bound);
    menus->showParameterContextMenu(bound);
    menus->showParameterContextMenu(unbound);
    menus->linkControl(&model->steps, bound);
    menus->showParameterContextMenu(bound);
    EXPECT_EQ(menus->opened, (std::vector<int32_t>{EditorModel::kNote, EditorModel::kSteps}));
}

TEST_F(InterfaceTest, TheParametersUnderAPointAreThoseOfTheDeepestControl) {
    linked(model->note); // at (0, 0), 40 x 40
    gui::ValueControl* unbound = control();
    unbound->setBoundsXYWH(50, 0, 40, 40);
    auto* panel = new gui::Control(*ui);
    panel->setBoundsXYWH(100, 100, 100, 100);
    panel->parent.setValue(&ui->root());
    auto* pad = new ParameterButton(*ui, *editor, nullptr);
    pad->setBoundsXYWH(10, 10, 60, 60);
    pad->parent.setValue(panel);
    pad->setParameter(0, &model->unit);
    pad->setParameter(1, &model->frequency);
    EXPECT_EQ(editor->parameterAt({20, 20}), uint32_t{EditorModel::kNote});
    EXPECT_EQ(editor->parameterAt({70, 20}), GenericPluginInterface::kNoParameter);
    EXPECT_EQ(editor->parameterAt({300, 250}), GenericPluginInterface::kNoParameter);
    EXPECT_EQ(editor->parameterAt({105, 105}), GenericPluginInterface::kNoParameter);
    std::vector<int32_t> indices;
    editor->parametersAt({140, 150}, indices);
    EXPECT_EQ(indices, (std::vector<int32_t>{EditorModel::kUnit, EditorModel::kFrequency}));
}

// An audio thread automates 64 parameters while the GUI thread drags,
// drains, and opens and closes the editor; the controls end exact. The
// editor is a layer above the framework's, as every product's is: its
// constructor and destructor rewrite the object's vtable pointers while the
// model may already (or still) call its listener (TSan sees a race there if
// the model's calls go through the editor's own vtable).
class InterfaceStressTest : public test::EditorTest {
protected:
    int32_t extraParameters() const override { return 64; }

    class LayeredEditor : public GenericPluginInterface {
    public:
        using GenericPluginInterface::GenericPluginInterface;
        void idle() override { GenericPluginInterface::idle(); }
    };
};

TEST_F(InterfaceStressTest, AutomationWhileOpeningAndClosingTheEditor) {
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 1200 && !done.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!done.load()) {
            ADD_FAILURE() << "the stress test hangs";
            std::abort();
        }
    });
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        uint32_t n = 0;
        while (!stop.load()) {
            for (auto& p : model->extras)
                p->setValue(static_cast<float>((n * 7 + static_cast<uint32_t>(p->getIndex())) % 1000) /
                                1000.0f,
                            kParameterChangeNotToHost);
            ++n;
            // One block of automation per millisecond, as a host's audio
            // thread delivers it.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int round = 0; round < 100; ++round) {
        auto editor = std::make_unique<LayeredEditor>(*ui, *model);
        std::vector<gui::ValueControl*> controls;
        for (auto& p : model->extras) {
            controls.push_back(control());
            editor->linkControl(p.get(), controls.back());
        }
        gui::ValueControl* dragged = control();
        editor->linkControl(&model->unit, dragged);
        dragged->performGesture(gui::kGestureBegin, 0);
        dragged->performGesture(gui::kGestureChange, round % 2 == 0 ? 100 : -100);
        ui->advance(10);
        if (round % 3 != 0) dragged->performGesture(gui::kGestureEnd, 0);
        if (round == 99) {
            stop.store(true);
            audio.join();
            ui->advance(10);
            for (size_t i = 0; i < controls.size(); ++i) {
                gui::ValueControl expected(*ui);
                expected.maximum.setValue(36000);
                const FloatPluginParameter& p = *model->extras[i];
                expected.setNormalizedValue(p.toLinearNormalized(p.getValue()));
                EXPECT_EQ(controls[i]->value.getValue(), expected.value.getValue()) << i;
            }
        }
        editor.reset();
    }
    EXPECT_EQ(adapter->gestureFaults(), "");
    done.store(true);
    watchdog.join();
}

} // namespace

namespace {

struct ScriptedHost : GenericPluginInterface::InterfaceListener {
    bool requestResize(int32_t width, int32_t height) override {
        asked.emplace_back(width, height);
        return agrees;
    }
    bool agrees = true;
    std::vector<std::pair<int32_t, int32_t>> asked;
};

class CommandTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        model->getSettings()->setInterfaceSizes({{926, 514}, {1000, 600}});
        editor = std::make_unique<GenericPluginInterface>(*ui, *model);
    }
    void closeEditor() override { editor.reset(); }
    std::unique_ptr<GenericPluginInterface> editor;
    ScriptedHost host;
};

TEST_F(CommandTest, ASizeChangeAsksTheHostAndARefusalKeepsTheRootWithOneHint) {
    struct Case {
        bool attached;
        bool agrees;
        float width;
        int hints;
    } cases[] = {{true, true, 1000.0f, 0}, {true, false, 926.0f, 1}, {false, false, 926.0f, 1}};
    for (const Case& c : cases) {
        editor.reset();
        ui->root().setSize(926.0f, 514.0f);
        model->getSettings()->layoutIndex.setValue(0);
        editor = std::make_unique<GenericPluginInterface>(*ui, *model);
        host.asked.clear();
        host.agrees = c.agrees;
        editor->setInterfaceListener(c.attached ? &host : nullptr);
        model->getSettings()->layoutIndex.setValue(1);
        editor->applyInterfaceSize();
        EXPECT_EQ(ui->root().width.getValue(), c.width);
        EXPECT_EQ(host.asked.size(), c.attached ? 1u : 0u);
        EXPECT_EQ(editor->hint().shownCount(), c.hints);
        if (c.hints > 0) {
            EXPECT_TRUE(editor->hint().isSticky());
            EXPECT_EQ(editor->hint().text().rfind("Your host cannot dynamically resize", 0), 0u);
        }
    }
}

TEST_F(CommandTest, ASizeChangeTheEditorDidNotMakeSnapsBackWithoutAskingTheHost) {
    editor->setInterfaceListener(&host);
    ui->root().setSize(950.0f, 530.0f);
    EXPECT_EQ(ui->root().width.getValue(), 926.0f);
    EXPECT_EQ(ui->root().height.getValue(), 514.0f);
    EXPECT_TRUE(host.asked.empty());
    editor->setFreeSize(true);
    ui->root().setSize(950.0f, 530.0f);
    EXPECT_EQ(ui->root().width.getValue(), 950.0f);
}

TEST_F(CommandTest, SizeAndPanelCommandsFromAnotherThreadRunOnTheTick) {
    editor->setInterfaceListener(&host);
    model->getSettings()->layoutIndex.setValue(1);
    std::thread other([this] {
        editor->applyInterfaceSize();
        editor->setPanelShown(3, true);
        editor->setPanelShown(16, true);
    });
    other.join();
    EXPECT_TRUE(host.asked.empty());
    EXPECT_EQ(editor->panelMask(), 0u);
    ui->advance(10);
    EXPECT_EQ(host.asked.size(), 1u);
    EXPECT_EQ(ui->root().width.getValue(), 1000.0f);
    EXPECT_EQ(editor->panelMask(), 8u);
    editor->pluginChanged(GenericPluginInterface::kSetPanelShown, 6);
    editor->pluginChanged(GenericPluginInterface::kSetPanelShown, 40);
    editor->pluginChanged(GenericPluginInterface::kSetPanelShown, -2);
    editor->pluginChanged(-77, 0);
    ui->advance(10);
    EXPECT_EQ(editor->panelMask(), 0u);
}

// Each code reaches its handler once on the next drain; unknown codes reach
// none.
TEST_F(CommandTest, EveryCodeRunsItsCommand) {
    struct Recording : GenericPluginInterface {
        using GenericPluginInterface::GenericPluginInterface;
        void productCommand(int32_t code, int32_t argument) override {
            log.push_back("product " + std::to_string(code) + " " + std::to_string(argument));
        }
        void startupDone() override { log.push_back("startup"); }
        void openHelpDocument() override { log.push_back("help"); }
        void openWebAddress() override { log.push_back("web"); }
        void midiLearnReceived(int32_t controller) override {
            log.push_back("learned " + std::to_string(controller));
        }
        void midiControllerMapChanged() override { log.push_back("map"); }
        void updatePresetDisplay() override { log.push_back("preset display"); }
        bool hasLearnOverlay() override { return true; }
        void refreshLearnOverlay() override { log.push_back("overlay"); }
        std::vector<std::string> log;
    };
    editor.reset();
    auto recording = std::make_unique<Recording>(*ui, *model);
    recording->parametersChangedEvent.addHandler(
        NotifyEvent::bind([&] { recording->log.push_back("parameters"); }));
    recording->customSettingsEvent.addHandler(NotifyEvent::bind([&] { recording->log.push_back("custom"); }));
    GenericPlugin::getSharedSettings()->welcomeHintShown.setValue(false);
    const struct {
        int32_t code;
        int32_t argument;
        std::vector<std::string> log;
        int undoSteps;
    } cases[] = {
        {-4, 0, {"overlay"}, 0},
        {-3, 0, {"startup"}, 0},
        {-2, 0, {"help"}, 0},
        {-1, 0, {"web"}, 0},
        {-128, 0, {}, 1},
        {-1024, 7, {"product -1024 7"}, 0},
        {-1026, 0, {"preset display"}, 0},
        {-1027, 12, {"learned 12"}, 0},
        {-1028, 0, {"product -1028 0"}, 0},
        {-1029, 0, {"map"}, 0},
        {-1030, 0, {"parameters"}, 0},
        {-1031, 0, {"product -1031 0"}, 0},
        {-1032, 0, {"custom"}, 0},
        {-1033, 3, {"product -1033 3"}, 0},
        {-7, 0, {}, 0},
        {-127, 0, {}, 0},
        {-1034, 0, {}, 0},
        {-1023, 0, {}, 0},
        {5, 0, {}, 0},
    };
    for (const auto& c : cases) {
        recording->log.clear();
        const int32_t undo = model->getUndoHistory()->getUndoCount();
        recording->pluginChanged(c.code, c.argument);
        EXPECT_TRUE(recording->log.empty()) << c.code; // not before the drain
        ui->advance(10);
        // -128's step refreshes the history buttons, nothing else.
        EXPECT_EQ(recording->log, c.log) << c.code;
        EXPECT_EQ(model->getUndoHistory()->getUndoCount() - undo, c.undoSteps) << c.code;
    }
    recording.reset();
}

TEST_F(CommandTest, ThePresetStepButtonsLoadTheNeighboursInTheMainFolder) {
    PresetManager* presets = model->getPresetManager(-1);
    ASSERT_NE(presets, nullptr);
    const std::string folder = presets->getPath();
    for (const char* name : {"A", "B", "C"}) {
        model->unit.setValue(name[0] == 'A' ? 0.1f : name[0] == 'B' ? 0.2f : 0.3f, 0);
        ASSERT_TRUE(editor->savePresetFile(folder + name + ".ztp"));
    }
    presets->refresh(folder);
    auto* previous = new gui::Button(*ui, nullptr);
    auto* next = new gui::Button(*ui, nullptr);
    previous->parent.setValue(&ui->root());
    next->parent.setValue(&ui->root());
    editor->standardButtons().setStandardButton(static_cast<int32_t>(StandardButtonKind::kPreviousPreset),
                                                previous);
    editor->standardButtons().setStandardButton(static_cast<int32_t>(StandardButtonKind::kNextPreset), next);
    ASSERT_TRUE(editor->loadPresetFile(folder + "B.ztp"));
    ui->advance(10);
    const int32_t undo = model->getUndoHistory()->getUndoCount();
    const struct {
        gui::Button* button;
        float unit;
    } steps[] = {{next, 0.3f}, {next, 0.1f}, {previous, 0.3f}, {previous, 0.2f}};
    for (const auto& step : steps) {
        step.button->clickEvent.notify(step.button);
        ui->advance(10);
        EXPECT_FLOAT_EQ(model->unit.getValue(), step.unit);
    }
    // One undo step per load.
    EXPECT_EQ(model->getUndoHistory()->getUndoCount(), std::min<int32_t>(undo + 4, 99));
}

TEST_F(CommandTest, ThePanelMaskIsStoredAsInterfacePanels) {
    RegistryReader reader(RegistryRoot::kCurrentUser, keyPath());
    editor->setPanelShown(3, true);
    editor->setPanelShown(0, true);
    EXPECT_EQ(model->getSettings()->interfacePanels.getValue(), 9);
    EXPECT_EQ(reader.serializeInt("InterfacePanels", -1, -1), 9);
    editor->setPanelShown(3, false);
    EXPECT_EQ(reader.serializeInt("InterfacePanels", -1, -1), 1);

    // What a later start reads back from the registry.
    RegistryWriter writer(RegistryRoot::kCurrentUser, keyPath());
    const struct {
        const char* what;
        std::function<void()> store;
        int32_t read;
    } cases[] = {
        {"a mask", [&] { writer.serializeInt("InterfacePanels", 0x0102, 0); }, 0x0102},
        {"above 16 bits", [&] { writer.serializeInt("InterfacePanels", 0x12345, 0); }, 0xFFFF},
        {"above 0x7FFFFFFF", [&] { writer.serializeInt("InterfacePanels", INT32_MIN, 0); }, 0},
        {"another type keeps the value", [&] { writer.serializeString("InterfacePanels", "7", ""); }, 0},
    };
    for (const auto& c : cases) {
        c.store();
        model->getSettings()->serialize(reader);
        EXPECT_EQ(model->getSettings()->interfacePanels.getValue(), c.read) << c.what;
        EXPECT_EQ(editor->panelMask(), static_cast<uint32_t>(c.read)) << c.what;
    }
}

TEST_F(CommandTest, AChangedInterfaceDefaultWritesTheDefaultsFile) {
    const std::string file = GenericPlugin::getProductFolder() + GenericPlugin::kInterfaceDefaultsFile;
    auto* zoom = new gui::ValueControl(*ui);
    zoom->parent.setValue(&ui->root());
    editor->linkControl(&model->zoom, zoom);
    auto* unit = new gui::ValueControl(*ui);
    unit->parent.setValue(&ui->root());
    editor->linkControl(&model->unit, unit);
    unit->performGesture(gui::kGestureBegin, 0);
    unit->performGesture(gui::kGestureChange, 100);
    unit->performGesture(gui::kGestureEnd, 0);
    EXPECT_FALSE(fileExists(file));
    zoom->performGesture(gui::kGestureBegin, 0);
    zoom->performGesture(gui::kGestureChange, 100);
    zoom->performGesture(gui::kGestureEnd, 0);
    EXPECT_TRUE(fileExists(file));
}

TEST_F(CommandTest, MonitorDefaultScale) {
    struct Case {
        float monitorWidth;
        float scale;
        int32_t start;
        int32_t index;
    } cases[] = {{1024, 1.0f, 0, 0}, {1920, 1.0f, 0, 1},   {3840, 1.5f, 2, 6},
                 {1024, 1.0f, 7, 7}, {100000, 1.0f, 0, 7}, {1024, 1.0f, 12, 7}};
    for (const Case& c : cases)
        EXPECT_EQ(
            GenericPluginInterface::monitorDefaultScaleIndex(c.monitorWidth / c.scale, c.scale, c.start),
            c.index)
            << c.monitorWidth << " at " << c.scale;
    editor->updateMonitorDefaultScale();
    EXPECT_EQ(ui->deviceBacking().getDefaultIndex(), 0);
}

TEST_F(CommandTest, AScalingChoiceIsStoredForTheMonitorAndReadByTheNextEditor) {
    editor->setInterfaceListener(&host);
    editor->chooseScaling(2);
    EXPECT_FLOAT_EQ(ui->deviceBacking().getScale(), 1.5f);
    EXPECT_EQ(model->getSettings()->scalingAdjustments.getValue(), "100:150");
    RegistryReader reader(RegistryRoot::kCurrentUser, keyPath());
    EXPECT_EQ(reader.readString("ScalingAdjustments"), "100:150");
    // The host is asked for the scaled size.
    EXPECT_FALSE(host.asked.empty());
    editor->chooseScaling(8);
    EXPECT_EQ(model->getSettings()->scalingAdjustments.getValue(), "100:150");
    editor.reset();
    ui.reset();
    ui = std::make_unique<gui::headless::HeadlessInterface>(926.0f, 514.0f, 1000);
    editor = std::make_unique<GenericPluginInterface>(*ui, *model);
    EXPECT_FLOAT_EQ(ui->deviceBacking().getScale(), 1.5f);
}

TEST_F(CommandTest, TheWelcomeHintShowsOnceAfterStartUp) {
    GenericPlugin::getSharedSettings()->welcomeHintShown.setValue(true);
    editor->pluginChanged(GenericPluginInterface::kStartupDone, 0);
    ui->advance(10);
    EXPECT_TRUE(editor->hint().isSticky());
    EXPECT_EQ(editor->hint().text().find("$plugin"), std::string::npos);
    EXPECT_EQ(editor->hint().text().rfind("Welcome to Zentor " + model->getProductDisplayName() + "!", 0),
              0u);
    EXPECT_FALSE(GenericPlugin::getSharedSettings()->welcomeHintShown.getValue());
    editor->hint().clear();
    editor->pluginChanged(GenericPluginInterface::kStartupDone, 0);
    ui->advance(10);
    EXPECT_EQ(editor->hint().shownCount(), 1);
}

} // namespace

namespace {

class SetupInterface : public GenericPluginInterface {
public:
    using GenericPluginInterface::GenericPluginInterface;
    void refreshAll() override {
        steps.push_back("refresh");
        GenericPluginInterface::refreshAll();
    }
    gui::Control* overlayControl() override { return overlay; }
    void setupInterface() override {
        steps.push_back(std::string("setup") + (isBuilt() ? " built" : ""));
        // A hint left over from the product's setup is cleared afterwards.
        showHelpHintText("left over", HelpHint::kAlways);
    }
    std::vector<std::string> steps;
    gui::Control* overlay = nullptr;
};

class SetupTest : public test::EditorTest {
protected:
    void closeEditor() override { editor.reset(); }
    std::unique_ptr<SetupInterface> editor;
};

TEST_F(SetupTest, CompleteSetupRunsItsStepsInOrder) {
    editor = std::make_unique<SetupInterface>(*ui, *model);
    editor->overlay = new gui::Control(*ui);
    editor->overlay->parent.setValue(&ui->root());
    (new gui::Control(*ui))->parent.setValue(&ui->root());
    editor->parametersChangedEvent.addHandler(
        NotifyEvent::bind([this] { editor->steps.push_back("parameters"); }));
    GenericPlugin::getSharedSettings()->welcomeHintShown.setValue(false);
    editor->completeSetup();
    EXPECT_EQ(editor->steps, (std::vector<std::string>{"refresh", "parameters", "setup built"}));
    EXPECT_EQ(ui->root().children().back(), editor->overlay);
    EXPECT_FALSE(editor->hint().isShown());
    EXPECT_EQ(editor->hint().text(), "");

    GenericPlugin::getSharedSettings()->welcomeHintShown.setValue(true);
    editor->completeSetup();
    EXPECT_TRUE(editor->hint().isSticky());
    EXPECT_FALSE(GenericPlugin::getSharedSettings()->welcomeHintShown.getValue());
}

TEST_F(SetupTest, ThePresetDisplayShowsTheNameAndDimsWhileModified) {
    editor = std::make_unique<SetupInterface>(*ui, *model);
    auto* display = new gui::Button(*ui, nullptr);
    display->parent.setValue(&ui->root());
    editor->setPresetDisplayColor(gui::Color(10, 20, 30, 200));
    model->setCurrentPresetName("Tape Echo", GenericPlugin::kWholeName);
    model->setPresetModified(false);
    editor->standardButtons().setStandardButton(static_cast<int32_t>(StandardButtonKind::kPresetName),
                                                display);
    gui::Text* line = display->textLine(0);
    EXPECT_EQ(line->text.getValue(), "Tape Echo");
    EXPECT_EQ(line->color.getValue(), gui::Color(10, 20, 30, 200));
    model->setPresetModified(true);
    editor->pluginChanged(GenericPlugin::kCurrentPresetChanged, 0);
    ui->advance(10);
    // (200 x 160 + 128) / 255, rounded.
    EXPECT_EQ(line->color.getValue(), gui::Color(10, 20, 30, 125));
    // Nothing is written when nothing changed.
    line->text.setValue("Touched");
    editor->updatePresetDisplay();
    EXPECT_EQ(line->text.getValue(), "Touched");
}

} // namespace

namespace {

class OverlayInterface : public GenericPluginInterface {
public:
    using GenericPluginInterface::GenericPluginInterface;
    bool hasLearnOverlay() override { return overlay; }
    void refreshLearnOverlay() override { ++refreshes; }
    bool overlay = false;
    int refreshes = 0;
};

class OverlayTest : public test::EditorTest {
protected:
    void closeEditor() override { editor.reset(); }
    std::unique_ptr<OverlayInterface> editor;
};

TEST_F(OverlayTest, LinkChangesRefreshTheLearnOverlayOncePerDrainAndOnlyWithOne) {
    editor = std::make_unique<OverlayInterface>(*ui, *model);
    gui::ValueControl* a = control();
    editor->linkControl(&model->unit, a);
    ui->advance(10);
    EXPECT_EQ(editor->refreshes, 0);
    editor->overlay = true;
    editor->linkControl(&model->unit, nullptr);
    editor->linkControl(&model->level, a);
    ui->advance(10);
    EXPECT_EQ(editor->refreshes, 1);
    // A refresh that arrives after the overlay went only clears its flag.
    editor->linkControl(&model->level, nullptr);
    editor->overlay = false;
    ui->advance(10);
    EXPECT_EQ(editor->refreshes, 1);
    editor->overlay = true;
    editor->linkControl(&model->level, a);
    ui->advance(10);
    EXPECT_EQ(editor->refreshes, 2);
}

} // namespace
