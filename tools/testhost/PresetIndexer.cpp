#include "tools/testhost/PresetIndexer.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

namespace {

std::string text(const char* value) {
    return value ? value : "";
}

std::filesystem::path osPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8(const std::filesystem::path& path) {
    std::u8string value = path.u8string();
    return std::string(value.begin(), value.end());
}

std::string lower(std::string value) {
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return value;
}

} // namespace

PresetIndexer& PresetIndexer::from(const clap_preset_discovery_indexer_t* indexer) {
    return *static_cast<PresetIndexer*>(indexer->indexer_data);
}

PresetIndexer& PresetIndexer::from(const clap_preset_discovery_metadata_receiver_t* receiver) {
    return *static_cast<PresetIndexer*>(receiver->receiver_data);
}

PresetIndexer::PresetIndexer(std::string name) : name_(std::move(name)), thread_(std::this_thread::get_id()) {
    indexer_ = {};
    indexer_.clap_version = CLAP_VERSION_INIT;
    indexer_.name = name_.c_str();
    indexer_.vendor = "Varnel tests";
    indexer_.url = "https://varnel.example/test-indexer";
    indexer_.version = "1.0.0";
    indexer_.indexer_data = this;
    indexer_.declare_filetype = [](const clap_preset_discovery_indexer_t* indexer,
                                   const clap_preset_discovery_filetype_t* filetype) {
        PresetIndexer& self = from(indexer);
        if (!filetype || !filetype->name) {
            self.violation("declare_filetype without a name");
            return false;
        }
        if (!self.declare()) return false;
        self.filetypes_.push_back(
            {filetype->name, text(filetype->description), text(filetype->file_extension)});
        return true;
    };
    indexer_.declare_location = [](const clap_preset_discovery_indexer_t* indexer,
                                   const clap_preset_discovery_location_t* location) {
        PresetIndexer& self = from(indexer);
        if (!location || !location->name) {
            self.violation("declare_location without a name");
            return false;
        }
        if (location->kind == CLAP_PRESET_DISCOVERY_LOCATION_FILE && !location->location)
            self.violation("declare_location of a file location without a path");
        if (location->kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN && location->location)
            self.violation("declare_location of the plug-in location with a path");
        if (!self.declare()) return false;
        self.locations_.push_back({location->flags, location->name, location->kind, text(location->location),
                                   location->location != nullptr});
        return true;
    };
    indexer_.declare_soundpack = [](const clap_preset_discovery_indexer_t* indexer,
                                    const clap_preset_discovery_soundpack_t* soundpack) {
        PresetIndexer& self = from(indexer);
        if (!soundpack || !soundpack->id || !soundpack->name) {
            self.violation("declare_soundpack without an id or name");
            return false;
        }
        if (!self.declare()) return false;
        ++self.soundpacks_;
        return true;
    };
    indexer_.get_extension = [](const clap_preset_discovery_indexer_t* indexer,
                                const char* id) -> const void* {
        PresetIndexer& self = from(indexer);
        auto it = id ? self.extensions_.find(id) : self.extensions_.end();
        return it == self.extensions_.end() ? nullptr : it->second;
    };

    receiver_ = {};
    receiver_.receiver_data = this;
    receiver_.on_error = [](const clap_preset_discovery_metadata_receiver_t* receiver, int32_t code,
                            const char* message) {
        PresetIndexer& self = from(receiver);
        if (!self.inGetMetadata_) self.violation("on_error outside get_metadata");
        self.errors_.push_back(self.currentLocation_ + ": " + std::to_string(code) + " " + text(message));
    };
    receiver_.begin_preset = [](const clap_preset_discovery_metadata_receiver_t* receiver, const char* name,
                                const char* loadKey) {
        PresetIndexer& self = from(receiver);
        if (std::this_thread::get_id() != self.thread_)
            self.violation("begin_preset off the indexer's thread");
        if (!self.inGetMetadata_) {
            self.violation("begin_preset outside get_metadata");
            return false;
        }
        if (!name) self.violation("begin_preset without a name");
        DiscoveredPreset preset;
        preset.location = self.currentLocation_;
        preset.name = text(name);
        preset.loadKey = text(loadKey);
        preset.hasLoadKey = loadKey != nullptr;
        self.presets_.push_back(std::move(preset));
        return true;
    };
    receiver_.add_plugin_id = [](const clap_preset_discovery_metadata_receiver_t* receiver,
                                 const clap_universal_plugin_id_t* id) {
        PresetIndexer& self = from(receiver);
        if (DiscoveredPreset* preset = self.current("add_plugin_id")) {
            if (!id || !id->abi || !id->id)
                self.violation("add_plugin_id without an abi or id");
            else
                preset->pluginIds.emplace_back(id->abi, id->id);
        }
    };
    receiver_.set_soundpack_id = [](const clap_preset_discovery_metadata_receiver_t* receiver,
                                    const char* id) {
        if (DiscoveredPreset* preset = from(receiver).current("set_soundpack_id"))
            preset->soundpackId = text(id);
    };
    receiver_.set_flags = [](const clap_preset_discovery_metadata_receiver_t* receiver, uint32_t flags) {
        if (DiscoveredPreset* preset = from(receiver).current("set_flags")) {
            preset->flags = flags;
            preset->flagsSet = true;
        }
    };
    receiver_.add_creator = [](const clap_preset_discovery_metadata_receiver_t* receiver,
                               const char* creator) {
        if (DiscoveredPreset* preset = from(receiver).current("add_creator"))
            preset->creators.push_back(text(creator));
    };
    receiver_.set_description = [](const clap_preset_discovery_metadata_receiver_t* receiver,
                                   const char* description) {
        if (DiscoveredPreset* preset = from(receiver).current("set_description"))
            preset->description = text(description);
    };
    receiver_.set_timestamps = [](const clap_preset_discovery_metadata_receiver_t* receiver,
                                  clap_timestamp created, clap_timestamp modified) {
        if (DiscoveredPreset* preset = from(receiver).current("set_timestamps")) {
            preset->created = created;
            preset->modified = modified;
        }
    };
    receiver_.add_feature = [](const clap_preset_discovery_metadata_receiver_t* receiver,
                               const char* feature) {
        if (DiscoveredPreset* preset = from(receiver).current("add_feature"))
            preset->features.push_back(text(feature));
    };
    receiver_.add_extra_info = [](const clap_preset_discovery_metadata_receiver_t* receiver, const char* key,
                                  const char* value) {
        if (DiscoveredPreset* preset = from(receiver).current("add_extra_info"))
            preset->extraInfo[text(key)] = text(value);
    };
}

