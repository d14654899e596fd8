#pragma once

// GenericPlugin: the model side of a plug-in. It lives on the host's main
// thread and the editor's thread and owns its own set of parameter objects
// (the processor owns a second set), the current-preset record, settings,
// undo and A/B snapshots, instance naming and the host-state chunk. It
// reaches the host through an Adapter and an open editor through one
// Listener; preset loaders and collections reach it through
// GenericPresetOwner, the undo history and A/B compare through
// GenericSnapshotOwner.
//
// Parameter changes: a parameter that stored a new value calls
// setParameterValue; the model counts the change, marks the preset
// modified and reports the index to the host unless flag bit 0 says the
// change came from the host. Inside an update batch (beginUpdate/endUpdate)
// reports are collected: the end of the outermost batch reports the pending
// HostCode once (kResyncAll, kResyncLightReset, kResyncFullReset) when any
// change asked for a report, and tells the listener kParameterChanged with
// -1. Reports to the host happen on the creating thread; from any other
// thread they are posted to the model's event queue (kParameterReport).
//
// Threads: setParameterValue with flag 1 (host automation),
// notifyListener, the change counter, the modified flag and the batch
// accounting may run on the audio thread: they are atomics and never
// allocate, lock or block. Everything else belongs to the main or editor
// thread. The notifier raises the busy counter before it loads the
// listener; setInterface waits for 0 and is never called from a
// notification.
//
// Per-process objects (version information, controller mapping, preset
// managers, shared settings, instance list) are made by the first instance
// in initHistoryAndSources and released by the last in shutdown, under the
// process-wide start-up lock; the settings learn the version information
// and the global option word from there (GenericPluginSettings.h).
//
// Host-state chunk, little-endian, strings as u32 length and bytes: the
// first four characters of the plug-in id, u32 version 3, the preset name,
// u32 instance index (0xFFFFFFFF when none was assigned), u32 automatic-name
// flag, the instance name, u32 preset-modified flag, then the "CuSV" block:
// "CuSV", u32 1, i32 count, pairs of key and value in key order, the last
// one "_PerTrackIndex" with the per-track index as "%d". Readers check the
// whole chunk before changing anything.

#include "foundation/AsyncEventQueue.h"
#include "foundation/BinaryData.h"
#include "foundation/ErrorResult.h"
#include "foundation/ManagedObject.h"
#include "foundation/SettingSerializer.h"
#include "plugin/ControllerMapping.h"
#include "plugin/CurrentPresetRecord.h"
#include "plugin/CustomSettingsBlock.h"
#include "plugin/EventQueue.h"
#include "plugin/GenericPluginBase.h"
#include "plugin/GenericPluginInstanceList.h"
#include "plugin/GenericPluginSnapshots.h"
#include "plugin/GenericPresetOwner.h"
#include "plugin/MidiDecoder.h"
#include "plugin/PresetCacheEntry.h"
#include "plugin/PresetManager.h"
#include "plugin/PresetParameterCollection.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class GenericPluginSettings;
class GenericPluginSettingsBase;
class GenericPluginSharedSettings;
class KeyValueWriter;
class PresetCache;
class PresetLoader;
class VersionInfo;
class LevelSourceProxy;
class CriticalSection;

// A new VersionInfo for the plug-in's name.
std::unique_ptr<VersionInfo> createVersionInfo(const GenericPluginInfo& plugin);

