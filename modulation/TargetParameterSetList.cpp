#include "modulation/TargetParameterSetList.h"

#include "modulation/ModMatrixParamController.h"

#include <algorithm>
#include <functional>
#include <vector>

void removeTargetParameterSet(AbstractParameterSetList& list, std::int32_t k,
                              ModulationMatrixOwner* matrixOwner, std::int32_t firstTarget,
                              std::int32_t targetsPerSet) {
    if (list.getNumActive() == static_cast<std::int32_t>(list.getNumActiveParameter().getMin())) return;
    if (k < 0 || k >= list.getNumActive()) return;
    if (matrixOwner == nullptr || matrixOwner->getParameterSet() == nullptr) {
        list.AbstractParameterSetList::removeSet(k);
        return;
    }
    ModMatrixParamController& controller = matrixOwner->getController();
    const ModulationMatrixLayout& layout = matrixOwner->getLayout();
    AbstractParameterSetList* slotList = matrixOwner->getSlotSetList();
    GenericParameterOwner* owner = list.getOwner();
    if (owner != nullptr) owner->beginUpdate();
    std::vector<std::int32_t> cleared;
    for (std::int32_t j = 0; j < targetsPerSet; ++j) {
        std::int32_t target = firstTarget + k * targetsPerSet + j;
        cleared.clear();
        controller.clearSlotsForTarget(target, &cleared);
        std::int32_t firstLevel = static_cast<std::int32_t>(layout.firstSlotTarget);
        bool isLevel = target >= firstLevel && target < firstLevel + layout.numSlots;
        std::sort(cleared.begin(), cleared.end(), std::greater<>());
        for (std::int32_t slot : cleared) {
            if (isLevel && slot < k) --k;
            if (slotList != nullptr && slotList != &list) slotList->removeSet(slot);
        }
    }
    list.AbstractParameterSetList::removeSet(k);
    std::int32_t laterStart = firstTarget + (k + 1) * targetsPerSet;
    std::int32_t end = firstTarget + list.getNumSets() * targetsPerSet;
    for (std::int32_t s = 0; s < controller.numSlots(); ++s) {
        std::int32_t target = controller.getTarget(s);
        if (target >= laterStart && target < end) controller.setTarget(s, target - targetsPerSet);
    }
    if (owner != nullptr) owner->endUpdate();
}
