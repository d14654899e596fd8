#pragma once

// clap.preset-load/2: the host asks the plug-in to load a preset file it
// found (through preset discovery or its own browser). The file goes
// through the plug-in's own preset loaders, as from its preset menu; the
// host's clap.preset-load (when offered) hears of the outcome.
//
// Main thread. The model's own reports of the load (parameter rescan,
// mark_dirty) reach the host through the instance's adapter.

#include "clap/ClapAbi.h"

#include <cstdint>

class GenericPlugin;

// Loads the preset at location (kind CLAP_PRESET_DISCOVERY_LOCATION_FILE;
// any other kind, or no location, returns false and loads nothing). Tells
// the host's loaded or on_error (error code 0, the load's message); true
// when the preset was loaded.
bool loadPresetFromLocation(GenericPlugin& plugin, const clap_host_t* host,
                            const clap_host_preset_load_t* hostPresetLoad, uint32_t locationKind,
                            const char* location, const char* loadKey);
