#pragma once

// An overlay ghost that draws a handle bitmap of its own (owned) at its rect
// and stands for one learnable parameter (its stored index). Where the rect
// lies is the subclass's.
//
// Threading: GUI thread; draw runs under the root lock.

#include "gui/Bitmap.h"
#include "gui/Overlay.h"

#include <cstdint>
#include <string>

namespace gui {
class DeviceBacking;
}

class BitmapParameterGhostControl : public gui::Overlay::VirtualGhostControl {
public:
    BitmapParameterGhostControl(gui::DeviceBacking& backing, std::uint32_t parameterIndex);
    ~BitmapParameterGhostControl() override;

    // Loads the resource (its plain or double-scale form); a missing one
    // leaves the bitmap empty, so the ghost has no size.
    void loadBitmap(const std::string& name);
    gui::Bitmap& bitmap() { return bitmap_; }

    // The whole bitmap at the rect's top-left corner, opacity 255.
    void draw(gui::Canvas& canvas) override;

private:
    gui::Bitmap bitmap_;
};
