#include "modulation/ModulationSlotParameterSet.h"

#include "modulation/ModulationMatrix.h"
#include "modulation/ModulationMatrixOwner.h"
#include "modulation/ModulationValueMaps.h"

#include <cstdio>

namespace {
std::string slotName(std::int32_t slot) {
    char text[32];
    std::snprintf(text, sizeof text, "Slot %d", static_cast<int>(slot + 1));
    return text;
}

std::int32_t lastIndexOf(const std::vector<std::string>* names) {
    return names != nullptr && !names->empty() ? static_cast<std::int32_t>(names->size()) - 1 : 0;
}
} // namespace

template <class T> ModulationMatrix* ModulationSlotParameterSet::SlotParameter<T>::matrix() const {
    return matrixOwner_ != nullptr ? matrixOwner_->getModulationMatrix() : nullptr;
}

template class ModulationSlotParameterSet::SlotParameter<std::int32_t>;
template class ModulationSlotParameterSet::SlotParameter<bool>;

void ModulationSlotParameterSet::SourceParameter::applyValue(float value) {
    IndexedPluginParameter::applyValue(value);
    if (ModulationMatrix* m = matrix()) m->editSource(slot_, storedOf(value) - 1);
}

void ModulationSlotParameterSet::TargetParameter::applyValue(float value) {
    IndexedPluginParameter::applyValue(value);
    if (ModulationMatrix* m = matrix()) m->editTarget(slot_, storedOf(value) - 1);
}

void ModulationSlotParameterSet::BypassParameter::applyValue(float value) {
    IndexedPluginParameter::applyValue(value);
    if (ModulationMatrix* m = matrix()) m->editBypassed(slot_, storedOf(value) != 0);
}

void ModulationSlotParameterSet::InvertParameter::applyValue(float value) {
    IndexedPluginParameter::applyValue(value);
    if (ModulationMatrix* m = matrix()) m->editInverted(slot_, storedOf(value) != 0);
}

ModulationSlotParameterSet::ModulationSlotParameterSet(GenericParameterOwner* owner, std::int32_t slot,
                                                       std::int32_t levelTarget,
                                                       ModulationMatrixOwner* matrixOwner,
                                                       const std::vector<std::string>* sourceNames,
                                                       const std::vector<std::string>* targetNames)
    : PluginParameterSet(owner, slotName(slot)), source(this, slotName(slot) + " Source", slot, matrixOwner),
      level(this, slotName(slot) + " Level", matrixOwner, levelTarget),
      bypass(this, slotName(slot) + " Bypassed", slot, matrixOwner),
      invert(this, slotName(slot) + " Inverted", slot, matrixOwner),
      target(this, slotName(slot) + " Target", slot, matrixOwner), slot_(slot) {
    source.setRange(0, lastIndexOf(sourceNames));
    source.setSharedValueNames(sourceNames);
    target.setRange(0, lastIndexOf(targetNames));
    target.setSharedValueNames(targetNames);
    bypass.setValueNames("Normal,Bypassed");
    invert.setValueNames("Normal,Inverted");
    setupParameterInfo();
}

void ModulationSlotParameterSet::setupParameterInfo() {
    level.setCurve(mapByTable7, mapByTable7Inverse);
    level.setDefault(0.5f);
    level.setMax(1.0f);
    level.initValue(0.5f);
}
