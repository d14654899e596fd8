#pragma once

// The effect's per-instance editor settings, kept in the registry under the
// product's key beside the framework's: "ExpandedSection" (the section the
// editor shows open, -1 none), "InterfaceLayout" (standard or wide, a
// stored number outside 0..1 reads as the nearer end) and "ShowModulation"
// (the modulation panel, which makes the editor taller). Written after the
// framework's own values, in this order.

#include "effect/VarnelPlugin.h"
#include "plugin/GenericPluginSettings.h"

#include <cstdint>

class VarnelPlugin::VarnelSettings : public GenericPlugin::Settings {
public:
    explicit VarnelSettings(GenericPlugin* plugin) : Settings(plugin) {}

    void serialize(SettingSerializer& serializer) override;

    Property<int32_t> expandedSection{this, -1};
    Property<InterfaceLayout> interfaceLayout{this, InterfaceLayout::kStandard};
    Property<bool> showModulation{this, false};
};
