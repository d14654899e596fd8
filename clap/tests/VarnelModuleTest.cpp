// End to end: the built plug-in file loaded as a host loads it (dlopen on
// the native build, LoadLibraryW under Wine), a few blocks per case.

#include "clap/ClapAbi.h"
#include "plugin/tests/TestPlugin.h"
#include "tools/testhost/ClapModule.h"
#include "tools/testhost/ExportedSymbols.h"
#include "tools/testhost/HostedPlugin.h"
#include "tools/testhost/ImportedModules.h"
#include "tools/testhost/PresetIndexer.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>

#ifndef VARNEL_PLUGIN_MODULE
#define VARNEL_PLUGIN_MODULE ""
#endif

namespace {

constexpr const char* kVarnelId = "com.Zentor.preset-discovery.Varnel.1";

class VarnelModuleTest : public test::PluginTest {
protected:
    void SetUp() override {
        if (std::strlen(VARNEL_PLUGIN_MODULE) == 0) GTEST_SKIP() << "this build has no product plug-in";
        PluginTest::SetUp();
        std::string error;
        module_ = ClapModule::load(VARNEL_PLUGIN_MODULE, error);
        ASSERT_TRUE(module_) << error;
    }
    void TearDown() override {
        plugin_.reset();
        if (host_) {
            EXPECT_EQ(host_->violations(), std::vector<std::string>{});
        }
        host_.reset();
        module_.reset();
        if (std::strlen(VARNEL_PLUGIN_MODULE) != 0) PluginTest::TearDown();
    }
    HostedPlugin& start(double rate = 48000.0, uint32_t maxFrames = 512, bool activate = true) {
        if (!host_) host_ = std::make_unique<::TestHost>();
        plugin_ = std::make_unique<HostedPlugin>(*host_, module_->pluginFactory(), kVarnelId);
        EXPECT_NE(plugin_->plugin(), nullptr);
        EXPECT_TRUE(plugin_->init());
        if (activate) {
            EXPECT_TRUE(plugin_->activate(rate, 1, maxFrames));
        }
        return *plugin_;
    }
    // Parameter ids by name.
    std::map<std::string, clap_id> parameterIds() {
        std::map<std::string, clap_id> ids;
        for (uint32_t i = 0; i < plugin_->paramCount(); ++i)
            ids[plugin_->paramInfo(i)->name] = plugin_->paramInfo(i)->id;
        return ids;
    }

