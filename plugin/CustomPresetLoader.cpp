#include "plugin/CustomPresetLoader.h"

#include "foundation/BinaryFile.h"
#include "foundation/ModuleResources.h"
#include "plugin/GenericParameterOwner.h"
#include "plugin/GenericPresetOwner.h"
#include "plugin/PluginParameter.h"
#include "plugin/PresetParameterCollection.h"

#include <cassert>
#include <cstring>

CustomPresetLoader::CustomPresetLoader(GenericPresetOwner& plugin)
    : PresetLoader(&plugin.getParameterOwner(), &plugin, plugin.getPresetSignature()),
      parameters_(plugin.getParameterOwner()),
      currentVersion_(PresetParameterCollection::presetFormat().version) {}

CustomPresetLoader::~CustomPresetLoader() = default;

void CustomPresetLoader::clearEntries() {
    entries_.clear();
    nameMap_.clear();
}

void CustomPresetLoader::addParameter(AbstractPluginParameter* parameter, const std::string& name) {
    const int32_t index = static_cast<int32_t>(entries_.size());
    entries_.push_back({parameter, nullptr, 0.0f});
    nameMap_[name.empty() ? parameter->getName() : name] = index;
    for (const std::string& alias : parameter->getAliases())
        nameMap_[alias] = index;
}

void CustomPresetLoader::addParameterRange(int32_t first, int32_t last) {
    for (int32_t i = first; i <= last; ++i)
        if (AbstractPluginParameter* parameter = parameters_.getParameter(i))
            addParameter(parameter, std::string());
}

void CustomPresetLoader::addValue(float* variable, const std::string& name) {
    const int32_t index = static_cast<int32_t>(entries_.size());
    entries_.push_back({nullptr, variable, 0.0f});
    if (!name.empty()) nameMap_[name] = index;
    if (variable != nullptr) *variable = 0.0f;
}

void CustomPresetLoader::addAlternativeSignature(std::string signature, uint32_t version) {
    alternatives_.push_back({std::move(signature), version});
}

bool CustomPresetLoader::signatureAccepted(const std::string& signature, int32_t version) {
    if (signature == getSignature(version)) return true;
    for (const AlternativeSignature& alternative : alternatives_)
        if (alternative.signature == signature && alternative.version == static_cast<uint32_t>(version))
            return true;
    return false;
}

bool CustomPresetLoader::readPresetMap(int32_t version, std::vector<uint32_t>& positions,
                                       std::vector<uint32_t>& missing, int32_t& dropped) {
    const std::string name =
        "PresetMap_" + getSignature(currentVersion_) + "_" + std::to_string(version) + ".ztpresetmap";
    if (!resourceExists(name)) return false;
    BinaryResourceReader reader(name);
    char magic[4];
    if (!reader.readBytes(magic, 4) || std::memcmp(magic, "PMap", 4) != 0) return false;
    reader.readUInt32();
    const int32_t currentCount = reader.readInt32();
    const int32_t oldCount = reader.readInt32();
    if (!reader.isGood() || currentCount < 1 || oldCount < 1 || oldCount > currentCount + 65536) return false;
    positions.clear();
    dropped = 0;
    for (int32_t i = 0; i < oldCount && reader.isGood(); ++i) {
        positions.push_back(reader.readUInt32());
        if (positions.back() == 0xFFFFFFFF) ++dropped;
    }
    const int64_t missingCount = int64_t(currentCount) - (int64_t(oldCount) - dropped);
    if (missingCount < 0) return false;
    missing.clear();
    for (int64_t i = 0; i < missingCount && reader.isGood(); ++i)
        missing.push_back(reader.readUInt32());
    return reader.isGood();
}

bool CustomPresetLoader::checkPresetMaps() {
    for (int32_t version = currentVersion_ - 1; version >= 1; --version) {
        std::vector<uint32_t> positions;
        std::vector<uint32_t> missing;
        int32_t dropped = 0;
        const std::string name =
            "PresetMap_" + getSignature(currentVersion_) + "_" + std::to_string(version) + ".ztpresetmap";
        if (!resourceExists(name)) return true;
        if (!readPresetMap(version, positions, missing, dropped)) return false;
        const int64_t kept = int64_t(positions.size()) - dropped;
        if (kept + int64_t(missing.size()) != parameters_.getNumParameters()) return false;
    }
    return true;
}

bool CustomPresetLoader::versionSupported(int32_t version) {
    // Until a version maps them, values go to the parameters by position.
    if (entries_.empty()) addParameterRange(0, parameters_.getNumParameters() - 1);
    for (const AlternativeSignature& alternative : alternatives_)
        if (alternative.signature == getLoadedSignature()) return true;
    if (currentVersion_ == -1) return true;
    if (isText()) return version == currentVersion_;
    // The library's own maps must agree with its parameter list.
    const bool consistent = checkPresetMaps();
    assert(consistent && "preset maps disagree with the parameter list");
    if (version == mappedVersion_) return true;
    if (version < 1 || version > currentVersion_) return false;
    if (version == currentVersion_) {
        clearEntries();
        addParameterRange(0, parameters_.getNumParameters() - 1);
        missing_.clear();
        mappedVersion_ = version;
        return true;
    }
    if (!consistent) return false;
    std::vector<uint32_t> positions;
    std::vector<uint32_t> missing;
    int32_t dropped = 0;
    if (!readPresetMap(version, positions, missing, dropped)) return false;
    if (int64_t(positions.size()) - dropped + int64_t(missing.size()) != parameters_.getNumParameters())
        return false;
    clearEntries();
    for (uint32_t position : positions) {
        AbstractPluginParameter* parameter =
            position == 0xFFFFFFFF ? nullptr : parameters_.getParameter(static_cast<int32_t>(position));
        if (parameter != nullptr)
            addParameter(parameter, std::string());
        else
            entries_.push_back({nullptr, nullptr, 0.0f});
    }
    missing_ = std::move(missing);
    mappedVersion_ = version;
    return true;
}

void CustomPresetLoader::beginLoad(int32_t) {
    if (isText()) {
        clearEntries();
        addParameterRange(0, parameters_.getNumParameters() - 1);
        // The table no longer matches a binary version.
        mappedVersion_ = -1;
        return;
    }
    if (currentVersion_ == -1) {
        if (entries_.empty()) addParameterRange(0, parameters_.getNumParameters() - 1);
        return;
    }
    for (uint32_t index : missing_)
        if (AbstractPluginParameter* parameter = parameters_.getParameter(static_cast<int32_t>(index)))
            parameter->setValue(parameter->getDefault(), 0);
}

void CustomPresetLoader::setValue(int32_t index, float value) {
    if (index < 0 || index >= parameterCount()) return;
    Entry& entry = entries_[static_cast<size_t>(index)];
    if (entry.parameter != nullptr) entry.parameter->setValue(value, 0);
    if (entry.variable != nullptr) *entry.variable = value;
    entry.lastValue = value;
}

void CustomPresetLoader::setMissing(int32_t index) {
    if (index < 0 || index >= parameterCount()) return;
    Entry& entry = entries_[static_cast<size_t>(index)];
    if (entry.parameter != nullptr) entry.parameter->setValue(entry.parameter->getDefault(), 0);
}

int32_t CustomPresetLoader::setValueByName(const std::string& name, float value) {
    auto it = nameMap_.find(name);
    if (it == nameMap_.end()) {
        reportError(-1, preset_errors::kUnknownParameter.message + name);
        return -1;
    }
    setValue(it->second, value);
    return it->second;
}
