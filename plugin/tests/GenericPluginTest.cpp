#include "plugin/GenericPlugin.h"
#include "plugin/tests/FileBytes.h"

#include "foundation/BinaryData.h"
#include "foundation/Files.h"
#include "foundation/Registry.h"
#include "foundation/VersionInfo.h"
#include "foundation/tests/AllocationCounter.h"
#include "plugin/GenericPluginSettings.h"
#include "plugin/PresetCache.h"
#include "plugin/PresetLoader.h"
#include "plugin/tests/TestPlugin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <sstream>
#include <thread>

namespace {

using test::PluginRig;
using test::PluginTest;
using test::RecordingListener;
using test::TestPlugin;

using test::str;
using test::u32;

std::string hostState(GenericPlugin& plugin) {
    std::ostringstream stream(std::ios::out | std::ios::binary);
    EXPECT_TRUE(plugin.writeHostState(stream));
    return stream.str();
}

bool readHostState(GenericPlugin& plugin, const std::string& bytes) {
    std::istringstream stream(bytes, std::ios::in | std::ios::binary);
    return plugin.readHostState(stream);
}

// What a test can observe of the model's state.
std::string observe(TestPlugin& plugin) {
    std::string text = plugin.getCurrentPreset().getName() + "|" + plugin.getCurrentPreset().getPath() + "|" +
                       (plugin.getCurrentPreset().isModified() ? "m" : "-") + "|" + plugin.getInstanceName() +
                       "|" + (plugin.isAutomaticName() ? "a" : "u") + "|" +
                       std::to_string(plugin.getStoredInstanceIndex()) + "|" +
                       std::to_string(plugin.getPerTrackIndex()) + "|";
    for (const auto& [key, value] : plugin.getSettingsMap())
        text += key + "=" + value + ";";
    return text;
}

class GenericPluginTest : public PluginTest {};

TEST_F(GenericPluginTest, FreshInstanceWritesTheDocumentedHostChunk) {
    auto plugin = makePlugin();
    const std::string expected = "TsPl" + u32(3) + str("") + u32(0xFFFFFFFF) + u32(1) + str("") + u32(0) +
                                 "CuSV" + u32(1) + u32(1) + str("_PerTrackIndex") + str("-1");
    EXPECT_EQ(hostState(*plugin), expected);
}

TEST_F(GenericPluginTest, HostChunkRoundTripRestoresEverythingAndClaimsFreeIndices) {
    auto source = makePlugin();
    source->setInstanceName("Lead Echo");
    source->setCustomSetting("Colour", "dark blue");
    source->setPerTrackIndex(7);
    source->setCurrentPresetName("Warm Tape", -1);
    source->gain.setValue(0.75f, 0); // marks the preset modified
    ASSERT_EQ(source->getInstanceIndex(), 0u);
    const std::string chunk = hostState(*source);

    // Another instance of the process holds index 0: the claim is refused.
    auto target = makePlugin();
    ASSERT_TRUE(readHostState(*target, chunk));
    EXPECT_EQ(target->getCurrentPreset().getName(), "Warm Tape");
    EXPECT_TRUE(target->getCurrentPreset().isModified());
    EXPECT_EQ(target->getInstanceName(), "Lead Echo");
    EXPECT_FALSE(target->isAutomaticName());
    EXPECT_EQ(target->getSettingsMap().at("Colour"), "dark blue");
    EXPECT_EQ(target->getSettingsMap().count("_PerTrackIndex"), 0u);
    EXPECT_EQ(target->getPerTrackIndex(), 7u);
    EXPECT_EQ(target->getStoredInstanceIndex(), GenericPlugin::kNoIndex);

    // Once the holder is gone the index is free again.
    source.reset();
    auto third = makePlugin();
    ASSERT_TRUE(readHostState(*third, chunk));
    EXPECT_EQ(third->getStoredInstanceIndex(), 0u);
    EXPECT_EQ(target->getInstanceIndex(), 1u);
}

TEST_F(GenericPluginTest, OlderChunksAndOddPerTrackValues) {
    auto plugin = makePlugin();
    plugin->setCustomSetting("Keep", "no");
    plugin->setPresetModified(true);
    // Version 1: no modified flag, no settings block.
    ASSERT_TRUE(readHostState(*plugin, "TsPl" + u32(1) + str("Old") + u32(0xFFFFFFFF) + u32(1) + str("")));
    EXPECT_TRUE(plugin->getSettingsMap().empty());
    EXPECT_TRUE(plugin->getCurrentPreset().isModified());

    const struct {
        std::string text;
        uint32_t index;
    } cases[] = {
        {"abc", 0xFFFFFFFF}, {"12abc", 12}, {"-1", 0xFFFFFFFF}, {" 5", 5}, {"99999999999", 0xFFFFFFFF}};
    for (const auto& c : cases) {
        const std::string chunk = "TsPl" + u32(3) + str("") + u32(0xFFFFFFFF) + u32(1) + str("") + u32(0) +
                                  "CuSV" + u32(1) + u32(1) + str("_PerTrackIndex") + str(c.text);
        ASSERT_TRUE(readHostState(*plugin, chunk)) << c.text;
        EXPECT_EQ(plugin->getPerTrackIndex(), c.index) << c.text;
    }
}

TEST_F(GenericPluginTest, HostileChunksChangeNothing) {
    auto plugin = makePlugin();
    plugin->setCustomSetting("Keep", "yes");
    plugin->setCurrentPresetName("Before", -1);
    plugin->setPerTrackIndex(3);
    const std::string before = observe(*plugin);
    RecordingListener listener;
    plugin->setInterface(&listener);

    const std::string good = "TsPl" + u32(3) + str("After") + u32(5) + u32(0) + str("Name") + u32(1) +
                             "CuSV" + u32(1) + u32(2) + str("A") + str("1") + str("_PerTrackIndex") +
                             str("9");
    // Every truncation inside the fixed fields or the block fails; a chunk
    // that ends before a whole block tag simply has no block.
    const size_t blockStart = good.find("CuSV");
    for (size_t cut = 0; cut < good.size(); ++cut) {
        if (cut >= blockStart && cut < blockStart + 4) continue;
        EXPECT_FALSE(readHostState(*plugin, good.substr(0, cut))) << cut;
        EXPECT_EQ(observe(*plugin), before) << cut;
    }
    const std::string hostile[] = {
        "XXXX" + good.substr(4),
        "TsPl" + u32(3) + str("x") + u32(5) + u32(0) + str("Name") + u32(1) + "CuSV" + u32(1) +
            u32(0x80000000),
        "TsPl" + u32(3) + str("x") + u32(5) + u32(0) + str("Name") + u32(1) + "CuSV" + u32(1) +
            u32(0x7FFFFFFF),
        "TsPl" + u32(3) + u32(0xFFFFFFF0) + "x",
    };
    for (const std::string& bytes : hostile) {
        EXPECT_FALSE(readHostState(*plugin, bytes));
        EXPECT_EQ(observe(*plugin), before);
    }
    EXPECT_EQ(listener.count(GenericPlugin::kCustomSettingsChanged), 0);
    plugin->setInterface(nullptr);

    ASSERT_TRUE(readHostState(*plugin, good));
    EXPECT_EQ(plugin->getSettingsMap().size(), 1u);
    EXPECT_EQ(plugin->getPerTrackIndex(), 9u);
    // A claim of 0x7FFFFFFF or more is refused: the next index could not follow.
    ASSERT_TRUE(
        readHostState(*plugin, "TsPl" + u32(2) + str("") + u32(0x7FFFFFFF) + u32(1) + str("") + u32(0)));
    EXPECT_EQ(plugin->getStoredInstanceIndex(), 5u);
}

TEST_F(GenericPluginTest, EditorBatchReportsOnceAndHostChangesNotAtAll) {
    PluginRig rig(name_);
    TestPlugin& model = *rig.model;
    RecordingListener listener;
    model.setInterface(&listener);

    model.gain.setValue(0.1f, 0);
    EXPECT_EQ(rig.host.reports, (std::vector<int32_t>{0}));
    rig.host.reports.clear();

    model.beginUpdate();
    model.gain.setValue(0.2f, 0);
    model.pan.setValue(0.3f, 0);
    EXPECT_TRUE(rig.host.reports.empty());
    model.endUpdate();
    EXPECT_EQ(rig.host.reports, (std::vector<int32_t>{GenericPlugin::kResyncAll}));
    EXPECT_EQ(listener.calls.back(), std::make_pair(int32_t(GenericPlugin::kParameterChanged), -1));

    rig.host.reports.clear();
    listener.clear();
    model.beginUpdate();
    model.gain.setValue(0.4f, kParameterChangeNotToHost);
    model.requestLightReset();
    model.endUpdate();
    EXPECT_TRUE(rig.host.reports.empty());
    EXPECT_EQ(listener.count(GenericPlugin::kParameterChanged), 1);

    // A light reset requested in a reported batch travels with the report.
    model.beginUpdate();
    model.gain.setValue(0.5f, 0);
    model.requestLightReset();
    model.endUpdate();
    EXPECT_EQ(rig.host.reports, (std::vector<int32_t>{GenericPlugin::kResyncLightReset}));
    model.setInterface(nullptr);
}

TEST_F(GenericPluginTest, BatchClosedOnAnotherThreadResyncsThroughTheQueue) {
    PluginRig rig(name_);
    TestPlugin& model = *rig.model;
    std::thread editor([&] {
        model.beginUpdate();
        model.gain.setValue(0.9f, 0);
        model.endUpdate();
        model.pan.setValue(0.6f, 0);
    });
    editor.join();
    EXPECT_TRUE(rig.host.reports.empty());
    rig.host.sent.clear();
    model.getEventQueue()->deliverPending();
    EXPECT_EQ(rig.host.reports, (std::vector<int32_t>{GenericPlugin::kResyncAll, 1}));
    // The resync reached the host with every value.
    EXPECT_GE(rig.host.sent.size(), 2u);
    EXPECT_FLOAT_EQ(rig.processor->gain.getValue(), 0.9f);
}

TEST_F(GenericPluginTest, HostAutomationOnTheAudioThreadAllocatesNothing) {
    PluginRig rig(name_);
    RecordingListener listener;
    listener.calls.reserve(64);
    rig.model->setInterface(&listener);
    rig.model->beginUpdate();
    rig.model->endUpdate();
    test::AllocationCounter counter;
    for (int i = 0; i < 16; ++i) {
        rig.model->gain.setValue(0.01f * i, kParameterChangeNotToHost);
        rig.model->beginUpdate();
        rig.model->pan.setValue(0.02f * i, kParameterChangeNotToHost);
        rig.model->endUpdate();
    }
    rig.host.processorParameterChanged(0);
    rig.host.midiControllerSeen(12);
    rig.host.programChange(0, 1);
    EXPECT_EQ(counter.allocations(), 0u);
    rig.model->setInterface(nullptr);
}

TEST_F(GenericPluginTest, AutomaticNamesCountUpAndUserNamesStay) {
    auto first = makePlugin();
    auto second = makePlugin();
    auto third = makePlugin();
    first->setInstanceName("");
    second->setInstanceName("");
    third->setInstanceName("");
    EXPECT_EQ(first->getInstanceName(), name_);
    EXPECT_EQ(second->getInstanceName(), name_ + " (2)");
    EXPECT_EQ(third->getInstanceName(), name_ + " (3)");

    second->setInstanceName("Mine");
    EXPECT_EQ(second->getInstanceName(), "Mine");
    EXPECT_FALSE(second->isAutomaticName());
    auto fourth = makePlugin();
    fourth->setInstanceName("");
    EXPECT_EQ(fourth->getInstanceName(), name_ + " (2)");
}

TEST_F(GenericPluginTest, SharedObjectsLiveFromFirstToLastInstance) {
    {
        auto first = makePlugin();
        auto second = makePlugin();
        EXPECT_EQ(GenericPlugin::getInstanceCount(), 2);
        ASSERT_NE(GenericPlugin::getControllerMapping(), nullptr);
        GenericPlugin::getControllerMapping()->assign(5, 1);
        EXPECT_EQ(first->getInstanceIndex(), 0u);
        EXPECT_EQ(second->getInstanceIndex(), 1u);
        first.reset();
        EXPECT_NE(GenericPlugin::getControllerMapping(), nullptr);
    }
    EXPECT_EQ(GenericPlugin::getInstanceCount(), 0);
    EXPECT_EQ(GenericPlugin::getControllerMapping(), nullptr);
    EXPECT_EQ(GenericPlugin::getInstanceList(), nullptr);
    const std::string map = readFileToString(makerFolder() + "\\" + GenericPlugin::kMidiMapFile);
    ASSERT_EQ(map.size(), 520u);
    EXPECT_EQ(map.substr(0, 4), "ZTCM");

    auto again = makePlugin();
    EXPECT_EQ(again->getInstanceIndex(), 0u);
    EXPECT_EQ(GenericPlugin::getControllerMapping()->getParameter(5), 1u);
}

TEST_F(GenericPluginTest, ProgramChangeLoadsFromTheFlatList) {
    // 140 presets: bank 1, program 5 is the 134th (P133).
    createDirectories(presetFolder());
    for (int i = 0; i < 140; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "P%03d.ztp", i);
        const float value = static_cast<float>(i) / 1000.0f;
        std::string bytes = "TsPl" + u32(1) + u32(2);
        uint32_t word = 0;
        std::memcpy(&word, &value, 4);
        bytes += u32(word) + u32(0);
        ASSERT_TRUE(test::writeWholeFile(presetFolder() + name, bytes));
    }
    PluginRig rig(name_);
    std::vector<PresetCacheEntry*> list;
    rig.model->getPresetManager(-1)->collectEntries(list);
    ASSERT_GT(list.size(), 134u);
    const std::string expected = list[133]->name;
    GenericPlugin::getSharedSettings()->midiProgramChangesEnabled.setValue(true);
    rig.host.programChange(1, 5);
    rig.model->getEventQueue()->deliverPending();
    EXPECT_EQ(rig.model->getCurrentPreset().getName(), expected);
    ASSERT_EQ(expected[0], 'P');
    EXPECT_FLOAT_EQ(rig.model->gain.getValue(), std::stoi(expected.substr(1)) / 1000.0f);
    EXPECT_FALSE(rig.model->getCurrentPreset().isModified());
    EXPECT_EQ(rig.host.states, (std::vector<int32_t>{0}));

