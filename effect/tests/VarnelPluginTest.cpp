#include "effect/VarnelPlugin.h"

#include "effect/VarnelPluginSettings.h"
#include "effect/VarnelProcessor.h"
#include "effect/tests/VarnelFixture.h"
#include "foundation/Files.h"
#include "plugin/CollectionPresetLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

class VarnelPluginTest : public test::VarnelTest {
protected:
    std::string presetPath(const std::string& name) const { return presetFolder() + name + ".ztp"; }
    // A preset file in the main folder; returns its entry.
    PresetCacheEntry writePreset(const std::string& name, const std::string& bytes) {
        createDirectories(presetFolder());
        EXPECT_TRUE(test::writeWholeFile(presetPath(name), bytes));
        PresetCacheEntry entry(presetPath(name));
        entry.name = name;
        return entry;
    }
};

// The delay controls are shown as L/R or M/S; their names stay.
TEST_F(VarnelPluginTest, ChannelModeRenamesTheDelayControls) {
    auto plugin = makeVarnel();
    AbstractPluginParameter* time1 = plugin->findParameter("Delay 1 Time");
    AbstractPluginParameter* pan2 = plugin->findParameter("Delay 2 Cross Feedback");
    AbstractPluginParameter* filter = plugin->findParameter("Filter 1 Freq");
    ASSERT_NE(time1, nullptr);
    ASSERT_NE(pan2, nullptr);
    EXPECT_EQ(time1->getHostName(), "Delay L Time");
    EXPECT_EQ(pan2->getHostName(), "Delay R Cross Feedback");

    set(*plugin, "Channel Mode", 1.0f);
    EXPECT_EQ(time1->getHostName(), "Delay M Time");
    EXPECT_EQ(pan2->getHostName(), "Delay S Cross Feedback");
    EXPECT_EQ(time1->getName(), "Delay 1 Time");
    EXPECT_EQ(filter->getHostName(), "Filter 1 Freq");
    EXPECT_EQ(plugin->findParameter("Delay Link")->getHostName(), "Delay Link");

    // Another change in the same mode renames nothing.
    time1->setHostName("kept");
    set(*plugin, "Wet Pan", 0.5f);
    EXPECT_EQ(time1->getHostName(), "kept");

    set(*plugin, "Channel Mode", 0.0f);
    EXPECT_EQ(time1->getHostName(), "Delay L Time");
    EXPECT_EQ(pan2->getHostName(), "Delay R Cross Feedback");
}

// A change from another thread (host automation on the audio thread) only
// posts: the names change when the model's thread delivers its events.
TEST_F(VarnelPluginTest, ChannelModeFromAnotherThreadRenamesOnTheModelsThread) {
    auto plugin = makeVarnel();
    AbstractPluginParameter* time1 = plugin->findParameter("Delay 1 Time");
    ASSERT_NE(time1, nullptr);
    ASSERT_NE(plugin->getEventQueue(), nullptr);
    std::thread audio([&] { set(*plugin, "Channel Mode", 1.0f); });
    audio.join();
    EXPECT_EQ(time1->getHostName(), "Delay L Time");
    plugin->getEventQueue()->deliverPending();
    EXPECT_EQ(time1->getHostName(), "Delay M Time");
}

