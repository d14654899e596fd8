#include "gui/PNGFiler.h"

#include "gui/Bitmap.h"
#include "gui/EBitmap.h"
#include "gui/PngDecoder.h"

#include <algorithm>

namespace gui {

void PNGFiler::read(std::istream& stream) {
    PngDecoder decoder(stream);
    const PngDecoder::Header& header = decoder.readHeader();
    bitmap_.resize(header.width, header.height);
    std::uint32_t* pixels = bitmap_.getPixels();
    if (pixels == nullptr || bitmap_.pixelWidth() != header.width || bitmap_.pixelHeight() != header.height)
        throw EBitmap("Unsupported PNG format");
    // An unchanged size keeps the old buffer: start it transparent like a new one.
    std::fill(pixels, pixels + std::size_t(header.width) * std::size_t(header.height),
              Bitmap::kTransparentPixel);
    try {
        bitmap_.transparent.setValue(decoder.decode(pixels));
    } catch (...) {
        bitmap_.transparent.setValue(true);
        throw;
    }
}

void PNGFiler::setGammaFactor(float factor) {
    PngDecoder::setGammaFactor(factor);
}

BitmapFiler* PNGFilerFactory::createFiler(Bitmap& bitmap, std::istream& stream) {
    return PngDecoder::hasSignature(stream) ? new PNGFiler(bitmap) : nullptr;
}

void registerPngFilerFactory() {
    static PNGFilerFactory factory;
    static const bool registered = (registerBitmapFilerFactory(&factory), true);
    (void)registered;
}

} // namespace gui
