#include "effect_editor/VarnelSectionInterface.h"

#include "effect_editor/VarnelInterface.h"

VarnelSectionInterface::VarnelSectionInterface(VarnelInterface& interface, ComponentDisplay* display,
                                               int32_t componentIndex)
    : SectionInterface(interface.userInterface(), interface, display, componentIndex),
      varnelInterface_(interface) {}

VarnelSectionInterface::~VarnelSectionInterface() = default;

void VarnelSectionInterface::bind(gui::ValueControl* control, AbstractPluginParameter& parameter,
                                  uint32_t target) {
    varnelInterface_.linkControl(&parameter, control, target);
    recordLink(&parameter, control);
}
