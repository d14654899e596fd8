#pragma once

// What the plug-in model and the processor add to hold a modulation matrix:
// the layout (owned), the engine (set by the processor once it built it,
// null on the model side; the slot parameters write through it), the slot
// parameters (they register themselves here) and the slot controller over
// them (built and kept by the model or the processor once the product
// declared the slot parameters, ModMatrixParamController::createFor; null
// before, and for an owner without slot parameters).
//
// Threading: the owner's thread (main or GUI for the model, construction
// for the processor).

#include "modulation/ModulationMatrixLayout.h"

#include <cassert>

class AbstractParameterSetList;
class ModMatrixParamController;
class ModulationMatrix;
class ModulationMatrixParameterSet;

class ModulationMatrixOwner {
public:
    ModulationMatrixOwner();
    virtual ~ModulationMatrixOwner();
    ModulationMatrixOwner(const ModulationMatrixOwner&) = delete;
    ModulationMatrixOwner& operator=(const ModulationMatrixOwner&) = delete;

    ModulationMatrix* getModulationMatrix() const { return matrix_; }
    void setModulationMatrix(ModulationMatrix* matrix) { matrix_ = matrix; }
    ModulationMatrixLayout& getLayout() { return layout_; }
    const ModulationMatrixLayout& getLayout() const { return layout_; }

    // The slot controller over the slot parameters (once it was built).
    ModMatrixParamController& getController() {
        assert(controller_ != nullptr && "the slot controller is built after the slot parameters");
        return *controller_;
    }
    // Not owned; it outlives its use here.
    void setController(ModMatrixParamController* controller) { controller_ = controller; }
    void registerParameterSet(ModulationMatrixParameterSet* set) { parameterSet_ = set; }
    ModulationMatrixParameterSet* getParameterSet() const { return parameterSet_; }
    // A slot list whose active count grows (optional, not owned).
    void setSlotSetList(AbstractParameterSetList* list) { slotSetList_ = list; }
    AbstractParameterSetList* getSlotSetList() const { return slotSetList_; }

private:
    ModulationMatrix* matrix_ = nullptr;
    ModulationMatrixLayout layout_;
    ModMatrixParamController* controller_ = nullptr;
    ModulationMatrixParameterSet* parameterSet_ = nullptr;
    AbstractParameterSetList* slotSetList_ = nullptr;
};
