#include "modulation_editor/ModulationMatrixPluginInterface.h"

#include "editor/ComponentPresetHandler.h"
#include "foundation/ErrorResult.h"
#include "gui/ValueControl.h"
#include "modulation/ModMatrixParamController.h"
#include "modulation/ModulationMatrixParameterSet.h"
#include "modulation/ModulationMatrixPlugin.h"
#include "modulation/ModulationSlotParameterSet.h"
#include "plugin/PluginParameter.h"
#include "plugin/PluginParameterSet.h"

#include <algorithm>
#include <cmath>

// The drag manager already watches every control entered in it; a target
// control that dies also leaves the target table.
class ModulationMatrixPluginInterface::DragManagerWithWatch : public gui::DragManager {
public:
    DragManagerWithWatch(gui::UserInterface& userInterface, ModulationMatrixPluginInterface& owner)
        : DragManager(userInterface, &owner), owner_(owner) {}

    void componentDeleted(gui::Component* component) override {
        DragManager::componentDeleted(component);
        owner_.targetControlDied(component);
    }

private:
    ModulationMatrixPluginInterface& owner_;
};

ModulationMatrixPluginInterface::ModulationMatrixPluginInterface(gui::UserInterface& userInterface,
                                                                 ModulationMatrixPlugin& plugin,
                                                                 uint32_t featureFlags)
    : ZentorPluginInterface(userInterface, plugin, featureFlags), modulationPlugin_(plugin),
      dragManager_(std::make_unique<DragManagerWithWatch>(userInterface, *this)) {
    dragManager_->flag = false;
    targetTable_.resize(static_cast<size_t>(std::max(0, plugin.getNumParameters())));
    sourceRanges_.resize(static_cast<size_t>(std::max(0, numSources())));
    targetRanges_.resize(static_cast<size_t>(std::max(0, numTargets())));
    if (const AbstractParameterSetList* list = slotList()) {
        const int32_t members = list->getNumSets();
        const uint32_t first = firstSlotTarget();
        for (int32_t k = 0; k < members; ++k) {
            const uint32_t target = first + static_cast<uint32_t>(k);
            if (target < targetRanges_.size()) targetRanges_[target] = {k, list};
        }
    }
}

ModulationMatrixPluginInterface::~ModulationMatrixPluginInterface() {
    releaseDragManager();
}

void ModulationMatrixPluginInterface::releaseDragManager() {
    if (!dragManager_) return;
    // The tree owns every registered control: closing deletes them (each
    // death leaves the drag manager and the table); what is still entered
    // (a control outside the tree) is only forgotten.
    prepareForClosing();
    while (!dragManager_->entries().empty())
        dragManager_->remove(dragManager_->entries().back().control);
    dragManager_.reset();
    targetListeners_.clear();
}

void ModulationMatrixPluginInterface::targetControlDied(gui::Component* control) {
    for (size_t i = 0; i < targetTable_.size(); ++i) {
        TargetEntry& entry = targetTable_[i];
        if (static_cast<gui::Component*>(entry.control) != control) continue;
        gui::Control* dying = entry.control;
        const uint32_t target = entry.targetIndex;
        entry.control = nullptr;
        controlDying_ = true;
        notifyTargetListeners(parameterAt(static_cast<int32_t>(i)), dying, target, TargetListener::kUnbound);
        controlDying_ = false;
    }
    targetPairs_.erase(std::remove_if(targetPairs_.begin(), targetPairs_.end(),
                                      [control](const std::pair<gui::Control*, uint32_t>& p) {
                                          return static_cast<gui::Component*>(p.first) == control;
                                      }),
                       targetPairs_.end());
}

