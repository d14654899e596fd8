#pragma once

// The model side of a plug-in with a modulation matrix: a plug-in model that
// is also the matrix owner (without an engine: its slot parameters are
// edited through the slot controller it builds and keeps, a
// ModMatrixParamController), and keeps the display values the processor
// last sent: the targets' modulation depths followed by the sources' values.
//
// Threading: readProcessorState runs where the framework exchanges display
// data; the editor reads the values on its own thread after that exchange.

#include "modulation/ModulationMatrixOwner.h"
#include "plugin/GenericPlugin.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <vector>

class ModMatrixParamController;

class ModulationMatrixPlugin : public GenericPlugin, public ModulationMatrixOwner {
public:
    ModulationMatrixPlugin();
    ~ModulationMatrixPlugin() override;

    // The base display data, then numTargets + numSources raw floats.
    bool readProcessorState(std::istream& stream) override;

    const std::vector<float>& getDisplayValues() const { return displayValues_; }
    // A target's depth and a source's value (0 outside the layout).
    float getTargetDepth(std::int32_t target) const;
    float getSourceValue(std::int32_t source) const;

protected:
    // Builds the slot controller over the slot parameters: the product's
    // constructor calls it once it declared and set them up, before
    // anything edits a slot (a preset load).
    void buildSlotController();

private:
    std::vector<float> displayValues_;
    std::unique_ptr<ModMatrixParamController> slotController_;
};
