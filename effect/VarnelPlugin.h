#pragma once

// VarnelPlugin: the effect's model. The framework's model with a modulation
// matrix, joined with the effect's parameter declarations. It adds the
// persisted editor settings (VarnelSettings), the editor's fixed sizes, the
// six kinds of section ("component") presets with their folders, the preset
// version 5, preset loading with a second attempt for the layouts of older
// releases (VarnelPresetLoader), and the L/R or M/S names the delay
// controls are shown with.
//
// Construction ends with the default preset ("Default Setting" in the main
// preset folder's own tree) when there is one, else the interface defaults
// file; the parameters keep their declared defaults either way where the
// preset says nothing.
//
// Loading a preset never changes "Delay Freeze" nor "Dry Enabled" (the user
// keeps hearing what he set up, for instance only the wet signal on a send),
// except that the default preset loaded at construction sets "Dry Enabled".
//
// Threading: the host's main thread and the editor's thread, as the
// framework's model; nothing here runs on the audio thread.

#include "effect/VarnelParameters.h"
#include "modulation/ModulationMatrixPlugin.h"
#include "plugin/UnifiedPluginAdapter.h"

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <string>

class VarnelPlugin : public ModulationMatrixPlugin, public VarnelParameters {
public:
    // The editor's widths: 640, or 926 with the wide layout.
    enum class InterfaceLayout : int32_t { kStandard = 0, kWide = 1 };

    // Section preset kinds, in the order of their folders.
    enum ComponentKind : int32_t {
        kDelays = 0,
        kFilters = 1,
        kXLFO = 2,
        kEG = 3,
        kEF = 4,
        kMIDI = 5,
        kNumComponentKinds = 6,
    };

    class VarnelSettings;

    static constexpr int32_t kPresetVersion = 5;
    static constexpr int32_t kStandardWidth = 640;
    static constexpr int32_t kWideWidth = 926;
    static constexpr int32_t kHeight = 321;
    static constexpr int32_t kModulationHeight = 514;

    // The folder name, file extension and number of collections of a kind.
    struct ComponentFolder {
        const char* name;
        const char* extension;
        int32_t collections;
    };
    static const ComponentFolder kComponentFolders[kNumComponentKinds];

    // productName: the name behind the registry key and the folders; the
    // product's own unless a test keeps its runs apart.
    explicit VarnelPlugin(const std::string& productName = std::string());
    ~VarnelPlugin() override;

    int32_t getInterfaceHeight() const override;
    int32_t getInterfaceWidth() const override;
    static int32_t getMaxInterfaceHeight() { return kModulationHeight; }
    static int32_t getMaxInterfaceWidth() { return kWideWidth; }
    static bool hasEditor() { return true; }

    VarnelSettings& getVarnelSettings() const;

    // The ordinary loader first; when it fails, the loader of the older
    // layouts. "Delay Freeze" and (outside the construction's default load)
    // "Dry Enabled" keep their values.
    void loadPresetFile(ErrorResult& result, const PresetCacheEntry& entry) override;
    // The same two attempts on a stream that can seek back to its start.
    void loadPresetStream(ErrorResult& result, std::istream& stream);
    // When "Channel Mode" changes, asks for the delay controls to be renamed
    // for the host on the model's thread (it may run on the audio thread).
    void parameterChangedHook(int32_t index) override;

    // A parameter by its declared name (or alias), null when none.
    AbstractPluginParameter* findParameter(const std::string& name) const;
    // True while the constructor loads the default preset.
    bool isLoadingDefaultPreset() const { return loadingDefaultPreset_; }

    // Builds the effect's processor (UnifiedPluginAdapter::setProcessorFactory).
    // The processor's graph is the stereo layout's whatever the layout asked
    // for: it takes no layout at construction.
    static UnifiedPluginAdapter::ProcessorFactory processorFactory();

protected:
    Settings* createSettings() override;
    void createPresetManager() override;
    void refreshParameterInfo() override;

private:
    void fillComponentCollections();
    void loadStartupPreset();
    void applyChannelModeNames(int32_t mode);

    std::atomic<int32_t> lastChannelMode_{-1};
    bool loadingDefaultPreset_ = false;
};
