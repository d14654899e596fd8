#include "gui/Component.h"

#include "gui/UserInterface.h"

#include <algorithm>

namespace gui {

Component::Component(UserInterface& userInterface) : userInterface_(userInterface) {
    userInterface_.registerComponent(this);
}

Component::~Component() {
    while (!links_.empty()) {
        Component* other = links_.back();
        links_.pop_back();
        auto& theirs = other->links_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->componentDeleted(this);
    }
    userInterface_.removePostedMessages(this);
    userInterface_.unregisterComponent(this);
}

void Component::propertyChanged(AbstractProperty&) {}

void Component::handleMessage(int) {}

void Component::componentDeleted(Component*) {}

void Component::link(Component* other) {
    if (other == nullptr || other == this) return;
    if (std::find(links_.begin(), links_.end(), other) == links_.end()) links_.push_back(other);
    if (std::find(other->links_.begin(), other->links_.end(), this) == other->links_.end())
        other->links_.push_back(this);
}

void Component::unlink(Component* other) {
    if (other == nullptr) return;
    links_.erase(std::remove(links_.begin(), links_.end(), other), links_.end());
    other->links_.erase(std::remove(other->links_.begin(), other->links_.end(), this), other->links_.end());
}

} // namespace gui