    std::unique_ptr<ClapModule> module_;
    std::unique_ptr<::TestHost> host_;
    std::unique_ptr<HostedPlugin> plugin_;
};

TEST_F(VarnelModuleTest, ExportsTheEntryOnlyAndDescribesTheProduct) {
    std::vector<std::string> symbols;
    std::string error;
    ASSERT_TRUE(readExportedSymbolsOfFile(VARNEL_PLUGIN_MODULE, symbols, error)) << error;
    EXPECT_EQ(symbols, std::vector<std::string>{"clap_entry"});

    const clap_plugin_factory_t* factory = module_->pluginFactory();
    ASSERT_NE(factory, nullptr);
    ASSERT_EQ(factory->get_plugin_count(factory), 1u);
    const clap_plugin_descriptor_t* d = factory->get_plugin_descriptor(factory, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->id, kVarnelId);
    // The name carries the major version when it is above the base version 1.
    ASSERT_NE(d->version, nullptr);
    const int major = std::atoi(d->version);
    const std::string name = major > 1 ? "Varnel " + std::to_string(major) : "Varnel";
    EXPECT_EQ(d->name, name);
    // A URL holds no blank: "Varnel 2" is "varnel%202" in the manual's address.
    EXPECT_EQ(std::string(d->manual_url),
              "https://zentor.example/help/varnel" + (major > 1 ? "%20" + std::to_string(major) : ""));
    EXPECT_STREQ(d->vendor, "Zentor");
    EXPECT_EQ(d->description, nullptr);
    ASSERT_NE(d->features[0], nullptr);
    EXPECT_STREQ(d->features[0], "audio-effect");
    ASSERT_NE(d->features[1], nullptr);
    EXPECT_STREQ(d->features[1], "delay");
    EXPECT_EQ(d->features[2], nullptr);
    const clap_preset_discovery_factory_t* discovery = module_->presetDiscoveryFactory();
    ASSERT_NE(discovery, nullptr);
    const clap_preset_discovery_provider_descriptor_t* provider = discovery->get_descriptor(discovery, 0);
    ASSERT_NE(provider, nullptr);
    EXPECT_STREQ(provider->id, kVarnelId);
    EXPECT_EQ(provider->name, name + " Preset Indexer");
    EXPECT_STREQ(provider->vendor, "Zentor");

    HostedPlugin& plugin = start(48000.0, 512, false);
    EXPECT_EQ(plugin.plugin()->desc, d);
    // The Windows plug-in carries the editor; the Linux one has none.
    EXPECT_EQ(plugin.plugin()->get_extension(plugin.plugin(), CLAP_EXT_GUI) != nullptr,
              bool(VARNEL_PLUGIN_HAS_EDITOR));
    EXPECT_EQ(plugin.plugin()->get_extension(plugin.plugin(), CLAP_EXT_GAIN_ADJUSTMENT_METERING), nullptr);
    const auto* ports = plugin.extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    ASSERT_NE(ports, nullptr);
    EXPECT_EQ(ports->count(plugin.plugin(), true), 2u);
    EXPECT_EQ(ports->count(plugin.plugin(), false), 1u);
    const auto* configs = plugin.extension<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
    ASSERT_NE(configs, nullptr);
    EXPECT_EQ(configs->count(plugin.plugin()), 1u);
    EXPECT_TRUE(configs->select(plugin.plugin(), 1));
}

// A Windows host loads the file only when every DLL it imports is there: the
// system's own, never one that only Wine (or a developer's machine) has.
TEST_F(VarnelModuleTest, TheWindowsFileImportsOnlyDllsEveryWindowsHas) {
    std::vector<std::string> modules;
    std::string error;
    if (!readImportedModulesOfFile(VARNEL_PLUGIN_MODULE, modules, error) && error == "not a PE file")
        GTEST_SKIP() << "the Linux plug-in is an ELF file";
    ASSERT_EQ(error, "");
    EXPECT_NE(std::find(modules.begin(), modules.end(), "kernel32.dll"), modules.end());
    for (const std::string& module : modules)
        EXPECT_TRUE(isWindowsSystemModule(module)) << VARNEL_PLUGIN_MODULE << " imports " << module;
}

TEST_F(VarnelModuleTest, ParametersAreSound) {
    HostedPlugin& plugin = start(48000.0, 512, false);
    const uint32_t count = plugin.paramCount();
    ASSERT_GT(count, 50u);
    std::vector<bool> seen(count, false);
    for (uint32_t i = 0; i < count; ++i) {
        const std::optional<clap_param_info_t> info = plugin.paramInfo(i);
        ASSERT_TRUE(info) << i;
        ASSERT_LT(info->id, count);
        EXPECT_FALSE(seen[info->id]) << "duplicate id " << info->id;
        seen[info->id] = true;
        EXPECT_LE(info->min_value, info->default_value) << info->name;
        EXPECT_LE(info->default_value, info->max_value) << info->name;
        if ((info->flags & CLAP_PARAM_IS_STEPPED) != 0) {
            EXPECT_EQ(info->min_value, std::round(info->min_value)) << info->name;
            EXPECT_EQ(info->max_value, std::round(info->max_value)) << info->name;
        }
        // Text to value to text is stable over a spread of values.
        for (int step = 0; step <= 4; ++step) {
            const double value = info->min_value + (info->max_value - info->min_value) * step / 4.0;
            const std::optional<std::string> text = plugin.valueToText(info->id, value);
            ASSERT_TRUE(text) << info->name;
            const std::optional<double> parsed = plugin.textToValue(info->id, *text);
            ASSERT_TRUE(parsed) << info->name << ": " << *text;
            EXPECT_EQ(plugin.valueToText(info->id, *parsed), text) << info->name;
        }
    }
    EXPECT_FALSE(plugin.paramInfo(count));
    EXPECT_FALSE(plugin.paramValue(count));
}

TEST_F(VarnelModuleTest, StateBeginsWithTheParameterBlockAndReloadsByteForByte) {
    start(48000.0, 512, false);
    const std::optional<std::vector<uint8_t>> first = plugin_->saveState();
    ASSERT_TRUE(first);
    const uint32_t count = plugin_->paramCount();
    ASSERT_GT(first->size(), 12u + 4 * count + 8);
    EXPECT_EQ(std::string(first->begin(), first->begin() + 4), "ZTBS");
    uint32_t words[3];
    std::memcpy(words, first->data() + 4, 8);
    EXPECT_EQ(words[0], 1u);
    EXPECT_EQ(words[1], count);
    const size_t chunk = 12 + 4 * size_t(count);
    EXPECT_EQ(std::string(first->begin() + long(chunk), first->begin() + long(chunk) + 4), "ZVms");
    std::memcpy(words, first->data() + chunk + 4, 4);
    EXPECT_EQ(words[0], 3u);

    plugin_.reset();
    start(48000.0, 512, false);
    ASSERT_TRUE(plugin_->loadState(*first));
    EXPECT_EQ(plugin_->saveState(), first);
    EXPECT_FALSE(plugin_->loadState({}));
    EXPECT_FALSE(plugin_->loadState(std::vector<uint8_t>(first->begin(), first->begin() + 20)));
    std::mt19937 random(3);
    std::vector<uint8_t> noise(1 << 20);
    for (uint8_t& b : noise)
        b = static_cast<uint8_t>(random());
    EXPECT_FALSE(plugin_->loadState(noise, 1 << 16));
}

// A host keeps its own copy of every value (sliders, automation lanes, undo):
// after a state or preset load the plug-in tells it to read them all again.
TEST_F(VarnelModuleTest, AfterAStateOrPresetLoadTheHostReadsTheValuesAgain) {
    HostedPlugin& plugin = start(48000.0, 512, false);
    const std::optional<std::vector<uint8_t>> saved = plugin.saveState();
    ASSERT_TRUE(saved);
    std::map<std::string, clap_id> ids = parameterIds();
    std::map<clap_id, double> before;
    for (const auto& [name, id] : ids)
        before[id] = *plugin.paramValue(id);
    HostEventList moves;
    for (const char* name : {"Delay L Time", "Delay L Feedback", "Wet Level", "Dry Level"})
        moves.addParamValue(0, ids.at(name), before.at(ids.at(name)) < 0.5 ? 0.9 : 0.1);
    plugin.flush(moves);
    ASSERT_NE(plugin.paramValue(ids.at("Wet Level")), before.at(ids.at("Wet Level")));

    auto valueRescans = [&] {
        const std::vector<uint32_t>& rescans = host_->calls().paramsRescan;
        return std::count_if(rescans.begin(), rescans.end(),
                             [](uint32_t flags) { return (flags & CLAP_PARAM_RESCAN_VALUES) != 0; });
    };
    const auto rescansBefore = valueRescans();
    ASSERT_TRUE(plugin.loadState(*saved));
    host_->pumpMainThread();
    EXPECT_GT(valueRescans(), rescansBefore) << "a state load";
    for (const auto& [id, value] : before)
        EXPECT_EQ(plugin.paramValue(id), value) << id;

    PresetIndexer indexer;
    ASSERT_TRUE(indexer.open(module_->presetDiscoveryFactory(), kVarnelId));
    indexer.crawl();
    ASSERT_FALSE(indexer.presets().empty());
    const auto rescansBeforePreset = valueRescans();
    ASSERT_TRUE(
        plugin.loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_FILE, indexer.presets().back().location.c_str()));
    host_->pumpMainThread();
    EXPECT_GT(valueRescans(), rescansBeforePreset) << "a preset load";
}

