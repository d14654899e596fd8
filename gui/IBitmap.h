#pragma once

// The bitmap as drawing operations and the accelerated renderer see it.
//
// Pixels are 32 bits: bytes blue, green, red, 255 - alpha, colour
// premultiplied; a fully transparent pixel is 0xFF000000. getPixelRect is in
// device pixels, getRect in logical units.
//
// The texture and the changed rects serve the accelerated renderer, which
// keeps the bitmap's texture up to date: a change state of 0 means
// everything changed, 1 the changed rects tell what changed, 2 nothing
// changed since the renderer took the changes. They are a cache kept beside
// the pixels, so reading and clearing them works on a const bitmap.

#include "gui/BasicRect.h"

#include <cstdint>

namespace gui {

class ITexture;

enum class BitmapChangeState { kEverything = 0, kRects = 1, kUnchanged = 2 };

class IBitmap {
public:
    virtual ~IBitmap() = default;

    virtual PixelRect getPixelRect() const = 0;
    virtual Rect getRect() const = 0;
    virtual const std::uint32_t* getPixels() const = 0;
    virtual std::uint32_t* getPixels() = 0;
    virtual bool hasTransparency() const = 0;
    virtual ITexture* getTexture() const = 0;
    // The changed pixel rects since the renderer last took them.
    virtual void getChangedRects(const PixelRect*& rects, int& count) const = 0;
    virtual BitmapChangeState getChangeState() const = 0;
    // Empties the list; the state becomes kUnchanged.
    virtual void clearChangedRects() const = 0;
    virtual void setTexture(ITexture* texture) const = 0;
};

} // namespace gui
