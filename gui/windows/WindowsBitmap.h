#pragma once

// The toolkit bitmap on Windows: its pixel buffers are DIB sections
// (top-down, 32 bits per pixel, uncompressed), so GDI can draw into them and
// copy them to a window. New buffers start transparent (0xFF000000). When the
// system refuses a DIB the buffer comes from the heap instead and is copied
// with SetDIBitsToDevice.
//
// Threading: GUI thread only.

#include "gui/Bitmap.h"

#include <vector>
#include <windows.h>

namespace gui {

class WindowsBitmap : public Bitmap {
public:
    explicit WindowsBitmap(DeviceBacking& backing);
    ~WindowsBitmap() override;

    // The DIB section of the current pixels; null for an empty bitmap or a heap buffer.
    HBITMAP dib() const;
    // Copies every pixel to the device context with its top-left at (x, y).
    void copyTo(HDC dc, int x, int y) const;

protected:
    std::uint32_t* allocatePixels(int pixelWidth, int pixelHeight) override;
    void freePixels(std::uint32_t* buffer) override;

private:
    struct Section {
        std::uint32_t* bits;
        HBITMAP handle; // null for a heap buffer
    };
    std::vector<Section> sections_;
};

// The header of a top-down 32-bit DIB of the given pixel size.
BITMAPINFOHEADER topDownDibHeader(int pixelWidth, int pixelHeight);

} // namespace gui
