#pragma once

// The effect's plug-in description: a delay (kind 3) with a side-chain
// input whose identifier is also its preset-discovery identifier (flags
// 0x1008), identifier "ZVms", name "Varnel".

#include "plugin/GenericPluginBase.h"

#include <cstdint>

class VarnelInit {
public:
    static constexpr std::uint32_t kPluginFlags =
        GenericPluginInfo::kFlagSideChainInput | GenericPluginInfo::kFlagPresetDiscoveryId; // 0x1008
    static constexpr const char* kPluginId = "ZVms";
    static constexpr const char* kPluginName = "Varnel";

    static void fillPluginInfo(GenericPluginInfo& info);
};
