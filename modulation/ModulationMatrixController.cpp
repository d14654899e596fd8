#include "modulation/ModulationMatrixController.h"

#include <utility>

namespace {
std::size_t sizeOf(std::int32_t n) {
    return static_cast<std::size_t>(n > 0 ? n : 0);
}
} // namespace

ModulationMatrixController::ModulationMatrixController(const ModulationMatrixLayout& layout)
    : layout_(&layout), dependencyPosition_(sizeOf(layout.numTargets), 0) {
    dependencies_.reserve(sizeOf(layout.numTargets));
    for (auto* list : {&workList_, &found_, &swapA_, &swapB_, &targetSlots_})
        list->reserve(sizeOf(layout.numSlots));
}

std::int32_t ModulationMatrixController::findFreeSlot() {
    for (std::int32_t s = 0; s < numSlots(); ++s)
        if (getSource(s) == -1 && getTarget(s) == -1) return s;
    for (std::int32_t s = 0; s < numSlots(); ++s)
        if (!isSlotEffective(s)) return s;
    return -1;
}

void ModulationMatrixController::findSlotsBySourceRange(std::int32_t first, std::int32_t count,
                                                        std::vector<std::int32_t>& out) {
    out.clear();
    for (std::int32_t s = 0; s < numSlots(); ++s) {
        std::int32_t source = getSource(s);
        if (source != -1 && source >= first && source - first < count) out.push_back(s);
    }
}

void ModulationMatrixController::findSlots(std::int32_t sourceType, std::int32_t targetGroup,
                                           std::vector<std::int32_t>& out) {
    out.clear();
    const ModulationMatrixLayout& layout = getLayout();
    const ModulationMatrixLayout::TargetGroup* group = nullptr;
    if (targetGroup != -1) {
        if (targetGroup < 0 || targetGroup >= static_cast<std::int32_t>(layout.targetGroups.size())) return;
        group = &layout.targetGroups[static_cast<std::size_t>(targetGroup)];
    }
    for (std::int32_t s = 0; s < numSlots(); ++s) {
        std::int32_t source = getSource(s);
        std::int32_t target = getTarget(s);
        if (!isSource(source) || !isTarget(target)) continue;
        if (group != nullptr && layout.groupOf(target) != group) continue;
        if (sourceType != -1 && layout.sources[static_cast<std::size_t>(source)].type != sourceType) continue;
        out.push_back(s);
    }
}

void ModulationMatrixController::findSlotsByTargets(const std::vector<std::int32_t>& targets,
                                                    std::vector<std::int32_t>& out) {
    out.clear();
    for (std::int32_t s = 0; s < numSlots(); ++s) {
        std::int32_t target = getTarget(s);
        if (target == -1) continue;
        for (std::int32_t t : targets)
            if (t == target) {
                out.push_back(s);
                break;
            }
    }
}

void ModulationMatrixController::findSlotsByTargetRange(std::int32_t first, std::int32_t count,
                                                        std::vector<std::int32_t>& out) {
    out.clear();
    for (std::int32_t s = 0; s < numSlots(); ++s) {
        std::int32_t target = getTarget(s);
        if (target != -1 && target >= first && target - first < count) out.push_back(s);
    }
}

bool ModulationMatrixController::isDependency(std::int32_t target) const {
    if (!isTarget(target)) return false;
    auto position = static_cast<std::size_t>(dependencyPosition_[static_cast<std::size_t>(target)]);
    return position < dependencies_.size() && dependencies_[position] == target;
}

void ModulationMatrixController::addToDependencies(std::int32_t target) {
    dependencyPosition_[static_cast<std::size_t>(target)] = static_cast<std::int32_t>(dependencies_.size());
    dependencies_.push_back(target);
}

void ModulationMatrixController::addTargetDependency(std::int32_t target) {
    if (!isTarget(target) || isDependency(target)) return;
    addToDependencies(target);
    for (std::int32_t s = 0; s < numSlots(); ++s)
        if (getTarget(s) == target) collectSlotDependencies(s);
}

void ModulationMatrixController::collectSlotDependencies(std::int32_t slot) {
    addTargetDependency(getLayout().levelTargetOf(slot));
    std::int32_t source = getSource(slot);
    if (!isSource(source)) return;
    for (std::int32_t t : getLayout().sources[static_cast<std::size_t>(source)].targets)
        addTargetDependency(t);
}

