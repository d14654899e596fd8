#pragma once

// One bitmap, placed at an offset, centred or stretched, with an exact
// opaqueness report so that the renderer can skip what lies beneath. An
// image made without a bitmap owns an empty one and follows its changes
// (taking its size in stretch mode kPlaced).
//
// Threading: GUI thread; draw runs under the root control's lock.

#include "foundation/Property.h"
#include "gui/BasicPoint.h"
#include "gui/Control.h"

namespace gui {

class Bitmap;

class Image : public Control {
public:
    enum class StretchMode { kPlaced = 0, kCentred = 1, kStretched = 2, kThreePiece = 3 };

    explicit Image(UserInterface& userInterface, Bitmap* bitmap = nullptr);
    ~Image() override;

    Property<BasicPoint<float>> offset;
    Property<float> capSize;
    Property<StretchMode> stretchMode;

    Bitmap& bitmap() { return *bitmap_; }
    // No hit inside the hole; an image with a hole never claims to be opaque.
    void setHoleRect(const Rect& rect);
    const Rect& holeRect() const { return hole_; }
    // Subtracted from the bitmap's rect when testing coverage.
    void setBitmapOrigin(const Point& origin);

    void propertyChanged(AbstractProperty& property) override;
    int hitAlpha(const Point& point) override;
    void draw(Canvas& canvas) override;
    void boundsChanged() override;

private:
    // Where the bitmap's top-left corner is drawn (placed and centred modes).
    Point placement() const;
    void updateOpaqueness();
    void bitmapChanged();

    Bitmap* bitmap_;
    Rect hole_;
    Point origin_;
    bool ownsBitmap_;
};

} // namespace gui
