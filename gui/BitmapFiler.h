#pragma once

// Image-format decoders. A factory recognises a stream's content and makes
// a filer for it (it may read from the stream; the caller seeks back); the
// filer's read fills the bitmap or throws EBitmap.
//
// The factory list is explicit: formats are registered in a fixed order by
// registerBitmapFilerFactory (self-registering statics would be dropped by
// the linker from a static library when nothing refers to them). Register
// at start-up on one thread; reading the list is safe from any thread after.

#include <istream>
#include <vector>

namespace gui {

class Bitmap;

class BitmapFiler {
public:
    virtual ~BitmapFiler() = default;
    virtual void read(std::istream& stream) = 0;
};

class BitmapFilerFactory {
public:
    virtual ~BitmapFilerFactory() = default;
    // A new filer for the bitmap when the stream holds this format, else null.
    virtual BitmapFiler* createFiler(Bitmap& bitmap, std::istream& stream) = 0;
};

// The registered factories in registration order (not owned).
const std::vector<BitmapFilerFactory*>& bitmapFilerFactories();
// Appends a factory unless it is registered already.
void registerBitmapFilerFactory(BitmapFilerFactory* factory);
void unregisterBitmapFilerFactory(BitmapFilerFactory* factory);

} // namespace gui
