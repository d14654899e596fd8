// Reads arbitrary bytes as a host-state chunk into a plug-in model that was
// never started (no registry, no folders). A chunk that is refused leaves
// the model exactly as it was; one that is taken leaves no "_PerTrackIndex"
// in the custom settings, and writing the state again and reading it back
// gives the same bytes.

#include "fuzz/FuzzModel.h"
#include "plugin/GenericPlugin.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

using fuzz::check;

class FuzzPlugin : public fuzz::FuzzModel {
public:
    FloatPluginParameter gain{this, "Gain"};
};

std::string snapshot(FuzzPlugin& plugin) {
    std::ostringstream stream(std::ios::out | std::ios::binary);
    plugin.writeHostState(stream);
    return stream.str() + "|" + plugin.getCurrentPreset().getPath() + "|" + plugin.getInstanceName();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzPlugin plugin;
    plugin.setCustomSetting("Keep", "1");
    const std::string before = snapshot(plugin);
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size),
                              std::ios::in | std::ios::binary);
    if (!plugin.readHostState(stream)) {
        check(snapshot(plugin) == before);
        return 0;
    }
    check(plugin.getSettingsMap().count(GenericPlugin::kPerTrackIndexKey) == 0);
    std::ostringstream first(std::ios::out | std::ios::binary);
    check(plugin.writeHostState(first));
    FuzzPlugin copy;
    std::istringstream again(first.str(), std::ios::in | std::ios::binary);
    check(copy.readHostState(again));
    std::ostringstream second(std::ios::out | std::ios::binary);
    check(copy.writeHostState(second));
    check(first.str() == second.str());
    return 0;
}
