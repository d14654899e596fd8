// Reads arbitrary bytes as a preset (binary or text) into a plug-in model
// that was never started, and as a collection preset (the interface
// defaults and section presets take this road). Whatever the bytes: values stay within their
// ranges, batches stay balanced, and a preset that reports an error other
// than an unknown parameter changes neither values nor custom settings.
// Then the same bytes go to the effect's model, whose second attempt reads
// the layouts of its older releases and converts them: the same promises,
// and the conversion ends.

#include "effect/VarnelPlugin.h"
#include "fuzz/FuzzModel.h"
#include "plugin/CollectionPresetLoader.h"
#include "plugin/GenericPlugin.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using fuzz::check;
using fuzz::checkWithinRange;

class FuzzPlugin : public fuzz::FuzzModel {
public:
    FuzzPlugin() {
        gain.setRange(-60.0f, 12.0f);
        steps.setRange(-3, 9);
        flag.setValueNames("Off,On");
    }
    FloatPluginParameter gain{this, "Gain"};
    FloatPluginParameter pan{this, "Pan"};
    IndexedPluginParameter<int> steps{this, "Steps"};
    IndexedPluginParameter<bool> flag{this, "Flag"};
};

// One effect model for the whole run (its start-up scans folders and reads
// settings), with its settings and presets in a folder of its own.
VarnelPlugin& effect() {
    static std::unique_ptr<VarnelPlugin> plugin = [] {
        static std::string config, documents;
        const std::filesystem::path root =
            std::filesystem::temp_directory_path() / ("varnel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(root);
        config = "XDG_CONFIG_HOME=" + (root / "config").string();
        documents = "XDG_DOCUMENTS_DIR=" + (root / "documents").string();
        putenv(config.data());
        putenv(documents.data());
        return std::make_unique<VarnelPlugin>("VarnelFuzz");
    }();
    return *plugin;
}

// Reads the bytes as a preset into the model through load(result, stream)
// and checks what every road promises: values within their ranges, batches
// balanced, and a preset that reports an error other than an unknown
// parameter changes no value. True when the preset was refused so.
template <typename Load>
bool loadChecked(GenericPlugin& plugin, const uint8_t* data, size_t size, Load load) {
    std::vector<float> before;
    plugin.getMainCollection().getValues(before);
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size),
                              std::ios::in | std::ios::binary);
    ErrorResult result;
    load(result, stream);
    check(!plugin.isUpdating());
    std::vector<float> after;
    plugin.getMainCollection().getValues(after);
    for (int32_t i = 0; i < plugin.getNumParameters(); ++i)
        checkWithinRange(*plugin.getParameter(i), after[static_cast<size_t>(i)]);
    const bool unknownOnly = result.getErrorMessage().rfind("Unknown parameter: ", 0) == 0;
    const bool refused = result.hasError() && !unknownOnly;
    if (refused) check(after == before);
    return refused;
}

void loadIntoEffect(const uint8_t* data, size_t size) {
    VarnelPlugin& plugin = effect();
    loadChecked(plugin, data, size,
                [&](ErrorResult& result, std::istream& stream) { plugin.loadPresetStream(result, stream); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzPlugin plugin;
    plugin.setCustomSetting("Keep", "1");
    if (loadChecked(plugin, data, size, [&](ErrorResult& result, std::istream& stream) {
            plugin.loadPresetFromStream(result, stream);
        }))
        check(plugin.getSettingsMap().count("Keep") == 1);
    check(plugin.getSettingsMap().count(GenericPlugin::kPerTrackIndexKey) == 0);

    std::istringstream again(std::string(reinterpret_cast<const char*>(data), size),
                             std::ios::in | std::ios::binary);
    CollectionPresetLoader loader(plugin.getMainCollection());
    ErrorResult collectionResult;
    loader.loadPreset(collectionResult, again, -1, std::string());
    check(!plugin.isUpdating());
    for (int32_t i = 0; i < plugin.getNumParameters(); ++i) {
        const AbstractPluginParameter* parameter = plugin.getParameter(i);
        checkWithinRange(*parameter, parameter->getValue());
    }

    loadIntoEffect(data, size);
    return 0;
}
