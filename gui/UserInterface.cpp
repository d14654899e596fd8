#include "gui/UserInterface.h"

#include "gui/PNGFiler.h"

#include <algorithm>

namespace gui {

UserInterface::UserInterface() {
    // The image formats its bitmaps read.
    registerPngFilerFactory();
}

UserInterface::~UserInterface() = default;

void UserInterface::setHelpHint(const std::string&) {}

void UserInterface::setTouchHoldTimer(bool) {}

void UserInterface::removePostedMessages(Component*) {}

void UserInterface::registerComponent(Component* component) {
    components_.push_back(component);
}

void UserInterface::unregisterComponent(Component* component) {
    if (destroying_) {
        std::replace(components_.begin(), components_.end(), component, static_cast<Component*>(nullptr));
        return;
    }
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
}

} // namespace gui