PresetIndexer::~PresetIndexer() {
    if (provider_) provider_->destroy(provider_);
}

void PresetIndexer::violation(const std::string& what) {
    violations_.push_back(what);
}

bool PresetIndexer::declare() {
    if (std::this_thread::get_id() != thread_) violation("a declaration off the indexer's thread");
    if (!inInit_) violation("a declaration outside the provider's init");
    if (declarationLimit_ >= 0 && declarations_ >= declarationLimit_) return false;
    ++declarations_;
    return true;
}

DiscoveredPreset* PresetIndexer::current(const char* call) {
    if (std::this_thread::get_id() != thread_) violation(std::string(call) + " off the indexer's thread");
    if (!inGetMetadata_ || presets_.size() == presetsAtStart_) {
        violation(std::string(call) + " before begin_preset or outside get_metadata");
        return nullptr;
    }
    return &presets_.back();
}

bool PresetIndexer::create(const clap_preset_discovery_factory_t* factory, const std::string& providerId) {
    if (!factory || provider_) return false;
    provider_ = factory->create(factory, &indexer_, providerId.c_str());
    if (!provider_) return false;
    if (!provider_->desc) violation("the provider has no descriptor");
    return true;
}

bool PresetIndexer::open(const clap_preset_discovery_factory_t* factory, const std::string& providerId) {
    if (!create(factory, providerId)) return false;
    inInit_ = true;
    bool initialised = provider_->init(provider_);
    inInit_ = false;
    return initialised;
}

bool PresetIndexer::getMetadata(uint32_t kind, const char* location) {
    if (!provider_) return false;
    currentLocation_ = text(location);
    presetsAtStart_ = presets_.size();
    inGetMetadata_ = true;
    bool found = provider_->get_metadata(provider_, kind, location, &receiver_);
    inGetMetadata_ = false;
    return found;
}

int PresetIndexer::crawl() {
    int failures = 0;
    std::vector<std::string> extensions;
    for (const auto& type : filetypes_)
        if (!type.extension.empty()) extensions.push_back("." + lower(type.extension));
    const std::vector<DeclaredLocation> locations = locations_;
    for (const auto& location : locations) {
        if (location.kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN) {
            failures += getMetadata(location.kind, nullptr) ? 0 : 1;
            continue;
        }
        std::error_code error;
        std::filesystem::path root = osPath(location.location);
        if (!std::filesystem::is_directory(root, error)) {
            failures += getMetadata(location.kind, location.location.c_str()) ? 0 : 1;
            continue;
        }
        std::vector<std::string> files;
        for (std::filesystem::recursive_directory_iterator it(root, error), end; !error && it != end;
             it.increment(error)) {
            if (!it->is_regular_file(error)) continue;
            std::string extension = lower(utf8(it->path().extension()));
            if (extensions.empty() ||
                std::find(extensions.begin(), extensions.end(), extension) != extensions.end())
                files.push_back(utf8(it->path()));
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files)
            failures += getMetadata(location.kind, file.c_str()) ? 0 : 1;
    }
    return failures;
}
