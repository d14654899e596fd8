#pragma once

// Bitmaps of one colour for the controls' tests: fill sizes a bitmap to
// w x h and covers it with the colour.

#include "gui/Bitmap.h"
#include "gui/Canvas.h"

namespace test {

inline void fill(gui::Bitmap& bitmap, float w, float h, gui::Color color) {
    bitmap.setSize(w, h);
    bitmap.clear();
    bitmap.getCanvas().fillRect(gui::Rect::fromXYWH(0, 0, w, h), color);
}

} // namespace test