class GenericPlugin : public GenericPluginBase,
                      public GenericPresetOwner,
                      public GenericSnapshotOwner,
                      public IGenericPluginInstance,
                      public MidiMessageReceiver {
public:
    // Codes of the listener's notify. They share the editor's message
    // channel with the editor's own commands, so those are defined here too.
    enum ListenerCode : int32_t {
        kStoreUndoStep = -128,         // 0; the editor's own, after a preset load
        kProductNotification = -1024,  // a product's own argument
        kParameterChanged = -1025,     // index, or -1 for several
        kCurrentPresetChanged = -1026, // 0
        kMidiControllerSeen = -1027,   // controller number, -1 for none
        kExtraValuesRestored = -1028,  // 0
        kControllerMappingChanged = -1029,
        kChannelLayoutChanged = -1030,
        kInstanceNameChanged = -1031,
        kCustomSettingsChanged = -1032,
        kTrackInfoChanged = -1033,
    };

    // Codes of the event queue (handled on the creating thread).
    enum EventCode : int32_t {
        kRequestRestart = 0,
        kProgramChange = 1,
        kParameterReport = 2,
        kParameterInfo = 3
    };

    // Host codes of parameterChanged below 0.
    enum HostCode : int32_t { kResyncAll = -1, kResyncLightReset = -2, kResyncFullReset = -3 };

    static constexpr uint32_t kNoIndex = 0xFFFFFFFF;
    static constexpr uint32_t kHostStateVersion = 3;
    static constexpr const char* kPerTrackIndexKey = CustomSettingsBlock::kPerTrackIndexKey;
    // The preset files, the shared map and the interface defaults.
    static constexpr const char* kMidiMapFile = "MidiControllerMap.ztm";
    static constexpr const char* kInterfaceDefaultsFile = "InterfaceDefaults.ztd";
    static constexpr int32_t kUndoRecords = ::UndoHistory::kRecords;

    // The editor's side. notify only queues for the GUI thread and must not
    // block: it may run on the audio thread.
    class Listener {
    public:
        virtual void notify(int32_t code, int32_t value) = 0;
        virtual void idle(uint32_t elapsedMs) = 0;

    protected:
        ~Listener() = default;
    };

    // The host's side (UnifiedPluginAdapter and the host binding).
    class Adapter {
    public:
        virtual void parameterValueToHost(int32_t index, float value) = 0;
        virtual void controllerMappingChanged() = 0;
        virtual void endGesture(int32_t index) = 0;
        // Takes and releases the adapter lock.
        virtual void synchronize() = 0;
        virtual void requestRestart() = 0;
        virtual void forwardMidi(const MidiEvent& event) = 0;
        // index >= 0: report that parameter; below 0: a HostCode.
        virtual void parameterChanged(int32_t code) = 0;
        // What stateChanged reports.
        enum StateChange : int32_t {
            kPresetChanged = 0,  // another preset is current (or was saved)
            kMetadataChanged = 1 // the instance name or the preset's metadata
        };
        // A StateChange.
        virtual void stateChanged(int32_t code) = 0;
        virtual void exchangeDisplayData() = 0;
        virtual void setProcessorParameter(int32_t index, float value) = 0;
        virtual void beginGesture(int32_t index) = 0;
        virtual ~Adapter() = default;
        virtual void sendParameterValue(int32_t index, float value) = 0;
        // The parameters' host names changed (on the model's thread).
        virtual void parameterInfoChanged() {}
    };

    // The settings (GenericPluginSettings.h).
    using SettingsBase = GenericPluginSettingsBase;
    using Settings = GenericPluginSettings;
    using SharedSettings = GenericPluginSharedSettings;
    // The undo history and A/B compare (GenericPluginSnapshots.h).
    using UndoHistory = ::UndoHistory;
    using CompareStates = ::CompareStates;
    using Snapshot = PluginSnapshot;

    // The host's track: accepted, not stored (the host binding keeps its own).
    struct TrackContext {
        int32_t flags = 0;
        std::string name;
        std::vector<uint32_t> colour;
        int32_t index = -1;
        std::string secondName;
    };

    using ExtraValues = std::vector<float>;

    GenericPlugin();
    ~GenericPlugin() override;

    // --- GenericParameterOwner
    void beginUpdate() override;
    void endUpdate() override;
    int32_t getSetNumber() const override { return 0; }
    std::string getName() const override { return {}; }
    void setParameterValue(int32_t index, float value, int32_t flags) override;
    void addParameterAlias(AbstractPluginParameter* parameter, const std::string& name) override;
    int32_t getNameIndex(const std::string& name) override;
    void requestLightReset() override;
    void requestFullReset() override;

    // --- MidiMessageReceiver: forwarded to the adapter.
    void receiveMidi(const MidiEvent& event) override;

    // --- IGenericPluginInstance
    const std::string& getInstanceName() const override { return instanceName_; }
    bool isInstance(uint32_t index) const override;

    // --- Start-up and shutdown (the product's constructor and destructor).
    void initHistoryAndSources();
    void shutdown();

    // --- Host and adapter.
    void setAdapter(Adapter* adapter) { adapter_ = adapter; }
    Adapter* getAdapter() const { return adapter_; }
    void notifyHostOfParameter(int32_t index);
    void sendValueToHost(int32_t index, float value);
    void beginGesture(int32_t index);
    void endGesture(int32_t index);
    // Runs refreshParameterInfo() and tells the adapter, on the model's
    // thread: at once when called there, else through the event queue, so
    // any thread (the audio thread too) may ask without allocating.
    void requestParameterInfoRefresh();
    AsyncEventQueue* getEventQueue() const { return eventQueue_.load(); }
    // The host binding's request to pump the queue on its main thread.
    void setEventQueueWake(AsyncEventQueue::WakeFunction function, void* context);
    void handleProgramChange(int32_t bank, int32_t program);
    float getSampleRate() const { return sampleRate_; }

    // A history the model keeps per sample rate, in whole blocks of
    // blockSize frames of `channels` interleaved samples, read and written
    // at its two positions. The framework adds none; a product may.
    struct HistoryBuffer {
        int32_t blockSize = 0;
        int32_t channels = 0;
        int32_t blocks = 0;
        std::vector<float> samples;
        std::array<int32_t, 2> positions{0, 0};
    };
    std::vector<HistoryBuffer>& getHistoryBuffers() { return historyBuffers_; }
    // A new rate (host activation, main thread). A change of at most
    // 1.1920929e-7 is none and returns false. Otherwise stores the rate,
    // re-sizes every history buffer to a quarter second rounded up to whole
    // blocks, both positions 0, then calls sampleRateChanged().
    bool changeSampleRate(float rate);

    // --- Editor.
    // Raises the busy counter for its life, as a call into the listener
    // does: setInterface's wait covers it. Lock-free; any thread.
    class BusyScope {
    public:
        explicit BusyScope(GenericPlugin& plugin) noexcept : plugin_(plugin) { plugin_.busy_.fetch_add(1); }
        ~BusyScope() { plugin_.busy_.fetch_sub(1); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        GenericPlugin& plugin_;
    };
    // The pause between setInterface's checks of the busy counter, in
    // milliseconds (a real sleep unless replaced; tests replace it).
    using SleepFunction = std::function<void(uint32_t milliseconds)>;
    void setSleepFunction(SleepFunction function);
    // The lock of the display exchange, which is also the attached editor's
    // lock: the editor takes it, never while it waits in setInterface.
    CriticalSection& getInterfaceLock() const { return *displayLock_; }
    void setInterface(Listener* listener);
    Listener* getInterface() const { return listener_.load(); }
    void notifyListener(int32_t code, int32_t value);
    // At most every 5 ms, the listener's idle with the elapsed milliseconds.
    void idle(const Listener* caller);
    uint32_t getChangeCounter() const { return changeCounter_.load(); }
    uint32_t getBusyCount() const { return busy_.load(); }
    bool isUpdating() const { return updateNesting_.load() != 0; }

    // --- Interface size: the editor is not resizable here; a product gives
    // its size.
    virtual bool isInterfaceResizable() const { return false; }
    virtual int32_t getInterfaceHeight() const { return 0; }
    virtual int32_t getInterfaceWidth() const { return 0; }
    int32_t getMaximumInterfaceHeight() const { return getInterfaceHeight(); }
    int32_t getMaximumInterfaceWidth() const { return getInterfaceWidth(); }
    // Raises a negative width or height to 0.
    void constrainInterfaceSize(int32_t& width, int32_t& height) const;
    // Constrains the size; a fixed-size editor changes nothing.
    void setInterfaceSize(int32_t width, int32_t height);

    // --- Presets.
    void loadPreset(ErrorResult& result, const PresetCacheEntry& entry);
    void loadPresetFromStream(ErrorResult& result, std::istream& stream);
    void loadDefaultSettings();
    virtual bool savePreset(const PresetCacheEntry& entry);
    // False when not every file could be written (all are tried).
    bool restoreFactoryPresets(bool overwrite);
    // See GenericPresetOwner.
    void setCurrentPresetName(const std::string& name, int32_t n) override;
    const CurrentPresetRecord& getCurrentPreset() const override { return currentPreset_; }
    CurrentPresetRecord& getCurrentPreset() { return currentPreset_; }
    void setPresetModified(bool modified) override;
    virtual PresetLoader* createPresetLoader();
    virtual void loadPresetFile(ErrorResult& result, const PresetCacheEntry& entry);
    virtual std::string getPresetExtension() const { return ".ztp"; }
    // The first four characters of the plug-in id.
    std::string getPresetSignature() const override { return pluginId.substr(0, 4); }
    bool writesTextPresets() const override { return hasFlag(kFlagTextPresets); }
    GenericParameterOwner& getParameterOwner() override { return *this; }
    virtual std::string getDefaultPresetName() const;
    PresetParameterCollection& getMainCollection() { return mainCollection_; }
    PresetParameterCollection& getSettingsCollection() { return settingsCollection_; }
    // A settings parameter is kept out of presets: a preset load gives it
    // its value back.
    void addSettingsParameter(AbstractPluginParameter* parameter) { settingsCollection_.add(parameter); }
    void createParameterCollections(int32_t kind, int32_t count);
    // Collections of one component kind (null outside).
    PresetParameterCollection* getParameterCollection(int32_t kind, int32_t i) const;
    void createComponentPresetFolder(const std::string& name, const std::string& extension);
    // -1: the main manager; else the component manager of that index.
    PresetManager* getPresetManager(int32_t index) const;
    int32_t getNumComponentPresetManagers() const;
    void addVersion1PresetFolder();
    bool getLoadDefaultSettingsFlag() const { return loadDefaultSettingsOnLoad_; }
    void setLoadDefaultSettingsFlag(bool flag) { loadDefaultSettingsOnLoad_ = flag; }

    // --- Host state and custom settings.
    bool writeHostState(std::ostream& stream);
    bool readHostState(std::istream& stream);
    void writeSettingsBlock(BinaryDataWriter& writer, bool forPreset) const override;
    // Reads an optional block (no "CuSV" tag: the map is emptied). False,
    // nothing changed, for a negative count or a truncated block.
    bool readSettingsBlock(BinaryDataReader& reader);
    // A block read completely: its map (empty when absent) and per-track
    // index replace the current ones; the listener hears kCustomSettingsChanged.
    void applySettingsBlock(const CustomSettingsBlock& block) override;
    void clearSettings() override;
    // The "Settings" section of a text preset (nothing without entries).
    void writeSettingsText(KeyValueWriter& writer) const override;
    const std::map<std::string, std::string>& getSettingsMap() const override { return settingsMap_; }
    // Stores one custom setting (not "_PerTrackIndex") and tells the listener.
    void setCustomSetting(const std::string& key, const std::string& value) override;
    void replaceSettings(std::map<std::string, std::string> map) override;
    // Tells the adapter that the preset's metadata changed (stateChanged 1).
    void reportMetadataChange() override;
    bool isStateUnchanged(std::istream& stream);

    // --- Instances.
    uint32_t getInstanceIndex();
    uint32_t getStoredInstanceIndex() const { return instanceIndex_.load(); }
    // Empty: automatic naming; else the user's name. Tells the host when
    // flag or name changed.
    void setInstanceName(const std::string& text);
    bool isAutomaticName() const { return automaticName_; }
    uint32_t getPerTrackIndex() const { return perTrackIndex_; }
    void setPerTrackIndex(uint32_t index) { perTrackIndex_ = index; }
    uint32_t getPluginIdNumber() const;
    void setTrackContext(const TrackContext& info);
    const TrackContext& getTrackContext() const { return trackContext_; }
    const std::string& getProductDisplayName() const { return productDisplayName_; }

    // --- Snapshots.
    ExtraValues& getExtraValues() { return extraValues_; }
    void captureSnapshot(Snapshot& record) const override;
    void restoreSnapshot(const Snapshot& record) override;
    UndoHistory* getUndoHistory() const override { return undoHistory_.get(); }
    CompareStates* getCompareStates() const override { return compareStates_.get(); }
    // When the editor first attaches: "Initial state" and both A/B slots.
    void initSnapshotsForEditor();

    // --- Settings.
    Settings* getSettings() const { return settings_.get(); }
    virtual void serializeGlobalOptions(SettingSerializer& serializer);
    void saveGlobalOptions();
    void readRegistrySettings();

    // --- Display data (the adapter's exchange, under its lock).
    virtual bool readProcessorState(std::istream& stream);
    virtual int32_t getNumAudioSources() const { return 0; }
    virtual int32_t getNumLevelRecordsPerChannel() const { return 0; }
    virtual int32_t getNumExtraLevelRecords() const { return 0; }
    const std::vector<std::unique_ptr<LevelSourceProxy>>& getLevelProxies() const { return levelProxies_; }
    // Level record i, null outside the records.
    LevelSourceProxy* getLevelRecord(int32_t i) const;
    // Record k of a channel; null for a channel the current layout lacks.
    LevelSourceProxy* getChannelRecord(int32_t channel, int32_t k) const;
    int32_t getProcessorDataWord() const { return processorDataWord_; }
    uint64_t getProcessorDisplayValue(int32_t i) const {
        return processorDisplayValues_[static_cast<size_t>(i)];
    }

    // --- Hooks.
    virtual void initializedHook() {}
    virtual void parameterChangedHook(int32_t index) { (void)index; }
    // Releases an attached object at shutdown (takes ownership).
    void attachObject(ManagedObject* object);

    // --- MIDI controller map (the process-wide table).
    void loadMidiControllerMapFromResource();
    bool loadMidiControllerMapFromFile();
    bool saveMidiControllerMap();

    // --- Per-process objects.
    static ControllerMapping* getControllerMapping();
    static VersionInfo* getVersionInfo();
    static SharedSettings* getSharedSettings();
    static GenericPluginInstanceList* getInstanceList();
    // Only for plug-ins with the catalogue-cache flag (0x100).
    static PresetCache* getPresetCache();
    static int32_t getInstanceCount();
    // Global option word: bit 0 default to no side chain, bit 1 scaling
    // adjustments are stored.
    static uint32_t getGlobalOptions();
    static int32_t getGraphicsAccelerationMode();
    // 0.0: follow the system's scale.
    static double getScaleFactor();
    static void setProcessDisplayOptions(int32_t graphicsMode, int32_t scaling);

    // The maker folder of the product (with the version suffix), '\' ended.
    static std::string getProductFolder();
    // The product's default preset folder, '\' ended.
    static std::string getDefaultPresetFolder();

protected:
    virtual Settings* createSettings();
    virtual SharedSettings* createSharedSettings();
    // The per-process objects (first instance). A product that keeps
    // component presets calls createComponentPresetFolder after this.
    virtual void createPresetManager();
    virtual void releaseSharedObjects();
    // Brings the parameters' host names up to date (model's thread).
    virtual void refreshParameterInfo() {}
    // After changeSampleRate() stored a new rate and re-sized the histories.
    virtual void sampleRateChanged() {}

private:
    void handleEvent(void* queue);
    void createEventQueue();
    void applyInstanceName(const std::string& name);
    void controllerMappingChanged(void*);
    void firstInstanceSteps();
    static std::string productFile(const char* name);

    Adapter* adapter_ = nullptr;
    // The current queue; queues replaced by setInterface stay until
    // destruction, as other threads may still post to them.
    std::atomic<AsyncEventQueue*> eventQueue_{nullptr};
    std::vector<std::unique_ptr<AsyncEventQueue>> queues_;
    AsyncEventQueue::WakeFunction wakeFunction_ = nullptr;
    void* wakeContext_ = nullptr;
    std::unique_ptr<CompareStates> compareStates_;
    std::vector<std::vector<std::unique_ptr<PresetParameterCollection>>> componentCollections_;
    std::map<std::string, std::string> settingsMap_;
    int32_t processorDataWord_ = 0;
    std::atomic<uint32_t> instanceIndex_{kNoIndex};
    std::string instanceName_;
    PresetParameterCollection settingsCollection_;
    // Nothing of the framework fills it; a product keeps plain float values
    // there (the loader's addValue variables) that travel with snapshots.
    ExtraValues extraValues_;
    bool automaticName_ = true;
    bool loadDefaultSettingsOnLoad_ = false;
    std::vector<std::unique_ptr<ManagedObject>> attachedObjects_;
    std::atomic<Listener*> listener_{nullptr};
    std::atomic<uint32_t> busy_{0};
    std::vector<std::string> registeredNames_;
    PresetParameterCollection mainCollection_;
    std::atomic<uint32_t> updateNesting_{0};
    // What the outermost batch's end reports: the changes of the batch so
    // far, none, only ones that came from the host, or at least one that
    // the host must hear of.
    enum PendingChanges : uint32_t { kNoChanges = 0, kChangesToReport = 1, kChangesFromHostOnly = 2 };
    std::atomic<uint32_t> pending_{kNoChanges};
    std::atomic<uint32_t> changeCounter_{0};
    uint32_t perTrackIndex_ = kNoIndex;
    CurrentPresetRecord currentPreset_;
    std::array<uint64_t, 4> processorDisplayValues_;
    std::string productDisplayName_;
    std::unique_ptr<CriticalSection> displayLock_;
    std::vector<std::unique_ptr<LevelSourceProxy>> levelProxies_;
    uint32_t idleStamp_ = 0;
    SleepFunction sleep_;
    std::atomic<int32_t> pendingHostCode_{kResyncAll};
    float sampleRate_ = 44100.0f;
    std::vector<HistoryBuffer> historyBuffers_;
    std::unique_ptr<Settings> settings_;
    TrackContext trackContext_;
    std::atomic<std::thread::id> creatingThread_;
    std::unique_ptr<UndoHistory> undoHistory_;
    bool started_ = false;
    bool mappingHandlerInstalled_ = false;
};
