#pragma once

// StaticMixer: the sum of fixed gains times inputs, set by its owner. A
// single contributing input of unity gain is passed on without copying.

#include "dsp/wave/Producer.h"

#include <vector>

class StaticMixer : public wave::Source {
public:
    struct Pair {
        float gain = 1.0f;
        wave::Producer* input = nullptr;
    };

    explicit StaticMixer(wave::Environment& environment) : wave::Source(environment) {}

    // Main thread, before processing.
    void addPair(float gain, wave::Producer* input) { pairs_.push_back({gain, input}); }
    std::vector<Pair>& getPairs() { return pairs_; }

    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;

private:
    std::vector<Pair> pairs_;
};
