#include "tools/testhost/ClapModule.h"

#include "tools/testhost/tests/GainFixtureRig.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ClapModule, LoadsTheFileAndFindsBothFactories) {
    for (auto source : {test::FixtureSource::kModuleFile, test::FixtureSource::kStaticEntry}) {
        SCOPED_TRACE(test::fixtureSourceName(source));
        auto module = test::loadFixture(source);
        ASSERT_TRUE(module);
        EXPECT_EQ(module->path(), VARNEL_GAIN_FIXTURE_MODULE);
        const clap_plugin_factory_t* factory = module->pluginFactory();
        ASSERT_TRUE(factory);
        ASSERT_EQ(factory->get_plugin_count(factory), 1u);
        EXPECT_STREQ(factory->get_plugin_descriptor(factory, 0)->id, VARNEL_GAIN_FIXTURE_ID);
        EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
        ASSERT_TRUE(module->presetDiscoveryFactory());
        EXPECT_EQ(module->entry()->get_factory("clap.plugin-factory/unknown"), nullptr);
    }
}

TEST(ClapModule, ReportsWhyAModuleCannotBeUsed) {
    std::string error;
    EXPECT_FALSE(ClapModule::load("no-such-module.clap", error));
    EXPECT_FALSE(error.empty());

    error.clear();
    clap_plugin_entry_t old = clap_entry;
    old.clap_version = {0, 9, 0};
    EXPECT_FALSE(ClapModule::fromEntry(&old, "x", error));
    EXPECT_NE(error.find("incompatible version 0.9.0"), std::string::npos) << error;

    error.clear();
    clap_plugin_entry_t refusing = clap_entry;
    refusing.init = [](const char*) { return false; };
    EXPECT_FALSE(ClapModule::fromEntry(&refusing, "x", error));
    EXPECT_NE(error.find("init failed"), std::string::npos) << error;
}

TEST(ClapModule, DeinitLeavesTheEntryUninitialised) {
    const clap_plugin_factory_t* factory;
    {
        auto module = test::loadFixture(test::FixtureSource::kStaticEntry);
        ASSERT_TRUE(module);
        factory = module->pluginFactory();
        TestHost host;
        HostedPlugin plugin(host, factory, VARNEL_GAIN_FIXTURE_ID);
        EXPECT_TRUE(plugin.plugin());
    }
    TestHost host;
    HostedPlugin plugin(host, factory, VARNEL_GAIN_FIXTURE_ID); // after deinit: refused
    EXPECT_FALSE(plugin.plugin());
}

} // namespace
