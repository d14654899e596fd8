#include "modulation_editor/SlotAllocation.h"

#include "modulation/ModulationMatrixController.h"
#include "modulation_editor/AbstractSlotController.h"
#include "plugin/PluginParameterSet.h"

std::uint32_t allocateSlots(AbstractSlotController& slots, std::int32_t source,
                            const std::vector<std::uint32_t>& targets) {
    ModulationMatrixPluginInterface& interface = slots.interface();
    AbstractParameterSetList* list = interface.slotList();
    const int32_t used = interface.slotsInUse();
    const auto n = static_cast<int64_t>(targets.size());
    if (list == nullptr || n == 0 || int64_t{used} + n > int64_t{interface.slotCapacity()})
        return ModulationMatrixPluginInterface::kNoIndex;
    const auto position = static_cast<std::uint32_t>(slots.listedCount());
    ModulationMatrixController& controller = interface.matrixController();
    controller.beginChange();
    int32_t slot = used;
    for (std::uint32_t target : targets) {
        controller.setSource(slot, source);
        controller.setTarget(
            slot, target == ModulationMatrixPluginInterface::kNoTarget ? -1 : static_cast<int32_t>(target));
        controller.setLevel(slot, controller.neutralLevel.getValue());
        controller.setBypassed(slot, false);
        controller.setInverted(slot, false);
        ++slot;
    }
    list->getNumActiveParameter().setValue(static_cast<float>(slot), 0);
    controller.endChange();
    return position;
}
