#include "effect/VarnelPlugin.h"

#include "effect/VarnelPresetLoader.h"
#include "effect/VarnelProcessor.h"
#include "foundation/Files.h"
#include "plugin/CustomPresetLoader.h"
#include "plugin/PresetLoader.h"

#include <algorithm>
#include <istream>
#include <memory>

namespace {

// Shown in the delay controls' names in place of the set number: L and R
// for the two lines in Left/Right mode, M and S in Mid/Side mode.
constexpr const char* kChannelLetters = "LRMS";
// Where the set number stands in "Delay 1 Time".
constexpr size_t kSetNumberPosition = 6;

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

const VarnelPlugin::ComponentFolder VarnelPlugin::kComponentFolders[kNumComponentKinds] = {
    {"Delays", ".delays", 1}, {"Filters", ".filters", 1}, {"XLFO", ".xlfo", 6},
    {"EG", ".eg", 6},         {"EF", ".ef", 4},           {"MIDI", ".midi", 10},
};

VarnelPlugin::VarnelPlugin(const std::string& productName) : VarnelParameters(*this, *this, *this) {
    if (!productName.empty()) pluginName = productName;
    initHistoryAndSources();
    for (int32_t kind = 0; kind < kNumComponentKinds; ++kind)
        createParameterCollections(kind, kComponentFolders[kind].collections);
    fillComponentCollections();
    setupParameterInfo();
    buildSlotController();
    loadStartupPreset();
    // The delay controls get their L/R or M/S names from the start.
    parameterChangedHook(-1);
}

VarnelPlugin::~VarnelPlugin() {
    shutdown();
}

void VarnelPlugin::createPresetManager() {
    ModulationMatrixPlugin::createPresetManager();
    PresetParameterCollection::presetFormat().version = kPresetVersion;
    addVersion1PresetFolder();
    for (const ComponentFolder& folder : kComponentFolders)
        createComponentPresetFolder(folder.name, folder.extension);
}

AbstractPluginParameter* VarnelPlugin::findParameter(const std::string& name) const {
    const int32_t index = const_cast<VarnelPlugin*>(this)->getMainCollection().indexOfName(name);
    return index >= 0 ? getParameter(index) : nullptr;
}

void VarnelPlugin::fillComponentCollections() {
    // Section presets hold the parameters of one section in declaration
    // order: the delays with their links and read style, the filters with
    // their routing, and one modulation source set each (an XLFO with its
    // step list).
    auto addWhere = [this](PresetParameterCollection* collection, auto&& belongs) {
        if (collection == nullptr) return;
        for (int32_t i = 0; i < getNumParameters(); ++i)
            if (AbstractPluginParameter* p = getParameter(i); p != nullptr && belongs(p->getName()))
                collection->add(p);
    };
    auto addNamed = [this](PresetParameterCollection* collection, std::initializer_list<const char*> names) {
        if (collection == nullptr) return;
        for (const char* name : names)
            if (AbstractPluginParameter* p = findParameter(name)) collection->add(p);
    };
    addWhere(getParameterCollection(kDelays, 0), [](const std::string& name) {
        return startsWith(name, "Delay 1 ") || startsWith(name, "Delay 2 ");
    });
    addNamed(getParameterCollection(kDelays, 0), {"Feedback Link", "Delay Link", "Delay Buffer Read Style"});
    addWhere(getParameterCollection(kFilters, 0), [](const std::string& name) {
        return startsWith(name, "Filter 1 ") || startsWith(name, "Filter 2 ");
    });
    addNamed(getParameterCollection(kFilters, 0), {"Filter Routing"});

    // The envelope followers' input is named without a blank ("EF 1Input").
    const struct {
        ComponentKind kind;
        const char* base;
        const char* separator;
    } sources[] = {{kXLFO, "XLFO ", " "}, {kEG, "EG ", " "}, {kEF, "EF ", ""}, {kMIDI, "MIDI Source ", " "}};
    for (const auto& source : sources) {
        for (int32_t i = 0; i < kComponentFolders[source.kind].collections; ++i) {
            const std::string prefix = source.base + std::to_string(i + 1) + source.separator;
            addWhere(getParameterCollection(source.kind, i), [&prefix](const std::string& name) {
                return startsWith(name, prefix) ||
                       startsWith(name, PresetParameterCollection::kNumActive + prefix);
            });
        }
    }
}

void VarnelPlugin::loadStartupPreset() {
    PresetManager* manager = getPresetManager(-1);
    PresetCacheEntry* found = manager != nullptr
                                  ? manager->findPresetByName(getDefaultPresetName(), PresetManager::kOwnTree)
                                  : nullptr;
    if (found == nullptr) {
        loadDefaultSettings();
        return;
    }
    const PresetCacheEntry entry = *found;
    loadingDefaultPreset_ = true;
    ErrorResult result;
    loadPreset(result, entry);
    loadingDefaultPreset_ = false;
}

void VarnelPlugin::loadPresetFile(ErrorResult& result, const PresetCacheEntry& entry) {
    auto stream = openFileStream(entry.path, std::ios::in | std::ios::binary);
    loadPresetStream(result, *stream);
}

void VarnelPlugin::loadPresetStream(ErrorResult& result, std::istream& stream) {
    const float freezeBefore = delayFreeze.getValue();
    const float dryBefore = dryEnabled.getValue();
    const std::istream::pos_type start = stream.tellg();
    {
        std::unique_ptr<PresetLoader> loader(createPresetLoader());
        if (auto* custom = dynamic_cast<CustomPresetLoader*>(loader.get()))
            custom->setCurrentVersion(PresetParameterCollection::presetFormat().version);
        loader->loadPreset(result, stream, -1, std::string());
    }
    if (result.hasError() && start != std::istream::pos_type(-1)) {
        stream.clear();
        stream.seekg(start);
        VarnelPresetLoader legacy(*this, *this);
        ErrorResult second;
        legacy.loadPreset(second, stream, -1, std::string());
        // A file the older layouts accepted is theirs: its own error tells
        // what is wrong with it, the first attempt's would not.
        if (!second.hasError())
            result = ErrorResult();
        else if (legacy.isHeaderAccepted())
            result = second;
    }
    // Only the default preset at construction may set "Dry Enabled": the
    // model has no other mode in which a preset would.
    if (!loadingDefaultPreset_) dryEnabled.setValue(dryBefore, 0);
    delayFreeze.setValue(freezeBefore, 0);
}

UnifiedPluginAdapter::ProcessorFactory VarnelPlugin::processorFactory() {
    return [](int32_t) -> GenericPluginProcessor* { return new VarnelProcessor(); };
}

void VarnelPlugin::parameterChangedHook(int32_t) {
    // Runs for every change, host automation on the audio thread included:
    // a read and a compare, and a post without allocation when the mode
    // changed. The names themselves change on the model's thread.
    const int32_t item = static_cast<int32_t>(channelMode.getValue());
    if (lastChannelMode_.exchange(item) == item) return;
    requestParameterInfoRefresh();
}

void VarnelPlugin::refreshParameterInfo() {
    applyChannelModeNames(static_cast<int32_t>(channelMode.getValue()));
}

void VarnelPlugin::applyChannelModeNames(int32_t mode) {
    const std::string letters = kChannelLetters;
    for (int32_t d = 0; d < 2; ++d) {
        const size_t letter = static_cast<size_t>(d + 2 * std::clamp(mode, 0, 1));
        const std::string prefix = "Delay " + std::to_string(d + 1) + " ";
        for (int32_t i = 0; i < getNumParameters(); ++i) {
            AbstractPluginParameter* p = getParameter(i);
            if (p == nullptr || !startsWith(p->getName(), prefix)) continue;
            std::string shown = p->getName();
            shown[kSetNumberPosition] = letters[letter];
            p->setHostName(std::move(shown));
        }
    }
}
