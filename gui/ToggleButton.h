#pragma once

// An on/off button tied to the value model, or the first of a group of
// buttons of which exactly one is lit.
//
// Alone: a click sets the value to onValue (on) or back (off); the value,
// from wherever it comes, sets `on`. Only the button's own press and release
// turn `on` into a value change, so a value set from outside is never
// echoed back as another.
//
// A group: the button is member 0 and the group's value is min + the index
// of the lit member. A member's click selects it; its gesture begins and ends
// the group's. Members take the group button's visibility, help text and
// (while they have not been given their own) opacity. The group button and
// its members are linked: a member that dies leaves an empty place (the
// other members keep their values), and members of a dead group are free.
//
// Threading: GUI thread only.

#include "gui/Button.h"

#include <vector>

namespace gui {

class ToggleButton : public Button {
public:
    ToggleButton(UserInterface& userInterface, Style* style);
    ~ToggleButton() override;

    Property<int> onValue;

    // The first call makes this button member 0 and turns it on.
    void addGroupMember(ToggleButton* member);
    // Members in index order (a dead member's place is null).
    const std::vector<ToggleButton*>& group() const { return group_; }
    ToggleButton* groupOwner() const { return groupOwner_; }

    void propertyChanged(AbstractProperty& property) override;
    void componentDeleted(Component* component) override;
    void mouseDown(int button, const Point& point, int modifiers) override;
    void mouseUp(int button, const Point& point, int modifiers) override;
    int stepGesture(int phase, int channel, int delta, int flags) override;
    bool isPushButton() const override { return false; }

protected:
    // `on` from the value (alone) or every member's state (a group).
    void syncFromValue();

private:
    void updateMembers();
    // A click turned `on`: the value follows.
    void clicked();
    // One change step, as a reset, to the value.
    void changeTo(int target);
    void select(ToggleButton* member);

    int passedOpacity_;
    std::vector<ToggleButton*> group_;
    ToggleButton* groupOwner_ = nullptr;
    bool clicking_ = false; // inside the button's own press or release handling
    bool syncing_ = false;  // `on` is being set from the value
};

} // namespace gui
