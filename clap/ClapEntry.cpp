#include "clap/ClapEntry.h"

#include "clap/ClapPluginAdapter.h"
#include "clap/ClapPresetDiscoveryProvider.h"
#include "clap/ClapProduct.h"
#include "foundation/ModuleResources.h"
#include "foundation/StringUtils.h"
#include "foundation/VersionInfo.h"

#include <atomic>
#include <cctype>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace {

struct DescriptorBlock {
    GenericPluginInfo info;
    std::string providerName;
    std::string providerId;
    std::string pluginId;
    std::string manualUrl;
    std::string supportUrl;
    std::string pluginName;
    std::string vendor;
    std::string version;
    std::vector<const char*> features;
    clap_plugin_descriptor_t plugin{};
    clap_preset_discovery_provider_descriptor_t provider{};
};

std::mutex& entryMutex() {
    static std::mutex mutex;
    return mutex;
}

uint32_t useCount = 0;
// Read by the factories on the host's main thread; written under the mutex.
std::atomic<DescriptorBlock*> descriptorBlock{nullptr};
std::atomic<ThreadAttachHook> threadAttachHook{nullptr};

const char* featureOfKind(uint32_t kind) {
    switch (kind) {
    case GenericPluginInfo::kFilter:
        return CLAP_PLUGIN_FEATURE_FILTER;
    case GenericPluginInfo::kDelay:
        return CLAP_PLUGIN_FEATURE_DELAY;
    case GenericPluginInfo::kCompressor:
        return CLAP_PLUGIN_FEATURE_COMPRESSOR;
    case GenericPluginInfo::kEqualizer:
        return CLAP_PLUGIN_FEATURE_EQUALIZER;
    case GenericPluginInfo::kDistortion:
        return CLAP_PLUGIN_FEATURE_DISTORTION;
    case GenericPluginInfo::kAnalyzer:
        return CLAP_PLUGIN_FEATURE_ANALYZER;
    case GenericPluginInfo::kReverb:
        return CLAP_PLUGIN_FEATURE_REVERB;
    default:
        return nullptr;
    }
}

std::unique_ptr<DescriptorBlock> buildDescriptorBlock() {
    auto block = std::make_unique<DescriptorBlock>();
    clapProduct().fillInfo(block->info);
    const VersionInfo version(block->info.pluginName);
    const std::string base = std::to_string(VersionInfo::baseMajorVersion);
    const std::string& product = version.getProductName();

    block->vendor = kClapVendor;
    block->supportUrl = std::string(kClapWebSite) + "/support/";
    block->pluginName = version.getPluginName();
    block->version = version.getDisplayVersion();
    block->pluginId = "com." + block->vendor + "." + product + "." + base;
    block->manualUrl =
        std::string(kClapWebSite) + "/help/" + percentEncodeUrlPath(toLowerAscii(block->pluginName));
    block->providerName = block->pluginName + " Preset Indexer";
    block->providerId = "com." + block->vendor + ".preset-discovery." + product + "." + base;
    if (block->info.hasFlag(GenericPluginInfo::kFlagPresetDiscoveryId)) block->pluginId = block->providerId;

    block->features.push_back(block->info.isInstrument() ? CLAP_PLUGIN_FEATURE_INSTRUMENT
                                                         : CLAP_PLUGIN_FEATURE_AUDIO_EFFECT);
    if (const char* feature = featureOfKind(block->info.pluginKind)) block->features.push_back(feature);
    block->features.push_back(nullptr);

    clap_plugin_descriptor_t& plugin = block->plugin;
    plugin.clap_version = CLAP_VERSION_INIT;
    plugin.id = block->pluginId.c_str();
    plugin.name = block->pluginName.c_str();
    plugin.vendor = block->vendor.c_str();
    plugin.url = kClapWebSite;
    plugin.manual_url = block->manualUrl.c_str();
    plugin.support_url = block->supportUrl.c_str();
    plugin.version = block->version.c_str();
    plugin.description = nullptr;
    plugin.features = block->features.data();

    clap_preset_discovery_provider_descriptor_t& provider = block->provider;
    provider.clap_version = CLAP_VERSION_INIT;
    provider.id = block->providerId.c_str();
    provider.name = block->providerName.c_str();
    provider.vendor = block->vendor.c_str();
    return block;
}

