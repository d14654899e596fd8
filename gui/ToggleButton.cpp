#include "gui/ToggleButton.h"

#include <algorithm>

namespace gui {

ToggleButton::ToggleButton(UserInterface& userInterface, Style* style)
    : Button(userInterface, style), onValue(this, 1) {
    toggles.setValue(true);
    maximum.setValue(1);
    passedOpacity_ = opacity.getValue();
    syncFromValue();
}

ToggleButton::~ToggleButton() {
    // The control's own end stays silent; the group's gesture still ends.
    if (groupOwner_ != nullptr && inGesture() && groupOwner_->inGesture())
        groupOwner_->performGesture(kGestureEnd, 0);
}

void ToggleButton::propertyChanged(AbstractProperty& property) {
    Button::propertyChanged(property);
    if (&property == &on) {
        if (clicking_ && !syncing_) clicked();
    } else if (&property == &value || &property == &onValue || &property == &minimum) {
        syncFromValue();
    } else if (&property == &visible || &property == &opacity || &property == &helpText) {
        if (!group_.empty()) updateMembers();
    }
}

void ToggleButton::componentDeleted(Component* component) {
    if (component == groupOwner_) {
        groupOwner_ = nullptr;
    } else {
        auto it = std::find(group_.begin(), group_.end(), component);
        if (it != group_.end() && it != group_.begin()) *it = nullptr;
    }
    Button::componentDeleted(component);
}

void ToggleButton::syncFromValue() {
    if (groupOwner_ != nullptr) return; // a member shows what its group says
    if (!group_.empty()) {
        updateMembers();
        return;
    }
    const int v = value.getValue();
    const int lit = onValue.getValue();
    syncing_ = true;
    on.setValue(lit < 2 ? v == lit : v > 0);
    syncing_ = false;
}

void ToggleButton::updateMembers() {
    const long index = long(value.getValue()) - long(minimum.getValue());
    for (std::size_t i = 0; i < group_.size(); ++i) {
        ToggleButton* member = group_[i];
        if (member == nullptr) continue;
        const bool wasSyncing = member->syncing_;
        member->syncing_ = true;
        member->on.setValue(long(i) == index);
        member->syncing_ = wasSyncing;
        if (member == this) continue;
        member->visible.setValue(visible.getValue());
        member->helpText.setValue(helpText.getValue());
        if (member->opacity.getValue() == passedOpacity_) member->opacity.setValue(opacity.getValue());
    }
    passedOpacity_ = opacity.getValue();
}

void ToggleButton::changeTo(int target) {
    AliveGuard alive(this);
    resetStep_ = true;
    performGesture(kGestureChange,
                   int(std::clamp<long long>(static_cast<long long>(target) - gesturePosition(),
                                             -2147483647LL, 2147483647LL)));
    if (alive.alive()) resetStep_ = false;
}

void ToggleButton::clicked() {
    if (groupOwner_ != nullptr) {
        groupOwner_->select(this);
        return;
    }
    if (!group_.empty()) {
        select(this);
        return;
    }
    const int lit = onValue.getValue();
    const int target = on.getValue() ? lit : (lit < 2 ? 1 - lit : 0);
    AliveGuard alive(this);
    changeTo(target);
    // A change the range refused leaves `on` as the value says.
    if (alive.alive()) syncFromValue();
}

void ToggleButton::select(ToggleButton* member) {
    auto it = std::find(group_.begin(), group_.end(), member);
    if (it == group_.end()) return;
    const long long target = static_cast<long long>(minimum.getValue()) + (it - group_.begin());
    AliveGuard alive(this);
    changeTo(int(std::min<long long>(target, 2147483647LL)));
    if (alive.alive()) updateMembers();
}

void ToggleButton::addGroupMember(ToggleButton* member) {
    if (member == nullptr || member == this) return;
    if (std::find(group_.begin(), group_.end(), member) != group_.end()) return;
    if (group_.empty()) {
        group_.push_back(this);
        syncing_ = true;
        on.setValue(true);
        syncing_ = false;
    }
    group_.push_back(member);
    member->toggles.setValue(true);
    member->groupOwner_ = this;
    link(member);
    updateMembers();
    maximum.setValue(int(group_.size()) - 1);
}

void ToggleButton::mouseDown(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    clicking_ = true;
    Button::mouseDown(button, point, modifiers);
    if (alive.alive()) clicking_ = false;
}

void ToggleButton::mouseUp(int button, const Point& point, int modifiers) {
    AliveGuard alive(this);
    clicking_ = true;
    Button::mouseUp(button, point, modifiers);
    if (alive.alive()) clicking_ = false;
}

int ToggleButton::stepGesture(int phase, int channel, int delta, int flags) {
    AliveGuard alive(this);
    const int result = Button::stepGesture(phase, channel, delta, flags);
    if (!alive.alive() || phase == kGestureChange || groupOwner_ == nullptr) return result;
    // A member's gesture begins and ends its group's.
    if (phase == kGestureBegin && !groupOwner_->inGesture())
        groupOwner_->performGesture(kGestureBegin, 0);
    else if (phase != kGestureBegin && groupOwner_->inGesture())
        groupOwner_->performGesture(kGestureEnd, 0);
    return result;
}

} // namespace gui
