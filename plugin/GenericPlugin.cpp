#include "plugin/GenericPlugin.h"

#include "dsp/DisplaySources.h"
#include "foundation/AtomicFile.h"
#include "foundation/BinaryFile.h"
#include "foundation/Files.h"
#include "foundation/IntervalTimer.h"
#include "foundation/KeyValue.h"
#include "foundation/KnownFolders.h"
#include "foundation/Lock.h"
#include "foundation/ModuleResources.h"
#include "foundation/Registry.h"
#include "foundation/SetupBundle.h"
#include "foundation/VersionInfo.h"
#include "plugin/ChannelLayouts.h"
#include "plugin/CollectionPresetLoader.h"
#include "plugin/CustomPresetLoader.h"
#include "plugin/GenericPluginSettings.h"
#include "plugin/GenericPluginSnapshots.h"
#include "plugin/PresetCache.h"
#include "plugin/PresetLoader.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <sstream>

namespace {

// The per-process objects, made by the first instance and released by the
// last, under the start-up lock.
struct SharedObjects {
    std::unique_ptr<VersionInfo> versionInfo;
    std::unique_ptr<ControllerMapping> mapping;
    std::unique_ptr<PresetManager> mainManager;
    std::vector<std::unique_ptr<PresetManager>> componentManagers;
    std::unique_ptr<GenericPlugin::SharedSettings> sharedSettings;
    std::unique_ptr<PresetCache> cache;
    GenericPluginInstanceList* instanceList = nullptr;
    int32_t instanceCount = 0;
    // Set while the first instance starts: every scan of the start shares it.
    PresetScanBudget* startupBudget = nullptr;
};

SharedObjects& shared() {
    static SharedObjects objects;
    return objects;
}

CriticalSection& startupLock() {
    static std::unique_ptr<CriticalSection> lock = CriticalSection::create();
    return *lock;
}

std::atomic<int32_t> graphicsMode{static_cast<int32_t>(GraphicsAccelerationMode::kOn)};
std::atomic<double> scaleFactor{0.0};

// The interval of the listener's idle.
constexpr uint32_t kIdleIntervalMs = 5;
constexpr auto kBusyWait = std::chrono::milliseconds(50);
// The controller map file is 520 bytes; anything far larger is not one.
constexpr size_t kMaxMapFileSize = 64 * 1024;

std::string withBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

void runScan(PresetManager& manager, const std::string& path) {
    if (PresetScanBudget* budget = shared().startupBudget)
        manager.refresh(path, *budget);
    else
        manager.refresh(path);
}

} // namespace

std::unique_ptr<VersionInfo> createVersionInfo(const GenericPluginInfo& plugin) {
    return std::make_unique<VersionInfo>(plugin.pluginName);
}

GenericPlugin::GenericPlugin()
    : GenericPluginBase(mainCollection_), settingsCollection_(this, this), mainCollection_(this, this),
      displayLock_(CriticalSection::create()) {
    processorDisplayValues_.fill(~uint64_t(0));
    creatingThread_.store(std::this_thread::get_id());
    registeredNames_.emplace_back();
    settingsCollection_.setHeaderName("InterfaceSettings");
    createEventQueue();
}

GenericPlugin::~GenericPlugin() {
    if (started_) shutdown();
}

// --- Event queue

void GenericPlugin::createEventQueue() {
    std::unique_ptr<AsyncEventQueue> queue = AsyncEventQueue::create();
    if (!queue) return;
    queue->event().setHandler(NotifyEvent::bind(this, &GenericPlugin::handleEvent));
    if (wakeFunction_ != nullptr) queue->setWakeFunction(wakeFunction_, wakeContext_);
    eventQueue_.store(queue.get());
    queues_.push_back(std::move(queue));
}

void GenericPlugin::setEventQueueWake(AsyncEventQueue::WakeFunction function, void* context) {
    wakeFunction_ = function;
    wakeContext_ = context;
    if (AsyncEventQueue* queue = eventQueue_.load()) queue->setWakeFunction(function, context);
}

void GenericPlugin::handleEvent(void* argument) {
    auto* queue = static_cast<AsyncEventQueue*>(argument);
    const int32_t code = queue->code();
    const int64_t payload = queue->payload();
    switch (code) {
    case kRequestRestart:
        if (adapter_ != nullptr) adapter_->requestRestart();
        break;
    case kProgramChange:
        handleProgramChange(static_cast<int32_t>(payload >> 8), static_cast<int32_t>(payload & 0xFF));
        break;
    case kParameterReport: {
        // A parameter index, or a resync code posted by a batch that ended
        // on another thread.
        const bool resync =
            payload == kResyncAll || payload == kResyncLightReset || payload == kResyncFullReset;
        if (adapter_ != nullptr && (resync || (payload >= 0 && payload < getNumParameters())))
            adapter_->parameterChanged(static_cast<int32_t>(payload));
        break;
    }
    case kParameterInfo:
        refreshParameterInfo();
        if (adapter_ != nullptr) adapter_->parameterInfoChanged();
        break;
    default:
        break;
    }
}

