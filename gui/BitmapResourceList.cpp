#include "gui/BitmapResourceList.h"

#include "gui/Bitmap.h"
#include "gui/DeviceBacking.h"

#include <algorithm>

namespace gui {

BitmapResourceList::BitmapResourceList(DeviceBacking* backing) {
    if (backing == nullptr) {
        ownedBacking_ = std::make_unique<DeviceBacking>();
        backing = ownedBacking_.get();
    }
    backing_ = backing;
}

BitmapResourceList::~BitmapResourceList() {
    // Bitmaps first: they listen to the backing.
    bitmaps_.clear();
}

Bitmap* BitmapResourceList::add(Bitmap* bitmap) {
    if (bitmap != nullptr) bitmaps_.emplace_back(bitmap);
    return bitmap;
}

Bitmap* BitmapResourceList::create() {
    return add(new Bitmap(*backing_));
}

Bitmap* BitmapResourceList::load(std::string_view name) {
    auto bitmap = std::make_unique<Bitmap>(*backing_);
    bitmap->load(name);
    return add(bitmap.release());
}

void BitmapResourceList::remove(Bitmap* bitmap) {
    std::erase_if(bitmaps_, [bitmap](const std::unique_ptr<Bitmap>& b) { return b.get() == bitmap; });
}

} // namespace gui
