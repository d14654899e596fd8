// The product's editor in the Windows plug-in: the editor host opens
// VarnelInterface on the effect's model.

#include "clap/module/VarnelEditorEntry.h"

#include "clap/editor/ClapEditorProduct.h"
#include "effect/VarnelPlugin.h"
#include "effect_editor/VarnelInterface.h"

namespace {

GenericPluginInterface* createVarnelInterface(gui::UserInterface& userInterface, GenericPlugin& model,
                                              GenericPluginInterface::InterfaceListener& listener) {
    auto* plugin = dynamic_cast<VarnelPlugin*>(&model);
    if (plugin == nullptr) return nullptr;
    // The constructor builds every control and completes the setup.
    return new VarnelInterface(userInterface, *plugin, &listener);
}

} // namespace

const ClapEditorEntry* varnelEditorEntry() {
    static const ClapEditorProduct product(&createVarnelInterface);
    return &product;
}
