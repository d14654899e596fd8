#include "editor/SectionContainer.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"

SectionContainer::SectionContainer(gui::UserInterface& userInterface, gui::Control& display,
                                   gui::Bitmap& sectionBitmap, float offset)
    : gui::Control(userInterface), display_(&display), sectionBitmap_(&sectionBitmap), offset_(offset) {
    link(&display);
}

SectionContainer::~SectionContainer() {
    deleteChildren();
}

void SectionContainer::componentDeleted(gui::Component* component) {
    gui::Control::componentDeleted(component);
    if (component == display_) {
        display_ = nullptr;
        sectionBitmap_ = nullptr; // went with the display
    }
}

void SectionContainer::draw(gui::Canvas& canvas) {
    gui::Control::draw(canvas);
    if (sectionBitmap_ == nullptr || sectionBitmap_->getRect().isEmpty()) return;
    canvas.drawBitmap(*sectionBitmap_, gui::Point(offset_, 0.0f), 255);
}
