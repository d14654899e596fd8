#include "modulation/ModulationMatrix.h"

#include "modulation/ModulationMatrixController.h"

#include <algorithm>
#include <cmath>

namespace {
std::size_t sizeOf(std::int32_t n) {
    return static_cast<std::size_t>(n > 0 ? n : 0);
}

// Block loops run over the count rounded up to whole groups of four.
int roundUp4(int count) {
    return (count + 3) & ~3;
}

void fill(float* out, float value, int count) {
    for (int i = 0; i < roundUp4(count); ++i)
        out[i] = value;
}

void clampBlock(float* out, float lo, float hi, int count) {
    for (int i = 0; i < roundUp4(count); ++i)
        out[i] = std::min(std::max(out[i], lo), hi);
}
} // namespace

// ------------------------------------------------------------------ Target --

ModulationMatrix::Target::Target(ModulationMatrix& matrix, std::int32_t index)
    : index(index), matrix(&matrix), base(matrix.getEnvironment(), 0.0f) {
    // The base follows its value without smoothing: a new level or amount
    // lands in the next block.
    base.smallChangeTime.setValue(0.0f);
    base.largeChangeTime.setValue(0.0f);
    group = matrix.getLayout().groupOf(index);
    if (group != nullptr) {
        period = group->period;
        kind = group->kind;
        maxFactor = group->maxFactor;
        minFactor = group->minFactor;
        rangeSpan = group->rangeSpan;
        channel = group->channel;
    }
    slots.reserve(sizeOf(matrix.getLayout().numSlots));
    updateRange();
}

float ModulationMatrix::Target::scaleForSource(std::int32_t source) const {
    if (group == nullptr) return scale;
    float k = group->defaultScale;
    const ModulationMatrixLayout& layout = matrix->getLayout();
    if (source >= 0 && source < layout.numSources()) {
        std::int32_t type = layout.sources[static_cast<std::size_t>(source)].type;
        for (const auto& [sourceType, sourceScale] : group->sourceScales)
            if (sourceType == type) {
                k = sourceScale;
                break;
            }
    }
    return k * scale;
}

void ModulationMatrix::Target::updateRange() {
    float k = scale;
    float span;
    if (k > 0.0f) {
        max = k * maxFactor;
        min = k * minFactor;
        span = k * rangeSpan;
        if (!(span > 0.0f)) span = max - min;
    } else {
        min = k * maxFactor;
        max = k * minFactor;
        span = std::fabs(k * rangeSpan);
        if (span == 0.0f) span = max - min;
    }
    base.setLimits(min, max, span);
    base.wrapPeriod.setValue(std::fabs(k) * period);
}

void ModulationMatrix::Target::recomputeNoPerTargetSlots() {
    noPerTargetSlots = true;
    for (const Slot* s : slots)
        if (s->state == SlotState::kPerTarget) noPerTargetSlots = false;
}

float ModulationMatrix::Target::mappedBaseValue() const {
    float value = base.getTarget();
    return mapping != nullptr ? mapping(value) : value;
}

// ------------------------------------------------------ global producers --

// base + sum of level x source over the shared (state 1) slots, clamped to
// the target's range once a slot was added. Constant inputs keep the result
// a single constant value.
class ModulationMatrix::GlobalModulationProducer : public wave::Source {
public:
    GlobalModulationProducer(ModulationMatrix& matrix, Target& target)
        : wave::Source(matrix.getEnvironment()), matrix_(matrix), target_(target) {}
    ~GlobalModulationProducer() override { target_.base.detachHolder(*this); }

    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        // The target's base is rendered here, once per block with the target.
        // Without slots the block is the base's: held while it is settled
        // (a slot edit releases it).
        if (target_.slots.empty()) {
            setCurrentBlock(target_.base.advanceHeld(*this, count));
            return;
        }
        const wave::BasicBlock<float>& base = target_.base.advanceBlock(count);
        bool added = false;
        bool constant = base.isConstant();
        float sum = base.data()[0];
        float* out = block->data();
        for (Slot* s : target_.slots) {
            if (s->state != SlotState::kShared) continue;
            if (!added && !constant) std::copy(base.data(), base.data() + roundUp4(count), out);
            added = true;
            const wave::BasicBlock<float>& level = matrix_.getGlobalProducer(s->levelTarget).pull(count);
            const wave::BasicBlock<float>& source = wave::Producer::pull(
                matrix_.sourceProducer(s->source, target_.channel), matrix_.getEnvironment(), count);
            if (constant && level.isConstant() && source.isConstant()) {
                sum = sum + level.data()[0] * source.data()[0];
                continue;
            }
            if (constant) {
                fill(out, sum, count);
                constant = false;
            }
            const float* l = level.data();
            const float* x = source.data();
            for (int i = 0; i < roundUp4(count); ++i)
                out[i] = out[i] + l[i] * x[i];
        }
        if (!added) {
            setCurrentBlock(base);
            return;
        }
        if (constant) fill(out, sum, count);
        if (target_.noPerTargetSlots) clampBlock(out, target_.min, target_.max, count);
        block->setConstant(constant);
    }