// Six section kinds, each a folder under "Component Presets" and a set of
// collections of the section's parameters.
TEST_F(VarnelPluginTest, SectionPresetKinds) {
    auto plugin = makeVarnel();
    ASSERT_EQ(plugin->getNumComponentPresetManagers(), 6);
    const struct {
        const char* folder;
        const char* extension;
        int collections;
        int size;
        const char* first;
        const char* last;
    } kinds[] = {
        {"Delays", ".delays", 1, 17, "Delay 1 Time", "Delay Buffer Read Style"},
        {"Filters", ".filters", 1, 15, "Filter 1 Freq", "Filter Routing"},
        {"XLFO", ".xlfo", 6, 73, "XLFO 1 Frequency", "XLFO 1 Step 16 Random"},
        {"EG", ".eg", 6, 8, "EG 1 Hold", "EG 1 Release"},
        {"EF", ".ef", 4, 3, "EF 1Input", "EF 1 Release"},
        {"MIDI", ".midi", 10, 3, "MIDI Source 1 Input", "MIDI Source 1 Response Curve"},
    };
    for (int kind = 0; kind < 6; ++kind) {
        const auto& k = kinds[kind];
        PresetManager* manager = plugin->getPresetManager(kind);
        ASSERT_NE(manager, nullptr);
        EXPECT_EQ(manager->getPath(), presetFolder() + "Component Presets\\" + k.folder + "\\") << k.folder;
        EXPECT_EQ(VarnelPlugin::kComponentFolders[kind].extension, std::string(k.extension));
        EXPECT_EQ(plugin->getParameterCollection(kind, k.collections - 1)->size(), k.size) << k.folder;
        EXPECT_EQ(plugin->getParameterCollection(kind, k.collections), nullptr) << k.folder;
        const PresetParameterCollection* first = plugin->getParameterCollection(kind, 0);
        EXPECT_EQ(first->size(), k.size) << k.folder;
        EXPECT_EQ(first->get(0)->getName(), k.first);
        EXPECT_EQ(first->get(k.size - 1)->getName(), k.last);
    }
    EXPECT_EQ(plugin->getParameterCollection(VarnelPlugin::kXLFO, 5)->get(0)->getName(), "XLFO 6 Frequency");
    EXPECT_EQ(plugin->getParameterCollection(VarnelPlugin::kMIDI, 9)->get(0)->getName(),
              "MIDI Source 10 Input");
}

// A section preset saved from one XLFO loads into another.
TEST_F(VarnelPluginTest, SectionPresetMovesBetweenSets) {
    auto plugin = makeVarnel();
    set(*plugin, "XLFO 1 Balance", 0.25f);
    set(*plugin, "Num Active XLFO 1 Steps", 5.0f);
    set(*plugin, "XLFO 1 Step 3 Value", -0.5f);
    test::TemporaryFolder folder("varnel-section");
    const std::string path = folder / "Slow.xlfo";
    ASSERT_TRUE(plugin->getParameterCollection(VarnelPlugin::kXLFO, 0)->savePreset(path, 5));
    ErrorResult result;
    loadPresetFromEntry(*plugin->getParameterCollection(VarnelPlugin::kXLFO, 3), result,
                        PresetCacheEntry(path), -1);
    ASSERT_FALSE(result.hasError()) << result.getErrorMessage();
    EXPECT_FLOAT_EQ(value(*plugin, "XLFO 4 Balance"), 0.25f);
    EXPECT_EQ(value(*plugin, "Num Active XLFO 4 Steps"), 5.0f);
    EXPECT_FLOAT_EQ(value(*plugin, "XLFO 4 Step 3 Value"), -0.5f);
}

