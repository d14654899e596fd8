#include "clap/ClapPresetLoad.h"

#include "clap/HostPath.h"
#include "foundation/ErrorResult.h"
#include "plugin/GenericPlugin.h"
#include "plugin/PresetCacheEntry.h"

#include <string>

bool loadPresetFromLocation(GenericPlugin& plugin, const clap_host_t* host,
                            const clap_host_preset_load_t* hostPresetLoad, uint32_t locationKind,
                            const char* location, const char* loadKey) {
    (void)loadKey; // a file location names the preset completely
    if (locationKind != CLAP_PRESET_DISCOVERY_LOCATION_FILE || location == nullptr) return false;
    const std::string path = fromHostPath(location);
    PresetCacheEntry entry(path);
    ErrorResult result;
    plugin.loadPreset(result, entry);
    std::string message = result.getErrorMessage();
    if (result.hasError() && message.empty()) message = "The preset could not be loaded";
    if (hostPresetLoad != nullptr && host != nullptr) {
        if (result.hasError()) {
            if (hostPresetLoad->on_error)
                hostPresetLoad->on_error(host, CLAP_PRESET_DISCOVERY_LOCATION_FILE, location, nullptr, 0,
                                         message.c_str());
        } else if (hostPresetLoad->loaded) {
            hostPresetLoad->loaded(host, CLAP_PRESET_DISCOVERY_LOCATION_FILE, location, nullptr);
        }
    }
    return !result.hasError();
}
