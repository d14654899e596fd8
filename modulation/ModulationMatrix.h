#pragma once

// The modulation matrix: slots route sources into targets with a signed
// level, and every slot's level is itself a target.
//
// Each target is a producer that DSP objects pull once per block: its base
// value (a smoothed parameter written by the target's plug-in parameter or,
// for a slot level, by the slot's level) plus level x source over the slots
// aimed at it, clamped to the target's range once any slot contributes.
//
// A slot is effective when it has a source and a target, is not bypassed and
// closes no loop (see ModulationMatrix::Controller::isSlotEffective). Its
// state says where it is summed: 0 not at all, 1 in the target's shared
// producer (its source is registered), 2 in each per-target controller.
//
// Threading: construction, setSourceProducer and targetProducer run while
// the graph is built (main thread; they may allocate). Every slot edit
// (InternalController, the slot parameters' write-through) and every
// produce run on the audio thread and allocate nothing: every list is
// reserved at construction for the largest count it can reach.

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"
#include "modulation/ModulationMatrixLayout.h"

#include <cstdint>
#include <memory>
#include <vector>

class ModulationMatrixController;

class AbstractModulationMatrix : public wave::Component {
public:
    // The producer DSP objects connect to for a target (may allocate the
    // first time: call while building the graph).
    virtual wave::Producer* targetProducer(std::int32_t target) = 0;
    // Registers a source's producer for a channel; channel 0 also serves
    // every further channel.
    virtual void setSourceProducer(std::int32_t source, wave::Producer* producer, std::int32_t channel) = 0;

protected:
    using wave::Component::Component;
};

class ModulationMatrix : public AbstractModulationMatrix {
public:
    static constexpr std::int32_t kNone = -1;

    // reevaluate flags.
    static constexpr int kKeepEffectiveness = 1;
    static constexpr int kApplyAmount = 2;
    static constexpr int kRefreshTarget = 4;

    enum class SlotState : std::uint32_t { kNotEffective = 0, kShared = 1, kPerTarget = 2 };

    enum class ControllerMode : std::uint32_t { kNone = 0, kPerTarget = 1, kLegacy = 2 };

    using Controller = ModulationMatrixController;
    class InternalController;
    class TargetController;
    class LegacyGlobalTargetController;

    struct Slot {
        std::int32_t index = 0;
        bool bypassed = false;
        bool inverted = false;
        bool pending = false;
        std::int32_t levelTarget = 0;
        ModulationMatrix* matrix = nullptr;
        std::int32_t source = kNone;
        SlotState state = SlotState::kNotEffective;
        std::int32_t target = kNone;
    };

    // Told when the base value of a target it is attached to changed.
    class SecondaryTarget {
    public:
        virtual ~SecondaryTarget() = default;
        virtual void update() = 0;
        virtual bool isIdle() const = 0;
    };

    // What a legacy owner supplies: a primary per-voice producer and
    // further voice producers, each with a weight block producer.
    class SecondaryOwner {
    public:
        struct Voice {
            wave::Producer* producer = nullptr;
            wave::Producer* weight = nullptr;
        };
        virtual ~SecondaryOwner() = default;
        virtual wave::Producer* primaryVoice(std::int32_t target) = 0;
        virtual const std::vector<Voice>& furtherVoices(std::int32_t target) = 0;
    };

    using ValueMapping = float (*)(float);

    class Target {
    public:
        Target(ModulationMatrix& matrix, std::int32_t index);
        virtual ~Target() = default;
        Target(const Target&) = delete;
        Target& operator=(const Target&) = delete;

        // The scale of a slot from source into this target.
        virtual float scaleForSource(std::int32_t source) const;
        // Recomputes [min, max] and the span from the scale; limits the base.
        void updateRange();
        // 1 unless some slot of this target sums per target.
        void recomputeNoPerTargetSlots();
        bool isAudio() const { return kind == ModulationMatrixLayout::kAudioTarget; }
        // The base value as the product sees it (through the value mapping).
        float mappedBaseValue() const;

        std::vector<Slot*> slots;
        float period = 0.0f;
        const ModulationMatrixLayout::TargetGroup* group = nullptr;
        Slot* ownerSlot = nullptr;
        float max = 1.0f;
        float min = 0.0f;
        std::int32_t index;
        bool noPerTargetSlots = true;
        std::int32_t kind = 0;
        ModulationMatrix* matrix;
        float maxFactor = 1.0f;
        float minFactor = 0.0f;
        float scale = 1.0f;
        float rangeSpan = 1.0f;
        SecondaryTarget* secondaryTarget = nullptr;
        ValueMapping mapping = nullptr;
        // Rendered by the target's global producer.
        FloatParameter base;
        float amount = 0.0f;
        std::int32_t channel = 0;
    };

