#pragma once

// A filled, framed rectangle with an optional gradient. The frame fills the
// outer lineWidth units of the bounds; the fill and the gradient cover what
// lies inside it. A gradient of type kCached is drawn once into a bitmap of
// the inner size (rebuilt when the size, the scale or the gradient changes);
// type kDirect fills it at every draw.
//
// Threading: GUI thread; draw runs under the root control's lock.

#include "foundation/Property.h"
#include "gui/Control.h"
#include "gui/Enumerations.h"
#include "gui/Gradient.h"

#include <memory>

namespace gui {
class Bitmap;
}

// Two gradients are equal when their stops are.
template <> struct PropertyEquality<gui::Gradient> {
    static bool equal(const gui::Gradient& a, const gui::Gradient& b) {
        if (a.stopCount() != b.stopCount()) return false;
        for (int i = 0; i < a.stopCount(); ++i)
            if (a.stopColor(i) != b.stopColor(i) || a.stopPosition(i) != b.stopPosition(i)) return false;
        return true;
    }
};

namespace gui {

class Shape : public Control {
public:
    enum class GradientType { kCached = 0, kDirect = 1 };

    Shape(UserInterface& userInterface, Color fill);
    ~Shape() override;

    Property<Color> fillColor;
    Property<Color> lineColor;
    Property<float> lineWidth;
    Property<Gradient> gradient;
    Property<Direction> gradientDirection;
    Property<GradientType> gradientType;

    void propertyChanged(AbstractProperty& property) override;
    void scaleChanged() override;
    void draw(Canvas& canvas) override;
    void boundsChanged() override;

    const Bitmap* gradientCache() const { return cache_.get(); }

private:
    void rebuildCache();

    std::unique_ptr<Bitmap> cache_;
};

} // namespace gui
