// The plug-in file of the product: its entry record and the product behind
// the adapter (the effect's model, processor and info, and on Windows its
// editor).

#include "clap/ClapEntry.h"
#include "clap/ClapProduct.h"
#include "clap/module/VarnelEditorEntry.h"
#include "effect/VarnelInit.h"
#include "effect/VarnelPlugin.h"
#include "effect/VarnelProcessor.h"

const ClapProduct& clapProduct() {
    static const ClapProduct product{[](GenericPluginInfo& info) { VarnelInit::fillPluginInfo(info); },
                                     []() -> GenericPlugin* { return new VarnelPlugin(); },
                                     // The product offers the stereo layout only.
                                     [](int32_t) -> GenericPluginProcessor* { return new VarnelProcessor(); },
                                     varnelEditorEntry()};
    return product;
}

extern "C" VARNEL_CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION_INIT, clapEntryInit,
                                                                      clapEntryDeinit, clapEntryGetFactory};
