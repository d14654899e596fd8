#pragma once

// The slots of a modulation matrix as plug-in parameters: one
// ModulationSlotParameterSet per slot (slot i's level is target
// firstSlotTarget + i), and the source and target choice lists shared by
// their source and target parameters, each with its "none" entry in front
// ("< Source >", "< Target >"). It registers itself with the matrix owner.

#include "modulation/ModulationSlotParameterSet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GenericParameterOwner;
class ModulationMatrixOwner;

class ModulationMatrixParameterSet {
public:
    // The slot count and the first slot target come from the owner's layout.
    // An empty name list reports "release_assert failed" and carries on.
    ModulationMatrixParameterSet(GenericParameterOwner* parent, ModulationMatrixOwner* matrixOwner,
                                 const std::vector<std::string>& sourceNames,
                                 const std::vector<std::string>& targetNames);
    virtual ~ModulationMatrixParameterSet();

    enum class SlotSets { kCreate, kAdopt };
    ModulationMatrixParameterSet(const ModulationMatrixParameterSet&) = delete;
    ModulationMatrixParameterSet& operator=(const ModulationMatrixParameterSet&) = delete;

    std::int32_t getNumSlotSets() const { return static_cast<std::int32_t>(slotSets_.size()); }
    ModulationSlotParameterSet* getSlotSet(std::int32_t i) const {
        return i >= 0 && i < getNumSlotSets() ? slotSets_[static_cast<std::size_t>(i)] : nullptr;
    }
    std::uint32_t getFirstSlotTarget() const { return firstSlotTarget_; }
    ModulationMatrixOwner* getMatrixOwner() const { return matrixOwner_; }
    GenericParameterOwner* getParent() const { return parent_; }
    const std::vector<std::string>& getSourceNames() const { return sourceNames_; }
    const std::vector<std::string>& getTargetNames() const { return targetNames_; }

protected:
    // For a slot list that makes (and owns) the slot sets itself: the name
    // lists only; the list hands its sets over with adoptSlotSet.
    ModulationMatrixParameterSet(GenericParameterOwner* parent, ModulationMatrixOwner* matrixOwner,
                                 const std::vector<std::string>& sourceNames,
                                 const std::vector<std::string>& targetNames, SlotSets sets);
    void adoptSlotSet(ModulationSlotParameterSet* set) { slotSets_.push_back(set); }

private:
    std::uint32_t firstSlotTarget_;
    ModulationMatrixOwner* matrixOwner_;
    GenericParameterOwner* parent_;
    std::vector<std::unique_ptr<ModulationSlotParameterSet>> ownedSets_;
    std::vector<ModulationSlotParameterSet*> slotSets_;
    std::vector<std::string> sourceNames_;
    std::vector<std::string> targetNames_;
};

// Appends numbered names: for k = 1..count the prefix is baseName, a blank
// when baseName has two or more characters, then (count > 1) k and a blank;
// every item is appended as prefix + item, entries joined by ",".
void buildNumberedNameList(std::string& out, const std::string& baseName, std::int32_t count,
                           const std::vector<std::string>& itemNames);
