#pragma once

// Loads a whole-plug-in preset through a table of named entries, each a
// parameter or a plain float variable, and carries the version history of
// the plug-in's parameter list: an older binary version is mapped onto the
// current parameters through a preset-map resource
// ("PresetMap_<signature>_<version>.ztpresetmap": "PMap", u32 map version,
// i32 current count, i32 old count, old count u32 positions (0xFFFFFFFF
// drops a value), then the u32 indices of the parameters the old version
// lacks). Alternative signatures may be accepted for given versions.
//
// A failed consistency check of the library's own maps is a build fault: it
// asserts in debug builds and refuses every older version otherwise.

#include "plugin/PresetLoader.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class AbstractPluginParameter;
class GenericParameterOwner;
class GenericPresetOwner;

class CustomPresetLoader : public PresetLoader {
public:
    struct AlternativeSignature {
        std::string signature;
        uint32_t version = 0;
    };
    struct Entry {
        AbstractPluginParameter* parameter = nullptr;
        float* variable = nullptr;
        float lastValue = 0.0f;
    };

    explicit CustomPresetLoader(GenericPresetOwner& plugin);
    ~CustomPresetLoader() override;

    void addParameter(AbstractPluginParameter* parameter, const std::string& name);
    void addParameterRange(int32_t first, int32_t last);
    void addValue(float* variable, const std::string& name);
    void addAlternativeSignature(std::string signature, uint32_t version);
    bool readPresetMap(int32_t version, std::vector<uint32_t>& positions, std::vector<uint32_t>& missing,
                       int32_t& dropped);
    bool checkPresetMaps();

    int32_t parameterCount() override { return static_cast<int32_t>(entries_.size()); }
    bool signatureAccepted(const std::string& signature, int32_t version) override;
    bool versionSupported(int32_t version) override;
    void beginLoad(int32_t version) override;
    void setMissing(int32_t index) override;
    int32_t setValueByName(const std::string& name, float value) override;
    void setValue(int32_t index, float value) override;

    int32_t getCurrentVersion() const { return currentVersion_; }
    void setCurrentVersion(int32_t version) { currentVersion_ = version; }
    const std::vector<Entry>& getEntries() const { return entries_; }

private:
    void clearEntries();

    GenericParameterOwner& parameters_;
    int32_t currentVersion_ = -1;
    std::vector<AlternativeSignature> alternatives_;
    int32_t mappedVersion_ = -1;
    std::vector<Entry> entries_;
    std::map<std::string, int32_t> nameMap_;
    std::vector<uint32_t> missing_;
};
