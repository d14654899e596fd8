#include "plugin/GenericPluginSettings.h"

#include "foundation/Registry.h"
#include "foundation/VersionInfo.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<const VersionInfo*> product{nullptr};
std::atomic<uint32_t> globalOptions{0};

} // namespace

const VersionInfo* GenericPluginSettingsBase::getProduct() {
    return product.load();
}

void GenericPluginSettingsBase::setProduct(const VersionInfo* info) {
    product.store(info);
}

uint32_t GenericPluginSettingsBase::getGlobalOptions() {
    return globalOptions.load();
}

void GenericPluginSettingsBase::setGlobalOptions(uint32_t options) {
    globalOptions.store(options);
}

void GenericPluginSettingsBase::addGlobalOptions(uint32_t bits) {
    globalOptions.fetch_or(bits);
}

void GenericPluginSettingsBase::propertyChanged(AbstractProperty&) {
    requestUpdate();
}

void GenericPluginSettingsBase::update() {
    UpdatedObject::update();
    const VersionInfo* info = getProduct();
    if (!loaded.getValue() || info == nullptr) return;
    RegistryWriter writer(RegistryRoot::kCurrentUser, info->getProductKeyPath());
    serialize(writer);
}

void GenericPluginSettings::serialize(SettingSerializer& serializer) {
    Hold hold(*this);
    if ((getGlobalOptions() & 2) != 0) {
        const std::string current = scalingAdjustments.getValue();
        scalingAdjustments.setValue(serializer.serializeString("ScalingAdjustments", current, current));
    }
    const int32_t panels = interfacePanels.getValue();
    const int32_t read = serializer.serializeInt("InterfacePanels", panels, panels);
    interfacePanels.setValue(read < 0 ? 0 : read);
}

void GenericPluginSettings::setInterfaceSizes(std::vector<InterfaceSize> sizes) {
    interfaceSizes_ = std::move(sizes);
    layoutIndex.setLimits(0, std::max<int32_t>(static_cast<int32_t>(interfaceSizes_.size()) - 1, 0));
    layoutIndex.setValue(layoutIndex.getValue());
}

double GenericPluginSharedSettings::scaleFactorFor(int32_t scaling) {
    if (scaling == kFollowSystemScale) return 0.0;
    if (scaling >= 100 && scaling <= kMaxScaling) return scaling / 100.0;
    return 1.0;
}

void GenericPluginSharedSettings::serialize(SettingSerializer& serializer) {
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
