#pragma once

// What a control puts on the screen, in device pixels of the user
// interface's backing scale: the control (and its children) rendered alone
// on a transparent ground, or the whole tree as the window shows it. The
// pixels are the software back end's (blue, green, red, 255 - alpha,
// premultiplied), copied out so that the picture outlives the bitmap.
//
// Threading: GUI thread, under the root's lock.

#include "gui/BasicRect.h"
#include "gui/Color.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gui {
class Control;
}

namespace walk {

struct ControlPicture {
    int width = 0;
    int height = 0;
    float scale = 1.0f;
    // Where the picture's (0, 0) lies, for the caller that places it.
    gui::Point origin;
    std::vector<std::uint32_t> pixels;

    // The control and its children alone, at (0, 0) of the picture (the
    // root: the whole window).
    static ControlPicture of(gui::Control& control);

    std::uint32_t at(int x, int y) const {
        return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
    // Opacity 0..255 of a pixel.
    int alphaAt(int x, int y) const { return 255 - int(at(x, y) >> 24); }
    gui::Color colorAt(int x, int y) const;
    // The bounding box (device pixels) of the pixels whose opacity exceeds
    // the threshold; empty when none does.
    gui::PixelRect opaqueBox(int threshold = 16) const;
    // How many pixels differ by more than the tolerance in a channel (the
    // pictures must be of one size).
    int differingPixels(const ControlPicture& other, int tolerance) const;
    // The picture as an opaque PNG file's bytes.
    std::string png() const;
    // The median colour of the pixels in a band of the width (device
    // pixels) around a logical rect, inside the limit (root coordinates in
    // the root's picture): what lies around a caption.
    gui::Color medianAround(const gui::Rect& area, int band, const gui::Rect& limit) const;
};

} // namespace walk
