#include "gui/Gradient.h"

namespace gui {

Gradient::Gradient(Color first, Color last) {
    addStop(first, 0.0f);
    addStop(last, 1.0f);
}

Gradient::Gradient(Color first, Color middle, float position, Color last) {
    addStop(first, 0.0f);
    addStop(middle, position);
    addStop(last, 1.0f);
}

int Gradient::segmentAt(float position) const {
    return SegmentInterpolator::segmentAt(position);
}

FloatColor Gradient::floatColourAt(float position) const {
    return valueAt(position);
}

int Gradient::stopCount() const {
    return count();
}

Color Gradient::stopColor(int index) const {
    return stop(index).value;
}

float Gradient::stopPosition(int index) const {
    return stop(index).position;
}

bool Gradient::isOpaque() const {
    for (int i = 0; i < count(); ++i)
        if (stop(i).value.a != 255) return false;
    return true;
}

} // namespace gui
