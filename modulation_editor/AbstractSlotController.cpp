#include "modulation_editor/AbstractSlotController.h"

#include "gui/Control.h"
#include "modulation/ModulationMatrixController.h"
#include "plugin/PluginParameterSet.h"

#include <algorithm>
#include <cmath>
#include <functional>

AbstractSlotController::AbstractSlotController(ModulationMatrixPluginInterface& interface)
    : interface_(interface) {
    excludedFirst_ = static_cast<int32_t>(interface.firstSlotTarget());
    if (const AbstractParameterSetList* list = interface.slotList()) excludedCount_ = list->getNumSets();
    slotStates_.assign(static_cast<size_t>(std::max(0, interface.matrixController().numSlots())), kNotListed);
    interface.addTargetListener(this);
}

AbstractSlotController::~AbstractSlotController() {
    interface_.removeTargetListener(this);
    while (!subscribed_.empty())
        unsubscribe(subscribed_.back(), true);
}

void AbstractSlotController::subscribe(gui::Control* control) {
    if (control == nullptr || std::find(subscribed_.begin(), subscribed_.end(), control) != subscribed_.end())
        return;
    control->pressEvent.addHandler(NotifyEvent::bind(this, &AbstractSlotController::controlPressed));
    subscribed_.push_back(control);
}

void AbstractSlotController::unsubscribe(gui::Control* control, bool touchControl) {
    auto it = std::find(subscribed_.begin(), subscribed_.end(), control);
    if (it == subscribed_.end()) return;
    subscribed_.erase(it);
    if (touchControl) control->pressEvent.removeHandler(this, &AbstractSlotController::controlPressed);
}

void AbstractSlotController::targetChanged(AbstractPluginParameter*, gui::Control* control, uint32_t,
                                           int32_t change) {
    switch (change) {
    case kBound:
        subscribe(control);
        break;
    case kReplaced:
        unsubscribe(control, true);
        break;
    case kUnbound:
        unsubscribe(control, !interface_.isTargetControlDying());
        break;
    default: // moved: the control keeps its one subscription
        break;
    }
}

void AbstractSlotController::controlPressed(void* sender) {
    selectTarget(static_cast<gui::Control*>(sender));
}

void AbstractSlotController::selectTarget(gui::Control* control) {
    const uint32_t target = interface_.getTargetIndex(control);
    if (target == ModulationMatrixPluginInterface::kNoTarget) return;
    const auto t = static_cast<int32_t>(target);
    if (t >= excludedFirst_ && t < excludedFirst_ + excludedCount_) return;
    if (targetCount_ == 1 && targetFirst_ == t) {
        clearFilter();
        return;
    }
    setTargetFilter(interface_.unionBounds(control, nullptr), t, 1);
}

void AbstractSlotController::removeSlot(int32_t slot) {
    AbstractParameterSetList* list = interface_.slotList();
    if (list == nullptr || slot < 0 || slot >= interface_.slotsInUse()) return;
    // The slot and every slot that modulates a removed one go, highest
    // first, so each removal retargets the later levels.
    ModulationMatrixController& controller = interface_.matrixController();
    std::vector<int32_t> removed;
    controller.beginChange();
    controller.clearSlot(slot, &removed);
    removed.push_back(slot);
    std::sort(removed.begin(), removed.end(), std::greater<>());
    removed.erase(std::unique(removed.begin(), removed.end()), removed.end());
    for (int32_t s : removed)
        list->removeSet(s);
    controller.endChange();
    refreshSlots(-1);
    interface_.refreshControls(-1);
    interface_.storeUndoStep(-1);
}

void AbstractSlotController::clearFilter() {
    if (!hasFilter()) return;
    sourceFirst_ = -1;
    sourceCount_ = 0;
    targetFirst_ = -1;
    targetCount_ = 0;
    highlight_ = {};
    refreshSlots(-1);
    listChanged(true);
    passFilterOn();
}

