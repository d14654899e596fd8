#include "clap/ClapPresetDiscoveryProvider.h"

#include "clap/HostPath.h"
#include "foundation/FileEnumerator.h"
#include "foundation/Files.h"
#include "foundation/KnownFolders.h"
#include "foundation/Registry.h"
#include "foundation/SetupBundle.h"
#include "foundation/VersionInfo.h"
#include "plugin/PresetCache.h"
#include "plugin/PresetCacheEntry.h"
#include "plugin/PresetMetadata.h"

#include <memory>
#include <utility>
#include <vector>

namespace {

std::string withBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

} // namespace

class ClapPresetDiscoveryProvider::CallScope {
public:
    explicit CallScope(ClapPresetDiscoveryProvider* provider) : provider_(provider) {
        uint32_t idle = kIdle;
        entered_ = provider_ != nullptr && provider_->callState_.compare_exchange_strong(idle, kInCall);
    }
    ~CallScope() {
        if (!entered_) return;
        uint32_t inCall = kInCall;
        // Destroyed meanwhile: nobody else touches the provider any more.
        if (!provider_->callState_.compare_exchange_strong(inCall, kIdle)) delete provider_;
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
    explicit operator bool() const { return entered_; }

private:
    ClapPresetDiscoveryProvider* provider_;
    bool entered_ = false;
};

const clap_preset_discovery_provider_t*
ClapPresetDiscoveryProvider::create(const clap_preset_discovery_provider_descriptor_t* descriptor,
                                    const clap_preset_discovery_indexer_t* indexer,
                                    const std::string& pluginId, const GenericPluginInfo& info) {
    if (descriptor == nullptr || indexer == nullptr) return nullptr;
    auto* provider = new ClapPresetDiscoveryProvider(descriptor, indexer, pluginId, info);
    return provider->clapProvider();
}

ClapPresetDiscoveryProvider::ClapPresetDiscoveryProvider(
    const clap_preset_discovery_provider_descriptor_t* descriptor,
    const clap_preset_discovery_indexer_t* indexer, std::string pluginId, GenericPluginInfo info)
    : indexer_(indexer), pluginId_(std::move(pluginId)), info_(std::move(info)) {
    provider_.desc = descriptor;
    provider_.provider_data = this;
    provider_.init = [](const clap_preset_discovery_provider_t* provider) {
        try {
            ClapPresetDiscoveryProvider* self = from(provider);
            const CallScope call(self);
            return call && self->init();
        } catch (...) {
            return false;
        }
    };
    provider_.destroy = [](const clap_preset_discovery_provider_t* provider) { destroy(from(provider)); };
    provider_.get_metadata = [](const clap_preset_discovery_provider_t* provider, uint32_t locationKind,
                                const char* location,
                                const clap_preset_discovery_metadata_receiver_t* receiver) {
        try {
            ClapPresetDiscoveryProvider* self = from(provider);
            const CallScope call(self);
            return call && self->getMetadata(locationKind, location, receiver);
        } catch (...) {
            return false;
        }
    };
    // No extensions; a call beside another is refused all the same.
    provider_.get_extension = [](const clap_preset_discovery_provider_t* provider,
                                 const char*) -> const void* {
        const CallScope call(from(provider));
        return nullptr;
    };
}

void ClapPresetDiscoveryProvider::destroy(ClapPresetDiscoveryProvider* provider) {
    if (provider == nullptr) return;
    uint32_t state = provider->callState_.load();
    for (;;) {
        if (state == kIdle) {
            if (provider->callState_.compare_exchange_weak(state, kDestroyed)) {
                delete provider;
                return;
            }
        } else if (state == kInCall) {
            // The running call deletes it as it returns.
            if (provider->callState_.compare_exchange_weak(state, kInCallDestroyed)) return;
        } else {
            return; // destroyed already
        }
    }
}

ClapPresetDiscoveryProvider*
ClapPresetDiscoveryProvider::from(const clap_preset_discovery_provider_t* provider) {
    return provider != nullptr ? static_cast<ClapPresetDiscoveryProvider*>(provider->provider_data) : nullptr;
}

// The folder the plug-in's settings name ("PresetFolder" under the product's
// key, the one the model writes), else the default preset folder, as the
// model falls back when the stored folder is missing or gone.
std::string ClapPresetDiscoveryProvider::readPresetFolder() const {
    const VersionInfo version(info_.pluginName);
    RegistryReader reader(RegistryRoot::kCurrentUser, version.getProductKeyPath());
    const std::string stored = reader.readString("PresetFolder");
    if (!stored.empty() && folderExists(fromHostPath(stored))) return fromHostPath(stored);
    return withBackslash(getPresetsFolderPath(version.getPluginName()));
}

// As the model's first instance does: a new version (the stored
// "CurrentVersion" differs from the running one), a missing folder or one
// without presets gets the factory presets. Existing files are kept; the files
// are written atomically, so a model or another provider extracting at the
// same moment sees each file whole or not at all.
bool ClapPresetDiscoveryProvider::ensurePresetFolder() const {
    const VersionInfo version(info_.pluginName);
    RegistryReader reader(RegistryRoot::kCurrentUser, version.getProductKeyPath());
    const bool firstStart = reader.readString("CurrentVersion") != version.getDisplayVersion();
    const std::string folder = withBackslash(presetFolder_);
    bool empty = true;
    if (folderExists(folder)) {
        // Presets lie in the folder or in subfolders of it.
        std::unique_ptr<FileEnumerator> files =
            FileEnumerator::create(folder + "*." + kFiletypeExtension, FileEnumerator::Files);
        std::unique_ptr<FileEnumerator> folders =
            FileEnumerator::create(folder + "*", FileEnumerator::Folders);
        empty = !files->next();
        while (empty && folders->next())
            empty = folders->name() == "." || folders->name() == "..";
    }
    if (firstStart || empty) {
        createDirectories(folder);
        installSetupDocs(folder, "FactoryPresets", false);
    }
    return folderExists(folder);
}

bool ClapPresetDiscoveryProvider::init() {
    presetFolder_ = readPresetFolder();
    folderRead_ = true;
    if (!ensurePresetFolder()) return true; // nothing to declare rather than a missing folder

    const std::string name = info_.pluginName + kLocationSuffix;
    const std::string location = toHostPath(presetFolder_);
    clap_preset_discovery_location_t declared{};
    declared.flags = kLocationFlags;
    declared.name = name.c_str();
    declared.kind = CLAP_PRESET_DISCOVERY_LOCATION_FILE;
    declared.location = location.c_str();
    if (!indexer_->declare_location || !indexer_->declare_location(indexer_, &declared)) return false;

    clap_preset_discovery_filetype_t filetype{};
    filetype.name = kFiletypeName;
    filetype.description = kFiletypeDescription;
    filetype.file_extension = kFiletypeExtension;
    if (!indexer_->declare_filetype || !indexer_->declare_filetype(indexer_, &filetype)) return false;

    readFavorites();
    return true;
}

// The favourites file lists paths relative to the folder; they are read as
// full paths so they compare with the locations the host asks for.
void ClapPresetDiscoveryProvider::readFavorites() {
    std::vector<std::string> favorites;
    readFavoritesFile(withBackslash(presetFolder_) + kFavoritesFile, favorites);
    favorites_.clear();
    favorites_.insert(favorites.begin(), favorites.end());
}

bool ClapPresetDiscoveryProvider::getMetadata(uint32_t locationKind, const char* location,
                                              const clap_preset_discovery_metadata_receiver_t* receiver) {
    if (locationKind != CLAP_PRESET_DISCOVERY_LOCATION_FILE || location == nullptr || receiver == nullptr)
        return false;
    // Without init (declarations the host cached): the folder as it is now.
    if (!folderRead_) {
        presetFolder_ = readPresetFolder();
        folderRead_ = true;
        readFavorites();
    }
    const std::string path = fromHostPath(location);
    if (!fileExists(path)) return false;

    PresetCacheEntry entry(path);
    readPresetMetadata(path, entry);

    if (!receiver->begin_preset || !receiver->begin_preset(receiver, entry.name.c_str(), location))
        return false;
    if (!entry.author.empty() && receiver->add_creator) receiver->add_creator(receiver, entry.author.c_str());
    if (!entry.description.empty() && receiver->set_description)
        receiver->set_description(receiver, entry.description.c_str());
    if (favorites_.count(path) != 0 && receiver->set_flags) receiver->set_flags(receiver, kFavoriteFlags);
    const clap_universal_plugin_id_t id{"clap", pluginId_.c_str()};
    if (receiver->add_plugin_id) receiver->add_plugin_id(receiver, &id);
    if (receiver->add_feature)
        for (const std::string& keyword : entry.tags)
            receiver->add_feature(receiver, keyword.c_str());
    return true;
}
