#pragma once

// The product a CLAP module carries: what fills its info record and what
// makes its model and its processor. The entry, the factories and every
// instance reach the product only through this record, so the same adapter
// serves the shipped plug-in and the small plug-ins of the tests.
//
// Each binary that links the entry defines clapProduct() once: the module's
// source for the shipped plug-in, a test source for a test plug-in.

#include "clap/ClapAbi.h"
#include "plugin/GenericPlugin.h"
#include "plugin/GenericPluginProcessor.h"

#include <cstdint>

// The product's editor as an instance sees it: the gui extension that serves
// it, null on a platform that opens no editor window. The editor host
// (clap/editor/ClapEditorProduct.h) adds the factory of the product's
// interface.
struct ClapEditorEntry {
    const clap_plugin_gui_t* guiExtension = nullptr;
};

struct ClapProduct {
    // Fills kind, flags, id and name.
    void (*fillInfo)(GenericPluginInfo& info);
    // A new model (the caller owns it); it may throw.
    GenericPlugin* (*createModel)();
    // A new processor for a channel layout (the caller owns it); it may throw.
    GenericPluginProcessor* (*createProcessor)(int32_t layout);
    // The product's editor; null when it has none, and then clap.gui is not
    // offered.
    const ClapEditorEntry* editor = nullptr;
};

const ClapProduct& clapProduct();
