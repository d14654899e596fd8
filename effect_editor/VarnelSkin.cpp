#include "effect_editor/VarnelSkin.h"

#include "foundation/FilePaths.h"
#include "foundation/ModuleResources.h"
#include "gui/Bitmap.h"
#include "gui/BitmapResourceList.h"
#include "gui/UserInterface.h"

#include <string>

namespace {

constexpr const char* kImageNames[VarnelSkin::kImageCount] = {
    "DragDot",
    "TapDisplay",
    "SlotBackground",
    "SlotActiveOverlay",
    "XYMask",
    "XYDot",
    "EGDisplay",
    "SliderBack",
    "XLFOPhaseOffset",
    "XLFOPhaseOffsetActive",
    "DisplayBackground",
    "SectionFilters",
    "SectionFiltersShadow",
    "SectionFilter1Interface",
    "SectionFilter2Interface",
    "DisplayBackgroundMS",
};

// The state-bitmap prefix of each button style after "Button"; empty loads
// nothing. The slot's face serves the slot's four small buttons (22 to 25)
// and the source panels' Remove Source button (22).
constexpr const char* kButtonNames[VarnelSkin::kButtonStyleCount] = {
    "Generic",   "Generic",   "Generic",    "Generic",     "Generic",    "Generic",   "Generic",
    "Generic",   "Bar",       "Add",        "Generic",     "AddStep",    "Hide",      "Hotspot",
    "XY",        "Save",      "ScrollLeft", "ScrollRight", "SourceDrag", "Component", "ComponentEnabled",
    "SlotLevel", "SlotInner", "SlotInner",  "SlotInner",   "SlotInner",  "Dry",
};

// The icons of the styles that carry one: holder 3 while off and, for a
// toggle's style, holder 4 while on. Light faces take the dark glyphs. A
// level button draws holder 3 as its bar, as long as its level.
struct StyleIcon {
    int32_t style;
    const char* off;
    const char* on;
};
constexpr StyleIcon kStyleIcons[] = {
    {1, "IconMenuDark.png", nullptr},
    {3, "IconMenuDark.png", nullptr},
    {4, "IconSave.png", nullptr},
    // Feedback invert.
    {5, "IconPositiveDark.png", "IconNegativeDark.png"},
    {6, "IconLockOff.png", nullptr},
    // The filter section's enable switches.
    {7, "IconEnabledOffDark.png", "IconEnabledOn.png"},
    {9, "IconAdd.png", nullptr},
    // Add Slot.
    {10, "IconAddDark.png", nullptr},
    {11, "IconAdd.png", nullptr},
    {12, "IconHide.png", nullptr},
    {15, "IconSourceSave.png", nullptr},
    {18, "IconSourceDrag.png", nullptr},
    // The filter buttons' enable switches.
    {20, "IconEnabledOff.png", "IconEnabledOn.png"},
    // The slot's level bar.
    {21, "ButtonSlotLevelBar.png", nullptr},
    // Remove Source and Remove Slot.
    {22, "IconCloseSmallDark.png", nullptr},
    // The slot's invert toggle.
    {23, "IconPositiveDark.png", "IconNegativeDark.png"},
    {24, "IconSlotDrop.png", nullptr},
    {25, "IconSlotBypassedOff.png", "IconSlotBypassedOn.png"},
    // Dry enable.
    {26, "IconEnabledOff.png", "IconEnabledOn.png"},
};

// Background and indicator prefixes of the knob styles, by role.
constexpr const char* kKnobBackgrounds[VarnelSkin::kKnobStyleCount] = {"KnobNormal", "KnobOuter", "KnobInner",
                                                                       "KnobOuter", "KnobSync"};
constexpr const char* kKnobIndicators[VarnelSkin::kKnobStyleCount] = {"KnobNormal", "KnobOuter", "KnobNormal",
                                                                      "KnobLarge", "KnobSync"};

bool imageExists(const std::string& name) {
    return !name.empty() && (resourceExists(name) || resourceExists(addDoubleScaleSuffix(name)));
}

// The name when the skin has it, else empty (the bitmap stays empty).
std::string existing(const std::string& name) {
    return imageExists(name) ? name : std::string();
}

} // namespace

