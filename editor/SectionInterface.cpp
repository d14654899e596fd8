#include "editor/SectionInterface.h"

#include "editor/ComponentDisplay.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"

SectionInterface::SectionInterface(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface,
                                   ComponentDisplay* display, int32_t componentIndex)
    : DynamicInterface(userInterface, interface), display_(display), componentIndex_(componentIndex) {
    if (display_ != nullptr) link(display_);
}

void SectionInterface::rebuildInterface() {
    // A panel standing alone has no component to toggle.
    if (display_ != nullptr && componentIndex_ >= 0) display_->toggleComponent(componentIndex_);
}

const gui::Bitmap* SectionInterface::headerBitmap() {
    return nullptr;
}

void SectionInterface::draw(gui::Canvas& canvas) {
    DynamicInterface::draw(canvas);
    if (componentIndex_ < 0) {
        canvas.fillRect(localRect(), gui::Color(0, 0, 0, 255));
        return;
    }
    const gui::Bitmap* header = headerBitmap();
    if (header == nullptr || header->getRect().isEmpty()) return;
    canvas.drawBitmap(*header, gui::Point(), 255);
}

void SectionInterface::componentDeleted(gui::Component* component) {
    DynamicInterface::componentDeleted(component);
    if (component == display_) display_ = nullptr;
}
