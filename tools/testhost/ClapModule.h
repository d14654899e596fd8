#pragma once

// A CLAP module as a host holds it: the file loaded (or an entry linked into
// the executable), its clap_entry checked for a compatible version and
// initialised with the module's path; destruction calls deinit and unloads.

#include "clap/ClapAbi.h"
#include "tools/testhost/SharedLibrary.h"

#include <memory>
#include <string>

class ClapModule {
public:
    // Loads `path` and initialises its clap_entry; null with a reason in `error`.
    static std::unique_ptr<ClapModule> load(const std::string& path, std::string& error);
    // An entry linked statically into the executable, initialised with `path`.
    static std::unique_ptr<ClapModule> fromEntry(const clap_plugin_entry_t* entry, const std::string& path,
                                                 std::string& error);

    ~ClapModule();
    ClapModule(const ClapModule&) = delete;
    ClapModule& operator=(const ClapModule&) = delete;

    const clap_plugin_entry_t* entry() const { return entry_; }
    const std::string& path() const { return path_; }

    const clap_plugin_factory_t* pluginFactory() const;
    // Under the id of 1.2, else the older compatible id.
    const clap_preset_discovery_factory_t* presetDiscoveryFactory() const;

private:
    ClapModule(std::unique_ptr<SharedLibrary> library, const clap_plugin_entry_t* entry, std::string path);

    std::unique_ptr<SharedLibrary> library_;
    const clap_plugin_entry_t* entry_;
    std::string path_;
};