    rig.model->handleProgramChange(1, 100); // past the end
    EXPECT_EQ(rig.model->getCurrentPreset().getName(), expected);

    GenericPlugin::getSharedSettings()->midiProgramChangesEnabled.setValue(false);
    rig.host.programChange(0, 0);
    EXPECT_EQ(rig.model->getEventQueue()->deliverPending(), 0u);
}

TEST_F(GenericPluginTest, SettingsParametersSurvivePresetLoads) {
    auto plugin = makePlugin({0, false, true});
    const std::string path = folder_ / "Three.ztp";
    std::string bytes = "TsPl" + u32(1) + u32(3) + u32(0x3F000000) + u32(0x3F000000) + u32(0x3F800000);
    ASSERT_TRUE(test::writeWholeFile(path, bytes));
    plugin->zoom->setValue(0.125f, 0);
    ErrorResult result;
    plugin->loadPreset(result, PresetCacheEntry(path));
    EXPECT_FALSE(result.hasError()) << result.getErrorMessage();
    EXPECT_FLOAT_EQ(plugin->pan.getValue(), 0.5f);
    EXPECT_FLOAT_EQ(plugin->zoom->getValue(), 0.125f);
    EXPECT_EQ(plugin->getCurrentPreset().getName(), "Three");
    EXPECT_EQ(plugin->getCurrentPreset().getPath(), path);
}

