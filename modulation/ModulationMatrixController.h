#pragma once

// The one interface through which modulation slots are read and edited:
// by the engine (ModulationMatrix::InternalController), by the plug-in side
// (ModMatrixParamController over the slot parameters), by the preset loader
// and by the editor. Loop detection, the searches, clearing, copying,
// swapping and sorting are written here once, only in terms of the virtual
// accessors, so the same rules hold on either side.
//
// Indices are 32-bit, -1 meaning none; a slot's level target is
// firstSlotTarget + slot. Getters of a slot outside the layout give the
// empty values (-1, false, 0) and setters ignore it.
//
// Every work list and the dependency set are reserved for the layout's
// counts at construction, so isSlotEffective and the searches allocate
// nothing when their output vectors were reserved by the caller (numSlots
// entries).

#include "foundation/Property.h"
#include "modulation/ModulationMatrixLayout.h"

#include <cstdint>
#include <vector>

class ModulationMatrixController {
public:
    explicit ModulationMatrixController(const ModulationMatrixLayout& layout);
    virtual ~ModulationMatrixController() = default;
    ModulationMatrixController(const ModulationMatrixController&) = delete;
    ModulationMatrixController& operator=(const ModulationMatrixController&) = delete;

    virtual void beginChange() = 0;
    // The first slot with neither source nor target; else the first that is
    // not effective; else -1.
    virtual std::int32_t findFreeSlot();
    virtual void endChange() = 0;
    virtual float getLevel(std::int32_t slot) = 0;
    virtual std::int32_t getSource(std::int32_t slot) = 0;
    virtual std::int32_t getTarget(std::int32_t slot) = 0;
    virtual void findSlotsBySourceRange(std::int32_t first, std::int32_t count,
                                        std::vector<std::int32_t>& out);
    void findSlotsBySource(std::int32_t source, std::vector<std::int32_t>& out) {
        findSlotsBySourceRange(source, 1, out);
    }
    // Slots with a source and a target whose target lies in the group (any
    // with -1) and whose source has the type (any with -1).
    virtual void findSlots(std::int32_t sourceType, std::int32_t targetGroup, std::vector<std::int32_t>& out);
    virtual void findSlotsByTargets(const std::vector<std::int32_t>& targets, std::vector<std::int32_t>& out);
    virtual void findSlotsByTargetRange(std::int32_t first, std::int32_t count,
                                        std::vector<std::int32_t>& out);
    virtual void findSlotsByTarget(std::int32_t target, std::vector<std::int32_t>& out) {
        findSlotsByTargetRange(target, 1, out);
    }
    virtual bool isBypassed(std::int32_t slot) = 0;
    virtual bool isInverted(std::int32_t slot) = 0;
    virtual void setBypassed(std::int32_t slot, bool bypassed) = 0;
    virtual void setInverted(std::int32_t slot, bool inverted) = 0;
    virtual void setLevel(std::int32_t slot, float level) = 0;
    virtual void setSource(std::int32_t slot, std::int32_t source) = 0;
    virtual void setTarget(std::int32_t slot, std::int32_t target) = 0;
    // Adds a target to the dependency set; when new, collects the
    // dependencies of every slot aimed at it.
    virtual void addTargetDependency(std::int32_t target);

    void collectSlotDependencies(std::int32_t slot);
    // False without source or target, when bypassed, or when the slot's
    // target feeds its own level or its source's parameters (a loop).
    bool isSlotEffective(std::int32_t slot);
    bool isDependency(std::int32_t target) const;

    // Clears the slots aimed at a target (and what modulates them).
    void clearSlotsForTarget(std::int32_t target, std::vector<std::int32_t>* outCleared);
    // Clears a slot and, in turn, every slot that modulates a cleared one.
    void clearSlot(std::int32_t slot, std::vector<std::int32_t>* outCleared);
    void copySlot(std::int32_t from, std::int32_t to);
    // Swaps two slots; the slots aimed at either level follow their slot.
    void swapSlots(std::int32_t a, std::int32_t b);
    // Stable sort of slots 0..count-1: by source, then target, the empty
    // ones last. selectedSlot (may be null) follows its slot.
    static void sortSlots(ModulationMatrixController& controller, std::int32_t count,
                          std::int32_t* selectedSlot);

    const ModulationMatrixLayout& getLayout() const { return *layout_; }
    std::int32_t numSlots() const { return layout_->numSlots; }
    bool isSlot(std::int32_t slot) const { return slot >= 0 && slot < layout_->numSlots; }
    bool isTarget(std::int32_t target) const { return target >= 0 && target < layout_->numTargets; }
    bool isSource(std::int32_t source) const { return source >= 0 && source < layout_->numSources(); }

    // The level at the middle of the level parameter's range.
    Property<float> neutralLevel{nullptr, 0.5f};

protected:
    void addToDependencies(std::int32_t target);

private:
    const ModulationMatrixLayout* layout_;
    std::vector<std::int32_t> dependencyPosition_;
    std::vector<std::int32_t> dependencies_;
    std::vector<std::int32_t> workList_;
    std::vector<std::int32_t> found_;
    std::vector<std::int32_t> swapA_;
    std::vector<std::int32_t> swapB_;
    std::vector<std::int32_t> targetSlots_;
};
