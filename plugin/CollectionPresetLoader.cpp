#include "plugin/CollectionPresetLoader.h"

#include "foundation/Files.h"
#include "plugin/PluginParameter.h"
#include "plugin/PresetParameterCollection.h"

CollectionPresetLoader::CollectionPresetLoader(PresetParameterCollection& collection)
    : PresetLoader(collection.getOwner(), nullptr, collection.getSignature()), collection_(collection) {
    setHeaderName(collection.getHeaderName());
}

int32_t CollectionPresetLoader::parameterCount() {
    return collection_.size();
}

void CollectionPresetLoader::beginLoad(int32_t) {
    if (isText()) prefix_ = collection_.commonPrefix();
}

void CollectionPresetLoader::setMissing(int32_t index) {
    if (AbstractPluginParameter* parameter = collection_.get(index))
        parameter->setValue(parameter->getDefault(), 0);
}

void CollectionPresetLoader::setValue(int32_t index, float value) {
    if (AbstractPluginParameter* parameter = collection_.get(index)) parameter->setValue(value, 0);
}

int32_t CollectionPresetLoader::setValueByName(const std::string& name, float value) {
    const int32_t index = collection_.indexOfKey(name, prefix_);
    if (index < 0) {
        reportError(-1, preset_errors::kUnknownParameter.message + name);
        return -1;
    }
    setValue(index, value);
    return index;
}

ErrorResult& loadPresetFromEntry(PresetParameterCollection& collection, ErrorResult& result,
                                 const PresetCacheEntry& entry, int32_t expectedVersion) {
    CollectionPresetLoader loader(collection);
    auto stream = openFileStream(entry.path, std::ios::in | std::ios::binary);
    return loader.loadPreset(result, *stream, expectedVersion, std::string());
}
