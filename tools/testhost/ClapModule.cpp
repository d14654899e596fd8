#include "tools/testhost/ClapModule.h"

#include <utility>

namespace {

bool initialise(const clap_plugin_entry_t* entry, const std::string& path, std::string& error) {
    if (!entry) {
        error = "no clap_entry";
        return false;
    }
    if (!clap_version_is_compatible(entry->clap_version)) {
        error = "clap_entry has the incompatible version " + std::to_string(entry->clap_version.major) + "." +
                std::to_string(entry->clap_version.minor) + "." +
                std::to_string(entry->clap_version.revision);
        return false;
    }
    if (!entry->init || !entry->deinit || !entry->get_factory) {
        error = "clap_entry lacks a function";
        return false;
    }
    if (!entry->init(path.c_str())) {
        error = "clap_entry.init failed";
        return false;
    }
    return true;
}

} // namespace

ClapModule::ClapModule(std::unique_ptr<SharedLibrary> library, const clap_plugin_entry_t* entry,
                       std::string path)
    : library_(std::move(library)), entry_(entry), path_(std::move(path)) {}

ClapModule::~ClapModule() {
    entry_->deinit();
    library_.reset();
}

std::unique_ptr<ClapModule> ClapModule::load(const std::string& path, std::string& error) {
    auto library = SharedLibrary::open(path, error);
    if (!library) return nullptr;
    auto* entry = static_cast<const clap_plugin_entry_t*>(library->symbol("clap_entry"));
    if (!initialise(entry, path, error)) return nullptr;
    return std::unique_ptr<ClapModule>(new ClapModule(std::move(library), entry, path));
}

std::unique_ptr<ClapModule> ClapModule::fromEntry(const clap_plugin_entry_t* entry, const std::string& path,
                                                  std::string& error) {
    if (!initialise(entry, path, error)) return nullptr;
    return std::unique_ptr<ClapModule>(new ClapModule(nullptr, entry, path));
}

const clap_plugin_factory_t* ClapModule::pluginFactory() const {
    return static_cast<const clap_plugin_factory_t*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
}

const clap_preset_discovery_factory_t* ClapModule::presetDiscoveryFactory() const {
    const void* factory = entry_->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID);
    if (!factory) factory = entry_->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT);
    return static_cast<const clap_preset_discovery_factory_t*>(factory);
}
