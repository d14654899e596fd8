#include "modulation_editor/ModulationScrollStrip.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/ScrollButton.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"

ModulationScrollStrip::ModulationScrollStrip(gui::UserInterface& userInterface,
                                             ModulationMatrixPluginInterface& interface,
                                             gui::Button::Style* backwardStyle,
                                             gui::Button::Style* forwardStyle)
    : gui::ScrollStrip(userInterface, backwardStyle, forwardStyle), interface_(interface),
      text_(userInterface.platformDelegate().createText()) {
    interface_.dragManager().add(backwardButton(), 1, 1);
    interface_.dragManager().add(forwardButton(), 1, 1);
}

ModulationScrollStrip::~ModulationScrollStrip() {
    if (interface_.hasDragManager()) {
        if (backwardButton() != nullptr) interface_.dragManager().remove(backwardButton());
        if (forwardButton() != nullptr) interface_.dragManager().remove(forwardButton());
    }
}

void ModulationScrollStrip::draw(gui::Canvas& canvas) {
    gui::ScrollStrip::draw(canvas);
    if (background_ == nullptr) return;
    const gui::Rect image = background_->getRect();
    const gui::Rect area = localRect();
    const gui::Point at((area.width() - image.width()) * 0.5f, (area.height() - image.height()) * 0.5f);
    canvas.drawBitmap(*background_, at, 255);
}
