#include "modulation/ModulationPresetLoader.h"

#include "modulation/ModMatrixParamController.h"
#include "modulation/ModulationMatrixOwner.h"
#include "plugin/PluginParameterSet.h"

#include <algorithm>
#include <cmath>

ModulationPresetLoader::ModulationPresetLoader(ModulationMatrixOwner& owner) : owner_(owner) {}

void ModulationPresetLoader::collectModulators(std::int32_t slot, std::vector<std::int32_t>& out) {
    ModMatrixParamController& c = owner_.getController();
    out.clear();
    if (!c.isSlot(slot)) return;
    std::vector<bool> seen(static_cast<std::size_t>(c.numSlots()), false);
    std::vector<std::int32_t> found;
    out.push_back(slot);
    seen[static_cast<std::size_t>(slot)] = true;
    for (std::size_t i = 0; i < out.size(); ++i) {
        c.findSlotsByTarget(c.getLayout().levelTargetOf(out[i]), found);
        for (std::int32_t s : found)
            if (!seen[static_cast<std::size_t>(s)]) {
                seen[static_cast<std::size_t>(s)] = true;
                out.push_back(s);
            }
    }
}

void ModulationPresetLoader::rescaleSlotAmount(std::int32_t slot, float newRange, float oldRange) {
    ModMatrixParamController& c = owner_.getController();
    std::vector<std::int32_t> chain;
    collectModulators(slot, chain);
    c.beginChange();
    for (std::int32_t s : chain)
        c.setLevel(s, c.getLevel(s) * newRange / oldRange);
    c.endChange();
}

void ModulationPresetLoader::rescaleSlotsForTarget(std::int32_t targetGroup, std::int32_t source,
                                                   float newRange, float oldRange) {
    ModMatrixParamController& c = owner_.getController();
    if (!c.isSource(source)) return;
    std::vector<std::int32_t> found;
    c.findSlots(c.getLayout().sources[static_cast<std::size_t>(source)].type, targetGroup, found);
    for (std::int32_t s : found)
        if (c.getSource(s) == source) rescaleSlotAmount(s, newRange, oldRange);
}

std::int32_t ModulationPresetLoader::duplicateSlotScaled(std::int32_t slot, float factor) {
    ModMatrixParamController& c = owner_.getController();
    // Collect first: the copies must not be found as modulators in turn.
    std::vector<std::int32_t> chain;
    collectModulators(slot, chain);
    if (chain.empty()) return -1;
    std::vector<std::int32_t> copies(chain.size(), -1);
    float magnitude = std::fabs(factor);
    c.beginChange();
    for (std::size_t i = 0; i < chain.size(); ++i) {
        std::int32_t to = c.findFreeSlot();
        if (to < 0 || std::find(chain.begin(), chain.end(), to) != chain.end()) break;
        std::int32_t from = chain[i];
        c.copySlot(from, to);
        c.setLevel(to, c.getLevel(from) * magnitude);
        if (i == 0 && factor < 0.0f) c.setInverted(to, !c.isInverted(from));
        copies[i] = to;
    }
    // Copies aimed at a copied slot's level move to the copy's level.
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (copies[i] < 0) continue;
        std::int32_t target = c.getTarget(chain[i]);
        for (std::size_t j = 0; j < chain.size(); ++j)
            if (copies[j] >= 0 && target == c.getLayout().levelTargetOf(chain[j]))
                c.setTarget(copies[i], c.getLayout().levelTargetOf(copies[j]));
    }
    c.endChange();
    return copies[0];
}

void ModulationPresetLoader::compactSlots(std::int32_t count) {
    ModMatrixParamController& c = owner_.getController();
    count = std::min(count, c.numSlots());
    auto used = [&c](std::int32_t s) { return c.getSource(s) != -1 || c.getTarget(s) != -1; };
    c.beginChange();
    for (;;) {
        std::int32_t empty = 0;
        while (empty < count && used(empty))
            ++empty;
        std::int32_t next = empty + 1;
        while (next < count && !used(next))
            ++next;
        if (empty >= count || next >= count) break;
        c.swapSlots(empty, next);
    }
    ModMatrixParamController::sortSlots(c, count, nullptr);
    if (AbstractParameterSetList* list = owner_.getSlotSetList()) {
        std::int32_t usedCount = 0;
        for (std::int32_t s = 0; s < count; ++s)
            if (used(s)) ++usedCount;
        list->getNumActiveParameter().setValue(static_cast<float>(usedCount), 0);
        for (;;) {
            std::int32_t lacking = -1;
            for (std::int32_t s = 0; s < list->getNumActive(); ++s)
                if (c.getSource(s) == -1 || c.getTarget(s) == -1) {
                    lacking = s;
                    break;
                }
            std::int32_t before = list->getNumActive();
            if (lacking < 0) break;
            list->removeSet(lacking);
            if (list->getNumActive() == before) break;
        }
    }
    c.endChange();
}

void ModulationPresetLoader::removeUnusedSourceSets(AbstractParameterSetList& list,
                                                    std::int32_t firstSource) {
    ModMatrixParamController& c = owner_.getController();
    std::vector<std::int32_t> found;
    // The walk stays above the active count, where removeSet does nothing:
    // kept so, as older presets were converted with it.
    for (std::int32_t k = list.getNumSets() - 1; k >= list.getNumActive(); --k) {
        c.findSlotsBySource(firstSource + k, found);
        if (found.empty()) list.removeSet(k);
    }
}
