#include "tools/testhost/HostedPlugin.h"

#include "foundation/tests/AllocationCounter.h"
#include "tools/testhost/tests/GainFixtureRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

namespace {

using test::FixtureInstance;
using test::FixtureSource;

class HostedPluginTest : public ::testing::TestWithParam<FixtureSource> {
protected:
    void SetUp() override {
        module_ = test::loadFixture(GetParam());
        ASSERT_TRUE(module_);
    }

    static void fillRamp(HostedPlugin& plugin, uint32_t frames) {
        for (uint32_t channel = 0; channel < plugin.inputChannelCount(0); ++channel)
            for (uint32_t frame = 0; frame < frames; ++frame)
                plugin.input(0, channel)[frame] = static_cast<float>(frame + 1) * (channel ? -1.0f : 1.0f);
    }

    std::unique_ptr<ClapModule> module_;
};

TEST_P(HostedPluginTest, RunsTheLifecycleAndAppliesAutomationAtItsFrame) {
    FixtureInstance instance(*module_);
    HostedPlugin& plugin = *instance.plugin;
    ASSERT_EQ(plugin.inputPortCount(), 1u);
    ASSERT_EQ(plugin.outputPortCount(), 1u);
    ASSERT_EQ(plugin.outputChannelCount(0), 2u);

    fillRamp(plugin, 256);
    HostEventList events;
    events.addParamValue(100, 0, 0.5);
    EXPECT_EQ(plugin.process(256, events), CLAP_PROCESS_CONTINUE);
    EXPECT_TRUE(plugin.processing());
    for (uint32_t frame : {0u, 99u, 100u, 255u}) {
        float expected = static_cast<float>(frame + 1) * (frame < 100 ? 1.0f : 0.5f);
        EXPECT_EQ(plugin.output(0, 0)[frame], expected) << frame;
        EXPECT_EQ(plugin.output(0, 1)[frame], -expected) << frame;
    }
    EXPECT_EQ(plugin.paramValue(0), 0.5);
    EXPECT_TRUE(instance.host.violations().empty());
}

TEST_P(HostedPluginTest, OutputFaultsAreCaughtBySentinelAndGuard) {
    struct Case {
        uint32_t fault;
        const char* expected;
    };
    const Case cases[] = {
        {0, nullptr},
        {kFaultSkipLastFrame, "left frame 63 unwritten"},
        {kFaultWritePastEnd, "written past frames_count at frame 64"},
    };
    for (const Case& c : cases) {
        FixtureInstance instance(*module_);
        instance.control.faults = c.fault;
        HostEventList events;
        instance.plugin->process(64, events);
        auto violations = instance.host.violations();
        if (!c.expected) {
            EXPECT_TRUE(violations.empty());
            continue;
        }
        ASSERT_EQ(violations.size(), 2u) << c.expected; // both channels
        EXPECT_NE(violations[0].find(c.expected), std::string::npos) << violations[0];
    }
}

TEST_P(HostedPluginTest, InPlaceBlocksShareTheInputBuffers) {
    FixtureInstance instance(*module_);
    HostedPlugin& plugin = *instance.plugin;
    fillRamp(plugin, 32);
    HostEventList events;
    events.addParamValue(0, 0, 2.0);
    ProcessOptions options;
    options.inPlace = true;
    plugin.process(32, events, options);
    EXPECT_EQ(plugin.output(0, 0), plugin.input(0, 0));
    EXPECT_EQ(plugin.output(0, 0)[31], 64.0f);
    EXPECT_TRUE(instance.host.violations().empty());
}

TEST_P(HostedPluginTest, HostileLayoutsHandOverOnlyWhatTheyName) {
    struct Case {
        const char* name;
        ProcessOptions options;
        float left, right; // expected output at frame 9, NaN: not handed over
        uint32_t fault = 0;
        const char* violation = nullptr;
    };
    auto options = [](auto change) {
        ProcessOptions o;
        change(o);
        return o;
    };
    const float untouched = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"as declared", {}, 10.0f, -10.0f},
        {"no inputs", options([](ProcessOptions& o) { o.inputPorts = 0; }), 0.0f, 0.0f},
        {"no outputs", options([](ProcessOptions& o) { o.outputPorts = 0; }), untouched, untouched},
        {"one channel", options([](ProcessOptions& o) { o.channelsPerPort = 1; }), 10.0f, untouched},
        {"null inputs", options([](ProcessOptions& o) { o.nullInputChannels = true; }), 0.0f, 0.0f},
        {"null outputs", options([](ProcessOptions& o) { o.nullOutputChannels = true; }), untouched,
         untouched},
        {"channel count ignored", options([](ProcessOptions& o) { o.channelsPerPort = 1; }), 10.0f, untouched,
         kFaultIgnoreChannelCount, "output port 0 channel 1 written though not handed over"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureInstance instance(*module_);
        instance.control.faults = c.fault;
        fillRamp(*instance.plugin, 16);
        HostEventList events;
        instance.plugin->process(16, events, c.options);
        auto violations = instance.host.violations();
        if (c.violation) {
            ASSERT_EQ(violations.size(), 1u);
            EXPECT_EQ(violations[0], c.violation);
            continue;
        }
        EXPECT_TRUE(violations.empty()) << (violations.empty() ? "" : violations[0]);
        for (uint32_t channel = 0; channel < 2; ++channel) {
            float expected = channel ? c.right : c.left;
            float actual = instance.plugin->output(0, channel)[9];
            if (std::isnan(expected))
                EXPECT_TRUE(std::isnan(actual)) << channel;
            else
                EXPECT_EQ(actual, expected) << channel;
        }
    }
}

