#pragma once

// Helpers for the filter tests: a source that plays a buffer (or a sine), a
// unit that records what the generic filter asks of it, and level
// measurement through a filter element.

#include "dsp/GenericFilter.h"
#include "dsp/wave/Environment.h"
#include "dsp/wave/Producer.h"

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace test {

// Plays samples from a function of the sample index; constant when asked.
class FunctionSource : public wave::Source {
public:
    explicit FunctionSource(wave::Environment& e, std::function<float(long)> f = {}, bool constant = false)
        : wave::Source(e), function(std::move(f)), constant(constant) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        for (int i = 0; i < count; ++i)
            block->data()[i] = function ? function(position + i) : 0.0f;
        position += count;
        block->setConstant(constant);
    }
    std::function<float(long)> function;
    bool constant;
    long position = 0;
};

inline std::function<float(long)> sine(double frequency, double sampleRate, double amplitude) {
    return [=](long n) {
        return float(amplitude * std::sin(2.0 * std::numbers::pi * frequency * double(n) / sampleRate));
    };
}

// A parallel unit that multiplies by 2 and records the calls.
class RecordingUnit : public GenericFilter::ParallelFilterUnit {
public:
    explicit RecordingUnit(wave::Environment& e) : GenericFilter::ParallelFilterUnit(e) {}

    bool supportsSlope(int) const override { return true; }
    void clearState() noexcept override { ++clears; }
    void prepareBlock() noexcept override { ++prepares; }
    void computeCoefficients(int lane, int segment, float frequency, float peak,
                             float gain) noexcept override {
        calls.push_back({lane, segment, frequency, peak, gain});
    }
    void process(const float* in, float* out, int count) noexcept override {
        ++processes;
        lastSegments.assign(segments(), segments() + segmentCount());
        for (int i = 0; i < count; ++i)
            out[i] = 2.0f * in[i];
    }
    void processParallel(int count) noexcept override {
        ++parallelRuns;
        lastSegments.assign(segments(), segments() + segmentCount());
        for (int lane = 0; lane < kLanes; ++lane) {
            inputsSeen[lane] = laneInput(lane);
            activeSeen[lane] = isLaneActive(lane);
            for (int i = 0; i < count; ++i)
                laneOutput(lane).data()[i] = 2.0f * laneInput(lane)[i];
        }
    }
    void resetLane(int lane) noexcept override { laneResets.push_back(lane); }

    struct Call {
        int lane, segment;
        float frequency, peak, gain;
    };
    std::vector<Call> calls;
    std::vector<int> lastSegments;
    std::vector<int> laneResets;
    const float* inputsSeen[kLanes] = {};
    bool activeSeen[kLanes] = {};
    int clears = 0, prepares = 0, processes = 0, parallelRuns = 0;
};

// Runs one chunk: next block, pull, process.
inline const wave::BasicBlock<float>& runBlock(wave::Environment& e, wave::Producer& output, int count) {
    e.nextBlock();
    const wave::BasicBlock<float>& out = output.pull(count);
    e.process(count, 0);
    return out;
}

// Level (RMS) of output over `measure` samples after `settle` samples.
inline double rmsAfter(wave::Environment& e, wave::Producer& output, int settle, int measure,
                       int block = 128) {
    double sum = 0.0;
    int seen = 0;
    for (int done = 0; done < settle + measure; done += block) {
        const wave::BasicBlock<float>& out = runBlock(e, output, block);
        for (int i = 0; i < block; ++i) {
            if (done + i >= settle) {
                sum += double(out.data()[i]) * out.data()[i];
                ++seen;
            }
        }
    }
    return std::sqrt(sum / seen);
}

inline double toDb(double ratio) {
    return 20.0 * std::log10(ratio);
}

} // namespace test
