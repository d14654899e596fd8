#include "plugin/GenericPluginSettings.h"

#include "foundation/Registry.h"
#include "foundation/VersionInfo.h"

#include <algorithm>

void GenericPlugin::SettingsBase::propertyChanged(AbstractProperty&) {
    requestUpdate();
}

void GenericPlugin::SettingsBase::update() {
    UpdatedObject::update();
    VersionInfo* info = GenericPlugin::getVersionInfo();
    if (!loaded.getValue() || info == nullptr) return;
    RegistryWriter writer(RegistryRoot::kCurrentUser, info->getProductKeyPath());
    serialize(writer);
}

void GenericPlugin::Settings::serialize(SettingSerializer& serializer) {
    Hold hold(*this);
    if ((GenericPlugin::getGlobalOptions() & 2) != 0) {
        const std::string current = scalingAdjustments.getValue();
        scalingAdjustments.setValue(serializer.serializeString("ScalingAdjustments", current, current));
    }
    const int32_t panels = interfacePanels.getValue();
    const int32_t read = serializer.serializeInt("InterfacePanels", panels, panels);
    interfacePanels.setValue(read < 0 ? 0 : read);
}

void GenericPlugin::Settings::setInterfaceSizes(std::vector<InterfaceSize> sizes) {
    interfaceSizes_ = std::move(sizes);
    layoutIndex.setLimits(0, std::max<int32_t>(static_cast<int32_t>(interfaceSizes_.size()) - 1, 0));
    layoutIndex.setValue(layoutIndex.getValue());
}

double GenericPlugin::SharedSettings::scaleFactorFor(int32_t scaling) {
    if (scaling == kFollowSystemScale) return 0.0;
    if (scaling >= 100 && scaling <= kMaxScaling) return scaling / 100.0;
    return 1.0;
}

void GenericPlugin::SharedSettings::serialize(SettingSerializer& serializer) {
    // One write for all values read.
    Hold hold(*this);
    auto boolean = [&](Property<bool>& property, const char* name) {
        const bool current = property.getValue();
        property.setValue(serializer.serializeBool(name, current, current));
    };
    boolean(midiProgramChangesEnabled, "EnableMIDIProgramChanges");
    const int32_t mode = static_cast<int32_t>(graphicsAcceleration.getValue());
    graphicsAcceleration.setValue(
        static_cast<GraphicsAccelerationMode>(serializer.serializeInt("GraphicsAcceleration", mode, mode)));
    const int32_t scaling = displayScaling.getValue();
    displayScaling.setValue(serializer.serializeInt("RetinaEnabled", scaling, scaling));
    boolean(interactiveHelpShown, "showInteractiveHelp");
    boolean(welcomeHintShown, "showWelcomeHint");
    boolean(componentDisplaysShown, "ShowComponentDisplays");
    boolean(presetBrowserTypeToSearch, "PresetBrowserTypeToSearch");
}
