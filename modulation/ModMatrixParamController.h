#pragma once

// The slot controller over the slot parameters (the plug-in side): reads
// and writes slots as parameter values, so the editor and the preset loader
// edit through the same interface as the engine, with the host, undo and
// presets seeing every change. Its neutral level is slot 0's level
// parameter at 0.5 (the base's default without slots).
//
// The model and the processor each build one over their slot parameters
// once the product declared them (createFor), keep it for their lifetime
// and hand it to their matrix owner part, where the editor and the preset
// loader find it.
//
// Threading: the thread that edits the owner's parameters.

#include "modulation/ModulationMatrixController.h"

#include <memory>

class AbstractParameterSetList;
class GenericParameterOwner;
class ModulationMatrixOwner;
class ModulationMatrixParameterSet;
class ModulationSlotParameterSet;

class ModMatrixParamController : public ModulationMatrixController {
public:
    // growingList (optional): a slot list whose active count findFreeSlot raises.
    ModMatrixParamController(const ModulationMatrixLayout& layout, ModulationMatrixParameterSet& parameters,
                             AbstractParameterSetList* growingList = nullptr);
    // A controller over the slot parameters registered with the owner (its
    // slot list growing), set as the owner's controller; the caller keeps
    // it. Null when no slot parameters registered.
    static std::unique_ptr<ModMatrixParamController> createFor(ModulationMatrixOwner& owner);

    void beginChange() override;
    std::int32_t findFreeSlot() override;
    void endChange() override;
    float getLevel(std::int32_t slot) override;
    std::int32_t getSource(std::int32_t slot) override;
    std::int32_t getTarget(std::int32_t slot) override;
    bool isBypassed(std::int32_t slot) override;
    bool isInverted(std::int32_t slot) override;
    void setBypassed(std::int32_t slot, bool bypassed) override;
    void setInverted(std::int32_t slot, bool inverted) override;
    void setLevel(std::int32_t slot, float level) override;
    void setSource(std::int32_t slot, std::int32_t source) override;
    void setTarget(std::int32_t slot, std::int32_t target) override;

    ModulationMatrixParameterSet& getParameters() const { return *parameters_; }

private:
    ModulationSlotParameterSet* set(std::int32_t slot) const;

    ModulationMatrixParameterSet* parameters_;
    AbstractParameterSetList* growingList_;
};
