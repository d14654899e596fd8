#include "gui/Shape.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/UserInterface.h"

#include <cmath>

namespace gui {

Shape::Shape(UserInterface& userInterface, Color fill)
    : Control(userInterface), fillColor(this, fill), lineColor(this, Color(0, 0, 0, 255)),
      lineWidth(this, 0.0f), gradient(this), gradientDirection(this, Direction::kUp),
      gradientType(this, GradientType::kCached) {}

Shape::~Shape() = default;

void Shape::propertyChanged(AbstractProperty& property) {
    if (&property == &lineWidth || &property == &gradient || &property == &gradientDirection ||
        &property == &gradientType)
        rebuildCache();
    if (&property == &fillColor || &property == &lineColor || &property == &lineWidth ||
        &property == &gradient || &property == &gradientDirection || &property == &gradientType)
        invalidateRect(localRect());
    Control::propertyChanged(property);
}

void Shape::scaleChanged() {
    Control::scaleChanged();
    rebuildCache();
}

void Shape::boundsChanged() {
    Control::boundsChanged();
    rebuildCache();
}

void Shape::rebuildCache() {
    const float w = lineWidth.getValue() > 0.0f ? lineWidth.getValue() : 0.0f;
    const float innerWidth = width.getValue() - 2.0f * w;
    const float innerHeight = height.getValue() - 2.0f * w;
    // A shape with no inner area has nothing to cache.
    if (gradient.getValue().stopCount() <= 0 || gradientType.getValue() == GradientType::kDirect ||
        !(innerWidth > 0.0f) || !(innerHeight > 0.0f)) {
        cache_.reset();
        return;
    }
    if (!cache_) cache_ = std::make_unique<Bitmap>(userInterface().deviceBacking());
    cache_->setSize(innerWidth, innerHeight);
    cache_->clear();
    cache_->fillGradient(gradient.getValue(), cache_->getRect(), gradientDirection.getValue(), 0.0f, 1.0f,
                         255);
}

void Shape::draw(Canvas& canvas) {
    Rect r = localRect();
    const float w = lineWidth.getValue();
    if (w > 0.0f) {
        r = Rect(r.left + w, r.top + w, r.right - w, r.bottom - w);
        if (!(r.right > r.left) || !(r.bottom > r.top)) r = Rect(r.left, r.top, r.left, r.top);
        canvas.frameRect(r, lineColor.getValue(), w);
    }
    if (fillColor.getValue().a != 0 && !r.isEmpty()) canvas.fillRect(r, fillColor.getValue());
    if (cache_)
        canvas.drawBitmap(*cache_, r.topLeft(), 255);
    else if (gradient.getValue().stopCount() > 0 && !r.isEmpty())
        canvas.fillGradient(gradient.getValue(), r, gradientDirection.getValue(), 0.0f, 1.0f, 255);
}

} // namespace gui