// The frame of the loudest sample of a channel from `from` on.
uint32_t loudestFrame(const std::vector<float>& samples, uint32_t from) {
    uint32_t best = from;
    for (uint32_t i = from; i < samples.size(); ++i)
        if (std::fabs(samples[i]) > std::fabs(samples[best])) best = i;
    return best;
}

TEST_F(VarnelModuleTest, AClicksEchoLiesAtTheDelayTimeAtEveryRate) {
    for (double rate : {8000.0, 12345.678, 48000.0, 768000.0}) {
        const uint32_t block = rate > 100000.0 ? 4096 : 512;
        HostedPlugin& plugin = start(rate, block);
        std::map<std::string, clap_id> ids = parameterIds();
        HostEventList settings;
        for (const char* line : {"Delay L", "Delay R"}) {
            const std::optional<double> time = plugin.textToValue(ids.at(std::string(line) + " Time"), "300");
            ASSERT_TRUE(time) << line;
            settings.addParamValue(0, ids.at(std::string(line) + " Time"), *time);
            settings.addParamValue(0, ids.at(std::string(line) + " Feedback"), 0.0);
        }
        const auto frames = static_cast<uint32_t>(std::ceil(rate * 0.34));
        std::vector<float> left;
        std::vector<float> right;
        HostEventList none;
        for (uint32_t done = 0; done < frames; done += block) {
            for (uint32_t c = 0; c < 2; ++c)
                std::fill(plugin.input(0, c), plugin.input(0, c) + block, 0.0f);
            if (done == 0) {
                plugin.input(0, 0)[0] = 1.0f;
                plugin.input(0, 1)[0] = 1.0f;
            }
            plugin.process(block, done == 0 ? settings : none);
            left.insert(left.end(), plugin.output(0, 0), plugin.output(0, 0) + block);
            right.insert(right.end(), plugin.output(0, 1), plugin.output(0, 1) + block);
            for (uint32_t i = 0; i < block; ++i)
                ASSERT_TRUE(std::isfinite(plugin.output(0, 0)[i]) && std::isfinite(plugin.output(0, 1)[i]));
        }
        const auto from = static_cast<uint32_t>(rate * 0.01);
        for (const std::vector<float>* channel : {&left, &right}) {
            const double ms = 1000.0 * loudestFrame(*channel, from) / rate;
            EXPECT_NEAR(ms, 300.0, 1.0) << "at " << rate << " Hz";
        }
        plugin_.reset();
    }
}

