#include "gui/ScrollStrip.h"

#include "gui/ScrollArea.h"
#include "gui/ScrollButton.h"

namespace gui {

namespace {

constexpr float kFitTolerance = 0.001f;

} // namespace

ScrollStrip::ScrollStrip(UserInterface& userInterface, Button::Style* backwardStyle,
                         Button::Style* forwardStyle)
    : AnimatedControl(userInterface), hideButtonsWhenFitting(this, false) {
    area_ = new ScrollArea(userInterface);
    area_->parent.setValue(this);
    link(area_);
    area_->scrollEvent.addHandler(NotifyEvent::bind(this, &ScrollStrip::updateButtonVisibility));
    area_->layoutEvent.addHandler(NotifyEvent::bind(this, &ScrollStrip::updateButtonVisibility));
    backward_ = new ScrollButton(area_, ScrollButton::ScrollDirection::kBackward, backwardStyle);
    forward_ = new ScrollButton(area_, ScrollButton::ScrollDirection::kForward, forwardStyle);
    for (ScrollButton* button : {backward_, forward_}) {
        button->backgroundStyle.setValue(Button::BackgroundStyle::kCentred);
        button->parent.setValue(this);
        link(button);
    }
    layoutParts();
    updateButtonVisibility();
}

ScrollStrip::~ScrollStrip() {
    if (area_ != nullptr) {
        area_->scrollEvent.removeHandler(this, &ScrollStrip::updateButtonVisibility);
        area_->layoutEvent.removeHandler(this, &ScrollStrip::updateButtonVisibility);
    }
    deleteChildren();
}

void ScrollStrip::layoutParts() {
    const Rect local = localRect();
    if (area_ != nullptr) area_->setBounds(local);
    if (backward_ != nullptr)
        backward_->setBoundsXYWH(0.0f, 0.0f, backward_->width.getValue(), local.height());
    if (forward_ != nullptr) {
        const float w = forward_->width.getValue();
        forward_->setBoundsXYWH(local.width() - w, 0.0f, w, local.height());
    }
}

void ScrollStrip::updateButtonVisibility() {
    if (area_ == nullptr) return;
    const float areaWidth = area_->width.getValue();
    const float content = area_->contentWidth.getValue();
    bool showBackward = true;
    bool showForward = true;
    if (hideButtonsWhenFitting.getValue() && content <= areaWidth + kFitTolerance) {
        showBackward = showForward = false;
    } else if (area_->paddingX.getValue() <= 0.0f) {
        const float position = area_->scrollX.getValue();
        showBackward = position > kEndTolerance;
        showForward = content - area_->tailX.getValue() - areaWidth - kEndTolerance > position;
    }
    if (backward_ != nullptr) backward_->visible.setValue(showBackward);
    if (forward_ != nullptr) forward_->visible.setValue(showForward);
}

void ScrollStrip::setScrollButtonBackground(Bitmap* bitmap, const Rect& rect) {
    if (backward_ != nullptr) {
        const float w = backward_->width.getValue();
        backward_->setBackground(bitmap, Rect(rect.left, rect.top, rect.left + w, rect.bottom));
    }
    if (forward_ != nullptr) {
        const float w = forward_->width.getValue();
        forward_->setBackground(bitmap, Rect(rect.right - w, rect.top, rect.right, rect.bottom));
    }
}

void ScrollStrip::propertyChanged(AbstractProperty& property) {
    AnimatedControl::propertyChanged(property);
    if (&property == &hideButtonsWhenFitting) {
        if (area_ != nullptr) area_->padWhenScrolling.setValue(hideButtonsWhenFitting.getValue());
        updateButtonVisibility();
    }
}

void ScrollStrip::componentDeleted(Component* component) {
    if (component == area_) area_ = nullptr;
    if (component == backward_) backward_ = nullptr;
    if (component == forward_) forward_ = nullptr;
    AnimatedControl::componentDeleted(component);
}

void ScrollStrip::boundsChanged() {
    AnimatedControl::boundsChanged();
    layoutParts();
}

} // namespace gui
