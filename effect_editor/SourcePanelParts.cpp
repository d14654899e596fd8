#include "effect_editor/SourcePanelParts.h"

#include "editor/DynamicInterface.h"
#include "gui/Bitmap.h"
#include "gui/Image.h"
#include "gui/ToggleButton.h"

namespace {

constexpr int kDimmedOpacity = 128;

} // namespace

gui::ToggleButton* makeIconToggle(DynamicInterface& panel, int x, int y, gui::Button::Style* style,
                                  const std::string& on, const std::string& off, float width) {
    panel.builder().setParent(&panel);
    gui::ToggleButton* button = panel.builder().createToggleButton(x, y, style);
    button->parent.setValue(&panel);
    panel.link(button);
    button->icon(0).load(off);
    button->icon(1).load(on);
    button->setSize(width, button->height.getValue() > 0.0f ? button->height.getValue() : width);
    return button;
}

gui::Image* makeImage(DynamicInterface& panel, float x, float y, const std::string& name) {
    auto* image = new gui::Image(panel.userInterface());
    image->bitmap().load(name);
    image->parent.setValue(&panel);
    panel.link(image);
    const gui::Rect r = image->bitmap().getRect();
    image->setBoundsXYWH(x, y, r.width(), r.height());
    return image;
}

void disableDimmed(gui::Control* control) {
    setEnabledDimmed(control, false);
}

void setEnabledDimmed(gui::Control* control, bool enabled) {
    if (control == nullptr) return;
    control->enabled.setValue(enabled);
    control->opacity.setValue(enabled ? 255 : kDimmedOpacity);
}
