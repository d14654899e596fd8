// What every benchmark program shares: the stereo test audio, the plain copy
// of it that each program times as its yardstick, the ns-per-stereo-frame
// counter, the chunked host-block loop, and a main that ends with a summary
// giving each case beside the copy of the same block, as a multiple of it.
// A case timed on three or more host blocks up to kChunk frames also gets
// its cost split into a fixed part per call and a part per frame.
//
// Figures are nanoseconds per stereo frame (at 48 kHz a frame lasts
// 20833 ns). Absolute times differ between machines; the multiples of the
// copy run in the same program compare across them.

#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Settings and presets of a benchmark's models go to a folder of their own
// below the temporary folder (the native stand-ins' places); once per program.
inline void useTemporaryFolders(const char* name) {
    static const bool done = [name] {
        const std::filesystem::path root = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(root);
        static std::string config = "XDG_CONFIG_HOME=" + (root / "config").string();
        static std::string documents = "XDG_DOCUMENTS_DIR=" + (root / "documents").string();
        putenv(config.data());
        putenv(documents.data());
        return true;
    }();
    (void)done;
}

// Host blocks every program measures, in frames.
inline const std::vector<std::int64_t> kHostBlocks = {128, 512};
// The small blocks of a host run live (16 to 64 frames) beside them, for the
// programs that time the whole processor or plug-in per call.
inline const std::vector<std::int64_t> kLiveHostBlocks = {16, 32, 64, 128, 512};

// The longest piece of a host block a signal graph runs at once.
constexpr int kChunk = 128;

// The test signal, from one fixed noise sequence in [-1, 1):
// left = leftGain * noise * scale, right = (rightGain * noise + rightOffset) * scale.
struct Mixture {
    float leftGain;
    float rightGain;
    float rightOffset;
};

// Stereo audio for one host block and room for the result. Outputs hold
// `outputsPerFrame` values a frame, for work writing several per sample.
struct Stereo {
    Stereo(int frames, Mixture mixture, float scale = 1.0f, int outputsPerFrame = 1);
    std::vector<float> left, right, outLeft, outRight;
};

// The yardstick: both channels copied from input to output.
inline void copyStereo(Stereo& audio, int offset, int count) {
    std::size_t bytes = static_cast<std::size_t>(count) * sizeof(float);
    std::memcpy(audio.outLeft.data() + offset, audio.left.data() + offset, bytes);
    std::memcpy(audio.outRight.data() + offset, audio.right.data() + offset, bytes);
}

// Keeps the compiler from dropping the work that wrote the outputs.
inline void keepOutput(Stereo& audio) {
    benchmark::DoNotOptimize(audio.outLeft.data());
    benchmark::DoNotOptimize(audio.outRight.data());
    benchmark::ClobberMemory();
}

// Reports the run as nanoseconds per frame, `frames` frames an iteration.
void setFrameCounter(benchmark::State& state, int frames);

// Times `work(audio, offset, count)` over one host block an iteration, cut
// into chunks of at most kChunk frames, after `warmupBlocks` untimed blocks
// (to fill rings and settle smoothers).
template <typename Audio, typename Work>
void runChunks(benchmark::State& state, Audio& audio, const Work& work, int hostBlock, int warmupBlocks = 0) {
    for (int i = 0; i < warmupBlocks; ++i)
        for (int offset = 0; offset < hostBlock; offset += kChunk)
            work(audio, offset, std::min(kChunk, hostBlock - offset));
    for (auto _ : state) {
        for (int offset = 0; offset < hostBlock; offset += kChunk)
            work(audio, offset, std::min(kChunk, hostBlock - offset));
        keepOutput(audio);
    }
    setFrameCounter(state, hostBlock);
}

// Registers `fn` once for every host block in `blocks`, times every value
// of each list in `moreArgs` (as further arguments).
template <typename Fn>
benchmark::internal::Benchmark* registerBlocks(const std::string& name, Fn&& fn,
                                               const std::vector<std::vector<std::int64_t>>& moreArgs = {},
                                               const std::vector<std::int64_t>& blocks = kHostBlocks) {
    std::vector<std::vector<std::int64_t>> args{blocks};
    args.insert(args.end(), moreArgs.begin(), moreArgs.end());
    return benchmark::RegisterBenchmark(name.c_str(), std::forward<Fn>(fn))->ArgsProduct(args);
}

// Registers each case (anything with a `name`) as above, timed by
// `run(state, case)`. The cases must outlive the run: keep them static.
template <typename Case, typename Run>
void registerCases(const std::vector<Case>& cases, Run run,
                   const std::vector<std::vector<std::int64_t>>& moreArgs = {},
                   const std::vector<std::int64_t>& blocks = kHostBlocks) {
    for (const Case& c : cases)
        registerBlocks(
            c.name, [&c, run](benchmark::State& state) { run(state, c); }, moreArgs, blocks);
}

// A column of the summary for one benchmark argument (the first is the host
// block). `text` turns the argument into words; without it the number shows.
struct ArgColumn {
    std::string title;
    std::string (*text)(const std::string& value) = nullptr;
};

// Runs the registered cases as the command line asks, prints the usual table,
// then every case named other than "copy" beside the "copy" case whose
// arguments lead its own (the same block, and input where the copy has one).
// With repetitions the median stands for a case. Then, for every case (the
// copy too) timed on at least three host blocks of at most kChunk frames with
// the same further arguments: the least-squares line through its time per
// call against the block, time = fixed + frames x per frame, fitted over
// those blocks (a longer block is cut into several pieces of kChunk frames
// further down, each paying the fixed part again), and its ns per frame at
// each block as a multiple of that at its longest block. Returns main's exit
// code.
int runAndSummarize(int argc, char** argv, const std::vector<ArgColumn>& columns);

} // namespace bench
