#pragma once

// The module's entry: init and deinit (counted under the entry mutex), the
// plug-in factory and the preset-discovery factory, and the descriptor
// block both hand out (built by the first init, freed by the last deinit).
// The module exports a clap_plugin_entry_t made of clapEntryInit,
// clapEntryDeinit and clapEntryGetFactory; the product behind it is
// clapProduct() (ClapProduct.h).
//
// Ids compare exactly. create_plugin refuses a call before init, a null
// host, a host of major version 0 and any id but the descriptor's. Every
// function catches exceptions and reports failure.
//
// Threads: CLAP makes the entry and both factories thread-safe, so every
// function here takes calls from any thread, several at once: init and
// deinit count under the entry mutex, and the factories only read the
// descriptor block, which lives from the first init to the last deinit. A
// factory call before init, or after the last deinit, answers null. Nothing
// here is reported: the host record that create_plugin receives may not be
// called before the instance's init, and a preset indexer offers no log.
// The instance (ClapPluginAdapter.h) and the provider
// (ClapPresetDiscoveryProvider.h) check their own calls.

#include "clap/ClapAbi.h"
#include "plugin/GenericPluginBase.h"

#include <string>

bool clapEntryInit(const char* pluginPath);
void clapEntryDeinit();
const void* clapEntryGetFactory(const char* factoryId);

// The entry record of this module (what the module exports as clap_entry).
const clap_plugin_entry_t& clapEntryRecord();

// The descriptors while the module is initialised, else null.
const clap_plugin_descriptor_t* clapPluginDescriptor();
const clap_preset_discovery_provider_descriptor_t* clapProviderDescriptor();
// The product's info record as the descriptors were built from it.
const GenericPluginInfo* clapPluginInfo();

// The web site behind the descriptor's addresses.
constexpr const char* kClapVendor = "Zentor";
constexpr const char* kClapWebSite = "https://zentor.example";

// A process-wide hook run on every new thread of the process (the module's
// thread-attach notification on Windows; nothing calls it elsewhere). Null
// unregisters.
using ThreadAttachHook = void (*)();
void setThreadAttachHook(ThreadAttachHook hook);
void runThreadAttachHook();
