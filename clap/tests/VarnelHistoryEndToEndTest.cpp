// What a user played before leaves no trace in the built plug-in: after any
// factory preset has played (its modulation moving, its lines filled), a
// state or a preset loaded and then a reset, or a new activation, give
// exactly what a fresh instance holding the same state or preset gives, bit
// for bit, for an impulse and its echoes and then for noise. Runs on the
// Linux .clap natively and on Varnel.clap under Wine.

#include "clap/ClapAbi.h"
#include "foundation/Registry.h"
#include "foundation/VersionInfo.h"
#include "foundation/tests/TestFiles.h"
#include "tools/testhost/ClapModule.h"
#include "tools/testhost/HostedPlugin.h"
#include "tools/testhost/PresetIndexer.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <list>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#ifndef VARNEL_PLUGIN_MODULE
#define VARNEL_PLUGIN_MODULE ""
#endif

namespace {

constexpr double kRate = 48000.0;
constexpr uint32_t kBlock = 512;
// How long the history plays noise, taken in turn from row to row so that
// every preset is played for each: one block (its modulation has just begun
// to move), a quarter of a second (the lines fill, the envelope follower
// opens) and 1.25 s (the XLFOs have swung a good part of their cycle).
constexpr uint32_t kHistoryBlocks[] = {1, 24, 117};
// The answer compared: a unit impulse and 1.5 s of its echoes (the start-up
// setting repeats at 375 and 500 ms), then one second of noise.
constexpr uint32_t kImpulseBlocks = 141;
constexpr uint32_t kNoiseBlocks = 94;
// The first echo of the start-up setting's left line: 375 ms at 48 kHz.
constexpr uint32_t kStartUpEchoFrame = 18000;

// What is loaded after the history: the start-up state; the saved state of a
// modulated preset (an XLFO on both delay times); a preset through
// clap.preset-load (an envelope follower on the wet level); and a preset
// chosen by a MIDI program change (the Stretch read style, an XLFO on both
// delay times).
enum class Load { kStartUpState, kPresetState, kPresetLoad, kProgramChange };
constexpr const char* kStateTarget = "Tape Wow";
constexpr const char* kPresetTarget = "Ducked Echo";
constexpr const char* kProgramTarget = "Stretch Drift";

// How playing starts again: a reset, or a deactivation and a new activation
// (each followed by start_processing, as a host does).
enum class Restart { kReset, kReactivate };

struct Row {
    Load load;
    Restart restart;
    const char* name;
};
const Row kRows[] = {
    {Load::kStartUpState, Restart::kReset, "the start-up state, reset"},
    {Load::kStartUpState, Restart::kReactivate, "the start-up state, activated again"},
    {Load::kPresetState, Restart::kReset, "a preset's saved state, reset"},
    {Load::kPresetState, Restart::kReactivate, "a preset's saved state, activated again"},
    {Load::kPresetLoad, Restart::kReset, "a preset through preset-load, reset"},
    {Load::kPresetLoad, Restart::kReactivate, "a preset through preset-load, activated again"},
    {Load::kProgramChange, Restart::kReset, "a MIDI program change, reset"},
    {Load::kProgramChange, Restart::kReactivate, "a MIDI program change, activated again"},
};

// One instance with a host of its own (so that its main-thread callbacks
// reach it alone).
struct Instance {
    std::unique_ptr<TestHost> host = std::make_unique<TestHost>();
    std::unique_ptr<HostedPlugin> plugin;
};

class VarnelHistory : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::strlen(VARNEL_PLUGIN_MODULE) == 0) GTEST_SKIP() << "this build has no product plug-in";
        // The stand-ins' settings and documents (Windows keeps its own).
        setEnvironment("XDG_CONFIG_HOME=" + test::fsPath(folder_ / "config").generic_string());
        setEnvironment("XDG_DOCUMENTS_DIR=" + test::fsPath(folder_ / "documents").generic_string());
        std::string error;
        module_ = ClapModule::load(VARNEL_PLUGIN_MODULE, error);
        ASSERT_TRUE(module_) << error;
        const clap_plugin_factory_t* factory = module_->pluginFactory();
        ASSERT_TRUE(factory);
        const clap_plugin_descriptor_t* descriptor = factory->get_plugin_descriptor(factory, 0);
        pluginId_ = descriptor->id;
        // MIDI program changes are a setting of the user's (off at first);
        // the Windows registry gets its old value back at the end.
        keyPath_ = VersionInfo("Varnel", descriptor->version, {}, {}, {}).getProductKeyPath();
        uint32_t old = 0;
        if (readRegistryDword(RegistryRoot::kCurrentUser, keyPath_, kProgramChangesValue, old))
            oldProgramChanges_ = old;
        ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, keyPath_, kProgramChangesValue, 1));

        // A first instance sets up the preset folder with the factory presets.
        { Instance first = makeInstance(); }
        PresetIndexer indexer;
        const clap_preset_discovery_factory_t* discovery = module_->presetDiscoveryFactory();
        ASSERT_TRUE(discovery && indexer.open(discovery, discovery->get_descriptor(discovery, 0)->id));
        EXPECT_EQ(indexer.crawl(), 0);
        presets_ = indexer.presets();
        std::sort(presets_.begin(), presets_.end(),
                  [](const DiscoveredPreset& a, const DiscoveredPreset& b) { return a.name < b.name; });
    }

    void TearDown() override {
        module_.reset();
        if (!keyPath_.empty())
            writeRegistryDword(RegistryRoot::kCurrentUser, keyPath_, kProgramChangesValue,
                               oldProgramChanges_);
    }

    // Created, initialised and activated.
    Instance makeInstance() {
        Instance instance;
        instance.plugin = std::make_unique<HostedPlugin>(*instance.host, module_->pluginFactory(), pluginId_);
        EXPECT_TRUE(instance.plugin->plugin() && instance.plugin->init());
        EXPECT_TRUE(instance.plugin->activate(kRate, 1, kBlock));
        return instance;
    }

    const DiscoveredPreset* find(const std::string& name) const {
        for (const DiscoveredPreset& preset : presets_)
            if (preset.name == name) return &preset;
        return nullptr;
    }

    // One block of the given stereo input (the side chain silent); the
    // outputs, left then right, are appended to out when given.
    static void play(Instance& instance, const std::vector<float>& left, const std::vector<float>& right,
                     const HostEventList& events, std::vector<float>* out) {
        HostedPlugin& plugin = *instance.plugin;
        for (uint32_t port = 0; port < plugin.inputPortCount(); ++port)
            for (uint32_t c = 0; c < plugin.inputChannelCount(port); ++c) {
                const std::vector<float>* source = port == 0 ? (c == 0 ? &left : &right) : nullptr;
                for (uint32_t i = 0; i < kBlock; ++i)
                    plugin.input(port, c)[i] = source != nullptr ? (*source)[i] : 0.0f;
            }
        EXPECT_EQ(plugin.process(kBlock, events), CLAP_PROCESS_CONTINUE);
        if (out == nullptr) return;
        out->insert(out->end(), plugin.output(0, 0), plugin.output(0, 0) + kBlock);
        out->insert(out->end(), plugin.output(0, 1), plugin.output(0, 1) + kBlock);
    }

    static void playNoise(Instance& instance, uint32_t blocks, uint32_t seed, std::vector<float>* out) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        std::vector<float> left(kBlock), right(kBlock);
        HostEventList none;
        for (uint32_t b = 0; b < blocks; ++b) {
            for (uint32_t i = 0; i < kBlock; ++i) {
                left[i] = noise(random);
                right[i] = noise(random);
            }
            play(instance, left, right, none, out);
        }
    }

    // The answer to a unit impulse, then to noise: per block, left then right.
    static std::vector<float> answer(Instance& instance) {
        std::vector<float> out;
        std::vector<float> silence(kBlock, 0.0f), impulse(kBlock, 0.0f);
        impulse[0] = 1.0f;
        HostEventList none;
        for (uint32_t b = 0; b < kImpulseBlocks; ++b)
            play(instance, b == 0 ? impulse : silence, b == 0 ? impulse : silence, none, &out);
        playNoise(instance, kNoiseBlocks, 17, &out);
        return out;
    }

    static float leftAt(const std::vector<float>& out, uint32_t frame) {
        return out[(frame / kBlock) * 2 * kBlock + frame % kBlock];
    }

    // "" when both are the same bit for bit, else where they first differ.
    static std::string firstDifference(const std::vector<float>& used, const std::vector<float>& fresh) {
        if (used.size() != fresh.size()) return "the answers differ in length";
        for (size_t i = 0; i < used.size(); ++i) {
            if (std::memcmp(&used[i], &fresh[i], sizeof(float)) == 0) continue;
            const size_t block = i / (2 * kBlock);
            const size_t channel = (i / kBlock) % 2;
            std::ostringstream text;
            text.precision(9);
            text << "frame " << block * kBlock + i % kBlock << (channel == 0 ? " left: " : " right: ")
                 << used[i] << ", a fresh instance " << fresh[i];
            return text.str();
        }
        return "";
    }

    static void pump(Instance& instance) { instance.host->pumpMainThread(); }

    // A program change in one block of silence, the preset it chose loaded
    // on the main thread; returns the location the plug-in reports as loaded.
    static std::string changeProgram(Instance& instance, uint8_t program) {
        HostEventList events;
        events.addMidi(0, 0, 0xC0, program, 0);
        std::vector<float> silence(kBlock, 0.0f);
        play(instance, silence, silence, events, nullptr);
        pump(instance);
        const std::vector<std::string>& loaded = instance.host->calls().presetsLoaded;
        return loaded.empty() ? std::string() : loaded.back();
    }

    // The program number whose change loads the preset at location.
    int programOf(const std::string& location) {
        Instance scratch = makeInstance();
        for (size_t program = 0; program < presets_.size() && program < 128; ++program)
            if (changeProgram(scratch, static_cast<uint8_t>(program)) == location) return int(program);
        return -1;
    }

    test::TemporaryFolder folder_{"history"};
    std::unique_ptr<ClapModule> module_;
    std::string pluginId_;
    std::vector<DiscoveredPreset> presets_;