private:
    ModulationMatrix& matrix_;
    Target& target_;
};

// The sum of level x source over the shared slots, without base or clamp;
// silence without any.
class ModulationMatrix::GlobalAudioProducer : public wave::Source {
public:
    GlobalAudioProducer(ModulationMatrix& matrix, Target& target)
        : wave::Source(matrix.getEnvironment()), matrix_(matrix), target_(target) {}

    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        bool first = true;
        float* out = block->data();
        for (Slot* s : target_.slots) {
            if (s->state != SlotState::kShared) continue;
            const float* l = matrix_.getGlobalProducer(s->levelTarget).pull(count).data();
            const float* x = wave::Producer::pull(matrix_.sourceProducer(s->source, target_.channel),
                                                  matrix_.getEnvironment(), count)
                                 .data();
            for (int i = 0; i < roundUp4(count); ++i)
                out[i] = first ? l[i] * x[i] : out[i] + l[i] * x[i];
            first = false;
        }
        if (first) {
            setCurrentBlock(getEnvironment().getZeroBlock());
            return;
        }
        block->setConstant(false);
    }

private:
    ModulationMatrix& matrix_;
    Target& target_;
};

// --------------------------------------------------------- TargetController --

// Serves a target whose slots may sum per target (state 2): the shared
// block plus those slots, clamped.
class ModulationMatrix::TargetController : public wave::Source {
public:
    TargetController(ModulationMatrix& matrix, Target& target)
        : wave::Source(matrix.getEnvironment()), matrix_(matrix), target_(target) {}

    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        const wave::BasicBlock<float>& global = matrix_.getGlobalProducer(target_.index).pull(count);
        if (target_.noPerTargetSlots) {
            setCurrentBlock(global);
            return;
        }
        float* out = block->data();
        std::copy(global.data(), global.data() + roundUp4(count), out);
        for (Slot* s : target_.slots) {
            if (s->state != SlotState::kPerTarget) continue;
            const float* l = levelProducer(*s).pull(count).data();
            const float* x = wave::Producer::pull(matrix_.sourceProducer(s->source, target_.channel),
                                                  matrix_.getEnvironment(), count)
                                 .data();
            for (int i = 0; i < roundUp4(count); ++i)
                out[i] = out[i] + l[i] * x[i];
        }
        clampBlock(out, target_.min, target_.max, count);
        block->setConstant(false);
    }

    float currentValue() const override {
        if (isComputedThisBlock()) return wave::Producer::currentValue();
        float value = target_.base.getTarget();
        for (const Slot* s : target_.slots) {
            if (s->state == SlotState::kNotEffective) continue;
            wave::Producer* source = matrix_.sourceProducer(s->source, target_.channel);
            if (source == nullptr) continue;
            value += source->currentValue() * levelProducer(*s).currentValue();
        }
        if (!target_.isAudio()) value = std::min(std::max(value, target_.min), target_.max);
        return value;
    }

private:
    wave::Producer& levelProducer(const Slot& s) const {
        wave::Producer* controller = matrix_.existingTargetController(s.levelTarget);
        return controller != nullptr ? *controller : matrix_.getGlobalProducer(s.levelTarget);
    }

    ModulationMatrix& matrix_;
    Target& target_;
};