TEST_P(HostedPluginTest, StateMovesThroughShortStepsAndReloadsByteIdentical) {
    std::vector<uint8_t> saved;
    {
        FixtureInstance instance(*module_);
        HostEventList events;
        events.addParamValue(0, 0, 0.25);
        instance.plugin->flush(events);
        auto state = instance.plugin->saveState();
        ASSERT_TRUE(state);
        saved = *state;
    }
    ASSERT_GT(saved.size(), HostOutputStream::kDefaultMaxWrite); // several writes and reads needed

    FixtureInstance fresh(*module_);
    ASSERT_TRUE(fresh.plugin->loadState(saved));
    EXPECT_EQ(fresh.plugin->paramValue(0), 0.25);
    EXPECT_EQ(fresh.plugin->saveState(), saved);

    // Truncated and damaged states are refused; a stream error fails the load.
    for (size_t size : {size_t{0}, size_t{1}, saved.size() / 2, saved.size() - 1})
        EXPECT_FALSE(fresh.plugin->loadState(std::vector<uint8_t>(saved.begin(), saved.begin() + size)))
            << size;
    std::vector<uint8_t> damaged = saved;
    damaged[0] ^= 0xFF;
    EXPECT_FALSE(fresh.plugin->loadState(damaged));
    EXPECT_TRUE(fresh.host.violations().empty());
}

TEST_P(HostedPluginTest, ParameterTextsAreReadWithinTheirCapacity) {
    FixtureInstance instance(*module_);
    HostedPlugin& plugin = *instance.plugin;
    ASSERT_EQ(plugin.paramCount(), 1u);
    auto info = plugin.paramInfo(0);
    ASSERT_TRUE(info);
    EXPECT_STREQ(info->name, "Gain");
    EXPECT_FALSE(plugin.paramInfo(1));
    EXPECT_EQ(plugin.valueToText(0, 0.5), "0.500");
    EXPECT_EQ(plugin.textToValue(0, "1.25"), 1.25);
    EXPECT_FALSE(plugin.textToValue(0, "loud"));
    EXPECT_EQ(plugin.valueToText(0, 1.0, 3), "1."); // cut to the capacity
    EXPECT_TRUE(instance.host.violations().empty());

    instance.control.faults = kFaultTextPastCapacity;
    EXPECT_FALSE(plugin.valueToText(0, 1.0, 3));
    auto violations = instance.host.violations();
    ASSERT_EQ(violations.size(), 2u);
    EXPECT_NE(violations[0].find("wrote past its capacity of 3"), std::string::npos);
    EXPECT_NE(violations[1].find("left its text unterminated"), std::string::npos);
}

