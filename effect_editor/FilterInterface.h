#pragma once

// FilterInterface: the filter section of the component display. A large
// interactive response display with both filters' curves, and per filter
// its characteristic, response and slope selectors, its pan, frequency and
// peak knobs and its enable switch. The second filter's knobs move with the
// first's under the link modifier.
//
// Refresh: the editor tells the section of every parameter change
// (parametersChanged); a change in either filter set makes the display's
// curves read their parameters again, and each filter's enabled and
// disabled images follow its Enabled parameter.
//
// Lifetime: the section's controls are its children; the pointers kept here
// are linked and forgotten when a control dies.
//
// Threading: GUI thread only.

#include "editor/ComponentButton.h"
#include "effect_editor/VarnelSectionInterface.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class FilterController;
class FilterParameterSet;

namespace gui {
class Image;
class Knob;
class SelectButton;
class ToggleButton;
class Button;
} // namespace gui

class FilterInterface : public VarnelSectionInterface {
public:
    static constexpr int32_t kSectionKind = 11;
    static constexpr int32_t kSectionFlags = 1;
    static constexpr float kDisplayX = 361.0f;
    static constexpr float kDisplayY = 34.0f;
    static constexpr float kDisplayWidth = 286.0f;
    static constexpr float kDisplayHeight = 263.0f;
    static constexpr float kLeftMargin = 10.0f;
    static constexpr int kEnabledImageHitThreshold = 64;
    static constexpr int kDisabledOpacity = 128;
    static constexpr int kShadowHitThreshold = 255;
    static constexpr int32_t kFirstTarget = 10;
    static constexpr int32_t kTargetCount = 6;
    static constexpr int32_t kButtonToggleStyle = 20;
    static const char* const kHelpText;

    struct FilterControls {
        gui::Image* enabledImage = nullptr;
        // Under the knobs of a filter that is off: the plate as it lies
        // beneath the panel, so that nothing the display draws (the other
        // filter's curve, the grid) shows through the veiled panel.
        gui::Control* backdrop = nullptr;
        gui::Image* disabledImage = nullptr;
        gui::SelectButton* characteristic = nullptr;
        gui::SelectButton* response = nullptr;
        gui::SelectButton* slope = nullptr;
        gui::Knob* pan = nullptr;
        gui::Knob* freq = nullptr;
        gui::Knob* peak = nullptr;
        gui::ToggleButton* enable = nullptr;
    };

    FilterInterface(VarnelInterface& interface, ComponentDisplay* display, int32_t componentIndex = -1);
    ~FilterInterface() override;

    // The section is shown: the curves read their filters again and the
    // images follow Enabled.
    void sectionShown();
    // A parameter changed (-1: any).
    void parametersChanged(int32_t index);

    // The face style of the delay section's two filter buttons (its enable
    // switch's style); the buttons forget it when the section dies first.
    ComponentButton::ComponentStyle* buttonFaceStyle() const { return faceStyle_.get(); }
    FilterController* controller() const { return controller_; }
    gui::Image* shadow() const { return shadow_; }
    gui::Button* hideButton() const { return hideButton_; }
    const FilterControls& filterControls(int32_t filter) const { return filters_[size_t(filter)]; }

    void componentDeleted(gui::Component* component) override;

private:
    void buildFilter(int32_t filter);
    // The display folded or unfolded a component: an unfolded section is shown.
    void componentToggled();
    void showEnabledImages();
    template <class T> T* keep(T*& slot, T* control);

    std::array<FilterParameterSet*, 2> sets_{};
    FilterController* controller_ = nullptr;
    gui::Image* shadow_ = nullptr;
    gui::Button* hideButton_ = nullptr;
    std::array<FilterControls, 2> filters_{};
    std::unique_ptr<ComponentButton::ComponentStyle> faceStyle_;
};
