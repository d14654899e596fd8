#include "tools/demo/DemoRender.h"

#include "tools/testhost/ClapModule.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

extern "C" const clap_plugin_entry_t clap_entry; // the statically linked gain fixture

namespace {

TEST(DemoRender, FeedsTheSignalThroughInBlocksAndKeepsEveryFrame) {
    std::string error;
    auto module = ClapModule::fromEntry(&clap_entry, "gain-fixture.clap", error);
    ASSERT_TRUE(module) << error;
    const auto* factory = module->pluginFactory();
    TestHost host;
    HostedPlugin plugin(host, factory, factory->get_plugin_descriptor(factory, 0)->id);
    ASSERT_TRUE(plugin.init());
    ASSERT_TRUE(plugin.activate(48000.0, 1, 500));

    const DemoSignal signal = makeDemoSignal();
    const DemoRender render = renderDemo(plugin, signal, 500); // the length is no multiple of it
    ASSERT_TRUE(render.error.empty()) << render.error;
    ASSERT_EQ(render.channels.size(), 2u);
    // The fixture is a gain: every frame is the input times one factor.
    const uint32_t peak = DemoSignal::kLoneClickStart + 10;
    const float gain = render.channels[0][peak] / signal.left[peak];
    for (uint32_t n = 0; n < signal.frames(); ++n) {
        ASSERT_FLOAT_EQ(render.channels[0][n], gain * signal.left[n]) << n;
        ASSERT_FLOAT_EQ(render.channels[1][n], gain * signal.right[n]) << n;
    }
    EXPECT_TRUE(host.violations().empty());
}

} // namespace
