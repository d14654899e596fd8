#include "editor/MidiMenuItem.h"

#include "plugin/ControllerMapping.h"

GenericPluginInterface::MidiMenuItem::MidiMenuItem(int32_t controller, const std::string& text,
                                                   uint32_t identifier)
    : gui::MenuItem(std::to_string(controller) + ": " + text), controller_(controller),
      identifier_(identifier) {}

void GenericPluginInterface::MidiMenuItem::fireSelected() {
    if (ControllerMapping* mapping = GenericPlugin::getControllerMapping())
        if (identifier_ == kAnyIdentifier || mapping->getParameter(controller_) == identifier_)
            mapping->assign(controller_, ControllerMapping::none);
    gui::MenuItem::fireSelected();
}
