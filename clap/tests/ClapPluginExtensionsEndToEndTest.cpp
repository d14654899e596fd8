// The product's plug-in file driven by the test host: preset discovery over
// the factory presets, preset load from a discovered location, and the
// latency, tail, metering and track answers. Runs on the Linux .clap
// natively and on Varnel.clap under Wine.

#include "clap/ClapAbi.h"
#include "clap/HostPath.h"
#include "foundation/tests/TestFiles.h"
#include "tools/demo/DemoSignal.h"
#include "tools/demo/EchoReport.h"
#include "tools/testhost/ClapModule.h"
#include "tools/testhost/HostedPlugin.h"
#include "tools/testhost/PresetIndexer.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <list>
#include <memory>
#include <set>
#include <string>

#ifndef VARNEL_PLUGIN_MODULE
#define VARNEL_PLUGIN_MODULE ""
#endif

namespace {

constexpr uint32_t kBlock = 512;

class PluginExtensionsEndToEnd : public ::testing::Test {
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
        pluginId_ = factory->get_plugin_descriptor(factory, 0)->id;
        if (!instanceFirst_) return;
        // A first instance sets up the preset folder with the factory presets.
        TestHost host;
        HostedPlugin first(host, factory, pluginId_);
        ASSERT_TRUE(first.init());
    }

    std::unique_ptr<HostedPlugin> makeInstance(TestHost& host) {
        auto plugin = std::make_unique<HostedPlugin>(host, module_->pluginFactory(), pluginId_);
        EXPECT_TRUE(plugin->plugin() && plugin->init());
        return plugin;
    }

    bool openIndexer(PresetIndexer& indexer) {
        const clap_preset_discovery_factory_t* discovery = module_->presetDiscoveryFactory();
        return discovery && discovery->count(discovery) == 1 &&
               indexer.open(discovery, discovery->get_descriptor(discovery, 0)->id);
    }

    // The factory presets' names, from their sources.
    static std::set<std::string> factoryPresetNames() {
        std::set<std::string> names;
        const char* source = std::getenv("VARNEL_SOURCE_DIR");
        EXPECT_TRUE(source);
        if (!source) return names;
        const std::filesystem::path root = std::filesystem::path(source) / "resources" / "presets";
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            const std::string path = entry.path().generic_string();
            const std::string file = entry.path().filename().string();
            const std::string suffix = ".ztp.txt";
            if (path.find("Component Presets") != std::string::npos || file.size() <= suffix.size() ||
                file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            names.insert(file.substr(0, file.size() - suffix.size()));
        }
        return names;
    }

    static const DiscoveredPreset* find(const PresetIndexer& indexer, const std::string& name) {
        for (const DiscoveredPreset& preset : indexer.presets())
            if (preset.name == name) return &preset;
        return nullptr;
    }

    // The echoes on the left of a lone click fed into a fresh start of
    // processing, over one second.
    static std::vector<Echo> leftEchoes(HostedPlugin& plugin) {
        if (plugin.processing()) plugin.stopProcessing();
        const std::vector<float> click = makeClick(DemoSignal::kSeed, 0.8f);
        const uint32_t total = 94 * kBlock; // just over one second
        std::vector<float> left(total, 0.0f);
        HostEventList events;
        for (uint32_t start = 0; start < total; start += kBlock) {
            for (uint32_t channel = 0; channel < plugin.inputChannelCount(0); ++channel)
                for (uint32_t n = 0; n < kBlock; ++n)
                    plugin.input(0, channel)[n] = start + n < click.size() ? click[start + n] : 0.0f;
            EXPECT_EQ(plugin.process(kBlock, events), CLAP_PROCESS_CONTINUE);
            std::copy(plugin.output(0, 0), plugin.output(0, 0) + kBlock, left.begin() + start);
        }
        EchoSearch search;
        search.clickStart = 0;
        search.searchFrames = total - DemoSignal::kClickLength;
        return findEchoes(left, click, search);
    }

    test::TemporaryFolder folder_{"clap-extensions"};
    bool instanceFirst_ = true;
    std::unique_ptr<ClapModule> module_;
    std::string pluginId_;

private:
    static void setEnvironment(const std::string& assignment) {
        static std::list<std::string> texts;
        texts.push_back(assignment);
        putenv(texts.back().data());
    }
};

