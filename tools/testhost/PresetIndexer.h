#pragma once

// The test host's preset-discovery indexer: it creates a provider from a
// module's preset-discovery factory, records the file types, locations and
// soundpacks the provider declares in init, then crawls: every file location
// that names a file is asked for directly; one that names a folder is walked
// (recursively) for files with a declared extension (any file when no type
// declares one), and each is asked for its metadata. Location kind "plugin"
// is asked once with a null location.
//
// The metadata receiver records every preset and checks the order of calls:
// metadata before begin_preset, or receiver calls outside get_metadata, are
// violations, as are calls off the thread that made the indexer.

#include "clap/ClapAbi.h"

#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

struct DiscoveredPreset {
    std::string location; // the location that was asked for
    std::string name;
    std::string loadKey; // "" for a null key
    bool hasLoadKey = false;
    std::vector<std::pair<std::string, std::string>> pluginIds; // abi, id
    uint32_t flags = 0;
    bool flagsSet = false;
    std::vector<std::string> creators;
    std::string description;
    std::vector<std::string> features;
    std::string soundpackId;
    clap_timestamp created = CLAP_TIMESTAMP_UNKNOWN;
    clap_timestamp modified = CLAP_TIMESTAMP_UNKNOWN;
    std::map<std::string, std::string> extraInfo;
};

struct DeclaredFiletype {
    std::string name, description, extension;
};

struct DeclaredLocation {
    uint32_t flags = 0;
    std::string name;
    uint32_t kind = 0;
    std::string location;
    bool hasLocation = false;
};

class PresetIndexer {
public:
    explicit PresetIndexer(std::string name = "Varnel Test Indexer");
    ~PresetIndexer();
    PresetIndexer(const PresetIndexer&) = delete;
    PresetIndexer& operator=(const PresetIndexer&) = delete;

    // An additional extension answered under `id` (for fixtures of tests).
    void addExtension(const std::string& id, const void* table) { extensions_[id] = table; }
    // Declarations after this many are refused (to test a provider's init).
    void refuseDeclarationsAfter(int count) { declarationLimit_ = count; }

    // Creates and initialises the provider; false when it cannot be made or
    // its init fails.
    bool open(const clap_preset_discovery_factory_t* factory, const std::string& providerId);
    // Creates it only, as a host that cached its declarations does.
    bool create(const clap_preset_discovery_factory_t* factory, const std::string& providerId);
    const clap_preset_discovery_provider_t* provider() const { return provider_; }

    // Asks for the metadata of one location; the presets found are appended.
    bool getMetadata(uint32_t kind, const char* location);
    // Asks for every declared location; returns the number of failed requests.
    int crawl();

    const std::vector<DeclaredFiletype>& filetypes() const { return filetypes_; }
    const std::vector<DeclaredLocation>& locations() const { return locations_; }
    int soundpackCount() const { return soundpacks_; }
    const std::vector<DiscoveredPreset>& presets() const { return presets_; }
    const std::vector<std::string>& errors() const { return errors_; }
    const std::vector<std::string>& violations() const { return violations_; }

private:
    static PresetIndexer& from(const clap_preset_discovery_indexer_t* indexer);
    static PresetIndexer& from(const clap_preset_discovery_metadata_receiver_t* receiver);
    bool declare();
    void violation(const std::string& what);
    DiscoveredPreset* current(const char* call);

    std::string name_;
    std::thread::id thread_;
    clap_preset_discovery_indexer_t indexer_;
    clap_preset_discovery_metadata_receiver_t receiver_;
    const clap_preset_discovery_provider_t* provider_ = nullptr;
    std::map<std::string, const void*> extensions_;
    int declarationLimit_ = -1;
    int declarations_ = 0;
    bool inGetMetadata_ = false;
    bool inInit_ = false;
    std::string currentLocation_;
    size_t presetsAtStart_ = 0;
    std::vector<DeclaredFiletype> filetypes_;
    std::vector<DeclaredLocation> locations_;
    int soundpacks_ = 0;
    std::vector<DiscoveredPreset> presets_;
    std::vector<std::string> errors_;
    std::vector<std::string> violations_;
};
