#pragma once

// The five plug-in parameters of one modulation slot: source, level,
// bypass, invert and target. On the processor side (where the matrix owner
// has a matrix) every applied value writes straight through into the
// engine's slot record, as InternalController would.

#include "modulation/ModulationTargetParameterBase.h"
#include "plugin/PluginParameter.h"
#include "plugin/PluginParameterSet.h"

#include <cstdint>
#include <string>
#include <vector>

class ModulationMatrixOwner;

class ModulationSlotParameterSet : public PluginParameterSet {
public:
    // An indexed parameter of a slot that knows its slot and matrix owner.
    template <class T> class SlotParameter : public IndexedPluginParameter<T> {
    public:
        SlotParameter(GenericParameterOwner* owner, std::string name, std::int32_t slot,
                      ModulationMatrixOwner* matrixOwner)
            : IndexedPluginParameter<T>(owner, std::move(name)), slot_(slot), matrixOwner_(matrixOwner) {}
        // The index of a stored value (through the index table, if any).
        std::int32_t indexOf(std::int32_t stored) const { return this->range_.indexOfStored(stored); }
        std::int32_t storedOf(float value) const {
            return this->range_.storedOfIndex(this->range_.clampIndex(value));
        }
        std::int32_t getSlot() const { return slot_; }

    protected:
        ModulationMatrix* matrix() const;

        std::int32_t slot_;
        ModulationMatrixOwner* matrixOwner_;
    };

    // 0 = "< Source >"; stored value - 1 is the source index.
    class SourceParameter : public SlotParameter<std::int32_t> {
    public:
        using SlotParameter::SlotParameter;
        void applyValue(float value) override;
    };
    // 0 = "< Target >"; stored value - 1 is the target index.
    class TargetParameter : public SlotParameter<std::int32_t> {
    public:
        using SlotParameter::SlotParameter;
        void applyValue(float value) override;
    };
    class BypassParameter : public SlotParameter<bool> {
    public:
        using SlotParameter::SlotParameter;
        void applyValue(float value) override;
    };
    class InvertParameter : public SlotParameter<bool> {
    public:
        using SlotParameter::SlotParameter;
        void applyValue(float value) override;
    };
    using LevelParameter = ModulationTargetParameterBase<FloatPluginParameter>;

    // sourceNames and targetNames include the "none" entry in front and
    // outlive the set.
    ModulationSlotParameterSet(GenericParameterOwner* owner, std::int32_t slot, std::int32_t levelTarget,
                               ModulationMatrixOwner* matrixOwner,
                               const std::vector<std::string>* sourceNames,
                               const std::vector<std::string>* targetNames);

    // The level's curve (the slot level map and its inverse), default 0.5,
    // maximum 1.0 and value 0.5.
    void setupParameterInfo() override;

    std::int32_t getSlot() const { return slot_; }

    SourceParameter source;
    LevelParameter level;
    BypassParameter bypass;
    InvertParameter invert;
    TargetParameter target;

private:
    std::int32_t slot_;
};
