#pragma once

// VarnelSourceSkin: what the product's source panels take from the editor
// that makes them, besides the modulation-matrix interface (reached through
// the source controller): the shared styles, the section-preset menus, the
// look of the envelope display and whether a side-chain input is usable.
// The main interface fills one and hands it to every panel it creates; the
// tests fill their own. Nothing here is owned by the panels: the styles and
// menus must outlive them.
//
// Threading: GUI thread only.

#include "gui/Button.h"
#include "gui/Color.h"
#include "gui/Knob.h"
#include "gui/Switch.h"

#include <cstdint>
#include <functional>

class ModulationIndicatorManager;

namespace gui {
class Bitmap;
class PopupMenu;
} // namespace gui

struct VarnelSourceSkin {
    gui::Button::Style* dragButton = nullptr;
    gui::Button::Style* removeButton = nullptr;
    gui::Button::Style* presetButton = nullptr;
    // The 18-wide icon toggles (MIDI trigger, snap, input, side chain).
    gui::Button::Style* iconToggle = nullptr;
    gui::Button::Style* selectButton = nullptr;
    gui::Button::Style* valueButton = nullptr;
    gui::Button::Style* hotspotButton = nullptr;
    gui::Button::Style* xyButton = nullptr;
    // The step panel's check toggle and its Hide / Remove Step / Add Step buttons.
    gui::Button::Style* checkToggle = nullptr;
    gui::Button::Style* hideButton = nullptr;
    gui::Button::Style* removeStepButton = nullptr;
    gui::Button::Style* addStepButton = nullptr;
    gui::Knob::Style* knob = nullptr;
    gui::Knob::Style* smallKnob = nullptr;
    // A concentric pair: the outer ring around the inner knob.
    gui::Knob::Style* outerRing = nullptr;
    gui::Knob::Style* innerKnob = nullptr;
    // The envelope display's sliders (handle only) and the XLFO's step sliders.
    gui::Switch::Style* egSlider = nullptr;
    gui::Switch::Style* egLevelSlider = nullptr;
    gui::Switch::Style* stepSlider = nullptr;
    // The XLFO phase offset handle at rest and pressed (the skin's images 8
    // and 9); its height is the phase offset strip's.
    gui::Bitmap* phaseOffsetHandle = nullptr;
    gui::Bitmap* phaseOffsetHandlePressed = nullptr;
    // Drawn under the envelope display, stretched (the skin's image 6).
    gui::Bitmap* egDisplayBackground = nullptr;
    // The XY pad's background (the skin's image 4) and its point icon's name.
    gui::Bitmap* xyBackground = nullptr;
    const char* xyPointIcon = nullptr;
    // The envelope display's colours (the skin's palette).
    gui::Color egLineColor{255, 255, 255, 255};
    gui::Color egFillColor{255, 255, 255, 96};
    gui::Color egFillColor2{255, 255, 255, 16};
    gui::Color egLabelColor{255, 255, 255, 128};
    // The indicators' manager (null: no indicators made by the panels).
    ModulationIndicatorManager* indicators = nullptr;
    // The section-preset menu of (preset kind, instance); null for none.
    std::function<gui::PopupMenu*(std::int32_t kind, std::int32_t instance)> presetMenu;
    // Whether the plug-in has a usable side-chain input (its capability flag
    // and its side-chain switch both on); none when unset.
    std::function<bool()> sideChainUsable;
};
