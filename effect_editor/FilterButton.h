#pragma once

// FilterButton: the compact editor of one of the delay's two filters in the
// delay section. A drag moves Freq (horizontally) and Peak (vertically);
// with the second pair (the link modifier, "Alt") it moves Pan and
// Response. A Ctrl-click resets the filter, a click unfolds the filter
// section, and the enable switch in its corner turns the filter on and off.
//
// The small response display inside it is a hidden FilterController child
// without handle bitmaps: it never takes a press, so every press reaches
// the button, and it is drawn as the button's face, so the face's mask
// keeps it inside the button and a filter that is off is veiled over it.
// Its curve shows the drag's values while a drag runs (stepped values as
// the parameter's own, never a fraction of the continuous span), else the
// parameters'.
//
// Lifetime: the display is the button's child; the button forgets it when
// it dies.
//
// Threading: GUI thread only.

#include "effect_editor/VarnelComponentButton.h"

#include <cstdint>
#include <string>

class FilterController;
class FilterParameterSet;
class ModulationIndicatorManager;
class VarnelInterface;

class FilterButton : public VarnelComponentButton {
public:
    static constexpr float kLeftMargin = 8.0f;
    // The face's button style (85 x 72).
    static constexpr int32_t kButtonStyle = 19;
    static constexpr gui::Color kCurveColor{69, 69, 69, 255};

    // The help text, naming the modifier that selects the second pair.
    static std::string helpTextFor(const std::string& secondPairModifier);

    // Filter 0 or 1. The style and the indicator manager may be null.
    FilterButton(VarnelInterface& interface, int32_t filter, ComponentStyle* style = nullptr,
                 gui::Button::Style* buttonStyle = nullptr, ModulationIndicatorManager* indicators = nullptr);
    ~FilterButton() override;

    void parameterChanged(int index) override;
    void updateFilterDisplay() override;
    // The small display's curve.
    void renderFace(gui::Canvas& canvas, int state) override;
    void boundsChanged() override;
    void componentDeleted(gui::Component* component) override;

    int32_t filter() const { return filter_; }
    FilterParameterSet& filterSet() const { return set_; }
    // Null once it died.
    FilterController* filterDisplay() const { return display_; }

private:
    int32_t filter_;
    FilterParameterSet& set_;
    FilterController* display_ = nullptr;
};
