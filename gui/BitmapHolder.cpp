#include "gui/BitmapHolder.h"

#include "gui/Bitmap.h"
#include "gui/UserInterface.h"

namespace gui {

BitmapHolder::BitmapHolder(UserInterface& userInterface) : userInterface_(userInterface) {}

BitmapHolder::~BitmapHolder() = default;

void BitmapHolder::setName(const std::string& name) {
    if (name == name_ && (owned_ != nullptr || name.empty())) return;
    name_ = name;
    owned_.reset();
}

Bitmap& BitmapHolder::bitmap() {
    if (name_.empty()) return userInterface_.backgroundBitmap();
    if (owned_ == nullptr) {
        auto bitmap = std::make_unique<Bitmap>(userInterface_.deviceBacking());
        bitmap->load(name_);
        owned_ = std::move(bitmap);
    }
    return *owned_;
}

} // namespace gui
