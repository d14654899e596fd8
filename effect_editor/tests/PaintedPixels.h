#pragma once

// The product editor as painted on the headless platform: the pixels under
// a control after a paint of what is dirty, and their lightness, so that a
// test can tell two looks of one control apart or check what lies on it.

#include "gui/Bitmap.h"
#include "gui/Button.h"
#include "gui/Color.h"
#include "gui/Control.h"
#include "gui/headless/HeadlessInterface.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace test {

// Device pixels of a logical coordinate, as the back buffer places them.
inline int devicePixel(float logical, float scale) {
    return static_cast<int>(std::floor(logical * scale + 0.7f));
}

// Paints, then the pixels under the rectangle (root coordinates, row by row).
inline std::vector<gui::Color> paintedPixels(gui::headless::HeadlessInterface& ui, const gui::Rect& rect) {
    ui.paint();
    const gui::Bitmap& buffer = ui.backBuffer();
    const float scale = buffer.getScale();
    std::vector<gui::Color> pixels;
    for (int y = devicePixel(rect.top, scale); y < devicePixel(rect.bottom, scale); ++y)
        for (int x = devicePixel(rect.left, scale); x < devicePixel(rect.right, scale); ++x)
            pixels.push_back(buffer.pixelAt(x, y));
    return pixels;
}

// The rectangle of a control in root coordinates.
inline gui::Rect rootRect(const gui::Control& control) {
    const gui::Point at = control.toRoot(gui::Point(0.0f, 0.0f));
    return gui::Rect::fromXYWH(at.x, at.y, control.width.getValue(), control.height.getValue());
}

inline std::vector<gui::Color> paintedPixels(gui::headless::HeadlessInterface& ui,
                                             const gui::Control& control) {
    return paintedPixels(ui, rootRect(control));
}

// Perceived lightness, 0 (black) to 255 (white).
inline int lightness(const gui::Color& color) {
    return (color.r * 299 + color.g * 587 + color.b * 114) / 1000;
}

// The middle half of a control in root coordinates: where a small button
// draws its icon over an opaque face.
inline gui::Rect middleOf(const gui::Control& control) {
    const gui::Rect r = rootRect(control);
    const float w = r.width() * 0.25f, h = r.height() * 0.25f;
    return gui::Rect(r.left + w, r.top + h, r.right - w, r.bottom - h);
}

// Whether the button (at scale 1, as high as its face, not highlighted)
// draws something over its face in its middle: a pixel there whose
// lightness differs by more than 40 from the face's middle column in its row.
inline bool showsAnIcon(gui::headless::HeadlessInterface& ui, gui::Button& button) {
    const gui::Bitmap& face = button.style()->stateBitmap(0);
    const gui::Rect middle = middleOf(button);
    const int top = devicePixel(middle.top, 1.0f) - devicePixel(rootRect(button).top, 1.0f);
    const int width = devicePixel(middle.right, 1.0f) - devicePixel(middle.left, 1.0f);
    const std::vector<gui::Color> pixels = paintedPixels(ui, middle);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const gui::Color under = face.pixelAt(face.pixelWidth() / 2, top + int(i) / width);
        if (std::abs(lightness(pixels[i]) - lightness(under)) > 40) return true;
    }
    return false;
}

} // namespace test