// --- Parameter changes and batches

void GenericPlugin::beginUpdate() {
    updateNesting_.fetch_add(1);
}

void GenericPlugin::endUpdate() {
    if (updateNesting_.fetch_sub(1) != 1) return;
    const uint32_t pending = pending_.exchange(kNoChanges);
    if (pending == kNoChanges) return;
    const int32_t code = pendingHostCode_.exchange(kResyncAll);
    if (pending != kChangesFromHostOnly) notifyHostOfParameter(code);
    notifyListener(kParameterChanged, -1);
}

void GenericPlugin::setParameterValue(int32_t index, float, int32_t flags) {
    parameterChangedHook(index);
    changeCounter_.fetch_add(1);
    setPresetModified(true);
    const bool fromHost = (flags & kParameterChangeNotToHost) != 0;
    if (updateNesting_.load() != 0) {
        if (!fromHost) {
            pending_.store(kChangesToReport);
        } else {
            uint32_t none = kNoChanges;
            pending_.compare_exchange_strong(none, kChangesFromHostOnly);
        }
        if (updateNesting_.load() != 0) return;
    }
    if (!fromHost) notifyHostOfParameter(index);
    notifyListener(kParameterChanged, index);
}

void GenericPlugin::notifyHostOfParameter(int32_t index) {
    if (adapter_ == nullptr) return;
    AsyncEventQueue* queue = eventQueue_.load();
    if (queue == nullptr || std::this_thread::get_id() == creatingThread_.load())
        adapter_->parameterChanged(index);
    else
        queue->post(kParameterReport, index);
}

void GenericPlugin::requestParameterInfoRefresh() {
    AsyncEventQueue* queue = eventQueue_.load();
    if (queue != nullptr && std::this_thread::get_id() != creatingThread_.load()) {
        queue->post(kParameterInfo, 0);
        return;
    }
    refreshParameterInfo();
    if (adapter_ != nullptr) adapter_->parameterInfoChanged();
}

bool GenericPlugin::changeSampleRate(float rate) {
    if (!(std::fabs(rate - sampleRate_) > 1.1920929e-7f)) return false;
    sampleRate_ = rate;
    // A quarter second of frames, rounded up to whole blocks.
    const auto quarter = static_cast<int64_t>(std::trunc(static_cast<double>(rate) * -0.25));
    for (HistoryBuffer& history : historyBuffers_) {
        const int64_t b = history.blockSize;
        const int64_t blocks =
            b > 0 && history.channels > 0 ? std::max<int64_t>((b - quarter - 1) / b, 0) : 0;
        history.blocks = static_cast<int32_t>(blocks);
        history.samples.assign(static_cast<size_t>(blocks * b * std::max(history.channels, 0)), 0.0f);
        history.positions = {0, 0};
    }
    sampleRateChanged();
    return true;
}

void GenericPlugin::requestLightReset() {
    int32_t expected = kResyncAll;
    pendingHostCode_.compare_exchange_strong(expected, kResyncLightReset);
}

void GenericPlugin::requestFullReset() {
    pendingHostCode_.store(kResyncFullReset);
}

void GenericPlugin::addParameterAlias(AbstractPluginParameter* parameter, const std::string& name) {
    mainCollection_.addAlias(parameter, name);
}

int32_t GenericPlugin::getNameIndex(const std::string& name) {
    for (size_t i = 0; i < registeredNames_.size(); ++i)
        if (registeredNames_[i] == name) return static_cast<int32_t>(i);
    registeredNames_.push_back(name);
    return static_cast<int32_t>(registeredNames_.size()) - 1;
}

void GenericPlugin::receiveMidi(const MidiEvent& event) {
    if (adapter_ != nullptr) adapter_->forwardMidi(event);
}

void GenericPlugin::sendValueToHost(int32_t index, float value) {
    if (adapter_ != nullptr) adapter_->parameterValueToHost(index, value);
}

void GenericPlugin::beginGesture(int32_t index) {
    if (adapter_ != nullptr) adapter_->beginGesture(index);
}

void GenericPlugin::endGesture(int32_t index) {
    if (adapter_ != nullptr) adapter_->endGesture(index);
}

// --- Listener

void GenericPlugin::notifyListener(int32_t code, int32_t value) {
    busy_.fetch_add(1);
    if (Listener* listener = listener_.load()) listener->notify(code, value);
    busy_.fetch_sub(1);
}

void GenericPlugin::setInterface(Listener* listener) {
    if (listener != nullptr) {
        const std::thread::id caller = std::this_thread::get_id();
        if (caller != creatingThread_.load() || eventQueue_.load() == nullptr) {
            creatingThread_.store(caller);
            createEventQueue();
        }
    }
    listener_.store(listener);
    while (busy_.load() != 0) {
        if (sleep_)
            sleep_(static_cast<uint32_t>(kBusyWait.count()));
        else
            std::this_thread::sleep_for(kBusyWait);
    }
}