bool ModulationMatrixController::isSlotEffective(std::int32_t slot) {
    if (!isSlot(slot)) return false;
    std::int32_t target = getTarget(slot);
    if (getSource(slot) == -1 || target == -1 || isBypassed(slot)) return false;
    dependencies_.clear();
    collectSlotDependencies(slot);
    return !isDependency(target);
}

void ModulationMatrixController::clearSlotsForTarget(std::int32_t target,
                                                     std::vector<std::int32_t>* outCleared) {
    beginChange();
    findSlotsByTarget(target, targetSlots_);
    for (std::int32_t s : targetSlots_)
        clearSlot(s, outCleared);
    endChange();
}

void ModulationMatrixController::clearSlot(std::int32_t slot, std::vector<std::int32_t>* outCleared) {
    if (!isSlot(slot)) return;
    beginChange();
    workList_.clear();
    workList_.push_back(slot);
    // A cleared slot has no target any more, so no slot is found twice.
    for (std::size_t i = 0; i < workList_.size(); ++i) {
        std::int32_t k = workList_[i];
        beginChange();
        setSource(k, -1);
        setTarget(k, -1);
        setBypassed(k, false);
        setInverted(k, false);
        setLevel(k, 0.0f);
        endChange();
        if (outCleared != nullptr) outCleared->push_back(k);
        findSlotsByTarget(getLayout().levelTargetOf(k), found_);
        for (std::int32_t s : found_)
            if (workList_.size() < workList_.capacity()) workList_.push_back(s);
    }
    endChange();
}

void ModulationMatrixController::copySlot(std::int32_t from, std::int32_t to) {
    if (!isSlot(from) || !isSlot(to)) return;
    setSource(to, getSource(from));
    setTarget(to, getTarget(from));
    setInverted(to, isInverted(from));
    setBypassed(to, isBypassed(from));
    setLevel(to, getLevel(from));
}

void ModulationMatrixController::swapSlots(std::int32_t a, std::int32_t b) {
    if (a == b || !isSlot(a) || !isSlot(b)) return;
    std::int32_t source = getSource(a);
    std::int32_t target = getTarget(a);
    bool inverted = isInverted(a);
    bool bypassed = isBypassed(a);
    float level = getLevel(a);
    copySlot(b, a);
    setSource(b, source);
    setTarget(b, target);
    setInverted(b, inverted);
    setBypassed(b, bypassed);
    setLevel(b, level);
    // Collect both lists before retargeting either, or the second search
    // would find the slots just moved and move them back.
    std::int32_t levelA = getLayout().levelTargetOf(a);
    std::int32_t levelB = getLayout().levelTargetOf(b);
    findSlotsByTarget(levelA, swapA_);
    findSlotsByTarget(levelB, swapB_);
    for (std::int32_t s : swapA_)
        setTarget(s, levelB);
    for (std::int32_t s : swapB_)
        setTarget(s, levelA);
}

namespace {
// True when slot x sorts strictly before slot y.
bool sortsBefore(ModulationMatrixController& c, std::int32_t x, std::int32_t y) {
    std::int32_t sx = c.getSource(x), sy = c.getSource(y);
    if (sx != sy) {
        if (sx == -1) return false;
        if (sy == -1) return true;
        return sx < sy;
    }
    std::int32_t tx = c.getTarget(x), ty = c.getTarget(y);
    if (tx == ty) return false;
    if (tx == -1) return false;
    if (ty == -1) return true;
    return tx < ty;
}
} // namespace

void ModulationMatrixController::sortSlots(ModulationMatrixController& controller, std::int32_t count,
                                           std::int32_t* selectedSlot) {
    if (count > controller.numSlots()) count = controller.numSlots();
    if (count < 2) return;
    bool changed = false;
    for (std::int32_t i = 1; i < count; ++i) {
        for (std::int32_t j = i; j > 0 && sortsBefore(controller, j, j - 1); --j) {
            if (!changed) {
                controller.beginChange();
                changed = true;
            }
            controller.swapSlots(j, j - 1);
            if (selectedSlot != nullptr) {
                if (*selectedSlot == j)
                    *selectedSlot = j - 1;
                else if (*selectedSlot == j - 1)
                    *selectedSlot = j;
            }
        }
    }
    if (changed) controller.endChange();
}