TEST_F(VarnelModuleTest, BlocksOfAnySizeGiveTheSameOutput) {
    constexpr uint32_t kTotal = 16384;
    std::mt19937 random(11);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> input(kTotal);
    for (float& x : input)
        x = noise(random);
    std::vector<std::vector<float>> results;
    std::mt19937 sizes(5);
    for (int mode : {0, 1, 2}) {
        HostedPlugin& plugin = start(48000.0, kTotal);
        std::vector<float> out;
        HostEventList none;
        uint32_t done = 0;
        while (done < kTotal) {
            uint32_t n = mode == 0 ? kTotal : mode == 1 ? 1 + sizes() % 700 : 64;
            if (done < 3 && mode == 1) n = 1;
            n = std::min(n, kTotal - done);
            for (uint32_t c = 0; c < 2; ++c)
                std::copy(input.begin() + done, input.begin() + done + n, plugin.input(0, c));
            plugin.process(n, none);
            out.insert(out.end(), plugin.output(0, 0), plugin.output(0, 0) + n);
            done += n;
        }
        results.push_back(out);
        plugin_.reset();
    }
    for (uint32_t i = 0; i < kTotal; ++i) {
        ASSERT_NEAR(results[1][i], results[0][i], 1e-6f) << i;
        ASSERT_NEAR(results[2][i], results[0][i], 1e-6f) << i;
    }
}

