#pragma once

// The test host's rig: the gain fixture plug-in, loaded from its module file or
// taken from the copy linked into the test executable, and a host or indexer
// that hands the fixture its control extension.

#include "tools/testhost/ClapModule.h"
#include "tools/testhost/HostedPlugin.h"
#include "tools/testhost/PresetIndexer.h"
#include "tools/testhost/TestHost.h"
#include "tools/testhost/tests/fixture/GainFixtureControl.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

extern "C" const clap_plugin_entry_t clap_entry; // the statically linked fixture

namespace test {

enum class FixtureSource { kModuleFile, kStaticEntry };

inline const char* fixtureSourceName(FixtureSource source) {
    return source == FixtureSource::kModuleFile ? "ModuleFile" : "StaticEntry";
}

inline std::unique_ptr<ClapModule> loadFixture(FixtureSource source) {
    std::string error;
    auto module = source == FixtureSource::kModuleFile
                      ? ClapModule::load(VARNEL_GAIN_FIXTURE_MODULE, error)
                      : ClapModule::fromEntry(&clap_entry, VARNEL_GAIN_FIXTURE_MODULE, error);
    EXPECT_TRUE(module) << error;
    return module;
}

// A host with the fixture's control, an instance made, initialised and activated.
struct FixtureInstance {
    explicit FixtureInstance(const ClapModule& module, uint32_t maxFrames = 1024,
                             const std::function<void(TestHost&)>& configure = {}) {
        host.addExtension(VARNEL_GAIN_FIXTURE_CONTROL, &control);
        if (configure) configure(host);
        plugin = std::make_unique<HostedPlugin>(host, module.pluginFactory(), VARNEL_GAIN_FIXTURE_ID);
        EXPECT_TRUE(plugin->plugin());
        EXPECT_TRUE(plugin->init());
        EXPECT_TRUE(plugin->activate(48000.0, 1, maxFrames));
    }

    GainFixtureControl control;
    TestHost host;
    std::unique_ptr<HostedPlugin> plugin;
};

} // namespace test