TEST_F(GenericPluginTest, StateComparisonLooksAtPresetAndName) {
    auto plugin = makePlugin();
    plugin->setCurrentPresetName("Keep", -1);
    auto state = [&] {
        std::ostringstream stream(std::ios::out | std::ios::binary);
        plugin->writeParameterState(stream);
        plugin->writeHostState(stream);
        return stream.str();
    };
    auto unchanged = [&](const std::string& bytes) {
        std::istringstream stream(bytes, std::ios::in | std::ios::binary);
        return plugin->isStateUnchanged(stream);
    };
    const std::string saved = state();
    EXPECT_TRUE(unchanged(saved));
    plugin->getInstanceIndex(); // the index is not compared
    EXPECT_TRUE(unchanged(saved));
    plugin->gain.setValue(0.1f, 0);
    EXPECT_FALSE(unchanged(saved));
    plugin->gain.setValue(0.5f, 0);
    plugin->setPresetModified(false);
    EXPECT_TRUE(unchanged(saved));
    plugin->setCurrentPresetName("Other", -1);
    EXPECT_FALSE(unchanged(saved));
    EXPECT_FALSE(unchanged(saved.substr(0, 20)));
}

TEST_F(GenericPluginTest, InterfaceDefaultsSaveAndLoad) {
    auto plugin = makePlugin({0, false, true});
    plugin->zoom->setValue(0.75f, 0);
    const std::string path = makerFolder() + "\\" + GenericPlugin::kInterfaceDefaultsFile;
    ASSERT_TRUE(plugin->getSettingsCollection().savePreset(path, 1));
    EXPECT_EQ(readFileToString(path), "TsPl" + u32(1) + u32(1) + u32(0x3F400000));
    plugin->zoom->setValue(0.0f, 0);
    plugin->loadDefaultSettings();
    EXPECT_FLOAT_EQ(plugin->zoom->getValue(), 0.75f);

    // Loading presets may take the defaults instead of the kept values.
    const std::string preset = folder_ / "P.ztp";
    ASSERT_TRUE(test::writeWholeFile(preset, "TsPl" + u32(1) + u32(3) + u32(0) + u32(0) + u32(0x3F800000)));
    plugin->zoom->setValue(0.25f, 0);
    plugin->setLoadDefaultSettingsFlag(true);
    ErrorResult result;
    plugin->loadPreset(result, PresetCacheEntry(preset));
    EXPECT_FLOAT_EQ(plugin->zoom->getValue(), 0.75f);
}

