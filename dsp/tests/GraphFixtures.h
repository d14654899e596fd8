#pragma once

// Small producers for graph tests: a counting source, a weighted sum, a
// two-way switch and a delay tap reading at a fixed delay.

#include "dsp/wave/Delay.h"
#include "dsp/wave/Producer.h"

#include <utility>
#include <vector>

namespace test {

// Counts its computations and remembers the modes; writes its count as a
// constant block.
class CountingSource : public wave::Source {
public:
    explicit CountingSource(wave::Environment& e) : wave::Source(e) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override {
        ++computed;
        modes.push_back(mode);
        for (int i = 0; i < count; ++i)
            block->data()[i] = static_cast<float>(computed);
        block->setConstant(true);
    }
    void reset() override { ++resets; }
    bool isIdle() const override { return idle; }

    int computed = 0;
    int resets = 0;
    bool idle = true;
    std::vector<int> modes;
};

// A component that is not a producer.
class CountingComponent : public wave::Component {
public:
    explicit CountingComponent(wave::Environment& e) : wave::Component(e) { registerComponent(); }
    void reset() override { ++resets; }
    int resets = 0;
};

// out = sum of gain * input over its inputs.
class Sum : public wave::Source {
public:
    explicit Sum(wave::Environment& e) : wave::Source(e) {}
    void add(wave::Producer* input, float gain) { inputs.emplace_back(input, gain); }
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        float* out = block->data();
        for (int i = 0; i < count; ++i)
            out[i] = 0.0f;
        for (auto& [input, gain] : inputs) {
            const float* in = input->pull(count).data();
            for (int i = 0; i < count; ++i)
                out[i] += gain * in[i];
        }
        block->setConstant(false);
    }
    std::vector<std::pair<wave::Producer*, float>> inputs;
};

// Passes input a or input b, pulling only the one it passes.
class Switch : public wave::Source {
public:
    explicit Switch(wave::Environment& e) : wave::Source(e, kNoOwnBlock) {}
    void produce(wave::BasicBlock<float>*, int count, wave::ProduceMode) noexcept override {
        setCurrentBlock(Producer::pull(selectB ? b : a, getEnvironment(), count));
    }
    wave::Producer* a = nullptr;
    wave::Producer* b = nullptr;
    bool selectB = false;
};

// A delay line reading at one fixed delay.
class FixedDelayTap : public wave::DelayFilterBase {
public:
    FixedDelayTap(wave::Environment& e, int maxDelay, int writeMode, int delay)
        : wave::DelayFilterBase(e, maxDelay, writeMode), delay(delay) {}
    void process(wave::BasicBlock<float>& out, int count) noexcept override {
        getDelay().readFixed(delay, out.data(), count);
        out.setConstant(false);
    }
    int delay;
};

// Runs one chunk the way the processor does: next block, pull, process.
inline const wave::BasicBlock<float>& runChunk(wave::Environment& e, wave::Producer& output, int count) {
    e.nextBlock();
    const wave::BasicBlock<float>& out = output.pull(count);
    e.process(count, 0);
    return out;
}

} // namespace test