TEST_F(VarnelModuleTest, RandomAutomationAndDenormalInputGiveFiniteNormalOutput) {
    HostedPlugin& plugin = start(44100.0, 256);
    const uint32_t count = plugin.paramCount();
    std::mt19937 random(21);
    for (int block = 0; block < 12; ++block) {
        HostEventList events;
        std::vector<uint32_t> times;
        for (int k = 0; k < 6; ++k)
            times.push_back(static_cast<uint32_t>(random() % 256));
        std::sort(times.begin(), times.end());
        for (uint32_t t : times) {
            const clap_param_info_t info = *plugin.paramInfo(static_cast<uint32_t>(random() % count));
            const double position = std::uniform_real_distribution<double>(0.0, 1.0)(random);
            double value = info.min_value + position * (info.max_value - info.min_value);
            if ((info.flags & CLAP_PARAM_IS_STEPPED) != 0) value = std::round(value);
            events.addParamValue(t, info.id, value);
        }
        const float input = block < 6 ? 0.25f * std::sin(float(block)) : 1e-41f; // then denormals
        for (uint32_t port = 0; port < plugin.inputPortCount(); ++port)
            for (uint32_t c = 0; c < plugin.inputChannelCount(port); ++c)
                std::fill(plugin.input(port, c), plugin.input(port, c) + 256, input);
        plugin.process(256, events);
        for (uint32_t c = 0; c < 2; ++c)
            for (uint32_t i = 0; i < 256; ++i) {
                const float x = plugin.output(0, c)[i];
                ASSERT_TRUE(std::isfinite(x)) << block << " " << i;
                if (block >= 9) {
                    ASSERT_NE(std::fpclassify(x), FP_SUBNORMAL) << block << " " << i;
                }
            }
    }
}

// The echo of a click, in ms, on one channel.
double echoMs(HostedPlugin& plugin, double rate, const clap_event_transport_t* transport, uint32_t channel) {
    constexpr uint32_t kBlock = 512;
    const auto frames = static_cast<uint32_t>(rate * 0.8);
    std::vector<float> out;
    HostEventList none;
    ProcessOptions options;
    options.transport = transport;
    for (uint32_t done = 0; done < frames; done += kBlock) {
        for (uint32_t c = 0; c < 2; ++c)
            std::fill(plugin.input(0, c), plugin.input(0, c) + kBlock, 0.0f);
        if (done == 0) plugin.input(0, channel)[0] = 1.0f;
        plugin.process(kBlock, none, options);
        out.insert(out.end(), plugin.output(0, channel), plugin.output(0, channel) + kBlock);
    }
    return 1000.0 * loudestFrame(out, static_cast<uint32_t>(rate * 0.01)) / rate;
}

TEST_F(VarnelModuleTest, SyncedEchoesFollowTheHostTempoAnd120WithoutOne) {
    const double rate = 48000.0;
    clap_event_transport_t noTempo{};
    noTempo.header = {sizeof noTempo, 0, 0, CLAP_EVENT_TRANSPORT, 0};
    clap_event_transport_t at90 = noTempo;
    at90.flags = CLAP_TRANSPORT_HAS_TEMPO;
    at90.tempo = 90.0;
    clap_event_transport_t broken = at90;
    broken.tempo = std::nan("");
    struct Case {
        const clap_event_transport_t* transport;
        double ms;
    };
    for (const Case& c :
         {Case{nullptr, 500.0}, Case{&noTempo, 500.0}, Case{&broken, 500.0}, Case{&at90, 666.7}}) {
        HostedPlugin& plugin = start(rate, 512);
        std::map<std::string, clap_id> ids = parameterIds();
        HostEventList settings;
        for (const char* line : {"Delay L", "Delay R"}) {
            const std::optional<double> note =
                plugin.textToValue(ids.at(std::string(line) + " Sync"), "Note");
            ASSERT_TRUE(note) << line;
            settings.addParamValue(0, ids.at(std::string(line) + " Sync"), *note);
            settings.addParamValue(0, ids.at(std::string(line) + " Feedback"), 0.0);
        }
        plugin.flush(settings);
        EXPECT_NEAR(echoMs(plugin, rate, c.transport, 0), c.ms, 1.0);
        plugin_.reset();
    }
}

