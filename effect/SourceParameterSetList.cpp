#include "effect/SourceParameterSetList.h"

#include "modulation/ModMatrixParamController.h"
#include "modulation/TargetParameterSetList.h"

void removeSourceParameterSet(AbstractParameterSetList& list, std::int32_t k,
                              ModulationMatrixOwner* matrixOwner, const SourceSetNumbering& numbering) {
    if (list.getNumActive() == static_cast<std::int32_t>(list.getNumActiveParameter().getMin())) return;
    if (k < 0 || k >= list.getNumActive()) return;
    if (matrixOwner == nullptr || matrixOwner->getParameterSet() == nullptr) {
        list.AbstractParameterSetList::removeSet(k);
        return;
    }
    ModMatrixParamController& controller = matrixOwner->getController();
    GenericParameterOwner* owner = list.getOwner();
    if (owner != nullptr) owner->beginUpdate();
    controller.beginChange();

    const std::int32_t removedFirst = numbering.firstSource + numbering.sourcesPerSet * k;
    const std::int32_t removedEnd = removedFirst + numbering.sourcesPerSet;
    for (std::int32_t s = 0; s < controller.numSlots(); ++s) {
        const std::int32_t source = controller.getSource(s);
        if (source >= removedFirst && source < removedEnd) controller.setSource(s, -1);
    }

    if (numbering.targetsPerSet > 0)
        removeTargetParameterSet(list, k, matrixOwner, numbering.firstTarget, numbering.targetsPerSet);
    else
        list.AbstractParameterSetList::removeSet(k);

    const std::int32_t end = numbering.firstSource + numbering.sourcesPerSet * list.getNumSets();
    for (std::int32_t s = 0; s < controller.numSlots(); ++s) {
        const std::int32_t source = controller.getSource(s);
        if (source >= removedEnd && source < end) controller.setSource(s, source - numbering.sourcesPerSet);
    }

    controller.endChange();
    if (owner != nullptr) owner->endUpdate();
}
