#pragma once

// Loads a preset into one PresetParameterCollection: binary values by
// position, text values by key name under the collection's common prefix.
// It never touches the settings block or the current preset.

#include "plugin/PresetCacheEntry.h"
#include "plugin/PresetLoader.h"

#include <cstdint>
#include <string>

class PresetParameterCollection;

class CollectionPresetLoader : public PresetLoader {
public:
    explicit CollectionPresetLoader(PresetParameterCollection& collection);

    int32_t parameterCount() override;
    void beginLoad(int32_t version) override;
    void setMissing(int32_t index) override;
    int32_t setValueByName(const std::string& name, float value) override;
    void setValue(int32_t index, float value) override;

private:
    PresetParameterCollection& collection_;
    std::string prefix_;
};

// Opens the entry's path and loads it into the collection (no settings
// block, no preset name).
ErrorResult& loadPresetFromEntry(PresetParameterCollection& collection, ErrorResult& result,
                                 const PresetCacheEntry& entry, int32_t expectedVersion);
