#pragma once

// A named piece of work on the common stereo test mixture, made fresh for each
// run and timed with flush-to-zero on, after untimed warm-up blocks.

#include "bench/BenchSupport.h"
#include "dsp/Simd.h"

#include <functional>
#include <string>

namespace bench {

using StereoWork = std::function<void(Stereo&, int offset, int count)>;

struct StereoCase {
    std::string name;
    std::function<StereoWork()> make;
};

inline void runStereoCase(benchmark::State& state, const StereoCase& c, int warmupBlocks) {
    simd::ScopedControlWord csr;
    int hostBlock = static_cast<int>(state.range(0));
    Stereo audio(hostBlock, {0.5f, 0.25f, 0.1f});
    StereoWork work = c.make();
    runChunks(state, audio, work, hostBlock, warmupBlocks);
}

} // namespace bench
