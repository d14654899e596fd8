#include "modulation/ModulationMatrixOwner.h"

#include "modulation/ModMatrixParamController.h"
#include "modulation/ModulationMatrixParameterSet.h"

ModulationMatrixOwner::ModulationMatrixOwner() = default;

ModulationMatrixOwner::~ModulationMatrixOwner() = default;

ModMatrixParamController& ModulationMatrixOwner::getController() {
    if (!controller_) {
        controller_ = std::make_unique<ModMatrixParamController>(layout_, *parameterSet_, slotSetList_);
        if (ModulationSlotParameterSet* slot0 = parameterSet_->getSlotSet(0))
            controller_->neutralLevel.setValue(slot0->level.normalizedToInternal(0.5f));
    }
    return *controller_;
}
