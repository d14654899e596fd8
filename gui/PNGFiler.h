#pragma once

// The PNG filer: reads 8-bit truecolour PNG images (with or without alpha,
// not interlaced) into a bitmap through gui/PngDecoder.h. The factory
// recognises the signature; registerPngFilerFactory adds its one instance to
// the filer list (once, however often it is called).
//
// A failed read throws EBitmap and leaves the bitmap at the image's size
// with the rows decoded so far; the rest is transparent.

#include "gui/BitmapFiler.h"

namespace gui {

class Bitmap;

class PNGFiler : public BitmapFiler {
public:
    explicit PNGFiler(Bitmap& bitmap) : bitmap_(bitmap) {}
    void read(std::istream& stream) override;

    // The factor every image's gamma exponent is multiplied by (1.0 at start).
    static void setGammaFactor(float factor);

private:
    Bitmap& bitmap_;
};

class PNGFilerFactory : public BitmapFilerFactory {
public:
    // Reads 8 bytes: a filer when they are the PNG signature.
    BitmapFiler* createFiler(Bitmap& bitmap, std::istream& stream) override;
};

void registerPngFilerFactory();

} // namespace gui
