#pragma once

// A small plug-in for the tests of the model, the adapter and the presets:
// "TsPl" with "Gain" (0.5) and "Pan" (0.25) on 0..1, optionally a MIDI state
// parameter and a settings parameter ("Zoom"); a matching processor; a host
// stand-in that records what reaches the host; a recording listener; and a
// fixture that gives every test its own product name, registry key,
// application-data and documents folders.

#include "foundation/KnownFolders.h"
#include "foundation/Registry.h"
#include "foundation/SystemPlatform.h"
#include "foundation/tests/TestFiles.h"
#include "plugin/GenericPlugin.h"
#include "plugin/GenericPluginProcessor.h"
#include "plugin/UnifiedPluginAdapter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace test {

struct TestPluginOptions {
    uint32_t flags = 0;
    bool midiState = false;
    bool settingsParameter = false;
    // Level records per channel on both sides (display exchange).
    int32_t levelsPerChannel = 0;
};

class TestPlugin : public GenericPlugin {
public:
    explicit TestPlugin(const std::string& name, TestPluginOptions options = {}) {
        pluginKind = kDelay;
        pluginFlags = options.flags;
        pluginId = "TsPl";
        pluginName = name;
        gain.setDefault(0.5f);
        gain.initValue(0.5f);
        pan.setDefault(0.25f);
        pan.initValue(0.25f);
        if (options.midiState) {
            midiState = std::make_unique<IndexedPluginParameter<MidiState>>(this, "Receive Midi");
            setMidiStateParameter(midiState.get());
        }
        if (options.settingsParameter) {
            zoom = std::make_unique<FloatPluginParameter>(this, "Zoom");
            addSettingsParameter(zoom.get());
        }
        levelsPerChannel_ = options.levelsPerChannel;
        initHistoryAndSources();
    }
    ~TestPlugin() override { shutdown(); }

    int32_t getNumLevelRecordsPerChannel() const override { return levelsPerChannel_; }

    FloatPluginParameter gain{this, "Gain"};
    FloatPluginParameter pan{this, "Pan"};
    std::unique_ptr<IndexedPluginParameter<MidiState>> midiState;
    std::unique_ptr<FloatPluginParameter> zoom;

private:
    int32_t levelsPerChannel_ = 0;
};

// A level source with fixed levels that counts the requests it receives.
class FixedLevelSource : public DisplayLevelSource {
public:
    explicit FixedLevelSource(float base) : base(base) {}
    float level(int index) const override { return base + static_cast<float>(index); }
    void requestBit0() override { ++bit0; }
    void requestBit1() override { ++bit1; }
    int32_t info() const override { return static_cast<int32_t>(base); }
    float base;
    int bit0 = 0;
    int bit1 = 0;
};

class TestPluginProcessor : public GenericPluginProcessor {
public:
    explicit TestPluginProcessor(TestPluginOptions options = {}) {
        pluginKind = kDelay;
        pluginFlags = options.flags;
        pluginId = "TsPl";
        pluginName = "TestPlugin";
        gain.setDefault(0.5f);
        gain.initValue(0.5f);
        pan.setDefault(0.25f);
        pan.initValue(0.25f);
        if (options.midiState) {
            midiState = std::make_unique<IndexedPluginParameter<MidiState>>(this, "Receive Midi");
            setMidiStateParameter(midiState.get());
        }
        if (options.settingsParameter) zoom = std::make_unique<FloatPluginParameter>(this, "Zoom");
        levelSourcesPerChannel_ = options.levelsPerChannel;
        initProcessing();
        for (size_t i = 0; i < levelSources_.size(); ++i) {
            levels.push_back(std::make_unique<FixedLevelSource>(10.0f * static_cast<float>(i + 1)));
            levelSources_[i] = levels.back().get();
        }
    }

    std::vector<std::unique_ptr<FixedLevelSource>> levels;

    FloatPluginParameter gain{this, "Gain"};
    FloatPluginParameter pan{this, "Pan"};
    std::unique_ptr<IndexedPluginParameter<MidiState>> midiState;
    std::unique_ptr<FloatPluginParameter> zoom;
};

// The host binding's part: records what reaches the host.
class TestHost : public UnifiedPluginAdapter {
public:
    struct Value {
        int32_t index;
        float value;
        bool operator==(const Value& other) const { return index == other.index && value == other.value; }
    };

