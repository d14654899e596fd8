#pragma once

// Small producers and a block driver for the modulation tests.

#include "dsp/wave/Environment.h"
#include "dsp/wave/Producer.h"

#include <functional>
#include <vector>

namespace test {

// A source whose samples come from a function of the running sample
// position (constant blocks when `constant` is set: the value at the
// block's first sample).
class FunctionSource : public wave::Source {
public:
    FunctionSource(wave::Environment& e, std::function<float(long)> f, bool constant = false)
        : wave::Source(e), function(std::move(f)), constant(constant) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        long start = static_cast<long>(getEnvironment().getSamplePosition());
        for (int i = 0; i < ((count + 3) & ~3); ++i)
            block->data()[i] = function(constant ? start : start + i);
        block->setConstant(constant);
        ++runs;
    }
    std::function<float(long)> function;
    bool constant;
    int runs = 0;
};

// A constant source whose value the test sets.
class ConstantSource : public wave::Source {
public:
    ConstantSource(wave::Environment& e, float value) : wave::Source(e), value(value) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        for (int i = 0; i < ((count + 3) & ~3); ++i)
            block->data()[i] = value;
        block->setConstant(true);
    }
    float value;
};

// Runs one block: pulls the producer and advances time. Returns the block.
inline std::vector<float> runBlock(wave::Environment& e, wave::Producer& p, int count) {
    e.nextBlock();
    const wave::BasicBlock<float>& b = p.pull(count);
    std::vector<float> out(b.data(), b.data() + count);
    e.process(count, 0);
    return out;
}

// Runs blocks until `total` samples were produced; returns them all.
inline std::vector<float> runSamples(wave::Environment& e, wave::Producer& p, int total, int block = 128) {
    std::vector<float> all;
    while (static_cast<int>(all.size()) < total) {
        int n = std::min(block, total - static_cast<int>(all.size()));
        auto b = runBlock(e, p, n);
        all.insert(all.end(), b.begin(), b.end());
    }
    return all;
}

} // namespace test
