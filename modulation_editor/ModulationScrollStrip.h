#pragma once

// ModulationScrollStrip: the scroll strip of the slot list. Its scroll
// buttons are hover-only entries (group 1) of the editor's drag manager, so
// resting on them while a source is dragged scrolls the list; the strip
// removes them again when it goes. It keeps a text (the product colours it)
// and fills its background from a bitmap, centred.
//
// Threading: GUI thread only.

#include "gui/ScrollStrip.h"

#include <memory>

namespace gui {
class Bitmap;
class Text;
} // namespace gui

class ModulationMatrixPluginInterface;

class ModulationScrollStrip : public gui::ScrollStrip {
public:
    ModulationScrollStrip(gui::UserInterface& userInterface, ModulationMatrixPluginInterface& interface,
                          gui::Button::Style* backwardStyle = nullptr,
                          gui::Button::Style* forwardStyle = nullptr);
    ~ModulationScrollStrip() override;

    gui::Text& text() const { return *text_; }
    // Not owned; null draws no background.
    void setBackground(gui::Bitmap* bitmap) { background_ = bitmap; }
    gui::Bitmap* background() const { return background_; }

    void draw(gui::Canvas& canvas) override;

private:
    ModulationMatrixPluginInterface& interface_;
    std::unique_ptr<gui::Text> text_;
    gui::Bitmap* background_ = nullptr;
};
