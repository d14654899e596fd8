#include "editor/MidiMenuItem.h"

#include "plugin/ControllerMapping.h"

GenericPluginInterface::MidiMenuItem::MidiMenuItem(int32_t controller, const std::string& text)
    : gui::MenuItem(std::to_string(controller) + ": " + text), controller_(controller) {}

void GenericPluginInterface::MidiMenuItem::fireSelected() {
    if (ControllerMapping* mapping = GenericPlugin::getControllerMapping())
        mapping->assign(controller_, ControllerMapping::none);
    gui::MenuItem::fireSelected();
}