void GenericPlugin::setSleepFunction(SleepFunction function) {
    sleep_ = std::move(function);
}

void GenericPlugin::idle(const Listener* caller) {
    Listener* listener = listener_.load();
    if (listener == nullptr || listener != caller) return;
    const uint32_t now = systemMilliseconds();
    const uint32_t elapsed = now - idleStamp_;
    if (elapsed < kIdleIntervalMs) return;
    idleStamp_ = now;
    listener->idle(elapsed);
}

// --- Start-up and shutdown

void GenericPlugin::initHistoryAndSources() {
    ScopedLock hold(startupLock());
    SharedObjects& objects = shared();
    const bool first = objects.instanceCount++ == 0;
    if (first) {
        objects.instanceList = new GenericPluginInstanceList(this);
        SettingsBase::setGlobalOptions(3);
        PresetScanBudget budget;
        objects.startupBudget = &budget;
        createPresetManager();
        settings_.reset(createSettings());
        firstInstanceSteps();
        objects.startupBudget = nullptr;
    } else {
        objects.instanceList->addInstance(this);
        settings_.reset(createSettings());
        readRegistrySettings();
    }
    settings_->loaded.setValue(true);
    objects.sharedSettings->loaded.setValue(true);
    objects.mapping->getChangeEvent().addHandler(
        NotifyEvent::bind(this, &GenericPlugin::controllerMappingChanged));
    mappingHandlerInstalled_ = true;
    undoHistory_ = std::make_unique<UndoHistory>(*this);
    compareStates_ = std::make_unique<CompareStates>(*this);
    if (componentCollections_.size() < objects.componentManagers.size())
        componentCollections_.resize(objects.componentManagers.size());
    const int32_t levels = getNumLevelRecordsPerChannel() * kMaxLayoutChannels + getNumExtraLevelRecords();
    for (int32_t i = 0; i < levels; ++i)
        levelProxies_.push_back(std::make_unique<LevelSourceProxy>(*displayLock_));
    productDisplayName_ = objects.versionInfo->getPluginName();
    started_ = true;
}

void GenericPlugin::firstInstanceSteps() {
    SharedObjects& objects = shared();
    if (!loadMidiControllerMapFromFile()) loadMidiControllerMapFromResource();
    readStartupRegistrySettings(objects.versionInfo->getProductKeyPath());
    readRegistrySettings();
    if (objects.versionInfo->isFirstStart()) {
        RegistryWriter writer(RegistryRoot::kCurrentUser, objects.versionInfo->getProductKeyPath());
        serializeGlobalOptions(writer);
    }
    const bool empty =
        objects.mainManager->getEntries().empty() && objects.mainManager->getSubfolders().empty();
    if (objects.versionInfo->isFirstStart() || empty)
        restoreFactoryPresets(objects.versionInfo->isBetaBuild());
    objects.mainManager->update();
}

void GenericPlugin::createPresetManager() {
    SharedObjects& objects = shared();
    objects.versionInfo = createVersionInfo(*this);
    SettingsBase::setProduct(objects.versionInfo.get());
    objects.mapping = std::make_unique<ControllerMapping>();
    PresetScanBudget fallback;
    PresetScanBudget& budget = objects.startupBudget != nullptr ? *objects.startupBudget : fallback;
    objects.mainManager =
        std::make_unique<PresetManager>(getDefaultPresetFolder(), getPresetExtension(), budget);
    objects.mainManager->setName(std::string());
    if (hasFlag(kFlagPresetCatalogueCache)) {
        objects.cache = std::make_unique<PresetCache>(productFile(PresetCache::kFileName));
        objects.mainManager->setCache(objects.cache.get());
    }
    PresetParameterCollection::presetFormat().version = 1;
    objects.sharedSettings.reset(createSharedSettings());
}

void GenericPlugin::createComponentPresetFolder(const std::string& name, const std::string& extension) {
    SharedObjects& objects = shared();
    const std::string path = withBackslash(objects.mainManager->getPath()) + "Component Presets\\" + name;
    PresetScanBudget fallback;
    PresetScanBudget& budget = objects.startupBudget != nullptr ? *objects.startupBudget : fallback;
    objects.componentManagers.push_back(std::make_unique<PresetManager>(path, extension, budget));
}

GenericPlugin::Settings* GenericPlugin::createSettings() {
    return new Settings(this);
}

GenericPlugin::SharedSettings* GenericPlugin::createSharedSettings() {
    return new SharedSettings();
}