// Without a "Default Setting" in the main folder the declared defaults
// stand; with one, it is loaded at construction, "Dry Enabled" included.
TEST_F(VarnelPluginTest, StartsOnTheDefaultPresetOrTheDefaults) {
    std::string bytes;
    {
        // The first start may extract factory presets: remove the default one.
        auto plugin = makeVarnel();
        for (int32_t i = 0; i < plugin->getNumParameters(); ++i) {
            AbstractPluginParameter* p = plugin->getParameter(i);
            p->setValue(p->getDefault(), 0);
        }
        set(*plugin, "Wet Pan", -0.5f);
        set(*plugin, "Dry Enabled", 0.0f);
        set(*plugin, "Delay Freeze", 1.0f);
        bytes = plugin->getMainCollection().binaryBytes(VarnelPlugin::kPresetVersion);
        std::error_code ignored;
        std::filesystem::remove(test::fsPath(presetPath("Default Setting")), ignored);
        writePreset("Other", bytes);
    }
    {
        auto plugin = makeVarnel();
        for (int32_t i = 0; i < plugin->getNumParameters(); ++i) {
            const AbstractPluginParameter* p = plugin->getParameter(i);
            EXPECT_EQ(p->getValue(), p->getDefault()) << p->getName();
        }
        EXPECT_EQ(plugin->getCurrentPreset().getName(), "");
    }
    writePreset("Default Setting", bytes);
    {
        auto plugin = makeVarnel();
        EXPECT_EQ(plugin->getCurrentPreset().getName(), "Default Setting");
        EXPECT_FLOAT_EQ(value(*plugin, "Wet Pan"), -0.5f);
        EXPECT_EQ(value(*plugin, "Dry Enabled"), 0.0f);
        // Freeze never comes from a preset.
        EXPECT_EQ(value(*plugin, "Delay Freeze"), 0.0f);
        EXPECT_FALSE(plugin->isLoadingDefaultPreset());
    }
}

// "Delay Freeze" and "Dry Enabled" stay as the user set them, whatever the
// preset's version holds; the rest of the preset loads.
TEST_F(VarnelPluginTest, FreezeAndDryEnabledSurviveLoads) {
    auto plugin = makeVarnel();
    set(*plugin, "Dry Enabled", 1.0f);
    set(*plugin, "Delay Freeze", 0.0f);
    set(*plugin, "Wet Pan", 0.75f);
    set(*plugin, "Dry Enabled", 0.0f);
    set(*plugin, "Delay Freeze", 1.0f);
    const std::string current = plugin->getMainCollection().binaryBytes(VarnelPlugin::kPresetVersion);
    set(*plugin, "Dry Enabled", 1.0f);
    set(*plugin, "Delay Freeze", 0.0f);
    const std::string files[] = {
        current,
        test::legacyPreset(*plugin, 4, {{"Wet Pan", 0.75f}, {"Dry Enabled", 0.0f}, {"Delay Freeze", 1.0f}}),
        test::legacyPreset(*plugin, 3, {{"Wet Pan", 0.75f}, {"Dry Enabled", 0.0f}}),
        test::legacyPreset(*plugin, 2, {{"Wet Pan", 0.75f}, {"Dry Enabled", 0.0f}}),
        test::legacyPreset(*plugin, 1, {{"Wet Pan", 0.75f}}),
    };
    for (const std::string& file : files) {
        for (const float before : {0.0f, 1.0f}) {
            set(*plugin, "Wet Pan", 0.0f);
            set(*plugin, "Dry Enabled", before);
            set(*plugin, "Delay Freeze", before);
            const PresetCacheEntry entry = writePreset("Loaded", file);
            ErrorResult result;
            plugin->loadPreset(result, entry);
            ASSERT_FALSE(result.hasError()) << result.getErrorMessage();
            EXPECT_FLOAT_EQ(value(*plugin, "Wet Pan"), 0.75f);
            EXPECT_EQ(value(*plugin, "Dry Enabled"), before);
            EXPECT_EQ(value(*plugin, "Delay Freeze"), before);
            EXPECT_EQ(plugin->getCurrentPreset().getName(), "Loaded");
        }
    }
}

// A version 5 file is the ordinary loader's; its errors are its own.
TEST_F(VarnelPluginTest, CurrentVersionErrorsStayTheOrdinaryLoaders) {
    auto plugin = makeVarnel();
    const std::string bytes = plugin->getMainCollection().binaryBytes(VarnelPlugin::kPresetVersion);
    const ErrorResult result = load(*plugin, bytes.substr(0, 40));
    EXPECT_EQ(result.getErrorMessage(), "Invalid file format.");
    const PresetCacheEntry missing(presetPath("Missing"));
    ErrorResult missingResult;
    plugin->loadPreset(missingResult, missing);
    EXPECT_TRUE(missingResult.hasError());
}

