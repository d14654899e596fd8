#include "clap/ClapEntry.h"

#include "clap/tests/ClapTestProduct.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using test::ClapProductTest;

class ClapEntryTest : public ClapProductTest {};

std::vector<std::string> features(const clap_plugin_descriptor_t* descriptor) {
    std::vector<std::string> list;
    for (const char* const* f = descriptor->features; *f != nullptr; ++f)
        list.emplace_back(*f);
    return list;
}

TEST_F(ClapEntryTest, FactoriesAnswerTheirIdsOnly) {
    const clap_plugin_entry_t& entry = clapEntryRecord();
    EXPECT_EQ(entry.clap_version.major, 1u);
    EXPECT_EQ(entry.clap_version.minor, 2u);
    EXPECT_EQ(entry.clap_version.revision, 5u);
    const void* plugins = entry.get_factory(CLAP_PLUGIN_FACTORY_ID);
    const void* discovery = entry.get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID);
    ASSERT_NE(plugins, nullptr);
    ASSERT_NE(discovery, nullptr);
    EXPECT_EQ(entry.get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT), discovery);
    for (const char* other :
         {"clap.plugin-factory ", "clap.plugin-factor", "", "clap.preset-discovery-factory/1"})
        EXPECT_EQ(entry.get_factory(other), nullptr) << other;
    EXPECT_EQ(entry.get_factory(nullptr), nullptr);

    const auto* factory = static_cast<const clap_plugin_factory_t*>(plugins);
    EXPECT_EQ(factory->get_plugin_count(factory), 1u);
    EXPECT_NE(factory->get_plugin_descriptor(factory, 0), nullptr);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
    const auto* providers = static_cast<const clap_preset_discovery_factory_t*>(discovery);
    EXPECT_EQ(providers->count(providers), 1u);
    EXPECT_NE(providers->get_descriptor(providers, 0), nullptr);
    EXPECT_EQ(providers->get_descriptor(providers, 1), nullptr);
}

TEST_F(ClapEntryTest, DescriptorsCarryTheProductsNamesAndTheSharedId) {
    const clap_plugin_descriptor_t* plugin =
        module_->pluginFactory()->get_plugin_descriptor(module_->pluginFactory(), 0);
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->clap_version.major, 1u);
    EXPECT_STREQ(plugin->id, pluginId().c_str());
    EXPECT_STREQ(plugin->name, name_.c_str());
    EXPECT_STREQ(plugin->vendor, "Zentor");
    EXPECT_STREQ(plugin->url, "https://zentor.example");
    EXPECT_STREQ(plugin->support_url, "https://zentor.example/support/");
    std::string lower = name_;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(std::string(plugin->manual_url), "https://zentor.example/help/" + lower);
    EXPECT_NE(plugin->version, nullptr);
    EXPECT_GT(std::strlen(plugin->version), 0u);
    EXPECT_EQ(plugin->description, nullptr);
    EXPECT_EQ(features(plugin), (std::vector<std::string>{"audio-effect", "delay"}));

    const clap_preset_discovery_factory_t* discovery = module_->presetDiscoveryFactory();
    const clap_preset_discovery_provider_descriptor_t* provider = discovery->get_descriptor(discovery, 0);
    ASSERT_NE(provider, nullptr);
    EXPECT_STREQ(provider->id, pluginId().c_str());
    EXPECT_EQ(std::string(provider->name), name_ + " Preset Indexer");
    EXPECT_STREQ(provider->vendor, "Zentor");

    // The instance's desc is the factory's descriptor.
    ::TestHost host;
    auto instance = makeInstance(host);
    ASSERT_NE(instance->plugin(), nullptr);
    EXPECT_EQ(instance->plugin()->desc, plugin);
}