// Legacy owners: the primary voice moved towards the larger of itself and
// each further voice by that voice's weight.
class ModulationMatrix::LegacyGlobalTargetController : public wave::Source {
public:
    LegacyGlobalTargetController(ModulationMatrix& matrix, Target& target)
        : wave::Source(matrix.getEnvironment()), matrix_(matrix), target_(target) {}

    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        const wave::BasicBlock<float>& global = matrix_.getGlobalProducer(target_.index).pull(count);
        SecondaryOwner* owner = matrix_.getSecondaryOwner();
        if (target_.noPerTargetSlots || owner == nullptr) {
            setCurrentBlock(global);
            return;
        }
        wave::Environment& e = matrix_.getEnvironment();
        float* out = block->data();
        const float* primary = wave::Producer::pull(owner->primaryVoice(target_.index), e, count).data();
        std::copy(primary, primary + roundUp4(count), out);
        for (const SecondaryOwner::Voice& voice : owner->furtherVoices(target_.index)) {
            const float* y = wave::Producer::pull(voice.producer, e, count).data();
            const float* w = wave::Producer::pull(voice.weight, e, count).data();
            for (int i = 0; i < roundUp4(count); ++i)
                out[i] = (std::max(out[i], y[i]) - out[i]) * w[i] + out[i];
        }
        block->setConstant(false);
    }

private:
    ModulationMatrix& matrix_;
    Target& target_;
};

// ------------------------------------------------------ InternalController --

class ModulationMatrix::InternalController : public ModulationMatrixController {
public:
    explicit InternalController(ModulationMatrix& matrix)
        : ModulationMatrixController(matrix.getLayout()), matrix_(matrix) {}

    void beginChange() override {}
    void endChange() override {}
    float getLevel(std::int32_t slot) override {
        return matrix_.isSlot(slot) ? matrix_.getTarget(matrix_.getSlot(slot).levelTarget).amount : 0.0f;
    }
    std::int32_t getSource(std::int32_t slot) override {
        return matrix_.isSlot(slot) ? matrix_.getSlot(slot).source : kNone;
    }
    std::int32_t getTarget(std::int32_t slot) override {
        return matrix_.isSlot(slot) ? matrix_.getSlot(slot).target : kNone;
    }
    bool isBypassed(std::int32_t slot) override {
        return matrix_.isSlot(slot) && matrix_.getSlot(slot).bypassed;
    }
    bool isInverted(std::int32_t slot) override {
        return matrix_.isSlot(slot) && matrix_.getSlot(slot).inverted;
    }
    void setBypassed(std::int32_t slot, bool bypassed) override { matrix_.editBypassed(slot, bypassed); }
    void setInverted(std::int32_t slot, bool inverted) override { matrix_.editInverted(slot, inverted); }
    void setLevel(std::int32_t slot, float level) override { matrix_.editLevel(slot, level); }
    void setSource(std::int32_t slot, std::int32_t source) override { matrix_.editSource(slot, source); }
    void setTarget(std::int32_t slot, std::int32_t target) override { matrix_.editTarget(slot, target); }

    void findSlotsByTargets(const std::vector<std::int32_t>& targets,
                            std::vector<std::int32_t>& out) override {
        out.clear();
        for (std::int32_t t : targets)
            if (matrix_.isTarget(t))
                for (const Slot* s : matrix_.getTarget(t).slots)
                    out.push_back(s->index);
    }
    void findSlotsByTarget(std::int32_t target, std::vector<std::int32_t>& out) override {
        out.clear();
        if (!matrix_.isTarget(target)) return;
        for (const Slot* s : matrix_.getTarget(target).slots)
            out.push_back(s->index);
    }
    void addTargetDependency(std::int32_t target) override {
        if (!matrix_.isTarget(target) || isDependency(target)) return;
        addToDependencies(target);
        for (const Slot* s : matrix_.getTarget(target).slots)
            collectSlotDependencies(s->index);
    }

private:
    ModulationMatrix& matrix_;
};

// ------------------------------------------------------------------ Matrix --

