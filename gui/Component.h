#pragma once

// The base of everything that belongs to a user interface and may receive
// posted messages. A component registers with its user interface for its
// whole life. Components can be linked to each other: when one of a linked
// pair is destroyed, the other is told through componentDeleted, so neither
// keeps a dangling pointer.
//
// Threading: GUI thread only.

#include "foundation/Property.h"
#include "gui/MessageTarget.h"

#include <vector>

namespace gui {

class UserInterface;

class Component : public PropertyOwner, public MessageTarget {
public:
    explicit Component(UserInterface& userInterface);
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    void propertyChanged(AbstractProperty& property) override;
    ~Component() override;
    // A message posted to this component through the user interface.
    void handleMessage(int code) override;
    // A linked component is being destroyed.
    virtual void componentDeleted(Component* component);

    // Links both ways (once).
    void link(Component* other);
    void unlink(Component* other);
    const std::vector<Component*>& links() const { return links_; }

    UserInterface& userInterface() const { return userInterface_; }

private:
    std::vector<Component*> links_;
    UserInterface& userInterface_;
};

} // namespace gui
