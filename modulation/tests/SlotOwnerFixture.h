#pragma once

// Slot parameters over a matrix owner for the tests. ApplyingOwner numbers
// parameters and, like a processor draining its queue at once, applies
// every stored value to the signal side; the model side leaves it stored.

#include "modulation/ModMatrixParamController.h"
#include "modulation/ModulationMatrixOwner.h"
#include "modulation/ModulationMatrixParameterSet.h"
#include "modulation/tests/MatrixFixture.h"
#include "plugin/GenericParameterOwner.h"
#include "plugin/ParameterCollection.h"

#include <memory>
#include <string>
#include <vector>

namespace test {

class ApplyingOwner : public GenericParameterOwner {
public:
    explicit ApplyingOwner(bool apply) : apply(apply) {}
    void beginUpdate() override { ++depth; }
    void addRegistered(AbstractPluginParameter*) override {}
    void endUpdate() override { --depth; }
    int32_t getNumParameters() const override { return collection.size(); }
    AbstractPluginParameter* getParameter(int32_t index) const override { return collection.get(index); }
    int32_t getSetNumber() const override { return 0; }
    std::string getName() const override { return {}; }
    void setParameterValue(int32_t index, float value, int32_t) override {
        ++changes;
        if (apply)
            if (AbstractPluginParameter* p = collection.get(index)) p->applyValue(value);
    }
    int32_t addParameter(AbstractPluginParameter* parameter) override { return collection.add(parameter); }
    void addParameterAlias(AbstractPluginParameter*, const std::string&) override {}
    int32_t getNameIndex(const std::string&) override { return 0; }
    void requestLightReset() override {}
    void requestFullReset() override {}

    bool apply;
    ParameterCollection collection;
    int depth = 0;
    int changes = 0;
};

inline std::vector<std::string> names(const char* prefix, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.push_back(prefix + std::to_string(i));
    return out;
}

// A matrix owner with its slot parameters and their slot controller;
// processor-side when `engine`.
struct SlotOwnerFixture {
    explicit SlotOwnerFixture(bool engine) : owner(engine) {
        fillTestLayout(matrixOwner.getLayout());
        parameters = std::make_unique<ModulationMatrixParameterSet>(&owner, &matrixOwner, names("S", 34),
                                                                    names("T", 107));
        slots = ModMatrixParamController::createFor(matrixOwner);
        if (engine) {
            matrix = std::make_unique<ModulationMatrix>(e, matrixOwner.getLayout());
            matrix->setSourceProducer(0, &source0, 0);
            matrix->setSourceProducer(1, &source1, 0);
            matrix->setSourceProducer(3, &source3, 0);
            matrixOwner.setModulationMatrix(matrix.get());
        }
    }
    ModMatrixParamController& controller() { return matrixOwner.getController(); }

    wave::Environment e;
    ApplyingOwner owner;
    ModulationMatrixOwner matrixOwner;
    std::unique_ptr<ModulationMatrixParameterSet> parameters;
    std::unique_ptr<ModMatrixParamController> slots;
    ConstantSource source0{e, 0.5f};
    ConstantSource source1{e, 0.25f};
    ConstantSource source3{e, -1.0f};
    std::unique_ptr<ModulationMatrix> matrix;
};

} // namespace test
