#pragma once

// The placement context through which the editor and its panels build
// controls: it creates toolkit controls on the editor's user interface, gives
// them the editor's look (the animator, the hit-test threshold, the value
// display's triggers for knobs) and puts them at coordinates relative to an
// origin.
//
// Coordinates: builder coordinates are those of the default parent shifted
// by the base origin, whatever the current parent is: a control built at
// (x, y) lands at (x, y) + origin in its parent, the origin being the base
// origin minus the positions of the parent and of its ancestors below the
// default parent.
//
// Style source: a container set as style source takes the next styled
// control instead of coordinates: the control fills the container along one
// axis (its height in a vertical control bar, else its width) and the
// container takes the control's extent on the other.
//
// Threading: GUI thread only.

#include "gui/Button.h"
#include "gui/Knob.h"
#include "gui/LevelButton.h"
#include "gui/Light.h"
#include "gui/SelectButton.h"
#include "gui/ToggleButton.h"

#include <cstdint>
#include <vector>

class ABButton;
class AbstractPluginParameter;
class GenericPluginInterfaceBase;
class HotspotButton;
class IndicatorLight;

class ControlBuilder {
public:
    // The hit-test alpha threshold of built buttons.
    static constexpr int kHitThreshold = 128;
    // Where a light is placed.
    static constexpr int kLightX = 9;
    static constexpr int kLightY = 493;

    ControlBuilder(GenericPluginInterfaceBase& interface, gui::Control& defaultParent);
    ControlBuilder(const ControlBuilder&) = delete;
    ControlBuilder& operator=(const ControlBuilder&) = delete;

    // Null: the default parent.
    void setParent(gui::Control* control);
    void setBaseOrigin(float x, float y);
    // The container that takes the next styled control (null clears it).
    void setStyleSource(gui::Control* container) { styleSource_ = container; }

    gui::Control* createControl(int x, int y, float width, float height);
    gui::Button* createButton(int x, int y, gui::Button::Style* style);
    gui::ToggleButton* createToggleButton(int x, int y, gui::Button::Style* style);
    gui::SelectButton* createSelectButton(int x, int y, gui::Button::Style* style);
    gui::Knob* createKnob(int x, int y, gui::Knob::Style* style);
    gui::LevelButton* createLevelButton(int x, int y, gui::Button::Style* style);
    // Placed at (kLightX, kLightY) with the size of the style's off bitmap;
    // its timer switches it off.
    IndicatorLight* createLight(gui::Light::Style* style);
    ABButton* createABButton(int x, int y, gui::Button::Style* style);
    // One button per value on a ring of the radius around the knob, at the
    // angle the knob shows that value at.
    void createHotspotButtons(gui::Knob& knob, AbstractPluginParameter& parameter, gui::Button::Style* style,
                              float radius, int count, const float* values, std::vector<HotspotButton*>* out);
    void placeControl(gui::Control* control, int x, int y, int alphaThreshold);
    void applyStyle(gui::Control* control, int x, int y);

    gui::Control* parent() const { return parent_; }
    gui::Control& defaultParent() const { return *defaultParent_; }
    gui::Control* styleSource() const { return styleSource_; }
    gui::Point origin() const { return origin_; }
    gui::Point baseOrigin() const { return baseOrigin_; }
    GenericPluginInterfaceBase& interface() const { return *interface_; }

private:
    gui::UserInterface& userInterface() const;

    gui::Control* parent_;
    gui::Point origin_;
    gui::Control* styleSource_ = nullptr;
    gui::Point baseOrigin_;
    GenericPluginInterfaceBase* interface_;
    gui::Control* defaultParent_;
};

// Replaces the select control's choices by the value texts of the
// parameter's integer values, from its minimum to its maximum.
void addParameterValueItems(gui::SelectButtonBase& select, const AbstractPluginParameter& parameter);

// Enabled: opacity 255; disabled: 90 (each set only when it differs).
void setControlEnabled(gui::Control& control, bool enabled);