void GenericPlugin::shutdown() {
    if (!started_) return;
    started_ = false;
    ScopedLock hold(startupLock());
    SharedObjects& objects = shared();
    if (mappingHandlerInstalled_ && objects.mapping)
        objects.mapping->getChangeEvent().removeHandler(this, &GenericPlugin::controllerMappingChanged);
    mappingHandlerInstalled_ = false;
    attachedObjects_.clear();
    if (objects.instanceList != nullptr && objects.instanceList->removeInstance(this))
        objects.instanceList = nullptr;
    if (--objects.instanceCount == 0) {
        objects.instanceList = nullptr;
        releaseSharedObjects();
    }
    settings_.reset();
    compareStates_.reset();
    undoHistory_.reset();
    componentCollections_.clear();
}

void GenericPlugin::releaseSharedObjects() {
    SharedObjects& objects = shared();
    saveMidiControllerMap();
    objects.cache.reset();
    objects.mapping.reset();
    objects.mainManager.reset();
    SettingsBase::setProduct(nullptr);
    objects.versionInfo.reset();
    objects.sharedSettings.reset();
    objects.componentManagers.clear();
}

void GenericPlugin::attachObject(ManagedObject* object) {
    attachedObjects_.emplace_back(object);
}

void GenericPlugin::controllerMappingChanged(void*) {
    if (adapter_ != nullptr) adapter_->controllerMappingChanged();
    notifyListener(kControllerMappingChanged, 0);
}

// --- Per-process objects

ControllerMapping* GenericPlugin::getControllerMapping() {
    return shared().mapping.get();
}

VersionInfo* GenericPlugin::getVersionInfo() {
    return shared().versionInfo.get();
}

GenericPlugin::SharedSettings* GenericPlugin::getSharedSettings() {
    return shared().sharedSettings.get();
}

PresetCache* GenericPlugin::getPresetCache() {
    return shared().cache.get();
}

GenericPluginInstanceList* GenericPlugin::getInstanceList() {
    return shared().instanceList;
}

int32_t GenericPlugin::getInstanceCount() {
    ScopedLock hold(startupLock());
    return shared().instanceCount;
}

uint32_t GenericPlugin::getGlobalOptions() {
    return SettingsBase::getGlobalOptions();
}

int32_t GenericPlugin::getGraphicsAccelerationMode() {
    return graphicsMode.load();
}

double GenericPlugin::getScaleFactor() {
    return scaleFactor.load();
}

void GenericPlugin::setProcessDisplayOptions(int32_t mode, int32_t scaling) {
    graphicsMode.store(mode);
    scaleFactor.store(SharedSettings::scaleFactorFor(scaling));
}

std::string GenericPlugin::getProductFolder() {
    VersionInfo* info = getVersionInfo();
    return info != nullptr ? withBackslash(getMakerFolderPath(info->getPluginName())) : std::string();
}

std::string GenericPlugin::getDefaultPresetFolder() {
    VersionInfo* info = getVersionInfo();
    return info != nullptr ? withBackslash(getPresetsFolderPath(info->getPluginName())) : std::string();
}

std::string GenericPlugin::productFile(const char* name) {
    return getProductFolder() + name;
}

PresetManager* GenericPlugin::getPresetManager(int32_t index) const {
    SharedObjects& objects = shared();
    if (index == -1) return objects.mainManager.get();
    if (index < 0 || static_cast<size_t>(index) >= objects.componentManagers.size()) return nullptr;
    return objects.componentManagers[static_cast<size_t>(index)].get();
}

int32_t GenericPlugin::getNumComponentPresetManagers() const {
    return static_cast<int32_t>(shared().componentManagers.size());
}

void GenericPlugin::createParameterCollections(int32_t kind, int32_t count) {
    if (kind < 0 || count < 0) return;
    if (componentCollections_.size() <= static_cast<size_t>(kind))
        componentCollections_.resize(static_cast<size_t>(kind) + 1);
    auto& list = componentCollections_[static_cast<size_t>(kind)];
    list.clear();
    for (int32_t i = 0; i < count; ++i)
        list.push_back(std::make_unique<PresetParameterCollection>(this, this));
}

PresetParameterCollection* GenericPlugin::getParameterCollection(int32_t kind, int32_t i) const {
    if (kind < 0 || static_cast<size_t>(kind) >= componentCollections_.size()) return nullptr;
    const auto& list = componentCollections_[static_cast<size_t>(kind)];
    if (i < 0 || static_cast<size_t>(i) >= list.size()) return nullptr;
    return list[static_cast<size_t>(i)].get();
}

// --- Settings

