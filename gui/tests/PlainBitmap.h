#pragma once

// Bitmaps of one colour for the controls' tests: fill sizes a bitmap to
// w x h and covers it with the colour.

#include "gui/Bitmap.h"
#include "gui/Canvas.h"

namespace gui::test {

inline void fill(Bitmap& bitmap, float w, float h, Color color) {
    bitmap.setSize(w, h);
    bitmap.clear();
    bitmap.getCanvas().fillRect(Rect::fromXYWH(0, 0, w, h), color);
}

} // namespace gui::test
