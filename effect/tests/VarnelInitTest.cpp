#include "effect/VarnelInit.h"

#include <gtest/gtest.h>

TEST(VarnelInit, DescribesADelayWithSideChainAndDiscoveryId) {
    GenericPluginInfo info;
    info.pluginFlags = 0xFFFFFFFFu;
    VarnelInit::fillPluginInfo(info);
    EXPECT_EQ(info.pluginKind, 3u);
    EXPECT_EQ(info.pluginFlags, 0x1008u);
    EXPECT_EQ(info.pluginId, "ZVms");
    EXPECT_EQ(info.pluginName, "Varnel");
    EXPECT_FALSE(info.hasFlag(GenericPluginInfo::kFlagPresetCatalogueCache));
    EXPECT_FALSE(info.isInstrument());
}
