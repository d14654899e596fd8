#include "dsp/wave/Producer.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace wave {

// ------------------------------------------------------------- Component --

Component::Component(Environment& environment) : environment_(&environment) {
    environment.addProducer();
}

Component::~Component() {
    if (registered_ && !environment_->isTearingDown()) environment_->unregisterComponent(*this);
}

void Component::registerComponent() {
    if (registered_) return;
    environment_->registerComponent(*this);
    registered_ = true;
}

void Component::unregisterComponent() {
    if (!registered_) return;
    environment_->unregisterComponent(*this);
    registered_ = false;
}

// -------------------------------------------------------------- Producer --

Producer::Producer(Environment& environment, int flags)
    : Component(environment), current_(&environment.getZeroBlock()),
      own_((flags & kNoOwnBlock) ? nullptr : std::make_unique<BasicBlock<float>>(environment)) {}

Producer::~Producer() {
    release();
    Environment& e = getEnvironment();
    if (active_ && scheduled_ && !e.isTearingDown()) e.removeProducer(*this);
}

float Producer::currentValue() const {
    const BasicBlock<float>* b = current_;
    return (b != nullptr && b->size() > 0) ? b->data()[0] : 0.0f;
}

void Producer::setActive(bool active) {
    if (active == active_) return;
    active_ = active;
    Environment& e = getEnvironment();
    if (scheduled_ && !e.isTearingDown()) {
        if (active)
            e.insertProducer(*this, order_);
        else
            e.removeProducer(*this);
    }
    if (active && isRegistered()) reset();
}

void Producer::setOrder(std::uint32_t order) noexcept {
    Environment& e = getEnvironment();
    if (active_ && !e.isTearingDown()) {
        if (scheduled_) e.removeProducer(*this);
        e.insertProducer(*this, order);
    }
    order_ = order;
    scheduled_ = true;
}

void Producer::resetIfActive() noexcept {
    if (active_) reset();
}

bool Producer::holdOn(int samples, Producer* const* inputs, int count) noexcept {
    release();
    if (!getEnvironment().areShortcutsAllowed() || count > kMaxHeldInputs) return false;
    for (int i = 0; i < count; ++i) {
        const Producer* input = inputs[i];
        if (input != nullptr && (!input->isHeld() || input->heldRenderMark_ != nullptr ||
                                 input->dependantCount_ == kMaxDependants))
            return false;
    }
    for (int i = 0; i < count; ++i) {
        Producer* input = inputs[i];
        if (input == nullptr) continue;
        input->dependants_[input->dependantCount_++] = this;
        heldInputs_[heldInputCount_++] = input;
    }
    heldRenderMark_ = nullptr;
    heldFor_ = samples;
    return true;
}

void Producer::releaseLinks() noexcept {
    detachFromInputs();
    // Each dependant's release takes it off this list: work on a copy.
    Producer* dependants[kMaxDependants];
    const int count = dependantCount_;
    std::copy(dependants_, dependants_ + count, dependants);
    for (int i = 0; i < count; ++i)
        dependants[i]->release();
    dependantCount_ = 0;
}

void Producer::detachFromInputs() noexcept {
    for (int i = 0; i < heldInputCount_; ++i) {
        Producer& input = *heldInputs_[i];
        for (int k = 0; k < input.dependantCount_; ++k) {
            if (input.dependants_[k] == this) {
                input.dependants_[k] = input.dependants_[--input.dependantCount_];
                break;
            }
        }
    }
    heldInputCount_ = 0;
}

const BasicBlock<float>& Producer::computeForPull(int count) noexcept {
    if (computing_) {
        // A cycle without a delay in it.
        assert(!"signal graph cycle: a producer was pulled while computing");
        return getEnvironment().getZeroBlock();
    }
    compute(count, Environment::kPulled);
    return *current_;
}

// ---------------------------------------------------------------- Filter --

void Filter::produce(BasicBlock<float>* block, int count, ProduceMode mode) noexcept {
    const BasicBlock<float>& in = pullInput(count);
    process(in, block, count, mode);
}

// ----------------------------------------------------------------- Input --

void Input::setSource(const float* samples, int count) {
    source_ = samples;
    remaining_ = samples != nullptr ? std::max(count, 0) : 0;
}

void Input::produce(BasicBlock<float>* block, int count, ProduceMode) noexcept {
    int n = std::min(count, remaining_);
    float* out = block->data();
    if (n > 0) {
        std::memcpy(out, source_, static_cast<std::size_t>(n) * sizeof(float));
        source_ += n;
        remaining_ -= n;
    } else {
        n = 0;
    }
    if (n < count) std::memset(out + n, 0, static_cast<std::size_t>(count - n) * sizeof(float));
    block->setConstant(n == 0);
}

// --------------------------------------------------------- MultiProducer --

MultiProducer::Output::Output(MultiProducer& owner, int index)
    : Producer(owner.getEnvironment(), kNoOwnBlock), owner_(&owner), index_(index) {}

float MultiProducer::Output::currentValue() const {
    return owner_->currentValue(index_);
}

void MultiProducer::Output::reset() {
    owner_->reset();
}

void MultiProducer::Output::produce(BasicBlock<float>*, int count, ProduceMode mode) noexcept {
    owner_->produceAll(count, mode);
}

MultiProducer::MultiProducer(Environment& environment, int outputCount)
    : Component(environment), outputCount_(std::max(outputCount, 0)) {
    createOutputs();
}

MultiProducer::~MultiProducer() = default;

void MultiProducer::createOutputs() {
    blocks_.clear();
    outputs_.clear();
    for (int i = 0; i < outputCount_; ++i) {
        blocks_.push_back(std::make_unique<BasicBlock<float>>(getEnvironment()));
        outputs_.push_back(std::make_unique<Output>(*this, i));
    }
    scratch_.assign(static_cast<std::size_t>(outputCount_), nullptr);
    slots_.clear();
    for (int i = 0; i < outputCount_; ++i)
        slots_.push_back({outputs_[i].get(), blocks_[i].get()});
}

float MultiProducer::currentValue(int index) const {
    if (index < 0 || index >= outputCount_) return 0.0f;
    const BasicBlock<float>& b = outputs_[index]->getCurrentBlock();
    return b.size() > 0 ? b.data()[0] : 0.0f;
}

void MultiProducer::produceAll(int count, ProduceMode mode) noexcept {
    const std::uint32_t block = getEnvironment().getBlockCounter();
    for (int i = 0; i < outputCount_; ++i) {
        // Computed again: whatever an output held is replaced.
        slots_[i].output->release();
        scratch_[i] = slots_[i].block;
    }
    holdSamples_ = -1;
    processAll(scratch_.data(), count, mode);
    for (int i = 0; i < outputCount_; ++i) {
        Output& output = *slots_[i].output;
        output.current_ = scratch_[i];
        output.lastComputed_ = block;
        if (holdSamples_ >= 0) output.holdOn(holdSamples_, holdInputs_, 2);
    }
}

MultiFilter::MultiFilter(Environment& environment, int count)
    : MultiProducer(environment, count), inputs_(static_cast<std::size_t>(std::max(count, 0)), nullptr),
      inputBlocks_(static_cast<std::size_t>(std::max(count, 0)), nullptr) {}

void MultiFilter::processAll(const BasicBlock<float>** outputs, int count, ProduceMode mode) noexcept {
    for (std::size_t i = 0; i < inputs_.size(); ++i)
        inputBlocks_[i] = &Producer::pull(inputs_[i], getEnvironment(), count);
    process(inputBlocks_.data(), outputs, count, mode);
}

} // namespace wave
