#pragma once

// A plug-in parameter whose value is the base value of a modulation target.
// Applying a value (the processor's queue drain) gives the value listeners
// the internal value, then, on the processor side (where the owner has a
// matrix), stores it as the target's amount, sets the target's base to
// amount x scale and tells the target's secondary target. On the model side
// it is an ordinary parameter.

#include "modulation/ModulationMatrix.h"
#include "modulation/ModulationMatrixOwner.h"
#include "plugin/PluginParameter.h"

#include <cstdint>
#include <string>
#include <utility>

template <class T> class ModulationTargetParameterBase : public T {
public:
    ModulationTargetParameterBase(GenericParameterOwner* owner, std::string name,
                                  ModulationMatrixOwner* matrixOwner, std::int32_t target)
        : T(owner, std::move(name)), matrixOwner_(matrixOwner), target_(target) {}

    void applyValue(float value) override {
        T::applyValue(value);
        ModulationMatrix* matrix = matrixOwner_ != nullptr ? matrixOwner_->getModulationMatrix() : nullptr;
        if (matrix != nullptr) matrix->setTargetAmount(target_, this->normalizedToInternal(value));
    }

    std::int32_t getTargetIndex() const { return target_; }
    ModulationMatrixOwner* getMatrixOwner() const { return matrixOwner_; }

private:
    ModulationMatrixOwner* matrixOwner_;
    std::int32_t target_;
};