ModulationMatrix::ModulationMatrix(wave::Environment& environment, const ModulationMatrixLayout& layout)
    : AbstractModulationMatrix(environment), layout_(&layout), numSources_(layout.numSources()) {
    controller_ = std::make_unique<InternalController>(*this);
    targets_.reserve(sizeOf(layout.numTargets));
    for (std::int32_t t = 0; t < layout.numTargets; ++t)
        targets_.push_back(std::make_unique<Target>(*this, t));
    slots_.resize(sizeOf(layout.numSlots));
    for (std::int32_t s = 0; s < layout.numSlots; ++s) {
        Slot& slot = slots_[static_cast<std::size_t>(s)];
        slot.index = s;
        slot.levelTarget = layout.levelTargetOf(s);
        slot.matrix = this;
        if (isTarget(slot.levelTarget)) getTarget(slot.levelTarget).ownerSlot = &slot;
    }
    sourceProducers_.assign(sizeOf(numSources_) * sizeOf(layout.numChannels), nullptr);
    sourceRegistered_.assign(sizeOf(numSources_), 0);
    targetControllers_.resize(sizeOf(layout.numTargets));
    globalProducers_.reserve(sizeOf(layout.numTargets));
    for (std::int32_t t = 0; t < layout.numTargets; ++t) {
        Target& target = getTarget(t);
        if (target.isAudio())
            globalProducers_.push_back(std::make_unique<GlobalAudioProducer>(*this, target));
        else
            globalProducers_.push_back(std::make_unique<GlobalModulationProducer>(*this, target));
    }
}

ModulationMatrix::~ModulationMatrix() {
    secondaryOwner_.reset();
    globalProducers_.clear();
    targetControllers_.clear();
    targets_.clear();
    controller_.reset();
}

ModulationMatrix::Controller& ModulationMatrix::getController() {
    return *controller_;
}

wave::Producer* ModulationMatrix::targetProducer(std::int32_t target) {
    if (!isTarget(target)) return nullptr;
    if (controllerMode_ == ControllerMode::kNone) return &getGlobalProducer(target);
    auto& controller = targetControllers_[static_cast<std::size_t>(target)];
    if (!controller) {
        if (controllerMode_ == ControllerMode::kPerTarget)
            controller = std::make_unique<TargetController>(*this, getTarget(target));
        else
            controller = std::make_unique<LegacyGlobalTargetController>(*this, getTarget(target));
    }
    return controller.get();
}

wave::Producer* ModulationMatrix::existingTargetController(std::int32_t target) const {
    if (!isTarget(target)) return nullptr;
    return targetControllers_[static_cast<std::size_t>(target)].get();
}

void ModulationMatrix::setSourceProducer(std::int32_t source, wave::Producer* producer,
                                         std::int32_t channel) {
    std::int32_t channels = layout_->numChannels;
    if (!isSource(source) || channel < 0 || channel >= channels) return;
    sourceRegistered_[static_cast<std::size_t>(source)] = producer != nullptr ? 1u : 0u;
    sourceProducers_[static_cast<std::size_t>(numSources_ * channel + source)] = producer;
    if (channel == 0)
        for (std::int32_t c = 1; c < channels; ++c)
            sourceProducers_[static_cast<std::size_t>(numSources_ * c + source)] = producer;
    // Slots of this source now sum where the registration says.
    for (Slot& slot : slots_)
        if (slot.source == source) reevaluate(slot, 0);
}

wave::Producer* ModulationMatrix::sourceProducer(std::int32_t source, std::int32_t channel) const {
    if (!isSource(source) || channel < 0 || channel >= layout_->numChannels) return nullptr;
    return sourceProducers_[static_cast<std::size_t>(numSources_ * channel + source)];
}

bool ModulationMatrix::isSourceRegistered(std::int32_t source) const {
    return isSource(source) && sourceRegistered_[static_cast<std::size_t>(source)] != 0;
}

void ModulationMatrix::setSecondaryOwner(SecondaryOwner* owner) {
    secondaryOwner_.reset(owner);
}

// ------------------------------------------------------------- slot edits --

void ModulationMatrix::reevaluate(Slot& slot, int flags) {
    if (lockCount_ > 0) {
        pendingUpdate_ = true;
        slot.pending = true;
        return;
    }
    if (depth_ > numSlots() + 1) return;
    ++depth_;
    bool effective = (flags & kKeepEffectiveness) != 0 ? slot.state != SlotState::kNotEffective
                                                       : controller_->isSlotEffective(slot.index);
    SlotState old = slot.state;
    SlotState state = SlotState::kNotEffective;
    if (effective) {
        state = SlotState::kPerTarget;
        if (isSourceRegistered(slot.source)) {
            state = SlotState::kShared;
            if (isTarget(slot.levelTarget))
                for (const Slot* s : getTarget(slot.levelTarget).slots)
                    if (s->state == SlotState::kPerTarget) state = SlotState::kPerTarget;
        }
    }
    slot.state = state;
    bool perTargetChanged = (old == SlotState::kPerTarget) != (state == SlotState::kPerTarget);
    if (isTarget(slot.target) && ((flags & kRefreshTarget) != 0 || perTargetChanged)) {
        Target& target = getTarget(slot.target);
        if (target.ownerSlot != nullptr && target.ownerSlot->state != SlotState::kNotEffective)
            reevaluate(*target.ownerSlot, kKeepEffectiveness);
        target.recomputeNoPerTargetSlots();
    }
    if ((flags & kApplyAmount) != 0 || (old == SlotState::kNotEffective && state != SlotState::kNotEffective))
        applyAmount(slot);
    --depth_;
}

