#pragma once

// The plug-in model as its presets see it: the interface that preset
// loaders and preset collections talk to, as parameters talk to
// GenericParameterOwner. The model (GenericPlugin) implements it; a loader
// or collection without one (a section or settings preset) moves parameter
// values only.
//
// It gives the presets' signature and form, the parameters a whole-plug-in
// preset covers, the custom settings that travel with a preset (the "CuSV"
// block, the "[Settings]" section and the header's metadata) and the
// current-preset record that a text preset's header names. Main or editor
// thread, as the model's preset operations.

#include <cstdint>
#include <map>
#include <string>

class BinaryDataWriter;
class CurrentPresetRecord;
class GenericParameterOwner;
class KeyValueWriter;
struct CustomSettingsBlock;

class GenericPresetOwner {
public:
    virtual ~GenericPresetOwner() = default;

    // The 4-character signature of the plug-in's presets.
    virtual std::string getPresetSignature() const = 0;
    // True when presets are written in the text form.
    virtual bool writesTextPresets() const = 0;
    // The owner of the parameters a whole-plug-in preset covers.
    virtual GenericParameterOwner& getParameterOwner() = 0;

    // --- Custom settings.
    virtual const std::map<std::string, std::string>& getSettingsMap() const = 0;
    // The "CuSV" block (forPreset leaves the per-track index out).
    virtual void writeSettingsBlock(BinaryDataWriter& writer, bool forPreset) const = 0;
    // The "[Settings]" section of a text preset.
    virtual void writeSettingsText(KeyValueWriter& writer) const = 0;
    virtual void applySettingsBlock(const CustomSettingsBlock& block) = 0;
    virtual void replaceSettings(std::map<std::string, std::string> map) = 0;
    virtual void clearSettings() = 0;
    virtual void setCustomSetting(const std::string& key, const std::string& value) = 0;
    // Tells the host that the preset's metadata changed.
    virtual void reportMetadataChange() = 0;

    // --- The current preset.
    virtual const CurrentPresetRecord& getCurrentPreset() const = 0;
    virtual void setPresetModified(bool modified) = 0;
    // Takes a new name unless it is the current one: n compares its first n
    // characters, or the whole name (kWholeName); kWholeNameToHost also
    // tells the host of the new preset (a preset loaded from a file).
    static constexpr int32_t kWholeName = -1;
    static constexpr int32_t kWholeNameToHost = -2;
    virtual void setCurrentPresetName(const std::string& name, int32_t n) = 0;
};
