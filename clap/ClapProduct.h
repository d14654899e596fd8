#pragma once

// The product a CLAP module carries: what fills its info record and what
// makes its model and its processor. The entry, the factories and every
// instance reach the product only through this record, so the same adapter
// serves the shipped plug-in and the small plug-ins of the tests.
//
// Each binary that links the entry defines clapProduct() once: the module's
// source for the shipped plug-in, a test source for a test plug-in.

#include "plugin/GenericPlugin.h"
#include "plugin/GenericPluginProcessor.h"

#include <cstdint>

struct ClapProduct {
    // Fills kind, flags, id and name.
    void (*fillInfo)(GenericPluginInfo& info);
    // A new model (the caller owns it); it may throw.
    GenericPlugin* (*createModel)();
    // A new processor for a channel layout (the caller owns it); it may throw.
    GenericPluginProcessor* (*createProcessor)(int32_t layout);
};

const ClapProduct& clapProduct();
