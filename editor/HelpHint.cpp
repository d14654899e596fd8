#include "editor/HelpHint.h"

#include "gui/Image.h"
#include "gui/ImageLabel.h"
#include "gui/Text.h"
#include "plugin/GenericPlugin.h"
#include "plugin/GenericPluginSettings.h"

#include <algorithm>

namespace {

// Above any hit alpha: the arrow leaves clicks to the label.
constexpr int kNeverHit = 255;

} // namespace

HelpHint::HelpHint(gui::UserInterface& userInterface, Context context)
    : gui::Component(userInterface), context_(std::move(context)) {}

HelpHint::~HelpHint() {
    setLabel(nullptr);
}

void HelpHint::setLabel(gui::ImageLabel* label) {
    if (label_ == label) return;
    if (label_ != nullptr) {
        label_->clickEvent.removeHandler(this, &HelpHint::clear);
        unlink(label_);
    }
    label_ = label;
    if (label_ != nullptr) link(label_);
}

void HelpHint::setArrow(gui::Image* arrow) {
    if (arrow_ == arrow) return;
    if (arrow_ != nullptr) unlink(arrow_);
    arrow_ = arrow;
    if (arrow_ == nullptr) return;
    link(arrow_);
    arrow_->hitThreshold.setValue(kNeverHit);
}

void HelpHint::pointAt(float x) {
    if (arrow_ == nullptr) return;
    arrow_->visible.setValue(x >= 0.0f);
    if (x < 0.0f) return;
    const float w = arrow_->width.getValue();
    const float room = label_ != nullptr ? label_->width.getValue() : w;
    arrow_->setX(std::clamp(x - w * 0.5f, 0.0f, std::max(0.0f, room - w)));
    arrow_->setY(0.0f);
}

void HelpHint::componentDeleted(gui::Component* component) {
    gui::Component::componentDeleted(component);
    if (component == label_) label_ = nullptr;
    if (component == arrow_) arrow_ = nullptr;
}

std::string HelpHint::replaceProductName(std::string text, const std::string& name) {
    static const std::string kKey = "$plugin";
    for (size_t at = text.find(kKey); at != std::string::npos; at = text.find(kKey, at + name.size()))
        text.replace(at, kKey.size(), name);
    return text;
}

void HelpHint::show(const std::string& text, int32_t flags) {
    text_ = replaceProductName(text, context_.productName);
    if (label_ != nullptr && label_->text() != nullptr) label_->text()->text.setValue(text_);
    const bool allowed = !context_.allowed || context_.allowed();
    const bool help = (flags & kAlways) != 0 || !context_.interactiveHelp || context_.interactiveHelp();
    if (text_.empty() || !allowed || !help) {
        hide();
        return;
    }
    if ((flags & kSticky) != 0) {
        sticky_ = true;
        if (label_ != nullptr) {
            label_->opacity.setValue(kStickyOpacity);
            label_->clickEvent.setHandler(NotifyEvent::bind(this, &HelpHint::clear));
        }
    }
    shown_ = true;
    ++shownCount_;
    if (label_ == nullptr) return;
    label_->visible.setValue(true);
    if (gui::Control* parent = label_->parent.getValue())
        parent->setChildIndex(label_, static_cast<int>(parent->children().size()));
}

void HelpHint::hide() {
    shown_ = false;
    if (label_ != nullptr) label_->visible.setValue(false);
}

void HelpHint::clear() {
    text_.clear();
    sticky_ = false;
    if (label_ != nullptr) {
        if (label_->text() != nullptr) label_->text()->text.setValue(std::string());
        label_->opacity.setValue(255);
        label_->clickEvent.removeHandler(this, &HelpHint::clear);
    }
    hide();
}

void HelpHint::showWelcome() {
    if (GenericPlugin::SharedSettings* shared = GenericPlugin::getSharedSettings())
        shared->welcomeHintShown.setValue(false);
    show(kWelcome, kSticky);
}
