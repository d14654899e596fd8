#include "dsp/wave/Environment.h"

#include "dsp/wave/Producer.h"

#include <algorithm>
#include <cmath>

namespace wave {

namespace {
constexpr float kRateEpsilon = 1.1920929e-7f;
} // namespace

Environment::Environment()
    : scratch0_(std::make_unique<BasicBlock<float>>(*this)),
      scratch1_(std::make_unique<BasicBlock<float>>(*this)),
      zeroBlock_(std::make_unique<ConstValueBlock>(*this, 0.0f)) {}

Environment::Environment(Environment& parent, int rateFactor) : Environment() {
    parent_ = &parent;
    rateFactor_ = rateFactor;
    sampleRate_ = static_cast<float>(rateFactor) * parent.sampleRate_;
    parent.children_.push_back(this);
}

Environment::~Environment() {
    // Children still alive forget their parent (during teardown the list may
    // hold children that are already gone, so it is left alone).
    if (!tearingDown_)
        for (Environment* child : children_)
            child->parent_ = nullptr;
    if (parent_ != nullptr && !parent_->tearingDown_) {
        auto& list = parent_->children_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

int Environment::maxBlockSize() const {
    return allocationBlockSize_;
}

void Environment::addMaxBlockSizeListener(DynamicMaxBlockSizeListener*) {}

void Environment::removeMaxBlockSizeListener(DynamicMaxBlockSizeListener*) {}

void Environment::setSampleRate(float rate) {
    for (Environment* child : children_)
        child->setSampleRate(static_cast<float>(child->rateFactor_) * rate);
    float old = sampleRate_;
    sampleRate_ = rate;
    if (!(std::fabs(rate - old) > kRateEpsilon)) return;
    resetMark_ = samplePosition_;
    fullResetMark_ = samplePosition_;
    for (std::size_t i = 0; i < components_.size(); ++i)
        components_[i]->reset();
    for (Environment* child : children_)
        child->reset(kResetAll);
    sampleRateChanged.notify(this);
}

void Environment::nextBlock() noexcept {
    ++blockCounter_;
    for (Environment* child : children_)
        child->nextBlock();
}

void Environment::process(int count, int flags) noexcept {
    if ((flags & kSkipProcessing) == 0) {
        // By index: a produce() may switch producers on or off.
        for (std::size_t i = 0; i < processing_.size(); ++i) {
            Producer* p = processing_[i];
            if (p->order_ == 0)
                p->compute(count, kScheduledFirst);
            else if (p->lastComputed_ != blockCounter_)
                p->compute(count, kScheduled);
        }
    }
    samplePosition_ += static_cast<std::uint64_t>(count);
    for (Environment* child : children_)
        child->process(count, flags);
}

void Environment::reset(int mode) noexcept {
    resetMark_ = samplePosition_;
    if (mode == kResetLight) {
        for (Environment* child : children_)
            child->reset(kResetLight);
        return;
    }
    fullResetMark_ = samplePosition_;
    for (std::size_t i = 0; i < components_.size(); ++i) {
        Component* c = components_[i];
        if (mode == kResetAll || c->isActive()) c->reset();
    }
    if (mode == kResetActiveHere) return;
    for (Environment* child : children_)
        child->reset(mode == kResetAll ? kResetAll : kResetActive);
}

bool Environment::isIdle() const noexcept {
    for (const Environment* child : children_)
        if (!child->isIdle()) return false;
    for (const Component* c : components_)
        if (!c->isIdle()) return false;
    return true;
}

void Environment::beginTeardown() {
    tearingDown_ = true;
    for (Environment* child : children_)
        child->beginTeardown();
}

void Environment::setDisplayActive(bool active) {
    displayActive_ = active;
    for (Environment* child : children_)
        child->setDisplayActive(active);
}

void Environment::reserveLists() {
    auto grow = [this](auto& list) {
        std::size_t needed = static_cast<std::size_t>(producerCount_);
        if (list.capacity() < needed) list.reserve(std::max<std::size_t>({needed, list.capacity() * 2, 16}));
    };
    grow(processing_);
    grow(components_);
}

void Environment::addProducer() {
    ++producerCount_;
    reserveLists();
}

void Environment::insertProducer(Producer& producer, std::uint32_t order) noexcept {
    // Stays within the capacity reserved by addProducer (no allocation).
    if (order == 0) {
        processing_.insert(processing_.begin(), &producer);
        ++orderZeroCount_;
    } else if (order == 1) {
        processing_.insert(processing_.begin() + orderZeroCount_, &producer);
    } else {
        processing_.push_back(&producer);
    }
}

void Environment::removeProducer(Producer& producer) noexcept {
    auto it = std::find(processing_.begin(), processing_.end(), &producer);
    if (it == processing_.end()) return;
    if (it - processing_.begin() < orderZeroCount_) --orderZeroCount_;
    processing_.erase(it);
}

void Environment::registerComponent(Component& component) {
    if (components_.size() == components_.capacity())
        components_.reserve(std::max<std::size_t>(16, components_.capacity() * 2));
    components_.push_back(&component);
}

void Environment::unregisterComponent(Component& component) {
    auto it = std::find(components_.begin(), components_.end(), &component);
    if (it != components_.end()) components_.erase(it);
}

} // namespace wave