void ModulationMatrixPluginInterface::unlinkControl(AbstractPluginParameter* parameter,
                                                    gui::ValueControl* control) {
    if (parameter != nullptr) {
        const int32_t index = parameter->getIndex();
        if (index >= 0 && static_cast<size_t>(index) < targetTable_.size()) {
            TargetEntry& entry = targetTable_[static_cast<size_t>(index)];
            if (entry.control != nullptr && entry.control == control) {
                if (dragManager_) dragManager_->remove(control);
                entry.control = nullptr;
                notifyTargetListeners(parameter, control, entry.targetIndex, TargetListener::kUnbound);
            }
        }
    }
    ZentorPluginInterface::unlinkControl(parameter, control);
}

void ModulationMatrixPluginInterface::linkControl(AbstractPluginParameter* parameter,
                                                  gui::ValueControl* control, uint32_t targetIndex) {
    const int32_t index = parameter != nullptr ? parameter->getIndex() : -1;
    if (index < 0 || static_cast<size_t>(index) >= targetTable_.size()) {
        ControlChangeManager::linkControl(parameter, control);
        return;
    }
    TargetEntry* entry = &targetTable_[static_cast<size_t>(index)];
    if (entry->control != nullptr) {
        gui::Control* old = entry->control;
        const uint32_t oldTarget = entry->targetIndex;
        if (dragManager_) dragManager_->remove(old);
        entry->control = nullptr;
        notifyTargetListeners(parameter, old, oldTarget, TargetListener::kReplaced);
        entry = &targetTable_[static_cast<size_t>(index)];
    }
    if (control == nullptr || targetIndex == kNoTarget || !dragManager_) {
        ControlChangeManager::linkControl(parameter, control);
        return;
    }
    const int32_t former = control->controlId.getValue();
    if (former >= 0 && static_cast<size_t>(former) < targetTable_.size() &&
        targetTable_[static_cast<size_t>(former)].control == control) {
        targetTable_[static_cast<size_t>(former)].control = nullptr;
        *entry = {control, targetIndex};
        ControlChangeManager::linkControl(parameter, control);
        notifyTargetListeners(parameterAt(former), control, targetIndex, TargetListener::kMoved);
        return;
    }
    dragManager_->add(control, 0, 0);
    *entry = {control, targetIndex};
    ControlChangeManager::linkControl(parameter, control);
    notifyTargetListeners(parameter, control, targetIndex, TargetListener::kBound);
}

bool ModulationMatrixPluginInterface::canAddToSourceRange(uint32_t index) {
    if (index >= sourceRanges_.size()) return false;
    const RangeEntry& entry = sourceRanges_[index];
    return entry.group == nullptr || entry.position < entry.group->getNumActive();
}

bool ModulationMatrixPluginInterface::canAddToTargetRange(uint32_t index) {
    if (index >= targetRanges_.size()) return false;
    const RangeEntry& entry = targetRanges_[index];
    return entry.group == nullptr || entry.position < entry.group->getNumActive();
}

void ModulationMatrixPluginInterface::loadDefaultComponentPresetFor(uint32_t kind, int32_t index) {
    if (kind == kNoIndex) return;
    if (ComponentPresetHandler* handler = getComponentPresetHandler(static_cast<int32_t>(kind), index)) {
        ErrorResult result;
        handler->loadDefaultComponentPreset(result);
    }
}

uint32_t ModulationMatrixPluginInterface::getTargetIndex(const gui::Control* control) const {
    if (control == nullptr) return kNoTarget;
    if (const auto* value = dynamic_cast<const gui::ValueControl*>(control)) {
        const int32_t index = value->controlId.getValue();
        if (index < 0 || static_cast<size_t>(index) >= targetTable_.size()) return kNoTarget;
        const TargetEntry& entry = targetTable_[static_cast<size_t>(index)];
        return entry.control == control ? entry.targetIndex : kNoTarget;
    }
    for (const auto& [pairControl, target] : targetPairs_)
        if (pairControl == control) return target;
    return kNoTarget;
}

void ModulationMatrixPluginInterface::addTargetPair(gui::Control* control, uint32_t targetIndex) {
    if (control != nullptr) targetPairs_.emplace_back(control, targetIndex);
}