TEST_F(GenericPluginTest, FirstStartRestoresFactoryPresets) {
    auto plugin = makePlugin();
    PresetManager* manager = plugin->getPresetManager(-1);
    ASSERT_NE(manager->findPresetByName("Init", PresetManager::kOwnTree), nullptr);
    ASSERT_NE(manager->findPresetByName("Wide", PresetManager::kOwnTree), nullptr);
    EXPECT_EQ(manager->getSubfolders().at(0)->getName(), "Basics");
    EXPECT_TRUE(fileExists(makerFolder() + "\\ReadMe.txt"));
    ErrorResult result;
    plugin->loadPreset(result, *manager->findPresetByName("Wide", PresetManager::kOwnTree));
    EXPECT_FALSE(result.hasError()) << result.getErrorMessage();
    EXPECT_FLOAT_EQ(plugin->pan.getValue(), 1.0f);
}

TEST_F(GenericPluginTest, CatalogueCacheBelongsToTheFirstInstanceWithItsFlag) {
    {
        auto plugin = makePlugin();
        EXPECT_EQ(GenericPlugin::getPresetCache(), nullptr);
    }
    {
        auto plugin = makePlugin({GenericPluginInfo::kFlagPresetCatalogueCache});
        PresetCache* cache = GenericPlugin::getPresetCache();
        ASSERT_NE(cache, nullptr);
        cache->waitForWorker();
        EXPECT_EQ(cache->getEntries().size(), 2u); // the factory presets
    }
    EXPECT_EQ(GenericPlugin::getPresetCache(), nullptr);
    EXPECT_EQ(readFileToString(makerFolder() + "\\PresetCache.dat").substr(0, 4), "ztPC");
}

