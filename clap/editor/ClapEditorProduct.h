#pragma once

// The product's editor for the editor host: the factory of the product's
// interface. A product switches its editor on by pointing ClapProduct::editor
// at one of these; the gui extension then serves it (on a platform that
// opens editor windows).

#include "clap/ClapProduct.h"
#include "editor/GenericPluginInterface.h"

namespace gui {
class UserInterface;
}

struct ClapEditorProduct : ClapEditorEntry {
    // Makes the product's interface on the user interface, attached to the
    // model, with the listener (the editor host) set, and built (its second
    // construction step done). It may throw or return null when it cannot.
    using Factory = GenericPluginInterface* (*)(gui::UserInterface& userInterface, GenericPlugin& model,
                                                GenericPluginInterface::InterfaceListener& listener);

    explicit ClapEditorProduct(Factory factory);

    Factory createInterface;
};