void AbstractSlotController::setSourceFilter(int32_t first, int32_t count) {
    if (first == sourceFirst_ && count == sourceCount_) return;
    sourceFirst_ = first;
    sourceCount_ = count;
    targetFirst_ = -1;
    targetCount_ = 0;
    highlight_ = {};
    refreshSlots(-1);
    listChanged(true);
    passFilterOn();
}

void AbstractSlotController::setTargetFilter(const gui::Rect& rect, int32_t first, int32_t count) {
    if (first == targetFirst_ && count == targetCount_) {
        const bool moved = std::fabs(rect.left - highlight_.left) > 0.001f ||
                           std::fabs(rect.top - highlight_.top) > 0.001f ||
                           std::fabs(rect.right - highlight_.right) > 0.001f ||
                           std::fabs(rect.bottom - highlight_.bottom) > 0.001f;
        if (moved) {
            highlight_ = rect;
            listChanged(false);
        }
        return;
    }
    highlight_ = rect;
    targetFirst_ = first;
    targetCount_ = count;
    sourceFirst_ = -1;
    sourceCount_ = 0;
    refreshSlots(-1);
    listChanged(true);
    passFilterOn();
}

void AbstractSlotController::passFilterOn() {
    AbstractSlotController* previous = this;
    for (AbstractSlotController* next = chained_; next != nullptr && next != this; next = next->chained_) {
        if (next->sourceFirst_ == previous->sourceFirst_ && next->sourceCount_ == previous->sourceCount_ &&
            next->targetFirst_ == previous->targetFirst_ && next->targetCount_ == previous->targetCount_)
            break;
        next->sourceFirst_ = previous->sourceFirst_;
        next->sourceCount_ = previous->sourceCount_;
        next->targetFirst_ = previous->targetFirst_;
        next->targetCount_ = previous->targetCount_;
        next->highlight_ = previous->highlight_;
        next->refreshSlots(-1);
        previous = next;
    }
}

void AbstractSlotController::addListener(Listener* listener) {
    if (listener != nullptr && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void AbstractSlotController::removeListener(Listener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

uint32_t AbstractSlotController::slotOfParameter(int32_t parameterIndex) const {
    const int32_t first = interface_.slotGroupFirstParameter();
    if (first < 0 || parameterIndex <= first) return ModulationMatrixPluginInterface::kNoIndex;
    const int32_t slot = (parameterIndex - first - 1) / 5;
    return slot < interface_.slotsInUse() ? static_cast<uint32_t>(slot)
                                          : ModulationMatrixPluginInterface::kNoIndex;
}

void AbstractSlotController::refreshSlots(int32_t parameterIndex) {
    const int32_t count = interface_.slotsInUse();
    uint32_t changed = ModulationMatrixPluginInterface::kNoIndex;
    if (parameterIndex != -1) {
        const int32_t first = interface_.slotGroupFirstParameter();
        if (first < 0 || parameterIndex < first || parameterIndex > first + 5 * count) return;
        changed = slotOfParameter(parameterIndex);
    }
    rebuildList(count, changed);
    // A listener may remove itself (or another) while it is told.
    const std::vector<Listener*> listeners = listeners_;
    for (Listener* listener : listeners)
        if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end())
            listener->slotsRefreshed(count);
}

bool AbstractSlotController::matchesFilter(int32_t slot) const {
    ModulationMatrixController& controller = interface_.matrixController();
    if (sourceCount_ != 0) {
        const int32_t source = controller.getSource(slot);
        return source >= 0 && source >= sourceFirst_ && source < sourceFirst_ + sourceCount_;
    }
    if (targetCount_ != 0) {
        const int32_t target = controller.getTarget(slot);
        return target >= 0 && target >= targetFirst_ && target < targetFirst_ + targetCount_;
    }
    return false;
}

int32_t AbstractSlotController::slotState(int32_t slot) const {
    return slot >= 0 && static_cast<size_t>(slot) < slotStates_.size()
               ? slotStates_[static_cast<size_t>(slot)]
               : kNotListed;
}