// The model and its processor behind the framework's adapter: the model's
// values reach the audio, and the display exchange reads back exactly what
// the processor wrote.
TEST_F(VarnelPluginTest, RunsWithItsProcessorThroughTheAdapter) {
    auto* model = new VarnelPlugin(name_);
    const UnifiedPluginAdapter::ProcessorFactory factory = VarnelPlugin::processorFactory();
    test::TestHost host(model, factory(model->getChannelLayout()));
    host.setProcessorFactory(factory);
    host.initialize();
    auto& processor = static_cast<VarnelProcessor&>(host.getProcessor());
    constexpr float kRate = 48000.0f;
    processor.activate(kRate);
    processor.reset();

    auto setPlain = [model](const std::string& name, float plain) {
        AbstractPluginParameter* p = model->findParameter(name);
        ASSERT_NE(p, nullptr) << name;
        p->setValue(p->plainToNormalized(plain), 0);
    };
    setPlain("Delay 1 Time", 100.0f);
    setPlain("Delay 1 Pan", -1.0f);
    setPlain("Delay 1 Feedback", 0.0f);
    setPlain("Delay 2 Feedback", 0.0f);
    set(*model, "Dry Enabled", 0.0f);
    EXPECT_EQ(processor.dryEnabled.getValue(), 0.0f); // through the adapter

    // A second of silence lets every change settle, then one impulse.
    std::vector<float> silence(static_cast<size_t>(kRate), 0.0f), left, right;
    auto render = [&processor](std::vector<float> in, std::vector<float>& outLeft,
                               std::vector<float>& outRight) {
        outLeft.assign(in.size(), 0.0f);
        outRight.assign(in.size(), 0.0f);
        const std::vector<float> zero(in.size(), 0.0f);
        for (size_t at = 0; at < in.size(); at += 512) {
            const auto frames = static_cast<int32_t>(std::min<size_t>(512, in.size() - at));
            const float* inputs[2] = {in.data() + at, zero.data() + at};
            float* outputs[2] = {outLeft.data() + at, outRight.data() + at};
            processor.process(inputs, 2, outputs, 2, frames, nullptr);
        }
    };
    render(silence, left, right);
    std::vector<float> impulse(static_cast<size_t>(kRate / 4), 0.0f);
    impulse[0] = 1.0f;
    render(impulse, left, right);
    const auto peak = std::max_element(left.begin(), left.end(),
                                       [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    EXPECT_NEAR(static_cast<double>(peak - left.begin()), 0.1 * kRate, 1.0);
    EXPECT_NEAR(*peak, 1.0f, 1e-3f);
    EXPECT_LT(std::fabs(left[0]), 1e-6f); // no dry path
    for (float sample : right)
        ASSERT_LT(std::fabs(sample), 1e-6f);

    std::stringstream exchange(std::ios::in | std::ios::out | std::ios::binary);
    ASSERT_TRUE(processor.writeProcessorState(exchange));
    EXPECT_TRUE(model->readProcessorState(exchange));
    EXPECT_EQ(exchange.peek(), std::char_traits<char>::eof());
    host.exchangeDisplayData();
}

// An A/B switch or an undo back to the start-up setting, after a modulated
// preset played (an XLFO moving both delay times), then a reset or a new
// activation: the processor plays bit for bit what a fresh one plays, its
// first echo whole on the 375 ms sample.
TEST_F(VarnelPluginTest, AnABSwitchOrAnUndoLeavesNoTraceOfWhatPlayedBefore) {
    constexpr float kRate = 48000.0f;
    constexpr size_t kBlock = 512;
    enum class Back { kCompare, kUndo };
    enum class Restart { kReset, kReactivate };
    struct Rig {
        VarnelPlugin* model;
        std::unique_ptr<test::TestHost> host;
        VarnelProcessor& processor() { return static_cast<VarnelProcessor&>(host->getProcessor()); }
    };
    auto makeRig = [this] {
        auto* model = new VarnelPlugin(name_);
        const UnifiedPluginAdapter::ProcessorFactory factory = VarnelPlugin::processorFactory();
        Rig rig{model, std::make_unique<test::TestHost>(model, factory(model->getChannelLayout()))};
        rig.host->setProcessorFactory(factory);
        rig.host->initialize();
        rig.processor().activate(kRate);
        rig.processor().reset();
        return rig;
    };
    // Blocks of stereo noise, or of an impulse and its echoes; the outputs,
    // left then right per block.
    auto play = [](VarnelProcessor& processor, size_t blocks, bool impulse, std::vector<float>* out) {
        std::mt19937 random(7);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        std::vector<float> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock);
        for (size_t b = 0; b < blocks; ++b) {
            for (size_t i = 0; i < kBlock; ++i) {
                left[i] = impulse ? (b == 0 && i == 0 ? 1.0f : 0.0f) : noise(random);
                right[i] = impulse ? left[i] : noise(random);
            }
            const float* inputs[2] = {left.data(), right.data()};
            float* outputs[2] = {outLeft.data(), outRight.data()};
            processor.process(inputs, 2, outputs, 2, static_cast<int32_t>(kBlock), nullptr);
            if (out == nullptr) continue;
            out->insert(out->end(), outLeft.begin(), outLeft.end());
            out->insert(out->end(), outRight.begin(), outRight.end());
        }
    };
    // One second of the impulse's echoes, half a second of noise.
    auto answer = [&play](VarnelProcessor& processor) {
        std::vector<float> out;
        play(processor, 94, true, &out);
        play(processor, 47, false, &out);
        return out;
    };

    std::vector<float> fresh;
    {
        Rig rig = makeRig();
        fresh = answer(rig.processor());
    }
    const size_t echo = (18000 / kBlock) * 2 * kBlock + 18000 % kBlock; // left, 375 ms
    EXPECT_EQ(fresh[echo - 1], 0.0f);
    EXPECT_EQ(fresh[echo], 1.0f);

    const PresetCacheEntry tapeWow(presetFolder() + "_4 Modulation\\Tape Wow.ztp");
    for (Back back : {Back::kCompare, Back::kUndo}) {
        for (Restart restart : {Restart::kReset, Restart::kReactivate}) {
            SCOPED_TRACE(std::string(back == Back::kCompare ? "A/B switch" : "undo") +
                         (restart == Restart::kReset ? ", reset" : ", activated again"));
            Rig rig = makeRig();
            rig.model->initSnapshotsForEditor(); // A and B, and the undo history, hold the start-up setting
            if (back == Back::kCompare) rig.model->getCompareStates()->toggle(); // to B
            ErrorResult result;
            rig.model->loadPreset(result, tapeWow);
            ASSERT_FALSE(result.hasError()) << result.getErrorMessage();
            if (back == Back::kUndo) rig.model->getUndoHistory()->push("Tape Wow");
            play(rig.processor(), 24, false, nullptr);
            if (back == Back::kCompare) {
                rig.model->getCompareStates()->toggle(); // back to A
            } else {
                ASSERT_TRUE(rig.model->getUndoHistory()->undo());
            }
            play(rig.processor(), 2, false, nullptr); // the values reach the audio while it plays
            if (restart == Restart::kReactivate) {
                rig.processor().deactivate();
                rig.processor().activate(kRate);
            }
            rig.processor().reset();
            const std::vector<float> used = answer(rig.processor());
            ASSERT_EQ(used.size(), fresh.size());
            for (size_t i = 0; i < fresh.size(); ++i)
                ASSERT_EQ(used[i], fresh[i]) << "frame " << (i / (2 * kBlock)) * kBlock + i % kBlock
                                             << ((i / kBlock) % 2 == 0 ? " left" : " right");
        }
    }
}

} // namespace