void GenericPlugin::serializeGlobalOptions(SettingSerializer& serializer) {
    SharedObjects& objects = shared();
    if (objects.sharedSettings) objects.sharedSettings->serialize(serializer);
    if (settings_) settings_->serialize(serializer);
    // Writing leaves the process-wide values alone (a maker-wide override
    // read at start-up stays in force).
    if (objects.sharedSettings && !serializer.isWriting()) {
        graphicsMode.store(static_cast<int32_t>(objects.sharedSettings->graphicsAcceleration.getValue()));
        scaleFactor.store(SharedSettings::scaleFactorFor(objects.sharedSettings->displayScaling.getValue()));
    }
    if (!serializer.isWriting() && serializer.serializeBool("VST2_DefaultToNoSideChain", false, false))
        SettingsBase::addGlobalOptions(1);
    if (objects.mainManager) {
        const std::string current = withBackslash(objects.mainManager->getPath());
        const std::string fallback = getDefaultPresetFolder();
        std::string folder = withBackslash(serializer.serializeString("PresetFolder", current, fallback));
        if (folder != current) {
            if (!folderExists(folder)) folder = fallback;
            if (folder != current) runScan(*objects.mainManager, folder);
        }
    }
    if (objects.versionInfo) {
        const std::string running = objects.versionInfo->getDisplayVersion();
        const std::string stored = serializer.serializeString("CurrentVersion", running, std::string());
        if (!serializer.isWriting()) objects.versionInfo->setFirstStart(stored != running);
        if (objects.versionInfo->isFirstStart() && objects.sharedSettings)
            objects.sharedSettings->welcomeHintShown.setValue(true);
    }
}

void GenericPlugin::saveGlobalOptions() {
    VersionInfo* info = getVersionInfo();
    if (info == nullptr) return;
    RegistryWriter writer(RegistryRoot::kCurrentUser, info->getProductKeyPath());
    serializeGlobalOptions(writer);
}

void GenericPlugin::readRegistrySettings() {
    VersionInfo* info = getVersionInfo();
    if (info == nullptr) return;
    RegistryReader reader(RegistryRoot::kCurrentUser, info->getProductKeyPath());
    serializeGlobalOptions(reader);
    RegistryReader maker(RegistryRoot::kCurrentUser, std::string("Software\\") + VersionInfo::makerName);
    constexpr int32_t kNotStored = -1;
    const int32_t mode = maker.serializeInt("GraphicsAcceleration", kNotStored, kNotStored);
    const int32_t scaling = maker.serializeInt("RetinaEnabled", kNotStored, kNotStored);
    if (mode != kNotStored) graphicsMode.store(mode);
    if (scaling != kNotStored) scaleFactor.store(SharedSettings::scaleFactorFor(scaling));
}

void GenericPlugin::addVersion1PresetFolder() {
    SharedObjects& objects = shared();
    if (!objects.versionInfo || !objects.mainManager) return;
    const std::string key = objects.versionInfo->getProductKeyPath(1);
    // The product's own key would list its own folder twice.
    if (key == objects.versionInfo->getProductKeyPath()) return;
    RegistryReader reader(RegistryRoot::kCurrentUser, key);
    const std::string folder = reader.readString("PresetFolder");
    if (folder.empty() || withBackslash(folder) == withBackslash(objects.mainManager->getPath())) return;
    PresetScanBudget fallback;
    PresetScanBudget& budget = objects.startupBudget != nullptr ? *objects.startupBudget : fallback;
    auto extra = std::make_unique<PresetFolder>(folder, getPresetExtension(), budget);
    extra->setName("V1 Preset Folder");
    objects.mainManager->addExtraFolder(std::move(extra));
}

// --- Presets

std::string GenericPlugin::getDefaultPresetName() const {
    return isInstrument() ? "Default Sound" : "Default Setting";
}

PresetLoader* GenericPlugin::createPresetLoader() {
    return new CustomPresetLoader(*this);
}

void GenericPlugin::loadPresetFile(ErrorResult& result, const PresetCacheEntry& entry) {
    std::unique_ptr<PresetLoader> loader(createPresetLoader());
    auto stream = openFileStream(entry.path, std::ios::in | std::ios::binary);
    loader->loadPreset(result, *stream, -1, std::string());
}

void GenericPlugin::loadPreset(ErrorResult& result, const PresetCacheEntry& entry) {
    beginUpdate();
    std::vector<float> kept;
    settingsCollection_.getValues(kept);
    loadPresetFile(result, entry);
    if (loadDefaultSettingsOnLoad_)
        loadDefaultSettings();
    else
        settingsCollection_.setValues(kept);
    requestLightReset();
    endUpdate();
    if (result.hasError()) return;
    currentPreset_.setName(entry.name);
    currentPreset_.setPath(entry.path);
    currentPreset_.setModified(false);
    if (adapter_ != nullptr) adapter_->stateChanged(Adapter::kPresetChanged);
    notifyListener(kCurrentPresetChanged, 0);
}

void GenericPlugin::loadPresetFromStream(ErrorResult& result, std::istream& stream) {
    beginUpdate();
    std::vector<float> kept;
    settingsCollection_.getValues(kept);
    std::unique_ptr<PresetLoader> loader(createPresetLoader());
    loader->loadPreset(result, stream, -1, std::string());
    settingsCollection_.setValues(kept);
    requestLightReset();
    endUpdate();
}

