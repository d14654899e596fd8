#include "modulation/ModulationSlotParameterSetList.h"

#include "modulation/ModMatrixParamController.h"
#include "modulation/ModulationMatrixOwner.h"

#include <algorithm>
#include <functional>
#include <memory>

ModulationSlotParameterSetList::ModulationSlotParameterSetList(GenericParameterOwner* parent,
                                                               ModulationMatrixOwner* matrixOwner,
                                                               const std::string& name,
                                                               const std::vector<std::string>& sourceNames,
                                                               const std::vector<std::string>& targetNames)
    : ModulationMatrixParameterSet(parent, matrixOwner, sourceNames, targetNames, SlotSets::kAdopt),
      TargetParameterSetList<ModulationSlotParameterSet>(
          parent, name, matrixOwner != nullptr ? matrixOwner->getLayout().numSlots : 0,
          [this, parent, matrixOwner](std::int32_t i) {
              return std::make_unique<ModulationSlotParameterSet>(
                  parent, i, static_cast<std::int32_t>(getFirstSlotTarget()) + i, matrixOwner,
                  &getSourceNames(), &getTargetNames());
          },
          matrixOwner,
          matrixOwner != nullptr ? static_cast<std::int32_t>(matrixOwner->getLayout().firstSlotTarget) : 0,
          1) {
    for (std::int32_t i = 0; i < TargetParameterSetList::getNumSets(); ++i)
        adoptSlotSet(TargetParameterSetList::getSet(i));
    if (matrixOwner != nullptr) matrixOwner->setSlotSetList(this);
}

void ModulationSlotParameterSetList::removeSlotsForSource(std::int32_t source) {
    ModulationMatrixOwner* owner = getMatrixOwner();
    if (owner == nullptr) return;
    ModMatrixParamController& c = owner->getController();
    if (!c.isSource(source)) return;
    std::vector<std::int32_t> cleared, found;
    c.beginChange();
    c.findSlotsBySource(source, found);
    for (std::int32_t s : found)
        c.clearSlot(s, &cleared);
    for (std::int32_t target : owner->getLayout().sources[static_cast<std::size_t>(source)].targets)
        c.clearSlotsForTarget(target, &cleared);
    std::sort(cleared.begin(), cleared.end(), std::greater<>());
    cleared.erase(std::unique(cleared.begin(), cleared.end()), cleared.end());
    for (std::int32_t s : cleared)
        removeSet(s);
    c.endChange();
}
