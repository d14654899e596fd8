// Curves drawn into a gui::Bitmap.

#include "gui/Bitmap.h"

namespace gui {

void Bitmap::drawCurve(const CurveStyle&, const Rect&, const Rect&, const Point&, Orientation, int) {}

} // namespace gui