void GenericPlugin::loadDefaultSettings() {
    if (settingsCollection_.size() == 0) return;
    ErrorResult result;
    loadPresetFromEntry(settingsCollection_, result, PresetCacheEntry(productFile(kInterfaceDefaultsFile)),
                        -1);
}

bool GenericPlugin::savePreset(const PresetCacheEntry& entry) {
    if (!mainCollection_.savePreset(entry.path, PresetParameterCollection::presetFormat().version))
        return false;
    if (PresetManager* manager = getPresetManager(-1)) manager->refresh(manager->getPath());
    currentPreset_.setName(entry.name);
    currentPreset_.setPath(entry.path);
    currentPreset_.setModified(false);
    if (adapter_ != nullptr) adapter_->stateChanged(Adapter::kPresetChanged);
    notifyListener(kCurrentPresetChanged, 0);
    return true;
}

bool GenericPlugin::restoreFactoryPresets(bool overwrite) {
    SharedObjects& objects = shared();
    if (!objects.mainManager) return false;
    const std::string productFolder = getProductFolder();
    createDirectories(productFolder);
    bool ok = installSetupDocs(productFolder, "ApplicationData", overwrite);
    const std::string presets = withBackslash(objects.mainManager->getPath());
    createDirectories(presets);
    ok = installSetupDocs(presets, "FactoryPresets", overwrite) && ok;
    runScan(*objects.mainManager, presets);
    for (auto& manager : objects.componentManagers)
        runScan(*manager, manager->getPath());
    return ok;
}

void GenericPlugin::setCurrentPresetName(const std::string& name, int32_t n) {
    const std::string& current = currentPreset_.getName();
    const bool equal =
        n < 0 ? current == name
              : current.substr(0, static_cast<size_t>(n)) == name.substr(0, static_cast<size_t>(n));
    if (equal) return;
    currentPreset_.setName(name);
    PresetManager* manager = getPresetManager(-1);
    PresetCacheEntry* entry =
        manager != nullptr ? manager->findPresetByName(name, PresetManager::kWholeList) : nullptr;
    currentPreset_.setPath(entry != nullptr ? entry->path : std::string());
    if (n == kWholeNameToHost && adapter_ != nullptr) adapter_->stateChanged(Adapter::kPresetChanged);
    notifyListener(kCurrentPresetChanged, 0);
}

void GenericPlugin::setPresetModified(bool modified) {
    if (currentPreset_.setModified(modified) != modified) notifyListener(kCurrentPresetChanged, 0);
}

void GenericPlugin::handleProgramChange(int32_t bank, int32_t program) {
    PresetManager* manager = getPresetManager(-1);
    if (manager == nullptr) return;
    std::vector<PresetCacheEntry*> list;
    manager->collectEntries(list);
    const int64_t position = int64_t(bank) * 128 + program;
    if (position < 0 || position >= static_cast<int64_t>(list.size())) return;
    const PresetCacheEntry entry = *list[static_cast<size_t>(position)];
    ErrorResult result;
    loadPreset(result, entry);
}

// --- MIDI controller map

void GenericPlugin::loadMidiControllerMapFromResource() {
    ControllerMapping* mapping = getControllerMapping();
    if (mapping == nullptr) return;
    mapping->clear();
    if (!resourceExists(kMidiMapFile)) return;
    BinaryResourceReader reader(kMidiMapFile);
    mapping->read(reader);
}

bool GenericPlugin::loadMidiControllerMapFromFile() {
    ControllerMapping* mapping = getControllerMapping();
    const std::string path = productFile(kMidiMapFile);
    if (mapping == nullptr || !fileExists(path)) return false;
    auto stream = openFileStream(path, std::ios::in | std::ios::binary);
    std::string bytes(kMaxMapFileSize + 1, '\0');
    stream->read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(stream->gcount()));
    if (bytes.size() > kMaxMapFileSize) return false;
    std::istringstream memory(bytes, std::ios::in | std::ios::binary);
    BinaryDataReader reader(memory);
    return mapping->read(reader);
}

bool GenericPlugin::saveMidiControllerMap() {
    ControllerMapping* mapping = getControllerMapping();
    if (mapping == nullptr) return false;
    const std::string folder = getProductFolder();
    if (folder.empty() || !createDirectories(folder)) return false;
    std::ostringstream bytes(std::ios::out | std::ios::binary);
    BinaryDataWriter writer(bytes);
    if (!mapping->write(writer)) return false;
    return writeFileAtomically(folder + kMidiMapFile, bytes.str());
}

// --- Instances

bool GenericPlugin::isInstance(uint32_t index) const {
    return index != kNoIndex && instanceIndex_.load() == index;
}

uint32_t GenericPlugin::getInstanceIndex() {
    if (instanceIndex_.load() == kNoIndex)
        if (GenericPluginInstanceList* list = getInstanceList()) instanceIndex_.store(list->allocateIndex());
    return instanceIndex_.load();
}