// Automating "Channel Mode" renames the delay controls L/R to M/S; the host
// hears of it through a rescan of the parameter info on its main thread.
TEST_F(VarnelModuleTest, ChannelModeAutomationRenamesTheDelayControlsForTheHost) {
    HostedPlugin& plugin = start();
    std::map<std::string, clap_id> ids = parameterIds();
    HostEventList events;
    events.addParamValue(0, ids.at("Channel Mode"), 1.0);
    EXPECT_EQ(plugin.process(64, events), CLAP_PROCESS_CONTINUE);
    host_->pumpMainThread();
    const std::vector<uint32_t>& rescans = host_->calls().paramsRescan;
    EXPECT_NE(std::find(rescans.begin(), rescans.end(), static_cast<uint32_t>(CLAP_PARAM_RESCAN_INFO)),
              rescans.end());
    EXPECT_EQ(std::string(plugin.paramInfo(ids.at("Delay L Time"))->name), "Delay M Time");
    EXPECT_EQ(std::string(plugin.paramInfo(ids.at("Delay R Pan"))->name), "Delay S Pan");
}

TEST_F(VarnelModuleTest, MainThreadStateAndPresetWorkBesideAudioThreadAutomation) {
    HostedPlugin& plugin = start(48000.0, 256);
    PresetIndexer indexer;
    const clap_preset_discovery_factory_t* discovery = module_->presetDiscoveryFactory();
    ASSERT_TRUE(indexer.open(discovery, kVarnelId));
    indexer.crawl();
    std::vector<std::string> presets;
    for (const DiscoveredPreset& preset : indexer.presets())
        if (presets.size() < 3) presets.push_back(preset.location);
    ASSERT_FALSE(presets.empty());
    const std::optional<std::vector<uint8_t>> state = plugin.saveState();
    ASSERT_TRUE(state);
    std::map<std::string, clap_id> ids = parameterIds();
    HostEventList events;
    for (uint32_t t = 0; t < 256; t += 32) {
        events.addParamValue(t, ids.at("Delay L Feedback"), (t % 64) / 128.0);
        events.addParamValue(t + 1, ids.at("Wet Level"), 0.5);
    }
    std::atomic<bool> stop{false};
    std::function<void()> blocks = [&] {
        plugin.startProcessingHere();
        while (!stop.load())
            plugin.processHere(256, events, {});
    };
    host_->audioThread().start(blocks);
    for (int round = 0; round < 4; ++round) {
        EXPECT_TRUE(plugin.loadState(*state, 4096));
        EXPECT_TRUE(plugin.saveState(4096));
        EXPECT_TRUE(plugin.paramValue(ids.at("Delay L Time")));
        EXPECT_TRUE(plugin.loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_FILE,
                                      presets[size_t(round) % presets.size()].c_str()));
        host_->pumpMainThread();
    }
    stop.store(true);
    host_->audioThread().wait();
    plugin.stopProcessing();
}

// FNV-1a over the bits of the samples.
uint64_t checksum(const std::vector<float>& samples) {
    uint64_t h = 1469598103934665603ull;
    for (float x : samples) {
        uint32_t u = 0;
        std::memcpy(&u, &x, sizeof u);
        for (int i = 0; i < 4; ++i) {
            h ^= (u >> (8 * i)) & 0xffu;
            h *= 1099511628211ull;
        }
    }
    return h;
}

