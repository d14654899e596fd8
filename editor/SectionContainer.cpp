#include "editor/SectionContainer.h"

#include "editor/ComponentDisplay.h"
#include "gui/Canvas.h"

SectionContainer::SectionContainer(gui::UserInterface& userInterface, ComponentDisplay& display, float offset)
    : gui::Control(userInterface), display_(&display), offset_(offset) {
    link(&display);
}

SectionContainer::~SectionContainer() {
    deleteChildren();
}

void SectionContainer::componentDeleted(gui::Component* component) {
    gui::Control::componentDeleted(component);
    if (component == display_) display_ = nullptr;
}

void SectionContainer::draw(gui::Canvas& canvas) {
    gui::Control::draw(canvas);
    if (display_ == nullptr) return;
    gui::Bitmap& bitmap = display_->sectionBitmap();
    if (bitmap.getRect().isEmpty()) return;
    canvas.drawBitmap(bitmap, gui::Point(offset_, 0.0f), 255);
}
