#include "gui/Light.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/UserInterface.h"

namespace gui {

Light::Style::Style(UserInterface& userInterface)
    : Component(userInterface), on(this, false),
      off_(std::make_unique<Bitmap>(userInterface.deviceBacking())),
      on_(std::make_unique<Bitmap>(userInterface.deviceBacking())) {}

Light::Style::~Style() = default;

Light::Light(UserInterface& userInterface, Style* style)
    : Control(userInterface), on(this, false), style_(nullptr) {
    setStyle(style);
}

Light::~Light() = default;

void Light::setStyle(Style* style) {
    if (style == style_) return;
    if (style_ != nullptr) unlink(style_);
    style_ = style;
    if (style_ != nullptr) link(style_); // a deleted style is forgotten
    invalidateRect(localRect());
}

void Light::switchOff() {
    on.setValue(false);
    if (style_ != nullptr) style_->on.setValue(false);
}

void Light::propertyChanged(AbstractProperty& property) {
    if (&property == &on) invalidateRect(localRect());
    Control::propertyChanged(property);
}

void Light::componentDeleted(Component* component) {
    Control::componentDeleted(component);
    if (component == style_) {
        style_ = nullptr;
        invalidateRect(localRect());
    }
}

void Light::draw(Canvas& canvas) {
    if (style_ == nullptr) return; // a light without a style draws nothing
    const Bitmap& bitmap = on.getValue() ? style_->onBitmap() : style_->offBitmap();
    const Rect dest = placement == kOwnRect ? bitmap.getRect() : localRect();
    canvas.drawBitmap(bitmap, dest, Point(0.0f, 0.0f), 255);
}

} // namespace gui
