#include "effect_editor/VarnelSourceInterface.h"

#include "editor/ControlBuilder.h"
#include "effect/VarnelModulation.h"
#include "effect/VarnelParameters.h"
#include "gui/MultiLabel.h"
#include "gui/Text.h"
#include "modulation_editor/SourceDragButton.h"
#include "modulation_editor/SourceHost.h"
#include "plugin/PluginParameter.h"

#include <cstdio>

namespace {

struct TypeEntry {
    const char* shortName;
    std::int32_t presetKind;
};
constexpr TypeEntry kTypes[] = {{"XY", -1}, {"XLFO", 2}, {"EG", 3}, {"EF", 4}, {"MIDI", 5}};
constexpr std::int32_t kNumTypes = static_cast<std::int32_t>(sizeof(kTypes) / sizeof(kTypes[0]));

constexpr float kTitleX = 30.0f;
constexpr float kTitleY = 8.0f;
constexpr float kTitleHeight = 16.0f;
constexpr float kTitleTextSize = 8.0f;
constexpr float kPresetRightGap = 25.0f; // preset x = width - (remove width + 25)
constexpr float kPresetY = 10.0f;
constexpr float kRemoveRightGap = 11.0f;
constexpr float kButtonGap = 2.0f;

} // namespace

void VarnelSourceInterface::moveTo(gui::Control* control, float x, float y) {
    if (control == nullptr) return;
    control->setX(x);
    control->setY(y);
}

std::string VarnelSourceInterface::shortName(std::int32_t type) {
    return type >= 0 && type < kNumTypes ? kTypes[type].shortName : "";
}

std::int32_t VarnelSourceInterface::presetKind(std::int32_t type) {
    return type >= 0 && type < kNumTypes ? kTypes[type].presetKind : -1;
}

VarnelSourceInterface::VarnelSourceInterface(SourceHost& controller, SourceId id,
                                             VarnelParameters& parameters, const VarnelSourceSkin& skin)
    : SourceInterface(controller, id, skin.dragButton, skin.removeButton), parameters_(parameters),
      skin_(skin) {
    title_ = new gui::MultiLabel(userInterface(), 1);
    title_->parent.setValue(this);
    link(title_);
    if (gui::Text* text = title_->text(0)) {
        text->color.setValue(gui::Color(0, 0, 0, 128));
        text->fontSize.setValue(kTitleTextSize);
        text->text.setValue(std::string());
    }
    title_->setBoundsXYWH(kTitleX, kTitleY, title_->width.getValue(), kTitleHeight);
    if (!dragButtons().empty() && dragButtons()[0] != nullptr) moveTo(dragButtons()[0], 6.0f, 7.0f);
}

VarnelSourceInterface::~VarnelSourceInterface() = default;

void VarnelSourceInterface::componentDeleted(gui::Component* component) {
    SourceInterface::componentDeleted(component);
    if (component == title_) title_ = nullptr;
    if (component == presetButton_) presetButton_ = nullptr;
}

int VarnelSourceInterface::getPanelWidth() {
    return static_cast<int>(width.getValue());
}

std::string VarnelSourceInterface::instanceName() const {
    char number[16];
    std::snprintf(number, sizeof(number), "%d", sourceId().instance + 1);
    return shortName(sourceId().type) + " " + number;
}

void VarnelSourceInterface::makePresetButton() {
    const float removeWidth = removeButton() != nullptr ? removeButton()->width.getValue() : 0.0f;
    const int x = static_cast<int>(static_cast<float>(getPanelWidth()) - (removeWidth + kPresetRightGap));
    builder().setParent(this);
    presetButton_ = builder().createButton(x, static_cast<int>(kPresetY), skin_.presetButton);
    presetButton_->parent.setValue(this);
    link(presetButton_);
    presetButton_->helpText.setValue(kPresetHelp);
    if (skin_.presetMenu)
        presetButton_->setPopupMenu(skin_.presetMenu(presetKind(sourceId().type), sourceId().instance));
    boundsChanged();
}

void VarnelSourceInterface::setSourceInstance(std::int32_t instance) {
    SourceInterface::setSourceInstance(instance);
    extraClaims_.clear();
    const std::string name = instanceName();
    if (title_ != nullptr && title_->text(0) != nullptr) title_->text(0)->text.setValue(name);
    if (presetButton_ != nullptr && skin_.presetMenu)
        presetButton_->setPopupMenu(skin_.presetMenu(presetKind(sourceId().type), instance));
    // A panel whose name grows (a MIDI source's names its input) is still
    // its title where the name finds no room.
    setShortSourceName(name);
    setSourceName(name);
}

void VarnelSourceInterface::boundsChanged() {
    SourceInterface::boundsChanged();
    gui::Button* remove = removeButton();
    if (remove != nullptr) {
        const float removeX =
            static_cast<float>(getPanelWidth()) - remove->width.getValue() - kRemoveRightGap;
        moveTo(remove, removeX, kPresetY);
        if (presetButton_ != nullptr) {
            if (remove->visible.getValue())
                moveTo(presetButton_, removeX - (presetButton_->width.getValue() + kButtonGap), kPresetY);
            else
                moveTo(presetButton_, removeX, kPresetY);
        }
    }
}

bool VarnelSourceInterface::claims(std::int32_t index) const {
    if (index < 0) return false;
    for (const ControlLink& l : controlLinks())
        if (l.second != nullptr && l.second->getIndex() == index) return true;
    for (std::int32_t claimed : extraClaims_)
        if (claimed == index) return true;
    return false;
}

bool VarnelSourceInterface::parameterChanged(std::int32_t index) {
    const bool claimed = claims(index);
    if (claimed || index == -1) refreshFromParameters();
    return claimed;
}
