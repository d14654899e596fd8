// Natively the plug-in opens no editor window: its gui extension is not
// offered (tests open editors in the headless stand-in).

#include "clap/editor/ClapEditorWindow.h"

std::unique_ptr<ClapEditorWindow> createPlatformEditorWindow() {
    return nullptr;
}

bool platformOpensEditorWindows() {
    return false;
}
