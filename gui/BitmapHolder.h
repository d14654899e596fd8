#pragma once

// Holds the bitmap a root (or a control of it) draws: either its own,
// loaded lazily by resource name on the user interface's backing, or, after
// an empty name, the user interface's background bitmap. An owned bitmap is
// deleted when replaced.
//
// Threading: GUI thread only.

#include <memory>
#include <string>

namespace gui {

class Bitmap;
class UserInterface;

class BitmapHolder {
public:
    explicit BitmapHolder(UserInterface& userInterface);
    ~BitmapHolder();
    BitmapHolder(const BitmapHolder&) = delete;
    BitmapHolder& operator=(const BitmapHolder&) = delete;

    // An empty name means the user interface's background bitmap.
    void setName(const std::string& name);
    const std::string& name() const { return name_; }
    // Loads on first use; load errors propagate.
    Bitmap& bitmap();

private:
    UserInterface& userInterface_;
    std::string name_;
    std::unique_ptr<Bitmap> owned_;
};

} // namespace gui