TEST_P(HostedPluginTest, PresetLoadsReportToTheHostOnTheMainThread) {
    FixtureInstance instance(*module_);
    auto folder = std::filesystem::temp_directory_path() /
                  ("varnel-hosted-" + std::string(test::fixtureSourceName(GetParam())));
    std::filesystem::create_directories(folder);
    auto file = folder / "Half.vgp";
    std::ofstream(file) << "name=Half\ngain=0.5\n";
    std::string path = file.string();

    EXPECT_TRUE(instance.plugin->loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_FILE, path.c_str()));
    EXPECT_EQ(instance.plugin->paramValue(0), 0.5);
    EXPECT_FALSE(instance.plugin->loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, path.c_str()));
    const auto& calls = instance.host.calls();
    EXPECT_EQ(calls.presetsLoaded, std::vector<std::string>{path});
    EXPECT_EQ(calls.presetErrors.size(), 1u);
    EXPECT_EQ(calls.paramsRescan, std::vector<uint32_t>{CLAP_PARAM_RESCAN_VALUES});
    EXPECT_EQ(calls.markDirty.load(), 1);
    EXPECT_TRUE(instance.host.violations().empty());
    std::filesystem::remove_all(folder);
}

TEST_P(HostedPluginTest, TheHostsAudioPathAllocatesNothing) {
    FixtureInstance instance(*module_);
    HostedPlugin& plugin = *instance.plugin;
    HostEventList events;
    events.addParamValue(10, 0, 0.5);
    size_t allocations = 1;
    instance.host.audioThread().run([&] {
        plugin.startProcessingHere();
        plugin.processHere(512, events, {}); // warm up
        test::AllocationCounter counter;
        for (int block = 0; block < 4; ++block)
            plugin.processHere(512, events, {});
        plugin.flushHere(events);
        allocations = counter.allocations();
    });
    EXPECT_EQ(allocations, 0u);
    EXPECT_TRUE(instance.host.violations().empty());
}

// The main thread saves, loads and reads while the audio thread streams
// automated blocks; the linux-tsan configuration runs this too.
TEST_P(HostedPluginTest, MainThreadWorksBesideAStreamOfAudioBlocks) {
    FixtureInstance instance(*module_);
    HostedPlugin& plugin = *instance.plugin;
    HostEventList events;
    events.addParamValue(7, 0, 0.5);
    events.addParamValue(100, 0, 1.5);
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    const std::function<void()> stream = [&] {
        plugin.startProcessingHere();
        while (!stop.load()) {
            plugin.processHere(128, events, {});
            ++blocks;
        }
    };
    instance.host.audioThread().start(stream);
    for (int round = 0; round < 50 || blocks.load() < 50; ++round) {
        auto state = plugin.saveState();
        ASSERT_TRUE(state);
        EXPECT_TRUE(plugin.loadState(*state));
        EXPECT_TRUE(plugin.paramValue(0));
        plugin.pumpMainThread();
    }
    stop = true;
    instance.host.audioThread().wait();
    EXPECT_TRUE(instance.host.violations().empty());
}

INSTANTIATE_TEST_SUITE_P(Fixture, HostedPluginTest,
                         ::testing::Values(FixtureSource::kModuleFile, FixtureSource::kStaticEntry),
                         [](const auto& info) { return std::string(test::fixtureSourceName(info.param)); });

} // namespace
