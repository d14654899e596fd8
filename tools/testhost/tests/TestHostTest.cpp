#include "tools/testhost/TestHost.h"

#include "tools/testhost/tests/GainFixtureRig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using test::FixtureInstance;
using test::FixtureSource;

bool contains(const std::vector<std::string>& list, const std::string& text) {
    for (const auto& item : list)
        if (item.find(text) != std::string::npos) return true;
    return false;
}

TEST(TestHost, CallbacksFromTheWrongThreadAreViolations) {
    auto module = test::loadFixture(FixtureSource::kModuleFile);
    ASSERT_TRUE(module);
    struct Case {
        uint32_t fault;
        const char* expected;
    };
    const Case cases[] = {
        {kFaultRequestFlushInProcess, "params.request_flush called on the audio thread"},
        {kFaultRescanInProcess, "params.rescan called off the main thread (on the audio thread)"},
        {kFaultMarkDirtyInProcess, "state.mark_dirty called off the main thread"},
        {kFaultPresetLoadedInProcess, "preset_load.loaded called off the main thread"},
        {kFaultLatencyChangedInDeactivate, "latency.changed called outside activate"},
        {kFaultLogMisbehaving, "log: asked to misbehave"},
    };
    for (const Case& c : cases) {
        FixtureInstance instance(*module);
        instance.control.faults = c.fault;
        HostEventList events;
        events.addParamValue(0, 0, 0.5); // asks for a main-thread callback
        instance.plugin->process(32, events);
        instance.plugin->pumpMainThread();
        instance.plugin->deactivate();
        EXPECT_TRUE(contains(instance.host.violations(), c.expected)) << c.expected;
        EXPECT_EQ(instance.host.violations().size(), 1u) << c.expected;
    }
}

TEST(TestHost, ActivationMayReportLatencyAndThreadCheckAnswersForEachThread) {
    auto module = test::loadFixture(FixtureSource::kModuleFile);
    ASSERT_TRUE(module);
    FixtureInstance instance(*module);
    EXPECT_EQ(instance.host.calls().latencyChanged.load(), 1); // inside activate: no violation
    EXPECT_TRUE(instance.host.violations().empty());

    const clap_host_t* host = instance.host.clapHost();
    const auto* check =
        static_cast<const clap_host_thread_check_t*>(host->get_extension(host, CLAP_EXT_THREAD_CHECK));
    ASSERT_TRUE(check);
    EXPECT_TRUE(check->is_main_thread(host));
    EXPECT_FALSE(check->is_audio_thread(host));
    bool main = true, audio = false;
    instance.host.audioThread().run([&] {
        main = check->is_main_thread(host);
        audio = check->is_audio_thread(host);
    });
    EXPECT_FALSE(main);
    EXPECT_TRUE(audio);
    std::thread([&] {
        main = check->is_main_thread(host);
        audio = check->is_audio_thread(host);
    }).join();
    EXPECT_FALSE(main);
    EXPECT_FALSE(audio);
}

TEST(TestHost, MainThreadWorkRunsWhenTheHostPumps) {
    auto module = test::loadFixture(FixtureSource::kModuleFile);
    ASSERT_TRUE(module);
    FixtureInstance instance(*module);
    HostEventList events;
    events.addParamValue(5, 0, 0.75);
    instance.plugin->process(64, events);
    instance.plugin->process(64, events); // a second request before the pump coalesces
    EXPECT_EQ(instance.host.calls().requestCallback.load(), 2);
    EXPECT_TRUE(instance.host.calls().paramsRescan.empty());

    EXPECT_EQ(instance.plugin->pumpMainThread(), 1);
    EXPECT_EQ(instance.host.calls().onMainThread.load(), 1);
    EXPECT_EQ(instance.host.calls().paramsRescan, std::vector<uint32_t>{CLAP_PARAM_RESCAN_VALUES});
    EXPECT_EQ(instance.plugin->pumpMainThread(), 0);
    EXPECT_TRUE(instance.host.violations().empty());
}

// The whole lifecycle with the host's extensions switched off one by one,
// down to none: the plug-in must work and the host sees only what it offers.
TEST(TestHost, ExtensionsSwitchOffOneByOneDownToNone) {
    auto module = test::loadFixture(FixtureSource::kModuleFile);
    ASSERT_TRUE(module);
    auto folder = std::filesystem::temp_directory_path() / "varnel-testhost-extensions";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Quiet.vgp") << "gain=0.125\n";
    std::string preset = (folder / "Quiet.vgp").string();

    for (uint32_t off = 0; off <= kHostExtensionCount; ++off) {
        SCOPED_TRACE(off);
        FixtureInstance instance(*module, 1024, [off](TestHost& host) {
            for (uint32_t e = 0; e < off; ++e)
                host.offer(static_cast<HostExtension>(e), false);
        });
        const clap_host_t* host = instance.host.clapHost();
        for (uint32_t e = 0; e < kHostExtensionCount; ++e) {
            const char* id = hostExtensionId(static_cast<HostExtension>(e));
            EXPECT_EQ(host->get_extension(host, id) != nullptr, e >= off) << id;
        }
        HostedPlugin& plugin = *instance.plugin;
        for (uint32_t frame = 0; frame < 128; ++frame)
            plugin.input(0, 0)[frame] = 1.0f;
        HostEventList events;
        events.addParamValue(64, 0, 0.5);
        plugin.process(128, events);
        EXPECT_EQ(plugin.output(0, 0)[0], 1.0f);
        EXPECT_EQ(plugin.output(0, 0)[127], 0.5f);
        plugin.pumpMainThread();
        auto state = plugin.saveState();
        ASSERT_TRUE(state);
        EXPECT_TRUE(plugin.loadState(*state));
        EXPECT_TRUE(plugin.loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_FILE, preset.c_str()));
        plugin.process(128, events);
        EXPECT_EQ(plugin.output(0, 0)[0], 0.125f);

        bool params = instance.host.offers(HostExtension::kParams);
        bool presetLoad = instance.host.offers(HostExtension::kPresetLoad);
        EXPECT_EQ(instance.host.calls().paramsRescan.size(), params ? 2u : 0u);
        EXPECT_EQ(instance.host.calls().presetsLoaded.size(), presetLoad ? 1u : 0u);
        EXPECT_EQ(instance.host.calls().latencyChanged.load(),
                  instance.host.offers(HostExtension::kLatency) ? 1 : 0);
        EXPECT_EQ(instance.host.calls().markDirty.load(),
                  instance.host.offers(HostExtension::kState) ? 1 : 0);
        EXPECT_TRUE(instance.host.violations().empty());
    }
    std::filesystem::remove_all(folder);
}

} // namespace