// Through the plug-in file, host blocks of 16, 32, 64, 128 and 512 frames
// give exactly the output they always gave: values automated inside blocks (the
// adapter cuts the blocks there), a note, the transport playing and then
// absent, and a stretch of silence that the host marks constant.
TEST_F(VarnelModuleTest, EveryHostBlockKeepsItsOutputBitForBit) {
    constexpr uint32_t kTotal = 24000;
    constexpr uint32_t kPlayingUntil = 12000;
    constexpr uint32_t kSilence[2] = {16000, 20000};
    struct Change {
        uint32_t frame;
        const char* name;
        const char* text;
    };
    const Change changes[] = {{3001, "Delay L Time", "250"},
                              {3001, "Dry Level", "-6"},
                              {5003, "Wet Pan", "0.4"},
                              {7005, "Channel Mode", "Mid/Side"},
                              {9000, "Delay R Feedback", "0.6"},
                              {13007, "Audition Signal", "Input"},
                              {15011, "Audition Signal", "Output"},
                              {15011, "Channel Mode", "Left/Right"},
                              {18013, "Wet Level", "-12"}};
    // The same on both builds (no filter runs).
    struct Block {
        uint32_t frames;
        uint64_t expected;
    };
    const Block blocks[] = {{16, 0xc79aa82174c92563ull},
                            {32, 0x671b737a0e0b8124ull},
                            {64, 0x9b07051f6ee345baull},
                            {128, 0xfa9d16c0c056e23eull},
                            {512, 0x15c4319a72b478eeull}};
    std::mt19937 random(17);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> input[2] = {std::vector<float>(kTotal), std::vector<float>(kTotal)};
    for (uint32_t i = 0; i < kTotal; ++i) {
        const bool silent = i >= kSilence[0] && i < kSilence[1];
        input[0][i] = silent ? 0.0f : noise(random);
        input[1][i] = silent ? 0.0f : noise(random);
    }
    for (const Block& block : blocks) {
        SCOPED_TRACE(::testing::Message() << "blocks of " << block.frames);
        HostedPlugin& plugin = start(48000.0, 512);
        std::map<std::string, clap_id> ids = parameterIds();
        std::vector<float> out;
        for (uint32_t done = 0; done < kTotal; done += block.frames) {
            const uint32_t n = std::min(block.frames, kTotal - done);
            HostEventList events;
            for (const Change& change : changes)
                if (change.frame >= done && change.frame < done + n) {
                    const std::optional<double> value = plugin.textToValue(ids.at(change.name), change.text);
                    ASSERT_TRUE(value) << change.name << " = " << change.text;
                    events.addParamValue(change.frame - done, ids.at(change.name), *value);
                }
            if (6000 >= done && 6000 < done + n) events.addNote(6000 - done, true, 0, 0, 60, 0.8);
            if (10000 >= done && 10000 < done + n) events.addNote(10000 - done, false, 0, 0, 60, 0.0);
            for (uint32_t c = 0; c < 2; ++c)
                std::copy(input[c].begin() + done, input[c].begin() + done + n, plugin.input(0, c));
            clap_event_transport_t transport{};
            transport.header = {sizeof transport, 0, 0, CLAP_EVENT_TRANSPORT, 0};
            transport.flags =
                CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE | CLAP_TRANSPORT_IS_PLAYING;
            transport.tempo = 100.0;
            transport.song_pos_beats = static_cast<clap_beattime>(double(done) / 48000.0 * 100.0 / 60.0 *
                                                                  double(CLAP_BEATTIME_FACTOR));
            ProcessOptions options;
            options.transport = done < kPlayingUntil ? &transport : nullptr;
            options.inputConstantMask = done >= kSilence[0] && done + n <= kSilence[1] ? 3u : 0u;
            ASSERT_EQ(plugin.process(n, events, options), CLAP_PROCESS_CONTINUE);
            for (uint32_t c = 0; c < 2; ++c)
                out.insert(out.end(), plugin.output(0, c), plugin.output(0, c) + n);
        }
        EXPECT_EQ(checksum(out), block.expected) << std::hex << "0x" << checksum(out) << "ull";
        plugin_.reset();
    }
}

} // namespace