TEST_F(PluginExtensionsEndToEnd, DiscoveryFindsEveryFactoryPresetInTheDeclaredFolder) {
    PresetIndexer indexer;
    ASSERT_TRUE(openIndexer(indexer));
    ASSERT_EQ(indexer.locations().size(), 1u);
    const DeclaredLocation location = indexer.locations()[0];
    EXPECT_EQ(location.flags, 3u);
    EXPECT_EQ(location.name, "Varnel Preset Folder");
    EXPECT_EQ(location.kind, static_cast<uint32_t>(CLAP_PRESET_DISCOVERY_LOCATION_FILE));
    EXPECT_FALSE(location.location.empty());
    ASSERT_EQ(indexer.filetypes().size(), 1u);
    EXPECT_EQ(indexer.filetypes()[0].name, "Zentor Preset");
    EXPECT_EQ(indexer.filetypes()[0].description, "Preset for a Zentor plugin");
    EXPECT_EQ(indexer.filetypes()[0].extension, "ztp");

    EXPECT_EQ(indexer.crawl(), 0);
    const std::set<std::string> names = factoryPresetNames();
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        const DiscoveredPreset* preset = find(indexer, name);
        ASSERT_NE(preset, nullptr) << name;
        EXPECT_EQ(preset->pluginIds, (std::vector<std::pair<std::string, std::string>>{{"clap", pluginId_}}));
        EXPECT_EQ(preset->loadKey, preset->location);
    }
    EXPECT_TRUE(indexer.violations().empty());

    // The folder itself, with or without its trailing separator, is no preset.
    std::string folder = location.location;
    EXPECT_FALSE(indexer.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_FILE, folder.c_str()));
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    EXPECT_FALSE(indexer.getMetadata(CLAP_PRESET_DISCOVERY_LOCATION_FILE, folder.c_str()));
}

// A host indexes presets when it scans plug-ins, before it makes any
// instance: the provider sets up the folder itself.
class PresetDiscoveryBeforeAnyInstance : public PluginExtensionsEndToEnd {
protected:
    void SetUp() override {
        instanceFirst_ = false;
        PluginExtensionsEndToEnd::SetUp();
    }
};

TEST_F(PresetDiscoveryBeforeAnyInstance, FindsEveryFactoryPresetAndEachLoads) {
    PresetIndexer indexer;
    ASSERT_TRUE(openIndexer(indexer));
    ASSERT_EQ(indexer.locations().size(), 1u);
    // The stand-ins' home is new (Windows keeps the prefix's own documents).
    const std::filesystem::path folder(indexer.locations()[0].location);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(indexer.crawl(), 0);
    const std::set<std::string> names = factoryPresetNames();
    ASSERT_FALSE(names.empty());
    std::set<std::string> found;
    for (const DiscoveredPreset& preset : indexer.presets())
        found.insert(preset.name);
    EXPECT_EQ(found, names);
    EXPECT_TRUE(indexer.violations().empty());

    TestHost host;
    std::unique_ptr<HostedPlugin> plugin = makeInstance(host);
    for (const DiscoveredPreset& preset : indexer.presets())
        EXPECT_TRUE(plugin->loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_FILE, preset.location.c_str()))
            << preset.name;
    EXPECT_TRUE(host.violations().empty());
}

