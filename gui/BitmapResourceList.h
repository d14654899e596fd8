#pragma once

// The bitmaps a user interface owns, made on one device backing. Given no
// backing, the list makes its own and deletes it with itself. Its destructor
// deletes every bitmap.
//
// Threading: GUI thread only.

#include <memory>
#include <string_view>
#include <vector>

namespace gui {

class Bitmap;
class DeviceBacking;

class BitmapResourceList {
public:
    explicit BitmapResourceList(DeviceBacking* backing = nullptr);
    ~BitmapResourceList();
    BitmapResourceList(const BitmapResourceList&) = delete;
    BitmapResourceList& operator=(const BitmapResourceList&) = delete;

    DeviceBacking& backing() { return *backing_; }
    bool ownsBacking() const { return ownedBacking_ != nullptr; }

    // Takes ownership; returns the bitmap.
    Bitmap* add(Bitmap* bitmap);
    // A new empty bitmap on the backing, owned by the list.
    Bitmap* create();
    // A new bitmap loaded from the named resource (load's errors propagate,
    // and nothing is kept then).
    Bitmap* load(std::string_view name);
    // Deletes the bitmap when the list holds it.
    void remove(Bitmap* bitmap);
    std::size_t size() const { return bitmaps_.size(); }

private:
    std::unique_ptr<DeviceBacking> ownedBacking_;
    DeviceBacking* backing_;
    std::vector<std::unique_ptr<Bitmap>> bitmaps_;
};

} // namespace gui