TEST_F(GenericPluginTest, StartUpScansShareOneDeadline) {
    createDirectories(presetFolder());
    for (int i = 0; i < 40; ++i) {
        createDirectories(presetFolder() + "F" + std::to_string(100 + i));
        ASSERT_TRUE(test::writeWholeFile(presetFolder() + "F" + std::to_string(100 + i) + "\\p.ztp", "TsPl"));
    }
    // The registry points at another folder: the start scans twice.
    const std::string other = folder_ / "Other";
    for (int i = 0; i < 40; ++i) {
        createDirectories(other + "\\G" + std::to_string(100 + i));
        ASSERT_TRUE(test::writeWholeFile(other + "\\G" + std::to_string(100 + i) + "\\p.ztp", "TsPl"));
    }
    ASSERT_TRUE(writeRegistryString(RegistryRoot::kCurrentUser, keyPath(), "PresetFolder", other));
    std::atomic<uint32_t> now{0};
    PresetScanBudget::setClock([&] { return now.fetch_add(100); });
    auto plugin = makePlugin();
    PresetScanBudget::setClock(nullptr);
    std::vector<PresetCacheEntry*> list;
    plugin->getPresetManager(-1)->collectEntries(list);
    // 40 folders at 100 ms per look at the clock would take 4 s each.
    EXPECT_LT(list.size(), 40u);
    EXPECT_EQ(plugin->getPresetManager(-1)->getPath(), other + "\\");
}

TEST_F(GenericPluginTest, Version1FolderIsAddedOnlyWhenItIsAnotherFolder) {
    auto plugin = makePlugin();
    // Major version 1: the version-1 key is the product's own.
    const std::string own = GenericPlugin::getVersionInfo()->getProductKeyPath(1);
    ASSERT_TRUE(writeRegistryString(RegistryRoot::kCurrentUser, own, "PresetFolder", folder_.path()));
    plugin->addVersion1PresetFolder();
    EXPECT_TRUE(plugin->getPresetManager(-1)->getExtraFolders().empty());
}

