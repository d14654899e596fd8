#include "clap/ClapSmallExtensions.h"

#include "clap/HostPath.h"
#include "plugin/tests/FileBytes.h"
#include "plugin/tests/TestPlugin.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class MeteringProcessor : public test::TestPluginProcessor {
public:
    explicit MeteringProcessor(int32_t meter) : TestPluginProcessor({0, false, false, 2}), meter_(meter) {}
    int32_t getGainReductionMeterIndex() const override { return meter_; }

private:
    int32_t meter_;
};

// What the tables need of an instance, around a test plug-in and the test
// host.
class FakeInstance {
public:
    FakeInstance(const std::string& name, int32_t meter, ::TestHost& host)
        : model_(name), processor_(meter), host_(host), threadCheck_(host.clapHost()) {
        plugin_.plugin_data = this;
    }
    static FakeInstance* from(const clap_plugin_t* plugin) {
        return plugin ? static_cast<FakeInstance*>(plugin->plugin_data) : nullptr;
    }
    GenericPlugin& getModel() const { return model_; }
    GenericPluginProcessor& getProcessor() const { return processor_; }
    const clap_host_t* getClapHost() const { return host_.clapHost(); }
    template <class T> const T* hostExtension(const char* id) const {
        return static_cast<const T*>(host_.clapHost()->get_extension(host_.clapHost(), id));
    }
    const clap_host_preset_load_t* getHostPresetLoad() const {
        return hostExtension<clap_host_preset_load_t>(CLAP_EXT_PRESET_LOAD);
    }
    const clap_host_track_info_t* getHostTrackInfo() const {
        return hostExtension<clap_host_track_info_t>(CLAP_EXT_TRACK_INFO);
    }
    ClapTrackContext& getTrackContext() { return track_; }
    ClapProcessorReports& getProcessorReports() { return reports_; }
    bool calledOn(ClapThread expected, ClapState, const char* call) const {
        return threadCheck_.onThread(expected, false, call);
    }
    const clap_plugin_t* plugin() const { return &plugin_; }
    const void* extension(const char* id) const { return ClapSmallExtensions<FakeInstance>::find(*this, id); }

private:
    mutable test::TestPlugin model_;
    mutable MeteringProcessor processor_;
    ::TestHost& host_;
    ClapThreadCheck threadCheck_;
    ClapTrackContext track_;
    ClapProcessorReports reports_;
    clap_plugin_t plugin_{};
};

using Extensions = ClapSmallExtensions<FakeInstance>;

class ClapSmallExtensionsTest : public test::PluginTest {
protected:
    ::TestHost host_;
};

TEST_F(ClapSmallExtensionsTest, TablesAnswerUnderTheirIdsAndDraftIds) {
    FakeInstance instance(name_, -1, host_);
    struct Case {
        const char* id;
        const void* table;
    } cases[] = {
        {"clap.latency", &Extensions::latency},
        {"clap.tail", &Extensions::tail},
        {"clap.track-info/1", &Extensions::trackInfo},
        {"clap.track-info.draft/1", &Extensions::trackInfo},
        {"clap.project-location/2", &Extensions::projectLocation},
        {"clap.preset-load/2", &Extensions::presetLoad},
        {"clap.preset-load.draft/2", &Extensions::presetLoad},
        {"clap.gain-adjustment-metering/0", nullptr}, // no gain-reduction meter
        {"clap.latency/2", nullptr},
        {"", nullptr},
        {nullptr, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(instance.extension(c.id), c.table) << (c.id ? c.id : "(null)");

    EXPECT_EQ(Extensions::latency.get(instance.plugin()), 0u);
    EXPECT_EQ(Extensions::tail.get(instance.plugin()), 0x7FFFFFFFu);
    EXPECT_EQ(Extensions::latency.get(nullptr), 0u);
    EXPECT_EQ(Extensions::tail.get(nullptr), 0x7FFFFFFFu);

    FakeInstance metered(name_, 0, host_);
    EXPECT_EQ(metered.extension("clap.gain-adjustment-metering/0"), &Extensions::gainMetering);
    double gain = 0.0;
    host_.audioThread().run([&] { gain = Extensions::gainMetering.get(metered.plugin()); });
    EXPECT_EQ(gain, 10.0);
}

// The product's flags (0x1008) take no track info: the host's get may be
// asked, but the plug-in's context stays empty.
TEST_F(ClapSmallExtensionsTest, TrackInfoIsNotTakenByTheProductButProjectLocationIs) {
    FakeInstance instance(name_, -1, host_);
    instance.getModel().pluginFlags = 0x1008;
    clap_track_info_t info{};
    info.flags = CLAP_TRACK_INFO_HAS_TRACK_NAME;
    std::strcpy(info.name, "Drums");
    host_.setTrackInfo(info);
    Extensions::trackInfo.changed(instance.plugin());
    EXPECT_EQ(instance.getTrackContext().source(), ClapTrackContext::Source::kNone);
    EXPECT_EQ(instance.getTrackContext().record().trackName, "");

    clap_project_location_element_t track{};
    track.kind = CLAP_PROJECT_LOCATION_TRACK;
    std::strcpy(track.name, "Bass");
    Extensions::projectLocation.set(instance.plugin(), &track, 1);
    EXPECT_EQ(instance.getTrackContext().record().trackName, "Bass");
    EXPECT_TRUE(host_.violations().empty());
}

TEST_F(ClapSmallExtensionsTest, PresetLoadGoesThroughTheModelAndTellsTheHost) {
    FakeInstance instance(name_, -1, host_);
    const std::string path = folder_ / "Loud.ztp";
    ASSERT_TRUE(test::writeWholeFile(path, "TsPl" + test::u32(1) + test::u32(2) + test::u32(0x3F600000) +
                                               test::u32(0x3E800000)));
    const std::string location = toHostPath(path);
    EXPECT_FALSE(Extensions::presetLoad.from_location(
        instance.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, location.c_str(), nullptr));
    EXPECT_TRUE(Extensions::presetLoad.from_location(instance.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_FILE,
                                                     location.c_str(), location.c_str()));
    EXPECT_EQ(host_.calls().presetsLoaded, std::vector<std::string>{location});
    EXPECT_FALSE(Extensions::presetLoad.from_location(nullptr, 0, location.c_str(), nullptr));
}

} // namespace
