#include "modulation/ModMatrixParamController.h"

#include "modulation/ModulationMatrixOwner.h"
#include "modulation/ModulationMatrixParameterSet.h"
#include "plugin/PluginParameterSet.h"

ModMatrixParamController::ModMatrixParamController(const ModulationMatrixLayout& layout,
                                                   ModulationMatrixParameterSet& parameters,
                                                   AbstractParameterSetList* growingList)
    : ModulationMatrixController(layout), parameters_(&parameters), growingList_(growingList) {
    if (ModulationSlotParameterSet* slot0 = parameters.getSlotSet(0))
        neutralLevel.setValue(slot0->level.normalizedToInternal(0.5f));
}

std::unique_ptr<ModMatrixParamController> ModMatrixParamController::createFor(ModulationMatrixOwner& owner) {
    ModulationMatrixParameterSet* parameters = owner.getParameterSet();
    if (parameters == nullptr) return nullptr;
    auto controller =
        std::make_unique<ModMatrixParamController>(owner.getLayout(), *parameters, owner.getSlotSetList());
    owner.setController(controller.get());
    return controller;
}

ModulationSlotParameterSet* ModMatrixParamController::set(std::int32_t slot) const {
    return isSlot(slot) ? parameters_->getSlotSet(slot) : nullptr;
}

void ModMatrixParamController::beginChange() {
    if (GenericParameterOwner* parent = parameters_->getParent()) parent->beginUpdate();
}

void ModMatrixParamController::endChange() {
    if (GenericParameterOwner* parent = parameters_->getParent()) parent->endUpdate();
}

std::int32_t ModMatrixParamController::findFreeSlot() {
    if (growingList_ == nullptr) return ModulationMatrixController::findFreeSlot();
    std::int32_t count = growingList_->getNumActive();
    if (count >= numSlots()) return -1;
    growingList_->getNumActiveParameter().setValue(static_cast<float>(count + 1), 0);
    return count;
}

float ModMatrixParamController::getLevel(std::int32_t slot) {
    ModulationSlotParameterSet* s = set(slot);
    return s != nullptr ? s->level.normalizedToInternal(s->level.getValue()) : 0.0f;
}

std::int32_t ModMatrixParamController::getSource(std::int32_t slot) {
    ModulationSlotParameterSet* s = set(slot);
    return s != nullptr ? s->source.getTypedValue() - 1 : -1;
}

std::int32_t ModMatrixParamController::getTarget(std::int32_t slot) {
    ModulationSlotParameterSet* s = set(slot);
    return s != nullptr ? s->target.getTypedValue() - 1 : -1;
}

bool ModMatrixParamController::isBypassed(std::int32_t slot) {
    ModulationSlotParameterSet* s = set(slot);
    return s != nullptr && s->bypass.getTypedValue();
}

bool ModMatrixParamController::isInverted(std::int32_t slot) {
    ModulationSlotParameterSet* s = set(slot);
    return s != nullptr && s->invert.getTypedValue();
}

void ModMatrixParamController::setBypassed(std::int32_t slot, bool bypassed) {
    if (ModulationSlotParameterSet* s = set(slot))
        s->bypass.setValue(float(s->bypass.indexOf(bypassed ? 1 : 0)), 0);
}

void ModMatrixParamController::setInverted(std::int32_t slot, bool inverted) {
    if (ModulationSlotParameterSet* s = set(slot))
        s->invert.setValue(float(s->invert.indexOf(inverted ? 1 : 0)), 0);
}

void ModMatrixParamController::setLevel(std::int32_t slot, float level) {
    if (ModulationSlotParameterSet* s = set(slot)) s->level.setValue(s->level.internalToNormalized(level), 0);
}

void ModMatrixParamController::setSource(std::int32_t slot, std::int32_t source) {
    if (!isSource(source)) source = -1;
    if (ModulationSlotParameterSet* s = set(slot))
        s->source.setValue(float(s->source.indexOf(source + 1)), 0);
}

void ModMatrixParamController::setTarget(std::int32_t slot, std::int32_t target) {
    if (!isTarget(target)) target = -1;
    if (ModulationSlotParameterSet* s = set(slot))
        s->target.setValue(float(s->target.indexOf(target + 1)), 0);
}
