#include "effect_editor/VarnelSlotInterface.h"

#include "effect_editor/VarnelSkin.h"
#include "gui/Bitmap.h"
#include "gui/Image.h"
#include "gui/LevelButton.h"
#include "gui/SelectButton.h"
#include "gui/ToggleButton.h"
#include "modulation/ModulationSlotParameterSet.h"

#include <cmath>

namespace {

constexpr int kHitThreshold = 128;
constexpr int kWarningOpacity = 128;
constexpr float kWarningWidth = 110.0f;
constexpr float kWarningHeight = 19.0f;
constexpr float kWarningCorner = 6.0f;
// The invert toggle ends where the bypass toggle begins.
constexpr float kInvertX = 1.0f;
constexpr float kBypassX = 14.0f;
constexpr float kInvertWidth = kBypassX - kInvertX;
constexpr const char* kBypassLitName = "SlotBypassLit.png";

template <class B> B* placed(B* control, gui::Control& panel, float x, float y) {
    control->setBoundsXYWH(x + VarnelInterface::VarnelSlotInterface::kInset,
                           y + VarnelInterface::VarnelSlotInterface::kInset, control->width.getValue(),
                           control->height.getValue());
    control->hitThreshold.setValue(kHitThreshold);
    control->parent.setValue(&panel);
    return control;
}

} // namespace

VarnelInterface::VarnelSlotInterface::VarnelSlotInterface(VarnelInterface& interface)
    : SlotInterface(interface.userInterface(), interface), owner_(interface) {
    gui::UserInterface& ui = interface.userInterface();
    VarnelSkin& skin = interface.skin();
    gui::Bitmap* back = skin.image(VarnelSkin::kSlotActiveOverlay);
    background_ = new gui::Image(ui, back);
    const gui::Rect r = back != nullptr ? back->getRect() : gui::Rect();
    background_->setBoundsXYWH(0, 0, r.width(), r.height());
    background_->parent.setValue(this);
    setBoundsXYWH(0, 0, r.width(), r.height());
    hitThreshold.setValue(kPanelHitThreshold);

    auto* invert = placed(new gui::ToggleButton(ui, skin.buttonStyle(23)), *this, kInvertX, 1);
    invert->setSize(kInvertWidth, invert->height.getValue());
    setSlotControl(kInvert, invert);
    auto* level = placed(new gui::LevelButton(ui, skin.buttonStyle(21)), *this, 0, 0);
    // The level button is the row's face, just above the background image
    // (the first child): the invert toggle lies over it.
    setChildIndex(level, 1);
    setSlotControl(kLevel, level);
    target_ = placed(new gui::SelectButton(ui, skin.buttonStyle(24)), *this, 81, 1);
    if (ModulationSlotParameterSet* first = interface.slotSet(0))
        if (AbstractPluginParameter* p = parameterFor(*first, kTarget)) addParameterValueItems(*target_, *p);
    setSlotControl(kTarget, target_);
    auto* remove = placed(new gui::Button(ui, skin.buttonStyle(22)), *this, 96, 1);
    remove->helpText.setValue(kRemoveHelp);
    setRemoveButton(remove);
    warningFrame_ = new gui::Image(ui, skin.image(VarnelSkin::kSlotBackground));
    warningFrame_->stretchMode.setValue(gui::Image::StretchMode::kThreePiece);
    warningFrame_->capSize.setValue(kWarningCorner);
    warningFrame_->setBoundsXYWH(kInset, kInset, kWarningWidth, kWarningHeight);
    warningFrame_->opacity.setValue(kWarningOpacity);
    warningFrame_->helpText.setValue(kWarningHelp);
    warningFrame_->parent.setValue(this);
    setWarningControl(warningFrame_);
    bypass_ = placed(new gui::ToggleButton(ui, skin.buttonStyle(25)), *this, kBypassX, 1);
    setSlotControl(kBypass, bypass_);
    // Lit over the bypass toggle while the slot closes a loop; never takes a press.
    bypassLit_ = new gui::Image(ui);
    VarnelSkin::loadIfPresent(bypassLit_->bitmap(), kBypassLitName);
    bypassLit_->setBounds(bypass_->bounds.getValue());
    bypassLit_->hitThreshold.setValue(255);
    bypassLit_->parent.setValue(this);
    layoutWarning();
    updateLoopWarning();
}

// The sub-controls die with the panel, whoever deletes it.
VarnelInterface::VarnelSlotInterface::~VarnelSlotInterface() {
    deleteChildren();
}

void VarnelInterface::VarnelSlotInterface::setHighlightState(int32_t state) {
    if (state == highlightState_) return;
    highlightState_ = state;
    updateLoopWarning();
}

void VarnelInterface::VarnelSlotInterface::updateLoopWarning() {
    SlotInterface::updateLoopWarning();
    bypassLit_->visible.setValue(isLoopWarningShown());
    background_->visible.setValue(highlightState_ == kHighlighted);
    const int shownOpacity = highlightState_ == kDimmed ? kDimmedOpacity : 255;
    if (opacity.getValue() != shownOpacity) opacity.setValue(shownOpacity);
    // Only the targets that may be added now (entry 0 is "none").
    const auto& items = target_->menuItems();
    for (size_t entry = 1; entry < items.size(); ++entry) {
        const bool allowed = owner_.canAddToTargetRange(uint32_t(entry - 1));
        if (items[entry]->enabled.getValue() != allowed) items[entry]->enabled.setValue(allowed);
    }
}

void VarnelInterface::VarnelSlotInterface::assignSlot(int32_t slot) {
    SlotInterface::assignSlot(slot);
    constexpr gui::Point kDropOffset(-5.0f, -5.0f);
    if (std::fabs(dropOffset_.x - kDropOffset.x) > 0.001f ||
        std::fabs(dropOffset_.y - kDropOffset.y) > 0.001f)
        dropOffset_ = kDropOffset;
}

void VarnelInterface::VarnelSlotInterface::layoutWarning() {
    const gui::Rect& frame = warningFrame_->bounds.getValue();
    warningFrame_->setBoundsXYWH((width.getValue() - frame.width()) / 2.0f,
                                 (height.getValue() - frame.height()) / 2.0f, frame.width(), frame.height());
}

// The interface's operations that make the panel.

SlotInterface* VarnelInterface::createSlotInterface() {
    return new VarnelSlotInterface(*this);
}

SlotInterface* VarnelInterface::createSlotInterface(SourceController&) {
    return createSlotInterface();
}
