#pragma once

// The preset-discovery provider that the discovery factory makes for a
// host's indexer. It tells the indexer where the product's preset files live
// (the preset folder of the product's registry settings, else the default
// preset folder under the user's documents) and which file type they have,
// and answers metadata requests for single preset files from the file's own
// metadata (display name, author, description, tags), flagging the presets
// listed in the folder's favourites file. A host indexes presets before it
// makes any instance, so init first does the model's first-start extraction of
// the factory presets (never replacing a file, and safe beside an instance or
// another process doing the same at that moment).
//
// Calls: CLAP makes the provider not thread-safe, so the host calls it from
// any thread but one call at a time, and never back from inside the
// indexer's declarations or the receiver's callbacks. A call that comes while
// another runs (from another thread, or from inside such a callback) is
// refused: the indexer offers no log to report it to. A destroy then is
// carried out as the running call returns. get_metadata also answers
// without init (CLAP lets a host that cached the declarations skip it): it
// reads the folder's favourites itself. The provider keeps no state shared
// with plug-in instances. Every C callback catches exceptions and reports
// failure.

#include "clap/ClapAbi.h"
#include "plugin/GenericPluginBase.h"

#include <atomic>
#include <cstdint>
#include <set>
#include <string>

class ClapPresetDiscoveryProvider {
public:
    static constexpr const char* kFiletypeName = "Zentor Preset";
    static constexpr const char* kFiletypeDescription = "Preset for a Zentor plugin";
    static constexpr const char* kFiletypeExtension = "ztp";
    static constexpr const char* kLocationSuffix = " Preset Folder";
    static constexpr const char* kFavoritesFile = "Favorites.txt";
    // Factory and user content: the folder holds both.
    static constexpr uint32_t kLocationFlags =
        CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT | CLAP_PRESET_DISCOVERY_IS_USER_CONTENT;
    static constexpr uint32_t kFavoriteFlags = kLocationFlags | CLAP_PRESET_DISCOVERY_IS_FAVORITE;

    // A new provider whose C record the host owns: its destroy deletes the
    // provider. descriptor outlives it (the entry's); pluginId is the plug-in
    // descriptor's id; info is the product's plug-in info record.
    static const clap_preset_discovery_provider_t*
    create(const clap_preset_discovery_provider_descriptor_t* descriptor,
           const clap_preset_discovery_indexer_t* indexer, const std::string& pluginId,
           const GenericPluginInfo& info);

    // Reads the preset folder (making it with the factory presets on a first
    // start, or when it is missing or holds no preset) and the favourites, and
    // declares the location and the file type; declares nothing when the
    // folder cannot be made. False when the indexer refuses a declaration.
    bool init();
    // Metadata of one preset file; false for another location kind, a path
    // that is no existing file, or when the receiver refuses the preset.
    bool getMetadata(uint32_t locationKind, const char* location,
                     const clap_preset_discovery_metadata_receiver_t* receiver);

    const clap_preset_discovery_provider_t* clapProvider() const { return &provider_; }
    // The preset folder in the internal form (known after init).
    const std::string& presetFolder() const { return presetFolder_; }

private:
    // The one call running: entered unless another runs; the last to leave
    // after a destroy deletes the provider.
    class CallScope;
    enum CallState : uint32_t { kIdle, kInCall, kInCallDestroyed, kDestroyed };

    ClapPresetDiscoveryProvider(const clap_preset_discovery_provider_descriptor_t* descriptor,
                                const clap_preset_discovery_indexer_t* indexer, std::string pluginId,
                                GenericPluginInfo info);
    static ClapPresetDiscoveryProvider* from(const clap_preset_discovery_provider_t* provider);
    std::string readPresetFolder() const;
    // The first-start extraction; true when the folder exists afterwards.
    bool ensurePresetFolder() const;
    void readFavorites();
    // The host's destroy: now, or as the running call returns.
    static void destroy(ClapPresetDiscoveryProvider* provider);

    clap_preset_discovery_provider_t provider_;
    const clap_preset_discovery_indexer_t* indexer_;
    std::string pluginId_;
    GenericPluginInfo info_;
    std::string presetFolder_;
    bool folderRead_ = false;
    // Full paths in the internal form.
    std::set<std::string> favorites_;
    std::atomic<uint32_t> callState_{kIdle};
};
