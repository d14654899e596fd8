#include "effect/VarnelPluginSettings.h"

#include "effect/tests/VarnelFixture.h"
#include "foundation/Registry.h"

#include <gtest/gtest.h>

namespace {

using VarnelPluginSettingsTest = test::VarnelTest;

// A stored layout outside 0..1 reads as the nearer end.
TEST_F(VarnelPluginSettingsTest, StoredLayoutIsClamped) {
    const struct {
        uint32_t stored;
        VarnelPlugin::InterfaceLayout layout;
    } cases[] = {{5, VarnelPlugin::InterfaceLayout::kWide},
                 {static_cast<uint32_t>(-3), VarnelPlugin::InterfaceLayout::kStandard},
                 {1, VarnelPlugin::InterfaceLayout::kWide},
                 {0, VarnelPlugin::InterfaceLayout::kStandard}};
    for (const auto& c : cases) {
        ASSERT_TRUE(writeRegistryDword(RegistryRoot::kCurrentUser, keyPath(), "InterfaceLayout", c.stored));
        auto plugin = makeVarnel();
        EXPECT_EQ(plugin->getVarnelSettings().interfaceLayout.getValue(), c.layout) << c.stored;
    }
}

// The editor's size follows the layout and the modulation panel; the
// largest sizes are fixed.
TEST_F(VarnelPluginSettingsTest, InterfaceSizes) {
    auto plugin = makeVarnel();
    VarnelPlugin::VarnelSettings& settings = plugin->getVarnelSettings();
    EXPECT_EQ(plugin->getInterfaceWidth(), 640);
    EXPECT_EQ(plugin->getInterfaceHeight(), 321);
    settings.interfaceLayout.setValue(VarnelPlugin::InterfaceLayout::kWide);
    EXPECT_EQ(plugin->getInterfaceWidth(), 926);
    EXPECT_EQ(plugin->getInterfaceHeight(), 321);
    settings.showModulation.setValue(true);
    EXPECT_EQ(plugin->getInterfaceWidth(), 926);
    EXPECT_EQ(plugin->getInterfaceHeight(), 514);
    EXPECT_EQ(VarnelPlugin::getMaxInterfaceWidth(), 926);
    EXPECT_EQ(VarnelPlugin::getMaxInterfaceHeight(), 514);
    EXPECT_TRUE(VarnelPlugin::hasEditor());
}

// A change is written at once and read back by the next instance.
TEST_F(VarnelPluginSettingsTest, SettingsPersist) {
    {
        auto plugin = makeVarnel();
        VarnelPlugin::VarnelSettings& settings = plugin->getVarnelSettings();
        EXPECT_EQ(settings.expandedSection.getValue(), -1);
        settings.expandedSection.setValue(3);
        settings.showModulation.setValue(true);
        settings.interfaceLayout.setValue(VarnelPlugin::InterfaceLayout::kWide);
        uint32_t stored = 0;
        ASSERT_TRUE(readRegistryDword(RegistryRoot::kCurrentUser, keyPath(), "ExpandedSection", stored));
        EXPECT_EQ(stored, 3u);
    }
    auto plugin = makeVarnel();
    VarnelPlugin::VarnelSettings& settings = plugin->getVarnelSettings();
    EXPECT_EQ(settings.expandedSection.getValue(), 3);
    EXPECT_TRUE(settings.showModulation.getValue());
    EXPECT_EQ(settings.interfaceLayout.getValue(), VarnelPlugin::InterfaceLayout::kWide);
}

} // namespace