private:
    static constexpr const char* kProgramChangesValue = "EnableMIDIProgramChanges";

    static void setEnvironment(const std::string& assignment) {
        static std::list<std::string> texts;
        texts.push_back(assignment);
        putenv(texts.back().data());
    }

    std::string keyPath_;
    uint32_t oldProgramChanges_ = 0;
};

TEST_F(VarnelHistory, EveryFactoryPresetPlayedBeforeLeavesNoTrace) {
    ASSERT_GT(presets_.size(), 1u);
    const DiscoveredPreset* stateTarget = find(kStateTarget);
    const DiscoveredPreset* presetTarget = find(kPresetTarget);
    const DiscoveredPreset* programTarget = find(kProgramTarget);
    ASSERT_TRUE(stateTarget && presetTarget && programTarget);
    const int program = programOf(programTarget->location);
    ASSERT_GE(program, 0) << "no program change loads " << kProgramTarget;

    // The states, and what a fresh instance answers after each load (the
    // program change's preset through preset-load).
    std::vector<uint8_t> startUpState;
    std::vector<uint8_t> presetState;
    {
        Instance instance = makeInstance();
        startUpState = instance.plugin->saveState().value_or(std::vector<uint8_t>{});
        ASSERT_TRUE(
            instance.plugin->loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_FILE, stateTarget->location.c_str()));
        presetState = instance.plugin->saveState().value_or(std::vector<uint8_t>{});
        ASSERT_FALSE(startUpState.empty() || presetState.empty());
    }
    // Main thread, while not processing.
    auto load = [&](Instance& instance, Load kind) {
        HostedPlugin& plugin = *instance.plugin;
        if (kind == Load::kStartUpState) {
            EXPECT_TRUE(plugin.loadState(startUpState));
        }
        if (kind == Load::kPresetState) {
            EXPECT_TRUE(plugin.loadState(presetState));
        }
        const DiscoveredPreset* preset = kind == Load::kPresetLoad      ? presetTarget
                                         : kind == Load::kProgramChange ? programTarget
                                                                        : nullptr;
        if (preset != nullptr) {
            EXPECT_TRUE(plugin.loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_FILE, preset->location.c_str()));
        }
        pump(instance);
    };
    std::map<Load, std::vector<float>> fresh;
    for (Load kind : {Load::kStartUpState, Load::kPresetState, Load::kPresetLoad, Load::kProgramChange}) {
        Instance instance = makeInstance();
        load(instance, kind);
        fresh[kind] = answer(instance);
        EXPECT_EQ(instance.host->violations(), std::vector<std::string>{});
    }
    // The start-up setting's first echo lands whole on its sample.
    EXPECT_EQ(leftAt(fresh[Load::kStartUpState], kStartUpEchoFrame - 1), 0.0f);
    EXPECT_EQ(leftAt(fresh[Load::kStartUpState], kStartUpEchoFrame), 1.0f);

    size_t turn = 0;
    for (const DiscoveredPreset& history : presets_) {
        for (const Row& row : kRows) {
            const uint32_t historyBlocks = kHistoryBlocks[turn++ % std::size(kHistoryBlocks)];
            Instance instance = makeInstance();
            HostedPlugin& plugin = *instance.plugin;
            ASSERT_TRUE(plugin.startProcessing());
            ASSERT_TRUE(plugin.loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_FILE, history.location.c_str()));
            pump(instance);
            playNoise(instance, historyBlocks, 5, nullptr);
            if (row.load == Load::kProgramChange) { // while processing, as MIDI comes
                EXPECT_EQ(changeProgram(instance, static_cast<uint8_t>(program)), programTarget->location);
            }
            plugin.stopProcessing();
            if (row.load != Load::kProgramChange) load(instance, row.load);
            if (row.restart == Restart::kReset) {
                plugin.reset();
            } else {
                plugin.deactivate();
                ASSERT_TRUE(plugin.activate(kRate, 1, kBlock));
            }
            EXPECT_EQ(firstDifference(answer(instance), fresh[row.load]), "")
                << history.name << " played for " << historyBlocks * kBlock << " frames, then " << row.name;
            EXPECT_EQ(instance.host->violations(), std::vector<std::string>{}) << history.name;
        }
    }
}

} // namespace
