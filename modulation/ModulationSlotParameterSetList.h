#pragma once

// The slots as a list whose active count grows as slots are used: the
// slot sets of a ModulationMatrixParameterSet kept in a
// TargetParameterSetList (slot k's level is the list's target k), so that
// removing a slot set moves the later slots down with their modulators.
// It registers itself as the owner's growing slot list.

#include "modulation/ModulationMatrixParameterSet.h"
#include "modulation/TargetParameterSetList.h"

#include <cstdint>
#include <string>
#include <vector>

class ModulationSlotParameterSetList : public ModulationMatrixParameterSet,
                                       public TargetParameterSetList<ModulationSlotParameterSet> {
public:
    ModulationSlotParameterSetList(GenericParameterOwner* parent, ModulationMatrixOwner* matrixOwner,
                                   const std::string& name, const std::vector<std::string>& sourceNames,
                                   const std::vector<std::string>& targetNames);

    using TargetParameterSetList<ModulationSlotParameterSet>::getNumSets;
    using TargetParameterSetList<ModulationSlotParameterSet>::getSet;

    // Clears the slots of a source and the slots aimed at its parameters,
    // then removes their sets from the list, highest first.
    void removeSlotsForSource(std::int32_t source);
};