uint32_t GenericPlugin::getPluginIdNumber() const {
    uint32_t id = 0;
    for (size_t i = 0; i < 4; ++i)
        id = id << 8 | static_cast<uint8_t>(i < pluginId.size() ? pluginId[i] : 0);
    return id;
}

void GenericPlugin::applyInstanceName(const std::string& name) {
    GenericPluginInstanceList* list = getInstanceList();
    if (list == nullptr) return;
    ScopedLock hold(*list);
    std::string result;
    if (!automaticName_) {
        if (name.empty() || name == instanceName_) return;
        result = name;
    } else {
        const std::string& base = pluginName;
        result = base;
        for (int32_t k = 2;; ++k) {
            IGenericPluginInstance* other = list->findByName(result);
            if (other == nullptr || other == this) break;
            result = base + " (" + std::to_string(k) + ")";
        }
    }
    if (result == instanceName_) return;
    instanceName_ = result;
    list->sort();
    notifyListener(kInstanceNameChanged, 0);
}

void GenericPlugin::setInstanceName(const std::string& text) {
    const bool automatic = text.empty();
    const bool flagChanged = automatic != automaticName_;
    const std::string before = instanceName_;
    automaticName_ = automatic;
    applyInstanceName(text);
    if ((flagChanged || before != instanceName_) && adapter_ != nullptr)
        adapter_->stateChanged(Adapter::kMetadataChanged);
}

void GenericPlugin::setTrackContext(const TrackContext&) {}

// --- Host state and custom settings

bool GenericPlugin::writeHostState(std::ostream& stream) {
    BinaryDataWriter writer(stream);
    const std::string tag = (pluginId + std::string(4, '\0')).substr(0, 4);
    writer.writeBytes(tag.data(), 4);
    writer.writeUInt32(kHostStateVersion);
    writer.writeString(currentPreset_.getName());
    writer.writeUInt32(instanceIndex_.load());
    writer.writeUInt32(automaticName_ ? 1 : 0);
    writer.writeString(instanceName_);
    writer.writeUInt32(currentPreset_.isModified() ? 1 : 0);
    writeSettingsBlock(writer, false);
    return !stream.fail();
}

bool GenericPlugin::readHostState(std::istream& stream) {
    BinaryDataReader reader(stream);
    char tag[4];
    const bool haveTag = reader.readBytes(tag, sizeof tag);
    const uint32_t version = reader.readUInt32();
    const std::string own = (pluginId + std::string(4, '\0')).substr(0, 4);
    if (!haveTag || !reader.isGood() || std::memcmp(tag, own.data(), 4) != 0) return false;
    const std::string presetName = reader.readString();
    const uint32_t index = reader.readUInt32();
    const bool automatic = reader.readUInt32() != 0;
    const std::string name = reader.readString();
    const bool modified = version >= 2 && reader.readUInt32() != 0;
    if (!reader.isGood()) return false;
    CustomSettingsBlock block;
    if (version >= 3 && !CustomSettingsBlock::read(reader, block)) return false;

    setCurrentPresetName(presetName, kWholeName);
    automaticName_ = automatic;
    if (GenericPluginInstanceList* list = getInstanceList()) {
        ScopedLock hold(*list);
        instanceName_ = name;
        list->sort();
        if (index != instanceIndex_.load() && index != kNoIndex && list->claimIndex(index))
            instanceIndex_.store(index);
    } else {
        instanceName_ = name;
    }
    if (version >= 2) setPresetModified(modified);
    if (version < 3)
        clearSettings();
    else
        applySettingsBlock(block);
    return true;
}

void GenericPlugin::writeSettingsBlock(BinaryDataWriter& writer, bool forPreset) const {
    CustomSettingsBlock::write(writer, settingsMap_, !forPreset, perTrackIndex_);
}

bool GenericPlugin::readSettingsBlock(BinaryDataReader& reader) {
    CustomSettingsBlock block;
    if (!CustomSettingsBlock::read(reader, block)) return false;
    applySettingsBlock(block);
    return true;
}

void GenericPlugin::applySettingsBlock(const CustomSettingsBlock& block) {
    settingsMap_ = block.values;
    if (block.hasPerTrackIndex) perTrackIndex_ = block.perTrackIndex;
    notifyListener(kCustomSettingsChanged, 0);
}

void GenericPlugin::reportMetadataChange() {
    if (adapter_ != nullptr) adapter_->stateChanged(Adapter::kMetadataChanged);
}

void GenericPlugin::clearSettings() {
    settingsMap_.clear();
    notifyListener(kCustomSettingsChanged, 0);
}

void GenericPlugin::replaceSettings(std::map<std::string, std::string> map) {
    map.erase(kPerTrackIndexKey);
    settingsMap_ = std::move(map);
    notifyListener(kCustomSettingsChanged, 0);
}

