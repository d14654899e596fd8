#include "effect/VarnelPluginSettings.h"

#include <algorithm>

void VarnelPlugin::VarnelSettings::serialize(SettingSerializer& serializer) {
    // One registry write for everything read.
    Hold hold(*this);
    Settings::serialize(serializer);
    const int32_t section = expandedSection.getValue();
    expandedSection.setValue(serializer.serializeInt("ExpandedSection", section, section));
    const auto layout = static_cast<int32_t>(interfaceLayout.getValue());
    const int32_t stored = serializer.serializeInt("InterfaceLayout", layout, layout);
    interfaceLayout.setValue(static_cast<InterfaceLayout>(std::clamp(stored, 0, 1)));
    const bool modulation = showModulation.getValue();
    showModulation.setValue(serializer.serializeBool("ShowModulation", modulation, modulation));
}

// The model's operations that read its settings.

GenericPlugin::Settings* VarnelPlugin::createSettings() {
    return new VarnelSettings(this);
}

VarnelPlugin::VarnelSettings& VarnelPlugin::getVarnelSettings() const {
    return static_cast<VarnelSettings&>(*getSettings());
}

int32_t VarnelPlugin::getInterfaceHeight() const {
    return getVarnelSettings().showModulation.getValue() ? kModulationHeight : kHeight;
}

int32_t VarnelPlugin::getInterfaceWidth() const {
    return getVarnelSettings().interfaceLayout.getValue() == InterfaceLayout::kWide ? kWideWidth
                                                                                    : kStandardWidth;
}
