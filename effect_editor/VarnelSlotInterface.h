#pragma once

// VarnelInterface::VarnelSlotInterface: the product's panel of one
// modulation slot, on the interface's skin: the slot background, the invert
// toggle, the level button, the target selector, the remove button, the
// loop-warning frame and the bypass toggle. It follows the base's loop
// warning (the frame shows, the bypass toggle's lit overlay is drawn) and
// the indicators' click highlighting (highlightState: 0 plain, 1
// highlighted, 2 dimmed), and enables only the target entries that the
// interface may add now.
//
// Threading: GUI thread only.

#include "effect_editor/VarnelInterface.h"
#include "modulation_editor/SlotInterface.h"

namespace gui {
class Image;
class LevelButton;
class SelectButton;
class ToggleButton;
} // namespace gui

class VarnelInterface::VarnelSlotInterface : public SlotInterface {
public:
    enum HighlightState : int32_t { kPlain = 0, kHighlighted = 1, kDimmed = 2 };
    static constexpr int kDimmedOpacity = 128;
    static constexpr int kPanelHitThreshold = 32;
    // Where the builder's origin moves inside the panel.
    static constexpr float kInset = 6.0f;

    explicit VarnelSlotInterface(VarnelInterface& interface);
    ~VarnelSlotInterface() override;

    void updateLoopWarning() override;
    void assignSlot(int32_t slot) override;
    // Centres the warning frame in the panel.
    virtual void layoutWarning();

    void setHighlightState(int32_t state);
    int32_t highlightState() const { return highlightState_; }

    gui::Image* background() const { return background_; }
    gui::Image* warningFrame() const { return warningFrame_; }
    gui::ToggleButton* bypassButton() const { return bypass_; }
    // Shown over the bypass toggle while the warning frame is.
    gui::Image* bypassLit() const { return bypassLit_; }
    gui::SelectButton* targetButton() const { return target_; }
    // The drop target's offset that assigning a slot sets.
    gui::Point dropTargetOffset() const { return dropOffset_; }

private:
    VarnelInterface& owner_;
    gui::Image* background_ = nullptr;
    gui::Image* warningFrame_ = nullptr;
    gui::ToggleButton* bypass_ = nullptr;
    gui::Image* bypassLit_ = nullptr;
    gui::SelectButton* target_ = nullptr;
    gui::Point dropOffset_;
    int32_t highlightState_ = kPlain;
};