TEST(ClapEntryFeatures, KindsGiveTheirFeatureAndThePlainIdWithoutTheSharedFlag) {
    struct Case {
        uint32_t kind;
        std::vector<std::string> features;
    };
    const Case cases[] = {{GenericPluginInfo::kInstrument, {"instrument"}},
                          {GenericPluginInfo::kFilter, {"audio-effect", "filter"}},
                          {GenericPluginInfo::kReverb, {"audio-effect", "reverb"}},
                          {42, {"audio-effect"}}};
    for (const Case& c : cases) {
        test::clapTestProduct().kind = c.kind;
        test::clapTestProduct().flags = 0;
        ASSERT_TRUE(clapEntryInit(test::clapTestModulePath().c_str()));
        EXPECT_EQ(features(clapPluginDescriptor()), c.features) << c.kind;
        EXPECT_EQ(std::string(clapPluginDescriptor()->id), "com.Zentor.VarnelClapTest.1");
        EXPECT_EQ(std::string(clapProviderDescriptor()->id), "com.Zentor.preset-discovery.VarnelClapTest.1");
        clapEntryDeinit();
    }
    test::clapTestProduct() = {};
}

TEST_F(ClapEntryTest, InitAndDeinitAreCountedAndHarmlessOutOfTurn) {
    // The fixture's module holds one init.
    const clap_plugin_descriptor_t* descriptor = clapPluginDescriptor();
    ASSERT_NE(descriptor, nullptr);
    EXPECT_FALSE(clapEntryInit(nullptr));
    EXPECT_TRUE(clapEntryInit(executablePath().c_str()));
    clapEntryDeinit();
    EXPECT_EQ(clapPluginDescriptor(), descriptor);
    module_.reset(); // the last deinit
    EXPECT_EQ(clapPluginDescriptor(), nullptr);
    EXPECT_EQ(clapProviderDescriptor(), nullptr);
    clapEntryDeinit(); // unmatched: nothing happens
    const auto* factory =
        static_cast<const clap_plugin_factory_t*>(clapEntryGetFactory(CLAP_PLUGIN_FACTORY_ID));
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 0), nullptr);
    ::TestHost host;
    EXPECT_EQ(factory->create_plugin(factory, host.clapHost(), pluginId().c_str()), nullptr);
    EXPECT_FALSE(clapEntryInit((executablePath() + ".missing").c_str()));
    EXPECT_EQ(clapPluginDescriptor(), nullptr);
}

TEST_F(ClapEntryTest, CreatePluginRefusesBadHostsAndIds) {
    const clap_plugin_factory_t* factory = module_->pluginFactory();
    ::TestHost host;
    const std::string id = pluginId();
    for (const std::string& bad : {id + " ", id + "x", id.substr(0, id.size() - 1), std::string()})
        EXPECT_EQ(factory->create_plugin(factory, host.clapHost(), bad.c_str()), nullptr) << bad;
    EXPECT_EQ(factory->create_plugin(factory, host.clapHost(), nullptr), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, nullptr, id.c_str()), nullptr);
    clap_host_t old = *host.clapHost();
    old.clap_version.major = 0;
    EXPECT_EQ(factory->create_plugin(factory, &old, id.c_str()), nullptr);
    const clap_plugin_t* plugin = factory->create_plugin(factory, host.clapHost(), id.c_str());
    ASSERT_NE(plugin, nullptr);
    plugin->destroy(plugin);
}

TEST_F(ClapEntryTest, DiscoveryFactoryCreatesItsProviderByExactId) {
    const clap_preset_discovery_factory_t* discovery = module_->presetDiscoveryFactory();
    clap_preset_discovery_indexer_t indexer{};
    indexer.clap_version = CLAP_VERSION_INIT;
    EXPECT_EQ(discovery->create(discovery, &indexer, (pluginId() + "!").c_str()), nullptr);
    EXPECT_EQ(discovery->create(discovery, &indexer, nullptr), nullptr);
    EXPECT_EQ(discovery->create(discovery, nullptr, pluginId().c_str()), nullptr);
    const clap_preset_discovery_provider_t* provider =
        discovery->create(discovery, &indexer, pluginId().c_str());
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->desc, discovery->get_descriptor(discovery, 0));
    provider->destroy(provider);
}

} // namespace
