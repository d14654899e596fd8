#pragma once

// Small builders shared by the product's source panels: an icon toggle of
// the given width, a skin image at a place, and the dimmed disabled look.
// Each control becomes a child of the panel, linked to it for destruction.
//
// Threading: GUI thread only.

#include "gui/Button.h"

#include <string>

class DynamicInterface;

namespace gui {
class Image;
class ToggleButton;
} // namespace gui

// Made with the panel's builder; icons "on" / "off" (skin names).
gui::ToggleButton* makeIconToggle(DynamicInterface& panel, int x, int y, gui::Button::Style* style,
                                  const std::string& on, const std::string& off, float width = 18.0f);
// A skin image at its own size.
gui::Image* makeImage(DynamicInterface& panel, float x, float y, const std::string& name);
// Disabled, drawn at opacity 128 (null: nothing).
void disableDimmed(gui::Control* control);
// Enabled at opacity 255, or disabled at 128.
void setEnabledDimmed(gui::Control* control, bool enabled);