TEST_F(GenericPluginTest, AutomationAgainstBatchesPresetLoadsAndEditors) {
    PluginRig rig(name_);
    const std::string path = folder_ / "Stress.ztp";
    ASSERT_TRUE(test::writeWholeFile(path, "TsPl" + u32(1) + u32(2) + u32(0x3F000000) + u32(0x3E800000)));
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        int i = 0;
        while (!stop) {
            rig.model->gain.setValue((i++ % 100) / 100.0f, kParameterChangeNotToHost);
            rig.model->getChangeCounter();
        }
    });
    RecordingListener first;
    RecordingListener second;
    for (int round = 0; round < 50; ++round) {
        rig.model->setInterface(round % 2 == 0 ? &first : &second);
        rig.model->beginUpdate();
        rig.model->pan.setValue(round / 100.0f, 0);
        rig.model->endUpdate();
        ErrorResult result;
        rig.model->loadPreset(result, PresetCacheEntry(path));
        rig.model->getEventQueue()->deliverPending();
    }
    stop = true;
    audio.join();
    rig.model->setInterface(nullptr);
    EXPECT_EQ(rig.model->getBusyCount(), 0u);
    EXPECT_FALSE(rig.model->isUpdating());
}

TEST_F(GenericPluginTest, InstancesMadeNamedAndDestroyedOnTwoThreads) {
    auto anchor = makePlugin();
    auto work = [this] {
        for (int i = 0; i < 20; ++i) {
            auto plugin = makePlugin();
            plugin->setInstanceName("");
            plugin->getInstanceIndex();
            plugin->setInstanceName(i % 2 == 0 ? "User" : "");
        }
    };
    std::thread first(work), second(work);
    first.join();
    second.join();
    EXPECT_EQ(GenericPlugin::getInstanceCount(), 1);
    EXPECT_EQ(GenericPlugin::getInstanceList()->getCount(), 1);
}

} // namespace

namespace {

class RatePlugin : public GenericPlugin {
public:
    int changes = 0;

protected:
    void sampleRateChanged() override { ++changes; }
};

} // namespace

// A new rate re-sizes every history to a quarter second in whole blocks; the
// same rate touches nothing.
TEST(GenericPluginHistory, ANewRateResizesEveryHistoryToAQuarterSecondOfBlocks) {
    RatePlugin plugin;
    GenericPlugin::HistoryBuffer stereo;
    stereo.blockSize = 128;
    stereo.channels = 2;
    GenericPlugin::HistoryBuffer mono;
    mono.blockSize = 100;
    mono.channels = 1;
    plugin.getHistoryBuffers() = {stereo, mono, GenericPlugin::HistoryBuffer{}};

    struct Case {
        float rate;
        int32_t stereoBlocks; // ceil(trunc(rate / 4) / 128)
        int32_t monoBlocks;   // ceil(trunc(rate / 4) / 100)
    };
    int expectedChanges = 0;
    for (const Case& c : {Case{48000.0f, 94, 120}, Case{44100.0f, 87, 111}, Case{8000.0f, 16, 20},
                          Case{12345.678f, 25, 31}}) {
        plugin.getHistoryBuffers()[0].positions = {5, 7};
        EXPECT_TRUE(plugin.changeSampleRate(c.rate)) << c.rate;
        ++expectedChanges;
        const auto& histories = plugin.getHistoryBuffers();
        EXPECT_EQ(histories[0].blocks, c.stereoBlocks) << c.rate;
        EXPECT_EQ(histories[0].samples.size(), size_t(c.stereoBlocks) * 128 * 2) << c.rate;
        EXPECT_EQ(histories[0].positions, (std::array<int32_t, 2>{0, 0}));
        EXPECT_EQ(histories[1].blocks, c.monoBlocks) << c.rate;
        EXPECT_EQ(histories[1].samples.size(), size_t(c.monoBlocks) * 100) << c.rate;
        EXPECT_EQ(histories[2].blocks, 0);
        EXPECT_TRUE(histories[2].samples.empty());
        EXPECT_EQ(plugin.getSampleRate(), c.rate);
        EXPECT_EQ(plugin.changes, expectedChanges);
    }

    // The same rate again changes nothing.
    plugin.getHistoryBuffers()[0].positions = {5, 7};
    EXPECT_FALSE(plugin.changeSampleRate(12345.678f));
    EXPECT_EQ(plugin.getHistoryBuffers()[0].positions, (std::array<int32_t, 2>{5, 7}));
    EXPECT_EQ(plugin.changes, 4);
}
