#include "gui/Image.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

constexpr float kTolerance = 0.001f;

bool near(float a, float b) {
    return std::fabs(a - b) <= kTolerance;
}

} // namespace

Image::Image(UserInterface& userInterface, Bitmap* bitmap)
    : Control(userInterface), offset(this, Point(0.0f, 0.0f)), capSize(this, 0.0f),
      stretchMode(this, StretchMode::kPlaced), bitmap_(bitmap), ownsBitmap_(bitmap == nullptr) {
    if (ownsBitmap_) {
        bitmap_ = new Bitmap(userInterface.deviceBacking());
        bitmap_->changeEvent.addHandler(NotifyEvent::bind(this, &Image::bitmapChanged));
    } else {
        setSize(bitmap_->getRect().width(), bitmap_->getRect().height());
        updateOpaqueness();
    }
}

Image::~Image() {
    if (ownsBitmap_) delete bitmap_;
}

void Image::bitmapChanged() {
    Hold hold(*this);
    if (stretchMode.getValue() == StretchMode::kPlaced)
        setSize(bitmap_->getRect().width(), bitmap_->getRect().height());
    updateOpaqueness();
    invalidateRect(localRect());
}

void Image::setHoleRect(const Rect& rect) {
    hole_ = rect;
    updateOpaqueness();
}

void Image::setBitmapOrigin(const Point& origin) {
    origin_ = origin;
    updateOpaqueness();
}

void Image::propertyChanged(AbstractProperty& property) {
    if (&property == &offset || &property == &capSize || &property == &stretchMode) {
        if (&property != &capSize) updateOpaqueness();
        invalidateRect(localRect());
    }
    Control::propertyChanged(property);
}

void Image::boundsChanged() {
    Control::boundsChanged();
    updateOpaqueness();
}

Point Image::placement() const {
    const Point at = offset.getValue();
    if (stretchMode.getValue() != StretchMode::kCentred) return at;
    const Rect b = bitmap_->getRect();
    return Point(std::max((width.getValue() - b.width()) * 0.5f, at.x),
                 std::max((height.getValue() - b.height()) * 0.5f, at.y));
}

void Image::updateOpaqueness() {
    const Rect b = bitmap_->getRect();
    bool covers = false;
    switch (stretchMode.getValue()) {
    case StretchMode::kStretched:
        covers = true;
        break;
    case StretchMode::kThreePiece:
        covers = near(b.height(), height.getValue());
        break;
    default: {
        // Where the bitmap is really drawn, against the control's own area.
        const Point at = placement() - origin_;
        const Rect local = localRect();
        covers = near(at.x, local.left) && near(at.y, local.top) && near(at.x + b.width(), local.right) &&
                 near(at.y + b.height(), local.bottom);
    }
    }
    const bool drawn = bitmap_->pixelWidth() > 0 && bitmap_->pixelHeight() > 0;
    opaque.setValue(drawn && !bitmap_->hasTransparency() && hole_.isEmpty() && covers);
}

int Image::hitAlpha(const Point& point) {
    if (!hole_.isEmpty() && hole_.contains(point)) return 0;
    if (bitmap_->pixelWidth() <= 0 || bitmap_->pixelHeight() <= 0) return 0;
    Point source;
    if (stretchMode.getValue() == StretchMode::kStretched ||
        stretchMode.getValue() == StretchMode::kThreePiece)
        source = Canvas::mapSlicedPoint(point, *bitmap_, localRect(), capSize.getValue());
    else
        source = point - placement();
    // Clamped into the bitmap.
    const float scale = bitmap_->getScale();
    auto pixel = [scale](float v, int size) {
        const float p = std::floor(v * scale);
        return std::isnan(p) ? 0 : int(std::clamp(p, 0.0f, float(size - 1)));
    };
    return bitmap_->pixelAt(pixel(source.x, bitmap_->pixelWidth()), pixel(source.y, bitmap_->pixelHeight()))
        .a;
}

void Image::draw(Canvas& canvas) {
    const Bitmap& b = *bitmap_;
    switch (stretchMode.getValue()) {
    case StretchMode::kStretched:
    case StretchMode::kThreePiece:
        canvas.drawBitmapInRect(b, b.getRect(), localRect(), 255, capSize.getValue());
        break;
    default:
        canvas.drawBitmap(b, placement(), 255);
    }
}

} // namespace gui
