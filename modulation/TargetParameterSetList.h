#pragma once

// A list of parameter sets whose parameters are modulation targets (one
// XLFO, one envelope...): set k owns targetsPerSet consecutive targets from
// firstTarget + k x targetsPerSet. Removing a set clears the slots aimed at
// its targets and moves the slots aimed at later sets down with their
// parameters, so every slot keeps pointing at the same parameter.

#include "modulation/ModulationMatrixOwner.h"
#include "plugin/PluginParameterSet.h"

#include <cstdint>
#include <string>

// The removal, shared by every TargetParameterSetList<T>.
void removeTargetParameterSet(AbstractParameterSetList& list, std::int32_t k,
                              ModulationMatrixOwner* matrixOwner, std::int32_t firstTarget,
                              std::int32_t targetsPerSet);

template <class T> class TargetParameterSetList : public ParameterSetList<T> {
public:
    template <class Factory>
    TargetParameterSetList(GenericParameterOwner* owner, const std::string& name, std::int32_t maxCount,
                           Factory makeSet, ModulationMatrixOwner* matrixOwner, std::int32_t firstTarget,
                           std::int32_t targetsPerSet)
        : ParameterSetList<T>(owner, name, maxCount, makeSet), matrixOwner_(matrixOwner),
          firstTarget_(firstTarget), targetsPerSet_(targetsPerSet) {}

    void removeSet(std::int32_t k) override {
        removeTargetParameterSet(*this, k, matrixOwner_, firstTarget_, targetsPerSet_);
    }

    std::int32_t getFirstTarget() const { return firstTarget_; }
    std::int32_t getTargetsPerSet() const { return targetsPerSet_; }

private:
    ModulationMatrixOwner* matrixOwner_;
    std::int32_t firstTarget_;
    std::int32_t targetsPerSet_;
};
