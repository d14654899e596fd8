#pragma once

// What the plug-in model and the processor add to hold a modulation matrix:
// the layout (owned), the engine (set by the processor once it built it,
// null on the model side; the slot parameters write through it), the slot
// parameters (they register themselves here) and the slot controller over
// them, made on the first request.
//
// Threading: the owner's thread (main or GUI for the model, construction
// for the processor).

#include "modulation/ModulationMatrixLayout.h"

#include <memory>

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

    // The slot controller over the slot parameters (needs the parameter set).
    ModMatrixParamController& getController();
    void registerParameterSet(ModulationMatrixParameterSet* set) { parameterSet_ = set; }
    ModulationMatrixParameterSet* getParameterSet() const { return parameterSet_; }
    // A slot list whose active count grows (optional, not owned).
    void setSlotSetList(AbstractParameterSetList* list) { slotSetList_ = list; }
    AbstractParameterSetList* getSlotSetList() const { return slotSetList_; }

private:
    ModulationMatrix* matrix_ = nullptr;
    ModulationMatrixLayout layout_;
    std::unique_ptr<ModMatrixParamController> controller_;
    ModulationMatrixParameterSet* parameterSet_ = nullptr;
    AbstractParameterSetList* slotSetList_ = nullptr;
};