void GenericPlugin::setCustomSetting(const std::string& key, const std::string& value) {
    if (key == kPerTrackIndexKey) return;
    settingsMap_[key] = value;
    notifyListener(kCustomSettingsChanged, 0);
}

void GenericPlugin::writeSettingsText(KeyValueWriter& writer) const {
    bool first = true;
    for (const auto& [key, value] : settingsMap_) {
        if (key == "AUTHOR" || key == "DESCRIPTION" || key == "TAGS" || key == kPerTrackIndexKey) continue;
        if (first) writer.writeSection("Settings");
        first = false;
        writer.writeString(key, value);
    }
}

bool GenericPlugin::isStateUnchanged(std::istream& stream) {
    std::ostringstream current(std::ios::out | std::ios::binary);
    if (!writeParameterState(current)) return false;
    const std::string expected = current.str();
    std::string head(expected.size(), '\0');
    stream.read(head.data(), static_cast<std::streamsize>(head.size()));
    if (static_cast<size_t>(stream.gcount()) != head.size() || head != expected) return false;
    BinaryDataReader reader(stream);
    char tag[4];
    reader.readBytes(tag, 4);
    const uint32_t version = reader.readUInt32();
    const std::string presetName = reader.readString();
    reader.readUInt32();
    const bool automatic = reader.readUInt32() != 0;
    const std::string name = reader.readString();
    const bool modified = version >= 2 && reader.readUInt32() != 0;
    if (!reader.isGood() || std::string(tag, 4) != (pluginId + std::string(4, '\0')).substr(0, 4))
        return false;
    if (presetName != currentPreset_.getName() || automatic != automaticName_) return false;
    if (!automatic && name != instanceName_) return false;
    return version < 2 || modified == currentPreset_.isModified();
}

// --- Snapshots

void GenericPlugin::captureSnapshot(Snapshot& record) const {
    record.preset = currentPreset_.values();
    record.compareIndex = compareStates_ ? compareStates_->getActive() : 0;
    mainCollection_.getValues(record.values);
    record.extraValues = extraValues_;
    record.settings = settingsMap_;
}

void GenericPlugin::restoreSnapshot(const Snapshot& record) {
    beginUpdate();
    mainCollection_.setValues(record.values);
    requestLightReset();
    endUpdate();
    const bool otherPreset = record.preset.path != currentPreset_.getPath();
    currentPreset_.assign(record.preset);
    if (otherPreset) {
        if (adapter_ != nullptr) adapter_->stateChanged(Adapter::kPresetChanged);
        notifyListener(kCurrentPresetChanged, 0);
    }
    extraValues_ = record.extraValues;
    notifyListener(kExtraValuesRestored, 0);
    settingsMap_ = record.settings;
    notifyListener(kCustomSettingsChanged, 0);
}

void GenericPlugin::initSnapshotsForEditor() {
    if (undoHistory_) undoHistory_->initialize();
    if (compareStates_ && !compareStates_->isInitialized()) compareStates_->initialize();
}

// --- Interface size

void GenericPlugin::constrainInterfaceSize(int32_t& width, int32_t& height) const {
    width = std::max(width, 0);
    height = std::max(height, 0);
}

void GenericPlugin::setInterfaceSize(int32_t width, int32_t height) {
    constrainInterfaceSize(width, height);
}

// --- Display data

LevelSourceProxy* GenericPlugin::getLevelRecord(int32_t i) const {
    if (i < 0 || static_cast<size_t>(i) >= levelProxies_.size()) return nullptr;
    return levelProxies_[static_cast<size_t>(i)].get();
}

LevelSourceProxy* GenericPlugin::getChannelRecord(int32_t channel, int32_t k) const {
    if (channel < 0 || channel >= channelCountOfLayout(getChannelLayout())) return nullptr;
    return getLevelRecord(getNumExtraLevelRecords() + getNumLevelRecordsPerChannel() * channel + k);
}

bool GenericPlugin::readProcessorState(std::istream& stream) {
    ScopedLock hold(*displayLock_);
    BinaryDataReader reader(stream);
    const int32_t channels = channelCountOfLayout(getChannelLayout());
    const int32_t levels = getNumLevelRecordsPerChannel() * channels + getNumExtraLevelRecords();
    for (int32_t i = 0; i < levels && static_cast<size_t>(i) < levelProxies_.size(); ++i)
        levelProxies_[static_cast<size_t>(i)]->readLevels(reader);
    const int32_t dataWord = reader.readInt32();
    std::array<uint64_t, 4> values{};
    for (uint64_t& value : values) {
        const uint64_t low = reader.readUInt32();
        value = low | uint64_t(reader.readUInt32()) << 32;
    }
    if (!reader.isGood()) return false;
    processorDataWord_ = dataWord;
    processorDisplayValues_ = values;
    return true;
}