    TestHost(GenericPlugin* model, GenericPluginProcessor* processor)
        : UnifiedPluginAdapter(model, processor) {
        model->setAdapter(this);
        sent.reserve(4096);
    }

    void parameterValueToHost(int32_t index, float value) override { toHost.push_back({index, value}); }
    void endGesture(int32_t index) override { gestures.push_back(-1 - index); }
    void beginGesture(int32_t index) override { gestures.push_back(index); }
    void requestRestart() override { ++restarts; }
    void stateChanged(int32_t code) override { states.push_back(code); }
    void parameterChanged(int32_t code) override {
        reports.push_back(code);
        UnifiedPluginAdapter::parameterChanged(code);
    }
    // Sets model and processor and reports to the host, as the host binding
    // does; sized up front so that the audio thread allocates nothing.
    void sendParameterValue(int32_t index, float value) override {
        if (AbstractPluginParameter* p = getModel().getParameter(index)) p->setValue(value, 1);
        if (AbstractPluginParameter* p = getProcessor().getParameter(index)) p->setValue(value, 1);
        if (sent.size() < sent.capacity()) sent.push_back({index, value});
    }
    using UnifiedPluginAdapter::resyncProcessor;

    std::vector<Value> toHost;
    std::vector<Value> sent;
    std::vector<int32_t> gestures;
    std::vector<int32_t> reports;
    std::vector<int32_t> states;
    int restarts = 0;
};

class RecordingListener : public GenericPlugin::Listener {
public:
    void notify(int32_t code, int32_t value) override {
        std::lock_guard<std::mutex> hold(mutex);
        calls.emplace_back(code, value);
    }
    void idle(uint32_t elapsed) override { idles.push_back(elapsed); }

    int count(int32_t code) {
        std::lock_guard<std::mutex> hold(mutex);
        int n = 0;
        for (const auto& call : calls)
            n += call.first == code ? 1 : 0;
        return n;
    }
    void clear() {
        std::lock_guard<std::mutex> hold(mutex);
        calls.clear();
    }

    std::mutex mutex;
    std::vector<std::pair<int32_t, int32_t>> calls;
    std::vector<uint32_t> idles;
};

// Each test: its own product name (so its own registry key, maker folder and
// preset folder) and, on the stand-ins, its own application-data and
// documents folders.
class PluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        // Test programs can run at once and share one registry and folder tree
        // (one Wine prefix): the process id keeps their plug-ins apart.
        name_ = "VarnelTestPlugin" + std::to_string(platform::currentProcessId()) + "_" +
                std::to_string(counter++);
        setEnvironment("XDG_CONFIG_HOME=" + fsPath(folder_ / "config").generic_string());
        setEnvironment("XDG_DOCUMENTS_DIR=" + fsPath(folder_ / "documents").generic_string());
        cleanUp();
    }
    void TearDown() override { cleanUp(); }

    std::string keyPath() const { return "Software\\Zentor\\" + name_ + "\\1.0"; }
    std::string makerFolder() const { return getMakerFolderPath(name_); }
    std::string presetFolder() const { return getPresetsFolderPath(name_); }

    std::unique_ptr<TestPlugin> makePlugin(TestPluginOptions options = {}) {
        return std::make_unique<TestPlugin>(name_, options);
    }

    TemporaryFolder folder_{"plugin"};
    std::string name_;

private:
    void cleanUp() {
        deleteRegistryKey(RegistryRoot::kCurrentUser, "Software\\Zentor\\" + name_);
        std::error_code ignored;
        std::filesystem::remove_all(fsPath(getMakerFolderPath(name_)), ignored);
        std::filesystem::remove_all(fsPath(getPresetsFolderPath(name_)), ignored);
    }
    static void setEnvironment(const std::string& assignment) {
        static std::list<std::string> texts;
        texts.push_back(assignment);
        putenv(texts.back().data());
    }
};

// Model, processor and host stand-in, linked.
struct PluginRig {
    explicit PluginRig(const std::string& name, TestPluginOptions options = {})
        : model(new TestPlugin(name, options)), processor(new TestPluginProcessor(options)),
          host(model, processor) {
        host.initialize();
    }
    TestPlugin* model;
    TestPluginProcessor* processor;
    TestHost host;
};

} // namespace test
