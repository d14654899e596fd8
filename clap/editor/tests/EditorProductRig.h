#pragma once

// The product editor of the editor-host tests: the framework's editor with
// the controls that Content puts on it, listened to by the editor host and
// built (its second construction step done), as a product's factory hands
// it over. One product per Content, made on first use.

#include "clap/editor/ClapEditorProduct.h"
#include "editor/GenericPluginInterface.h"

namespace test {

using EditorContent = void (*)(gui::UserInterface& ui, GenericPlugin& model, GenericPluginInterface& editor);

// An editor with nothing on it.
inline void noEditorContent(gui::UserInterface&, GenericPlugin&, GenericPluginInterface&) {}

template <EditorContent Content>
GenericPluginInterface* makeTestEditor(gui::UserInterface& ui, GenericPlugin& model,
                                       GenericPluginInterface::InterfaceListener& listener) {
    auto* editor = new GenericPluginInterface(ui, model);
    Content(ui, model, *editor);
    editor->setInterfaceListener(&listener);
    editor->completeSetup();
    return editor;
}

template <EditorContent Content = noEditorContent> const ClapEditorProduct& testEditorProduct() {
    static const ClapEditorProduct product(&makeTestEditor<Content>);
    return product;
}

} // namespace test
