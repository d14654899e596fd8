#pragma once

// The product editor's skin: the sixteen shared skin bitmaps (numbered as
// the panels name them), the 27 button styles, the five knob styles and the
// step panel's Remove Step style (the Add Step face with a minus).
// The editor owns the styles; the user interface's bitmap list owns the
// bitmaps, which release() gives back while the interface still lives.
// Artwork that is missing leaves its bitmap or style empty.
//
// Threading: GUI thread only.

#include "gui/Button.h"
#include "gui/Knob.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gui {
class Bitmap;
class UserInterface;
} // namespace gui

class VarnelSkin {
public:
    // The shared skin bitmaps by number.
    enum Image : int32_t {
        kDragDot = 0,
        kTapDisplay,
        kSlotBackground,
        kSlotActiveOverlay,
        kXYMask,
        kXYDot,
        kEGDisplay,
        kSliderBack,
        kXLFOPhaseOffset,
        kXLFOPhaseOffsetActive,
        kDisplayBackground,
        kSectionFilters,
        kSectionFiltersShadow,
        kSectionFilter1Interface,
        kSectionFilter2Interface,
        kDisplayBackgroundMS,
        kImageCount,
    };
    static constexpr int32_t kButtonStyleCount = 27;
    // The bar buttons' style (the bottom bar's buttons and selectors) and
    // its caption colour on their dark faces.
    static constexpr int32_t kBarStyle = 8;
    // The step panel's Add Step and Hide buttons.
    static constexpr int32_t kAddStepStyle = 11;
    static constexpr int32_t kHideStyle = 12;
    static constexpr gui::Color kBarTextColor{200, 200, 200, 255};
    // The text padding of the buttons whose caption all but fills them (the
    // top bar's text buttons, the filters' 34 wide selectors): the toolkit's
    // 6 on each side would cut their captions.
    static constexpr float kTightTextPadding = 2.0f;
    static constexpr int32_t kKnobStyleCount = 5;
    // Knob styles by role.
    enum KnobRole : int32_t {
        kNormalKnob = 0,
        kOuterRing = 1,
        kInnerKnob = 2,
        kLargeKnob = 3,
        kSyncKnob = 4
    };

    explicit VarnelSkin(gui::UserInterface& userInterface);
    ~VarnelSkin();
    VarnelSkin(const VarnelSkin&) = delete;
    VarnelSkin& operator=(const VarnelSkin&) = delete;

    // Null outside the numbers.
    gui::Bitmap* image(int32_t index) const;
    gui::Button::Style* buttonStyle(int32_t index) const;
    gui::Knob::Style* knobStyle(int32_t index) const;
    // The Add Step face (style 11) with a minus in place of its plus.
    gui::Button::Style* removeStepStyle() const { return removeStepStyle_.get(); }
    // A further bitmap of the skin by resource name, kept with the others.
    gui::Bitmap* loadBitmap(const char* name);
    // Loads the resource into the bitmap when the skin has it at either
    // scale; without it the bitmap stays as it is.
    static void loadIfPresent(gui::Bitmap& bitmap, const std::string& name);

    // Gives the bitmaps back to the user interface and drops the styles.
    void release();

private:
    gui::UserInterface& userInterface_;
    std::array<gui::Bitmap*, kImageCount> images_{};
    std::array<std::unique_ptr<gui::Button::Style>, kButtonStyleCount> buttonStyles_;
    std::array<std::unique_ptr<gui::Knob::Style>, kKnobStyleCount> knobStyles_;
    std::unique_ptr<gui::Button::Style> removeStepStyle_;
    std::vector<gui::Bitmap*> extra_;
};