// --- Plug-in factory

uint32_t pluginCount(const clap_plugin_factory_t*) {
    return 1;
}

const clap_plugin_descriptor_t* pluginDescriptor(const clap_plugin_factory_t*, uint32_t index) {
    return index == 0 ? clapPluginDescriptor() : nullptr;
}

const clap_plugin_t* createPlugin(const clap_plugin_factory_t*, const clap_host_t* host,
                                  const char* pluginId) {
    try {
        const DescriptorBlock* block = descriptorBlock.load();
        if (block == nullptr || host == nullptr || pluginId == nullptr) return nullptr;
        if (host->clap_version.major == 0) return nullptr;
        if (std::strcmp(pluginId, block->plugin.id) != 0) return nullptr;
        auto* adapter = new ClapPluginAdapter(host, &block->plugin, block->info);
        return adapter->clapPlugin();
    } catch (...) {
        return nullptr;
    }
}

const clap_plugin_factory_t pluginFactory{pluginCount, pluginDescriptor, createPlugin};

// --- Preset-discovery factory

uint32_t providerCount(const clap_preset_discovery_factory_t*) {
    return 1;
}

const clap_preset_discovery_provider_descriptor_t* providerDescriptor(const clap_preset_discovery_factory_t*,
                                                                      uint32_t index) {
    return index == 0 ? clapProviderDescriptor() : nullptr;
}

const clap_preset_discovery_provider_t* createProvider(const clap_preset_discovery_factory_t*,
                                                       const clap_preset_discovery_indexer_t* indexer,
                                                       const char* providerId) {
    try {
        const DescriptorBlock* block = descriptorBlock.load();
        if (block == nullptr || indexer == nullptr || providerId == nullptr) return nullptr;
        if (std::strcmp(providerId, block->provider.id) != 0) return nullptr;
        return ClapPresetDiscoveryProvider::create(&block->provider, indexer, block->pluginId, block->info);
    } catch (...) {
        return nullptr;
    }
}

const clap_preset_discovery_factory_t discoveryFactory{providerCount, providerDescriptor, createProvider};

const clap_plugin_entry_t entryRecord{CLAP_VERSION_INIT, clapEntryInit, clapEntryDeinit, clapEntryGetFactory};

} // namespace

bool clapEntryInit(const char* pluginPath) {
    if (pluginPath == nullptr) return false;
    try {
        std::lock_guard hold(entryMutex());
        if (useCount > 0) {
            ++useCount;
            return true;
        }
        if (!recordLibraryModule(pluginPath)) return false;
        descriptorBlock.store(buildDescriptorBlock().release());
        useCount = 1;
        return true;
    } catch (...) {
        return false;
    }
}

void clapEntryDeinit() {
    try {
        std::lock_guard hold(entryMutex());
        if (useCount == 0) return;
        if (--useCount == 0) delete descriptorBlock.exchange(nullptr);
    } catch (...) {
    }
}

const void* clapEntryGetFactory(const char* factoryId) {
    if (factoryId == nullptr) return nullptr;
    if (std::strcmp(factoryId, CLAP_PLUGIN_FACTORY_ID) == 0) return &pluginFactory;
    if (std::strcmp(factoryId, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0 ||
        std::strcmp(factoryId, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT) == 0)
        return &discoveryFactory;
    return nullptr;
}

const clap_plugin_entry_t& clapEntryRecord() {
    return entryRecord;
}

const clap_plugin_descriptor_t* clapPluginDescriptor() {
    const DescriptorBlock* block = descriptorBlock.load();
    return block != nullptr ? &block->plugin : nullptr;
}

const clap_preset_discovery_provider_descriptor_t* clapProviderDescriptor() {
    const DescriptorBlock* block = descriptorBlock.load();
    return block != nullptr ? &block->provider : nullptr;
}

const GenericPluginInfo* clapPluginInfo() {
    const DescriptorBlock* block = descriptorBlock.load();
    return block != nullptr ? &block->info : nullptr;
}

void setThreadAttachHook(ThreadAttachHook hook) {
    threadAttachHook.store(hook);
}

void runThreadAttachHook() {
    if (ThreadAttachHook hook = threadAttachHook.load()) hook();
}
