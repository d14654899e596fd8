#pragma once

// A parameter owner for the declaration tests: a plug-in base (parameter
// collection, info, MIDI state, virtual parameters) that is also the
// modulation-matrix owner, with the effect's parameters declared and set up
// and the slot controller built over them.
// With `apply`, every stored change is applied at once, as a processor
// draining its queue would do.

#include "effect/VarnelParameters.h"
#include "modulation/ModMatrixParamController.h"
#include "plugin/GenericPluginBase.h"
#include "plugin/ParameterCollection.h"

#include <memory>
#include <string>

namespace test {

struct CollectionHolder {
    ParameterCollection collection;
};

class VarnelTestOwner : private CollectionHolder, public GenericPluginBase, public ModulationMatrixOwner {
public:
    explicit VarnelTestOwner(bool apply = false) : GenericPluginBase(collection), apply_(apply) {
        parameters = std::make_unique<VarnelParameters>(*this, *this, *this);
        parameters->setupParameterInfo();
        slots = ModMatrixParamController::createFor(*this);
    }

    void beginUpdate() override { ++depth; }
    void endUpdate() override { --depth; }
    int32_t getSetNumber() const override { return 0; }
    std::string getName() const override { return "Varnel"; }
    void setParameterValue(int32_t index, float value, int32_t) override {
        ++changes;
        if (apply_)
            if (AbstractPluginParameter* p = getParameter(index)) p->applyValue(value);
    }
    void addParameterAlias(AbstractPluginParameter*, const std::string&) override {}
    int32_t getNameIndex(const std::string&) override { return 0; }
    void requestLightReset() override {}
    void requestFullReset() override {}

    VarnelParameters& p() { return *parameters; }

    std::unique_ptr<VarnelParameters> parameters;
    std::unique_ptr<ModMatrixParamController> slots;
    int depth = 0;
    int changes = 0;

private:
    bool apply_;
};

} // namespace test
