#include "gui/windows/WindowsBitmap.h"

#include <algorithm>

namespace gui {

namespace {

constexpr LONG kPixelsPerMetre = 1000;

} // namespace

BITMAPINFOHEADER topDownDibHeader(int pixelWidth, int pixelHeight) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = pixelWidth;
    header.biHeight = -pixelHeight; // negative: the first row is the top one
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biXPelsPerMeter = kPixelsPerMetre;
    header.biYPelsPerMeter = kPixelsPerMetre;
    return header;
}

WindowsBitmap::WindowsBitmap(DeviceBacking& backing) : Bitmap(backing) {}

WindowsBitmap::~WindowsBitmap() {
    // The base destructor would free through its own freePixels.
    releaseBuffers();
}

HBITMAP WindowsBitmap::dib() const {
    const std::uint32_t* pixels = getPixels();
    for (const Section& section : sections_)
        if (section.bits == pixels) return section.handle;
    return nullptr;
}

std::uint32_t* WindowsBitmap::allocatePixels(int pixelWidth, int pixelHeight) {
    BITMAPINFO info{};
    info.bmiHeader = topDownDibHeader(pixelWidth, pixelHeight);
    void* bits = nullptr;
    HBITMAP handle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (handle == nullptr || bits == nullptr) {
        if (handle != nullptr) DeleteObject(handle);
        std::uint32_t* buffer = Bitmap::allocatePixels(pixelWidth, pixelHeight);
        sections_.push_back({buffer, nullptr});
        return buffer;
    }
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::fill(pixels, pixels + std::size_t(pixelWidth) * std::size_t(pixelHeight), kTransparentPixel);
    sections_.push_back({pixels, handle});
    return pixels;
}

void WindowsBitmap::freePixels(std::uint32_t* buffer) {
    auto it = std::find_if(sections_.begin(), sections_.end(),
                           [buffer](const Section& section) { return section.bits == buffer; });
    if (it == sections_.end()) return;
    if (it->handle != nullptr) {
        DeleteObject(it->handle);
    } else {
        Bitmap::freePixels(buffer);
    }
    sections_.erase(it);
}

void WindowsBitmap::copyTo(HDC dc, int x, int y) const {
    const int w = pixelWidth();
    const int h = pixelHeight();
    if (dc == nullptr || w <= 0 || h <= 0) return;
    if (HBITMAP handle = dib()) {
        GdiFlush();
        HDC memory = CreateCompatibleDC(dc);
        if (memory == nullptr) return;
        HGDIOBJ old = SelectObject(memory, handle);
        BitBlt(dc, x, y, w, h, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader = topDownDibHeader(w, h);
    SetDIBitsToDevice(dc, x, y, DWORD(w), DWORD(h), 0, 0, 0, UINT(h), getPixels(), &info, DIB_RGB_COLORS);
}

} // namespace gui
