#pragma once

// Slot operations for converting older presets: rescaling levels along
// chains of slots, duplicating a slot with everything that modulates it,
// compacting and sorting slots, removing unused source sets. Everything
// goes through the owner's slot controller, so the changes are ordinary
// parameter changes.
//
// Chains may close on themselves (a slot aimed at its own level is legal):
// every walk visits a slot at most once.
//
// Threading: the thread that edits the owner's parameters.

#include <cstdint>
#include <vector>

class AbstractParameterSetList;
class ModulationMatrixOwner;
class ModMatrixParamController;

class ModulationPresetLoader {
public:
    explicit ModulationPresetLoader(ModulationMatrixOwner& owner);

    // level x newRange / oldRange, for the slot and every slot that
    // modulates it, directly or through others; each once.
    void rescaleSlotAmount(std::int32_t slot, float newRange, float oldRange);
    // Rescales the slots of exactly this source into the target group.
    void rescaleSlotsForTarget(std::int32_t targetGroup, std::int32_t source, float newRange, float oldRange);
    // Copies a slot into a free one with level x |factor| (a negative factor
    // flips the copy's invert), with copies of everything that modulates it
    // aimed at the copies' levels. Returns the new slot, or -1.
    std::int32_t duplicateSlotScaled(std::int32_t slot, float factor);
    // Moves used slots in front of empty ones among the first count, then sorts them.
    void compactSlots(std::int32_t count);
    // From the list's size - 1 down to its active count, removes the sets
    // whose source firstSource + k no slot uses.
    void removeUnusedSourceSets(AbstractParameterSetList& list, std::int32_t firstSource);

private:
    // The slot and every slot feeding its level, in visiting order.
    void collectModulators(std::int32_t slot, std::vector<std::int32_t>& out);

    ModulationMatrixOwner& owner_;
};
