#include "modulation/ModulationMatrixPlugin.h"

#include "modulation/ModMatrixParamController.h"
#include "modulation/ModulationMatrixProcessor.h"

ModulationMatrixPlugin::ModulationMatrixPlugin() = default;

ModulationMatrixPlugin::~ModulationMatrixPlugin() = default;

void ModulationMatrixPlugin::buildSlotController() {
    slotController_ = ModMatrixParamController::createFor(*this);
}

bool ModulationMatrixPlugin::readProcessorState(std::istream& stream) {
    bool ok = GenericPlugin::readProcessorState(stream);
    const ModulationMatrixLayout& layout = getLayout();
    return readModulationDisplayValues(stream, layout.numTargets, layout.numSources(), displayValues_) && ok;
}

float ModulationMatrixPlugin::getTargetDepth(std::int32_t target) const {
    if (target < 0 || target >= getLayout().numTargets || std::size_t(target) >= displayValues_.size())
        return 0.0f;
    return displayValues_[std::size_t(target)];
}

float ModulationMatrixPlugin::getSourceValue(std::int32_t source) const {
    std::int64_t at = std::int64_t(getLayout().numTargets) + source;
    if (source < 0 || source >= getLayout().numSources() || at >= std::int64_t(displayValues_.size()))
        return 0.0f;
    return displayValues_[std::size_t(at)];
}
