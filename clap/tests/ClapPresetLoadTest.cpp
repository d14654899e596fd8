#include "clap/ClapPresetLoad.h"

#include "clap/HostPath.h"
#include "clap/tests/ClapTestProduct.h"
#include "plugin/tests/FileBytes.h"
#include "plugin/tests/TestPlugin.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

class ClapPresetLoadTest : public test::PluginTest {
protected:
    const clap_host_preset_load_t* hostPresetLoad() const {
        return static_cast<const clap_host_preset_load_t*>(
            host_.clapHost()->get_extension(host_.clapHost(), CLAP_EXT_PRESET_LOAD));
    }
    std::string writeGainPreset(const std::string& name, float gain) {
        const std::string path = folder_ / name;
        uint32_t bits = 0;
        std::memcpy(&bits, &gain, sizeof bits);
        EXPECT_TRUE(test::writeWholeFile(path, "TsPl" + test::u32(1) + test::u32(2) + test::u32(bits) +
                                                   test::u32(0x3E800000)));
        return path;
    }

    ::TestHost host_;
};

TEST_F(ClapPresetLoadTest, AFileLoadsAndTheHostHearsOfIt) {
    auto plugin = makePlugin();
    const std::string location = toHostPath(writeGainPreset("Loud.ztp", 0.875f));
    EXPECT_TRUE(loadPresetFromLocation(*plugin, host_.clapHost(), hostPresetLoad(),
                                       CLAP_PRESET_DISCOVERY_LOCATION_FILE, location.c_str(),
                                       location.c_str()));
    EXPECT_FLOAT_EQ(plugin->gain.getValue(), 0.875f);
    EXPECT_EQ(plugin->getCurrentPreset().getName(), "Loud");
    EXPECT_EQ(host_.calls().presetsLoaded, std::vector<std::string>{location});
    EXPECT_TRUE(host_.calls().presetErrors.empty());
    EXPECT_TRUE(host_.violations().empty());

    // Without the host's extension the preset still loads.
    const std::string quiet = toHostPath(writeGainPreset("Quiet.ztp", 0.125f));
    EXPECT_TRUE(loadPresetFromLocation(*plugin, host_.clapHost(), nullptr,
                                       CLAP_PRESET_DISCOVERY_LOCATION_FILE, quiet.c_str(), nullptr));
    EXPECT_FLOAT_EQ(plugin->gain.getValue(), 0.125f);
    EXPECT_EQ(host_.calls().presetsLoaded.size(), 1u);
}

TEST_F(ClapPresetLoadTest, OtherKindsAndBadFilesFail) {
    auto plugin = makePlugin();
    const std::string location = toHostPath(writeGainPreset("Loud.ztp", 0.875f));
    EXPECT_FALSE(loadPresetFromLocation(*plugin, host_.clapHost(), hostPresetLoad(),
                                        CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, location.c_str(), nullptr));
    EXPECT_FALSE(loadPresetFromLocation(*plugin, host_.clapHost(), hostPresetLoad(),
                                        CLAP_PRESET_DISCOVERY_LOCATION_FILE, nullptr, nullptr));
    EXPECT_FLOAT_EQ(plugin->gain.getValue(), 0.5f);
    EXPECT_TRUE(host_.calls().presetsLoaded.empty());
    EXPECT_TRUE(host_.calls().presetErrors.empty());

    const std::string missing = toHostPath(folder_ / "Missing.ztp");
    ASSERT_TRUE(test::writeWholeFile(folder_ / "Bad.ztp", "XXXX"));
    const std::string bad = toHostPath(folder_ / "Bad.ztp");
    for (const std::string& path : {missing, bad}) {
        EXPECT_FALSE(loadPresetFromLocation(*plugin, host_.clapHost(), hostPresetLoad(),
                                            CLAP_PRESET_DISCOVERY_LOCATION_FILE, path.c_str(), nullptr));
    }
    ASSERT_EQ(host_.calls().presetErrors.size(), 2u);
    EXPECT_EQ(host_.calls().presetErrors[0].rfind(missing + ": ", 0), 0u) << host_.calls().presetErrors[0];
    EXPECT_GT(host_.calls().presetErrors[0].size(), missing.size() + 2);
    EXPECT_TRUE(host_.calls().presetsLoaded.empty());
}

// Through an instance of the test product (output = input x gain): the
// preset reaches the sound, and the host hears of it on its main thread;
// without any host extension the sound still follows.
class ClapInstancePresetLoadTest : public test::ClapProductTest {};

TEST_F(ClapInstancePresetLoadTest, FromLocationReachesTheSoundAndTellsTheHost) {
    const std::string path = folder_ / "Quiet.ztp";
    ASSERT_TRUE(test::writeWholeFile(path, "TsPl" + test::u32(1) + test::u32(2) + test::u32(0x3E000000) +
                                               test::u32(0x3E800000))); // gain 0.125
    const std::string location = toHostPath(path);
    for (bool offered : {true, false}) {
        SCOPED_TRACE(offered);
        ::TestHost host;
        host.offerAll(offered);
        auto plugin = makeInstance(host);
        ASSERT_TRUE(plugin->init());
        ASSERT_TRUE(plugin->activate(48000.0, 1, 64));
        HostEventList none;
        std::fill(plugin->input(0, 0), plugin->input(0, 0) + 64, 1.0f);
        plugin->process(64, none);
        EXPECT_NEAR(plugin->output(0, 0)[32], 0.5f, 1e-6f);

        EXPECT_FALSE(plugin->loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, location.c_str(), nullptr));
        EXPECT_TRUE(
            plugin->loadPreset(CLAP_PRESET_DISCOVERY_LOCATION_FILE, location.c_str(), location.c_str()));
        plugin->pumpMainThread();
        std::fill(plugin->input(0, 0), plugin->input(0, 0) + 64, 1.0f);
        plugin->process(64, none);
        EXPECT_NEAR(plugin->output(0, 0)[63], 0.125f, 1e-6f);

        const ::TestHost::CallLog& calls = host.calls();
        if (offered) {
            // The load's own report, and possibly the model's of its new
            // current preset: both name the file in the host's own form.
            EXPECT_NE(std::find(calls.presetsLoaded.begin(), calls.presetsLoaded.end(), location),
                      calls.presetsLoaded.end());
            for (const std::string& loaded : calls.presetsLoaded)
                EXPECT_EQ(loaded, location);
            EXPECT_NE(
                std::find(calls.paramsRescan.begin(), calls.paramsRescan.end(), CLAP_PARAM_RESCAN_VALUES),
                calls.paramsRescan.end());
            EXPECT_GE(calls.markDirty.load(), 1);
        } else {
            EXPECT_TRUE(calls.presetsLoaded.empty());
            EXPECT_EQ(calls.markDirty.load(), 0);
        }
        EXPECT_TRUE(calls.presetErrors.empty());
        EXPECT_EQ(host.violations(), std::vector<std::string>{});
    }
}

} // namespace