VarnelSkin::VarnelSkin(gui::UserInterface& userInterface) : userInterface_(userInterface) {
    for (int32_t i = 0; i < kImageCount; ++i) {
        images_[size_t(i)] = userInterface.bitmapResources().create();
        const std::string name = std::string(kImageNames[i]) + ".png";
        if (imageExists(name)) images_[size_t(i)]->load(name);
    }
    for (int32_t i = 0; i < kButtonStyleCount; ++i) {
        auto style = std::make_unique<gui::Button::Style>(userInterface);
        const std::string prefix = std::string("Button") + kButtonNames[i];
        if (kButtonNames[i][0] != '\0' && imageExists(prefix + "Normal.png")) {
            style->loadBitmaps(prefix);
            style->updateSizeFromBitmaps();
        }
        buttonStyles_[size_t(i)] = std::move(style);
    }
    buttonStyles_[kBarStyle]->textColor.setValue(kBarTextColor);
    for (const StyleIcon& icon : kStyleIcons) {
        gui::Button::Style& style = *buttonStyles_[size_t(icon.style)];
        if (imageExists(icon.off)) style.stateBitmap(3).load(icon.off);
        if (icon.on != nullptr && imageExists(icon.on)) style.stateBitmap(4).load(icon.on);
    }
    removeStepStyle_ = std::make_unique<gui::Button::Style>(userInterface);
    const std::string addStep = std::string("Button") + kButtonNames[kAddStepStyle];
    if (imageExists(addStep + "Normal.png")) {
        removeStepStyle_->loadBitmaps(addStep);
        removeStepStyle_->updateSizeFromBitmaps();
    }
    loadIfPresent(removeStepStyle_->stateBitmap(3), "IconMinus.png");
    for (int32_t i = 0; i < kKnobStyleCount; ++i) {
        auto style = std::make_unique<gui::Knob::Style>(userInterface);
        const std::string back = kKnobBackgrounds[i];
        const std::string indicator = kKnobIndicators[i];
        style->setBitmaps(existing(back + "BackNormal.png"), existing(indicator + "OverlayNormal.png"),
                          existing(back + "BackActive.png"), existing(indicator + "OverlayActive.png"),
                          i == kSyncKnob ? std::string() : existing(indicator + "OverlayRotate.png"),
                          existing(indicator + "OverlayDown.png"));
        knobStyles_[size_t(i)] = std::move(style);
    }
}

VarnelSkin::~VarnelSkin() {
    release();
}

gui::Bitmap* VarnelSkin::image(int32_t index) const {
    return index >= 0 && index < kImageCount ? images_[size_t(index)] : nullptr;
}

gui::Button::Style* VarnelSkin::buttonStyle(int32_t index) const {
    return index >= 0 && index < kButtonStyleCount ? buttonStyles_[size_t(index)].get() : nullptr;
}

gui::Knob::Style* VarnelSkin::knobStyle(int32_t index) const {
    return index >= 0 && index < kKnobStyleCount ? knobStyles_[size_t(index)].get() : nullptr;
}

gui::Bitmap* VarnelSkin::loadBitmap(const char* name) {
    gui::Bitmap* bitmap = userInterface_.bitmapResources().create();
    loadIfPresent(*bitmap, name);
    extra_.push_back(bitmap);
    return bitmap;
}

void VarnelSkin::loadIfPresent(gui::Bitmap& bitmap, const std::string& name) {
    if (imageExists(name)) bitmap.load(name);
}

void VarnelSkin::release() {
    for (auto& style : buttonStyles_)
        style.reset();
    for (auto& style : knobStyles_)
        style.reset();
    removeStepStyle_.reset();
    const bool live = !userInterface_.isBeingDestroyed();
    for (gui::Bitmap*& bitmap : images_) {
        if (bitmap != nullptr && live) userInterface_.bitmapResources().remove(bitmap);
        bitmap = nullptr;
    }
    for (gui::Bitmap* bitmap : extra_)
        if (live) userInterface_.bitmapResources().remove(bitmap);
    extra_.clear();
}