TEST_F(PluginExtensionsEndToEnd, FavouritesOfTheFolderAreFlagged) {
    PresetIndexer first;
    ASSERT_TRUE(openIndexer(first));
    const std::filesystem::path folder(first.locations()[0].location);
    const std::filesystem::path favorites = folder / "Favorites.txt";
    std::string kept;
    const bool existed = std::filesystem::exists(favorites);
    if (existed) {
        std::ifstream in(favorites, std::ios::binary);
        kept.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    {
        std::ofstream out(favorites, std::ios::binary | std::ios::trunc);
        out << "# Favourites of the test\n_1 Basics/Slapback.ztp\n";
    }
    PresetIndexer indexer;
    ASSERT_TRUE(openIndexer(indexer));
    EXPECT_EQ(indexer.crawl(), 0);
    if (existed)
        std::ofstream(favorites, std::ios::binary | std::ios::trunc) << kept;
    else
        std::filesystem::remove(favorites);
    ASSERT_GT(indexer.presets().size(), 1u);
    for (const DiscoveredPreset& preset : indexer.presets()) {
        if (preset.name == "Slapback") {
            EXPECT_TRUE(preset.flagsSet);
            EXPECT_EQ(preset.flags, 11u);
        } else {
            EXPECT_FALSE(preset.flagsSet) << preset.name;
        }
    }
}

// A discovered preset loads through preset-load and moves the echo; the
// host hears of it on its main thread. Without any host extension it still
// loads.
TEST_F(PluginExtensionsEndToEnd, PresetLoadFromADiscoveredLocationMovesTheEcho) {
    PresetIndexer indexer;
    ASSERT_TRUE(openIndexer(indexer));
    indexer.crawl();
    const DiscoveredPreset* slapback = find(indexer, "Slapback");
    ASSERT_NE(slapback, nullptr);

    for (bool offered : {true, false}) {
        SCOPED_TRACE(offered);
        TestHost host;
        host.offerAll(offered);
        auto plugin = makeInstance(host);
        ASSERT_TRUE(plugin->activate(48000.0, 1, kBlock));
        const std::vector<Echo> before = leftEchoes(*plugin);
        ASSERT_FALSE(before.empty());
        EXPECT_NEAR(before[0].milliseconds, 375.0, 1.0);

        EXPECT_FALSE(plugin->loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, slapback->location.c_str(),
                                        slapback->loadKey.c_str()));
        ASSERT_TRUE(plugin->loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_FILE, slapback->location.c_str(),
                                       slapback->loadKey.c_str()));
        plugin->pumpMainThread();
        const std::vector<Echo> after = leftEchoes(*plugin);
        ASSERT_FALSE(after.empty());
        EXPECT_NEAR(after[0].milliseconds, 95.0, 1.0);

        const TestHost::CallLog& calls = host.calls();
        if (offered) {
            // The load's own report, and possibly the model's of its new
            // current preset: both name the file in the host's own form.
            EXPECT_NE(std::find(calls.presetsLoaded.begin(), calls.presetsLoaded.end(), slapback->location),
                      calls.presetsLoaded.end());
            for (const std::string& loaded : calls.presetsLoaded)
                EXPECT_EQ(loaded, slapback->location);
            EXPECT_NE(
                std::find(calls.paramsRescan.begin(), calls.paramsRescan.end(), CLAP_PARAM_RESCAN_VALUES),
                calls.paramsRescan.end());
            EXPECT_GE(calls.markDirty.load(), 1);
        } else {
            EXPECT_TRUE(calls.presetsLoaded.empty());
            EXPECT_EQ(calls.markDirty.load(), 0);
        }
        EXPECT_TRUE(calls.presetErrors.empty());
        EXPECT_TRUE(host.violations().empty()) << host.violations().front();
    }
}

TEST_F(PluginExtensionsEndToEnd, NoLatencyAnEndlessTailAndNoGainMetering) {
    TestHost host;
    clap_track_info_t info{};
    info.flags = CLAP_TRACK_INFO_HAS_TRACK_NAME;
    std::snprintf(info.name, sizeof info.name, "Vocals");
    host.setTrackInfo(info);
    auto plugin = makeInstance(host);
    const auto* latency = plugin->extension<clap_plugin_latency_t>(CLAP_EXT_LATENCY);
    const auto* tail = plugin->extension<clap_plugin_tail_t>(CLAP_EXT_TAIL);
    ASSERT_TRUE(latency && tail);
    ASSERT_TRUE(plugin->activate(48000.0, 1, kBlock));
    EXPECT_EQ(latency->get(plugin->plugin()), 0u);
    EXPECT_EQ(tail->get(plugin->plugin()), 0x7FFFFFFFu);
    EXPECT_EQ(plugin->extension<void>(CLAP_EXT_GAIN_ADJUSTMENT_METERING), nullptr);
    for (const char* id : {CLAP_EXT_TRACK_INFO, CLAP_EXT_TRACK_INFO_COMPAT}) {
        const auto* track = plugin->extension<clap_plugin_track_info_t>(id);
        ASSERT_TRUE(track) << id;
        track->changed(plugin->plugin());
    }
    const auto* location = plugin->extension<clap_plugin_project_location_t>(CLAP_EXT_PROJECT_LOCATION);
    ASSERT_TRUE(location);
    location->set(plugin->plugin(), nullptr, 0);
    EXPECT_TRUE(host.violations().empty());
}

} // namespace
