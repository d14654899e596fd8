#include "modulation/Router.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;

int roundUp4(int count) {
    return (count + 3) & ~3;
}
} // namespace

Router::Router(wave::Environment& environment, std::int32_t inputCount) : wave::Source(environment) {
    for (std::int32_t i = 0; i < inputCount; ++i)
        inputs_.push_back(std::make_unique<Input>(environment));
    // The selection holds from the start: input 0 alone, at once.
    applySelection(0.0f);
}

Router::~Router() = default;

void Router::setInputProducer(std::int32_t i, wave::Producer* producer) {
    if (i < 0 || i >= getNumInputs()) return;
    inputs_[static_cast<std::size_t>(i)]->producer = producer;
    setPassThrough(nullptr);
}

void Router::setPassThrough(wave::Producer* producer) {
    passThrough_ = producer;
    setForward(producer);
}

void Router::propertyChanged(AbstractProperty&) {
    applySelection(crossfadeTime.getValue());
}

void Router::applySelection(float timeMs) {
    std::int32_t selected = selectedInput.getValue();
    for (std::int32_t i = 0; i < getNumInputs(); ++i)
        getInput(i).amount.setValue(i == selected ? 1.0f : 0.0f, timeMs);
    setPassThrough(nullptr);
}

void Router::produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept {
    for (auto& input : inputs_)
        input->amount.advanceBlock(count);
    if (passThrough_ != nullptr) {
        setCurrentBlock(passThrough_->pull(count));
        return;
    }
    const int n = roundUp4(count);
    float* y = block->data();
    const wave::BasicBlock<float>* referenced = nullptr;
    wave::Producer* referencedProducer = nullptr;
    int contributed = 0;
    bool written = false;
    for (auto& input : inputs_) {
        const wave::BasicBlock<float>& a = input->amount.getBlock();
        bool unity = a.isConstant() && std::fabs(a.data()[0] - 1.0f) <= kEpsilon;
        if (a.isConstant() && std::fabs(a.data()[0]) <= kEpsilon) continue;
        const wave::BasicBlock<float>& in = wave::Producer::pull(input->producer, getEnvironment(), count);
        ++contributed;
        if (contributed == 1 && unity) {
            referenced = &in;
            referencedProducer = input->producer;
            continue;
        }
        const float* x = in.data();
        const float* g = a.data();
        if (!written) {
            if (referenced != nullptr) {
                const float* r = referenced->data();
                for (int i = 0; i < n; ++i)
                    y[i] = r[i] + (unity ? x[i] : g[i] * x[i]);
                referenced = nullptr;
            } else {
                for (int i = 0; i < n; ++i)
                    y[i] = unity ? x[i] : g[i] * x[i];
            }
            written = true;
        } else {
            for (int i = 0; i < n; ++i)
                y[i] = y[i] + (unity ? x[i] : g[i] * x[i]);
        }
    }
    if (referenced != nullptr) {
        setCurrentBlock(*referenced);
        if (contributed == 1 && referencedProducer != nullptr) setPassThrough(referencedProducer);
        return;
    }
    if (!written) {
        setCurrentBlock(getEnvironment().getZeroBlock());
        return;
    }
    block->setConstant(false);
}