void ModulationMatrixPluginInterface::notifyTargetListeners(AbstractPluginParameter* parameter,
                                                            gui::Control* control, uint32_t targetIndex,
                                                            int32_t change) {
    // A listener may remove itself (or another) while it is told.
    const std::vector<TargetListener*> listeners = targetListeners_;
    for (TargetListener* listener : listeners)
        if (std::find(targetListeners_.begin(), targetListeners_.end(), listener) != targetListeners_.end())
            listener->targetChanged(parameter, control, targetIndex, change);
}

void ModulationMatrixPluginInterface::addTargetListener(TargetListener* listener) {
    if (listener != nullptr &&
        std::find(targetListeners_.begin(), targetListeners_.end(), listener) == targetListeners_.end())
        targetListeners_.push_back(listener);
}

void ModulationMatrixPluginInterface::removeTargetListener(TargetListener* listener) {
    targetListeners_.erase(std::remove(targetListeners_.begin(), targetListeners_.end(), listener),
                           targetListeners_.end());
}

const ModulationMatrixPluginInterface::TargetEntry&
ModulationMatrixPluginInterface::targetEntry(int32_t parameterIndex) const {
    static const TargetEntry kNone;
    if (parameterIndex < 0 || static_cast<size_t>(parameterIndex) >= targetTable_.size()) return kNone;
    return targetTable_[static_cast<size_t>(parameterIndex)];
}

gui::Control* ModulationMatrixPluginInterface::targetControl(uint32_t targetIndex) const {
    for (const TargetEntry& entry : targetTable_)
        if (entry.control != nullptr && entry.targetIndex == targetIndex) return entry.control;
    return nullptr;
}

ModulationMatrixPluginInterface::RangeEntry& ModulationMatrixPluginInterface::sourceRange(uint32_t index) {
    static RangeEntry none;
    none = {};
    return index < sourceRanges_.size() ? sourceRanges_[index] : none;
}

ModulationMatrixPluginInterface::RangeEntry& ModulationMatrixPluginInterface::targetRange(uint32_t index) {
    static RangeEntry none;
    none = {};
    return index < targetRanges_.size() ? targetRanges_[index] : none;
}

ModulationMatrixController& ModulationMatrixPluginInterface::matrixController() const {
    return modulationPlugin_.getController();
}

AbstractParameterSetList* ModulationMatrixPluginInterface::slotList() const {
    return modulationPlugin_.getSlotSetList();
}

int32_t ModulationMatrixPluginInterface::slotGroupFirstParameter() const {
    const AbstractParameterSetList* list = slotList();
    return list != nullptr ? list->firstParameterIndex() : -1;
}

int32_t ModulationMatrixPluginInterface::slotsInUse() const {
    const AbstractParameterSetList* list = slotList();
    return list != nullptr ? list->getNumActive() : 0;
}

int32_t ModulationMatrixPluginInterface::slotCapacity() const {
    AbstractParameterSetList* list = slotList();
    if (list == nullptr) return 0;
    const float countMax = list->getNumActiveParameter().getMax();
    const int32_t byCount = std::isfinite(countMax) ? static_cast<int32_t>(std::max(0.0f, countMax)) : 0;
    return std::min({byCount, modulationPlugin_.getLayout().numSlots, list->getNumSets()});
}

ModulationSlotParameterSet* ModulationMatrixPluginInterface::slotSet(int32_t slot) const {
    const ModulationMatrixParameterSet* parameters = modulationPlugin_.getParameterSet();
    return parameters != nullptr ? parameters->getSlotSet(slot) : nullptr;
}

uint32_t ModulationMatrixPluginInterface::firstSlotTarget() const {
    return modulationPlugin_.getLayout().firstSlotTarget;
}

int32_t ModulationMatrixPluginInterface::numTargets() const {
    return modulationPlugin_.getLayout().numTargets;
}

int32_t ModulationMatrixPluginInterface::numSources() const {
    return modulationPlugin_.getLayout().numSources();
}

gui::DragManager& ModulationMatrixPluginInterface::dragManager() const {
    return *dragManager_;
}
