#pragma once

// Settings that outlive a plug-in instance, kept in the registry under the
// product's key (HKEY_CURRENT_USER): the per-instance editor settings, the
// settings shared by all instances of the process, and the global options
// (GenericPlugin::serializeGlobalOptions), which carry both. The model knows
// them as GenericPlugin::Settings, ::SharedSettings and ::SettingsBase.
//
// A settings object writes itself completely whenever one of its
// properties changes, but only once start-up has read the registry (the
// loaded flag) and, inside a hold, once when the hold ends. Every read
// passes the current value as its default, so a missing value keeps it.
//
// The product they are written under and the global option word belong to
// the process: the model's first instance sets both (under its start-up
// lock, before any settings object is loaded) and its last clears the
// product before releasing it; without a product nothing is written.
// Settings objects belong to the main or editor thread.

#include "foundation/Property.h"
#include "foundation/SettingSerializer.h"
#include "foundation/UpdatedObject.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class GenericPlugin;
class VersionInfo;

class GenericPluginSettingsBase : public PropertyOwner, public UpdatedObject {
public:
    GenericPluginSettingsBase() = default;
    ~GenericPluginSettingsBase() override = default;

    void update() override;
    virtual void serialize(SettingSerializer& serializer) { (void)serializer; }
    void propertyChanged(AbstractProperty& property) override;

    // The process's product (its registry key), null when none.
    static const VersionInfo* getProduct();
    static void setProduct(const VersionInfo* info);
    // The process's global option word (GenericPlugin::getGlobalOptions).
    static uint32_t getGlobalOptions();
    static void setGlobalOptions(uint32_t options);
    // Sets the given bits of the word.
    static void addGlobalOptions(uint32_t bits);

    // False until start-up has read the registry; then changes are written.
    Property<bool> loaded{nullptr, false};
};

class GenericPluginSettings : public GenericPluginSettingsBase {
public:
    explicit GenericPluginSettings(GenericPlugin* plugin) : plugin_(plugin) {}

    // "ScalingAdjustments" while bit 1 of the global option word is set,
    // then "InterfacePanels" (a DWORD above 0x7FFFFFFF reads as 0).
    void serialize(SettingSerializer& serializer) override;

    Property<std::string> scalingAdjustments{this, std::string()};
    // "InterfacePanels": the editor's shown panels, one bit each.
    static constexpr int32_t kPanelMaskLimit = 0xFFFF;
    LimitedProperty<int32_t> interfacePanels{this, 0, kPanelMaskLimit, 0};

    // The editor's sizes (not stored in the registry): the table of listed
    // sizes (width, height), empty unless the product lists some; the
    // layout index, limited to the table's entries (0..0 when empty); and
    // the stored interface size that the editor's size check writes.
    using InterfaceSize = std::pair<int32_t, int32_t>;
    // Sets the table and limits the layout index to its entries.
    void setInterfaceSizes(std::vector<InterfaceSize> sizes);
    const std::vector<InterfaceSize>& getInterfaceSizes() const { return interfaceSizes_; }
    LimitedProperty<int32_t> layoutIndex{this, 0, 0, 0};
    LimitedProperty<int32_t> interfaceWidth{this, 0, INT32_MAX, 0};
    LimitedProperty<int32_t> interfaceHeight{this, 0, INT32_MAX, 0};

protected:
    GenericPlugin* plugin_;

private:
    std::vector<InterfaceSize> interfaceSizes_;
};

enum class GraphicsAccelerationMode : int32_t { kOff = 0, kOn = 1 };

class GenericPluginSharedSettings : public GenericPluginSettingsBase {
public:
    // Display scaling: 1 follows the system, 0 and 2..99 no scaling,
    // 100..300 a fixed factor of value / 100.
    static constexpr int32_t kFollowSystemScale = 1;
    static constexpr int32_t kMaxScaling = 300;

    GenericPluginSharedSettings() = default;

    void serialize(SettingSerializer& serializer) override;

    // The process-wide factor for a scaling value (0.0: follow the system).
    static double scaleFactorFor(int32_t scaling);

    Property<bool> presetBrowserTypeToSearch{this, true};
    Property<bool> midiProgramChangesEnabled{this, false};
    Property<GraphicsAccelerationMode> graphicsAcceleration{this, GraphicsAccelerationMode::kOn};
    LimitedProperty<int32_t> displayScaling{this, 0, kMaxScaling, kFollowSystemScale};
    Property<bool> componentDisplaysShown{this, true};
    Property<bool> interactiveHelpShown{this, true};
    Property<bool> welcomeHintShown{this, false};
};