void ModulationMatrix::applyAmount(Slot& slot) {
    if (lockCount_ > 0) {
        pendingUpdate_ = true;
        slot.pending = true;
        return;
    }
    if (slot.state == SlotState::kNotEffective || !isTarget(slot.target) || !isTarget(slot.levelTarget))
        return;
    if (depth_ > 2 * numSlots() + 2) return;
    ++depth_;
    float k = getTarget(slot.target).scaleForSource(slot.source);
    if (slot.inverted) k = -k;
    Target& level = getTarget(slot.levelTarget);
    level.scale = k;
    level.updateRange();
    level.base.setValue(k * level.amount, 0.0f);
    if (level.secondaryTarget != nullptr) level.secondaryTarget->update();
    for (Slot* s : level.slots)
        applyAmount(*s);
    --depth_;
}

void ModulationMatrix::reevaluateIneffective(const Slot* except) {
    for (Slot& s : slots_)
        if (&s != except && s.state == SlotState::kNotEffective && (s.source != kNone || s.target != kNone))
            reevaluate(s, kApplyAmount);
}

void ModulationMatrix::unlock() {
    if (lockCount_ <= 0) return;
    if (--lockCount_ > 0 || !pendingUpdate_) return;
    pendingUpdate_ = false;
    for (Slot& s : slots_)
        if (s.pending) {
            s.pending = false;
            reevaluate(s, kApplyAmount);
        }
}

void ModulationMatrix::editSource(std::int32_t slot, std::int32_t source) {
    if (!isSlot(slot)) return;
    if (!isSource(source)) source = kNone;
    Slot& s = getSlot(slot);
    if (s.source == source) return;
    s.source = source;
    reevaluate(s, kApplyAmount);
    reevaluateIneffective(&s);
}

void ModulationMatrix::editTarget(std::int32_t slot, std::int32_t target) {
    if (!isSlot(slot)) return;
    if (!isTarget(target)) target = kNone;
    Slot& s = getSlot(slot);
    if (s.target == target) return;
    if (isTarget(s.target)) {
        Target& old = getTarget(s.target);
        old.slots.erase(std::remove(old.slots.begin(), old.slots.end(), &s), old.slots.end());
        getGlobalProducer(s.target).release();
        s.target = target;
        if (old.ownerSlot != nullptr && old.ownerSlot->state != SlotState::kNotEffective)
            reevaluate(*old.ownerSlot, kKeepEffectiveness);
        old.recomputeNoPerTargetSlots();
    }
    s.target = target;
    if (isTarget(target)) {
        getTarget(target).slots.push_back(&s); // reserved for every slot
        getGlobalProducer(target).release();
    }
    reevaluate(s, kApplyAmount | kRefreshTarget);
    reevaluateIneffective(&s);
}

void ModulationMatrix::editBypassed(std::int32_t slot, bool bypassed) {
    if (!isSlot(slot)) return;
    Slot& s = getSlot(slot);
    if (s.bypassed == bypassed) return;
    s.bypassed = bypassed;
    reevaluate(s, kApplyAmount);
}

void ModulationMatrix::editInverted(std::int32_t slot, bool inverted) {
    if (!isSlot(slot)) return;
    Slot& s = getSlot(slot);
    if (s.inverted == inverted) return;
    s.inverted = inverted;
    applyAmount(s);
}

void ModulationMatrix::editLevel(std::int32_t slot, float level) {
    if (!isSlot(slot)) return;
    setTargetAmount(getSlot(slot).levelTarget, level);
}

void ModulationMatrix::setTargetAmount(std::int32_t target, float amount) {
    if (!isTarget(target)) return;
    Target& t = getTarget(target);
    if (t.amount == amount) return;
    t.amount = amount;
    t.base.setValue(amount * t.scale, -1.0f);
    if (t.secondaryTarget != nullptr) t.secondaryTarget->update();
}