    ModulationMatrix(wave::Environment& environment, const ModulationMatrixLayout& layout);
    ~ModulationMatrix() override;

    wave::Producer* targetProducer(std::int32_t target) override;
    wave::Producer* targetController(std::int32_t target) { return targetProducer(target); }
    void setSourceProducer(std::int32_t source, wave::Producer* producer, std::int32_t channel) override;

    const ModulationMatrixLayout& getLayout() const { return *layout_; }
    Controller& getController();
    std::int32_t numSlots() const { return layout_->numSlots; }
    std::int32_t numTargets() const { return layout_->numTargets; }
    std::int32_t numSources() const { return numSources_; }
    bool isSlot(std::int32_t slot) const { return slot >= 0 && slot < numSlots(); }
    bool isTarget(std::int32_t target) const { return target >= 0 && target < numTargets(); }
    bool isSource(std::int32_t source) const { return source >= 0 && source < numSources_; }

    Slot& getSlot(std::int32_t slot) { return slots_[static_cast<std::size_t>(slot)]; }
    const Slot& getSlot(std::int32_t slot) const { return slots_[static_cast<std::size_t>(slot)]; }
    Target& getTarget(std::int32_t target) { return *targets_[static_cast<std::size_t>(target)]; }
    const Target& getTarget(std::int32_t target) const { return *targets_[static_cast<std::size_t>(target)]; }
    wave::Producer& getGlobalProducer(std::int32_t target) { return *globalProducers_[std::size_t(target)]; }
    // The target controller made by targetProducer, or null.
    wave::Producer* existingTargetController(std::int32_t target) const;
    // The registered producer of a source for a channel, or null.
    wave::Producer* sourceProducer(std::int32_t source, std::int32_t channel) const;
    bool isSourceRegistered(std::int32_t source) const;

    // Slot edits as InternalController and the slot parameters make them;
    // each does nothing when the value is unchanged and re-evaluates what it
    // touches. Indices outside their counts are ignored.
    void editSource(std::int32_t slot, std::int32_t source);
    void editTarget(std::int32_t slot, std::int32_t target);
    void editBypassed(std::int32_t slot, bool bypassed);
    void editInverted(std::int32_t slot, bool inverted);
    void editLevel(std::int32_t slot, float level);
    // A target parameter's internal value: stored as the target's amount,
    // the base set to amount x scale, the secondary target told.
    void setTargetAmount(std::int32_t target, float amount);

    void reevaluate(Slot& slot, int flags);
    void applyAmount(Slot& slot);
    // Re-evaluates every other slot in state 0 that has a source or a target.
    void reevaluateIneffective(const Slot* except);

    // Deferred edits: while locked, re-evaluations only mark the slot
    // pending. unlock() of the outermost lock re-evaluates every pending
    // slot with kApplyAmount and clears the marks.
    void lock() { ++lockCount_; }
    void unlock();
    std::int32_t getLockCount() const { return lockCount_; }
    bool isUpdatePending() const { return pendingUpdate_; }

    void setControllerMode(ControllerMode mode) { controllerMode_ = mode; }
    ControllerMode getControllerMode() const { return controllerMode_; }
    // Owned from here on (deleted with the matrix).
    void setSecondaryOwner(SecondaryOwner* owner);
    SecondaryOwner* getSecondaryOwner() const { return secondaryOwner_.get(); }

private:
    class GlobalModulationProducer;
    class GlobalAudioProducer;

    const ModulationMatrixLayout* layout_;
    std::int32_t numSources_;
    std::unique_ptr<InternalController> controller_;
    std::vector<std::unique_ptr<wave::Producer>> globalProducers_;
    std::vector<wave::Producer*> sourceProducers_;
    std::vector<std::unique_ptr<wave::Producer>> targetControllers_;
    bool pendingUpdate_ = false;
    std::unique_ptr<SecondaryOwner> secondaryOwner_;
    std::vector<Slot> slots_;
    std::vector<std::uint32_t> sourceRegistered_;
    std::vector<std::unique_ptr<Target>> targets_;
    std::int32_t lockCount_ = 0;
    ControllerMode controllerMode_ = ControllerMode::kNone;
    // Guards the recursions of reevaluate and applyAmount against chains
    // longer than the slots can form.
    std::int32_t depth_ = 0;
};
