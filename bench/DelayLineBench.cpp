// Delay lines, the signal smoother and the gain adjuster on stereo audio at
// 48 kHz.
//
// Each case runs one graph per channel (two delay lines, two limiters) over
// one host block of stereo audio per iteration (128 or 512 frames), cut into
// graph chunks of at most 128 frames, under flush-to-zero and
// denormals-are-zero as on the audio thread. The figure is nanoseconds per
// stereo frame (at 48 kHz a frame lasts 20833 ns). A plain copy of the same
// audio runs in the same program; the summary at the end gives every case
// beside it and as a multiple of it, which compares across machines.
//
// Delay cases: a steady time (the whole-block fast path), and each read
// style under a moving time (a 0.5 Hz sine of +-20 ms around 300 ms, with the
// 5 Hz time smoother on, as the effect runs it). The limiter is the effect's
// feedback level limit: two rectifying 5 Hz smoothers and a gain adjuster
// taking the ratio of their levels.

#include "dsp/DelayLine.h"
#include "dsp/GainAdjuster.h"
#include "dsp/SignalSmoother.h"
#include "dsp/Simd.h"
#include "dsp/wave/Environment.h"
#include "dsp/wave/Producer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr int kChunk = 128;
constexpr float kRate = 48000.0f;

// Stereo noise for one host block.
struct Stereo {
    explicit Stereo(int frames) : left(frames), right(frames), outLeft(frames), outRight(frames) {
        std::uint32_t state = 12345u;
        for (int i = 0; i < frames; ++i) {
            state = state * 1664525u + 1013904223u;
            float noise = static_cast<float>(state >> 8) * (1.0f / 8388608.0f) - 1.0f;
            left[i] = 0.5f * noise;
            right[i] = 0.25f * noise + 0.1f;
        }
    }
    std::vector<float> left, right, outLeft, outRight;
};

// A delay time in milliseconds read from a table of one second, sample by
// sample (a moving time), or a constant block (a steady one).
class TimeTable : public wave::Source {
public:
    TimeTable(wave::Environment& e, bool moving, float phase) : wave::Source(e), moving_(moving) {
        table_.resize(static_cast<std::size_t>(kRate));
        for (std::size_t i = 0; i < table_.size(); ++i)
            table_[i] =
                300.0f + 20.0f * std::sin(6.2831853f * (static_cast<float>(i) / kRate * 0.5f + phase));
    }
    void produce(wave::BasicBlock<float>* block, int count, int) override {
        float* out = block->data();
        if (!moving_) {
            std::fill(out, out + count, 300.0f);
            block->setConstant(true);
            return;
        }
        for (int i = 0; i < count; ++i) {
            out[i] = table_[position_];
            if (++position_ == table_.size()) position_ = 0;
        }
        block->setConstant(false);
    }

private:
    bool moving_;
    std::vector<float> table_;
    std::size_t position_ = 0;
};

using Work = std::function<void(Stereo&, int offset, int count)>;

struct Case {
    std::string name;
    std::function<Work()> make;
};

void runCase(benchmark::State& state, const Case& c) {
    simd::ScopedControlWord csr;
    int hostBlock = static_cast<int>(state.range(0));
    Stereo audio(hostBlock);
    Work work = c.make();
    // Fill the lines' rings and settle the smoothers first.
    for (int i = 0; i < 400; ++i)
        for (int offset = 0; offset < hostBlock; offset += kChunk)
            work(audio, offset, std::min(kChunk, hostBlock - offset));
    for (auto _ : state) {
        for (int offset = 0; offset < hostBlock; offset += kChunk)
            work(audio, offset, std::min(kChunk, hostBlock - offset));
        benchmark::DoNotOptimize(audio.outLeft.data());
        benchmark::DoNotOptimize(audio.outRight.data());
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(hostBlock),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// One delay line per channel fed from the host audio.
struct DelayGraph {
    wave::Environment e;
    wave::Input left{e}, right{e};
    TimeTable timeLeft, timeRight;
    DelayLine lineLeft{e}, lineRight{e};

    DelayGraph(bool moving, DelayLine::ReadType type)
        : timeLeft(e, moving, 0.0f), timeRight(e, moving, 0.25f) {
        e.setSampleRate(kRate);
        for (auto [line, in, time] :
             {std::tuple{&lineLeft, &left, &timeLeft}, std::tuple{&lineRight, &right, &timeRight}}) {
            line->setInput(in);
            line->readType.setValue(type);
            line->timeInput.setSource(time);
        }
    }
};

Work delayWork(bool moving, DelayLine::ReadType type) {
    auto g = std::make_shared<DelayGraph>(moving, type);
    return [g](Stereo& a, int o, int n) {
        g->left.setSource(a.left.data() + o, n);
        g->right.setSource(a.right.data() + o, n);
        g->e.nextBlock();
        std::memcpy(a.outLeft.data() + o, g->lineLeft.pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        std::memcpy(a.outRight.data() + o, g->lineRight.pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        g->e.process(n, 0);
    };
}

// The feedback limiter per channel: the delayed signal's level over the
// filtered signal's level limits the filtered signal.
struct LimiterGraph {
    struct Channel {
        wave::Input delayed, filtered;
        SignalSmoother delayedLevel, filteredLevel;
        GainAdjuster gain;
        explicit Channel(wave::Environment& e)
            : delayed(e), filtered(e), delayedLevel(e), filteredLevel(e), gain(e) {
            for (SignalSmoother* s : {&delayedLevel, &filteredLevel})
                s->smoothMethod.setValue(SignalSmoother::kRectify);
            delayedLevel.setInput(&delayed);
            filteredLevel.setInput(&filtered);
            gain.setInput(&filtered);
            gain.setNumeratorLevel(&delayedLevel);
            gain.setDenominatorLevel(&filteredLevel);
        }
    };
    wave::Environment e;
    Channel left{e}, right{e};
    LimiterGraph() { e.setSampleRate(kRate); }
};

Work limiterWork() {
    auto g = std::make_shared<LimiterGraph>();
    return [g](Stereo& a, int o, int n) {
        g->left.delayed.setSource(a.left.data() + o, n);
        g->left.filtered.setSource(a.right.data() + o, n);
        g->right.delayed.setSource(a.right.data() + o, n);
        g->right.filtered.setSource(a.left.data() + o, n);
        g->e.nextBlock();
        std::memcpy(a.outLeft.data() + o, g->left.gain.pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        std::memcpy(a.outRight.data() + o, g->right.gain.pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        g->e.process(n, 0);
    };
}

std::vector<Case> cases() {
    std::vector<Case> list;
    list.push_back({"copy", [] {
                        return Work([](Stereo& a, int o, int n) {
                            std::size_t bytes = static_cast<std::size_t>(n) * sizeof(float);
                            std::memcpy(a.outLeft.data() + o, a.left.data() + o, bytes);
                            std::memcpy(a.outRight.data() + o, a.right.data() + o, bytes);
                        });
                    }});
    list.push_back({"delay steady", [] { return delayWork(false, DelayLine::kTape); }});
    list.push_back({"delay moving tape", [] { return delayWork(true, DelayLine::kTape); }});
    list.push_back({"delay moving stretch", [] { return delayWork(true, DelayLine::kStretch); }});
    list.push_back({"delay moving crossfade", [] { return delayWork(true, DelayLine::kChangeCrossfade); }});
    list.push_back({"delay moving allpass", [] { return delayWork(true, DelayLine::kAllpass); }});
    list.push_back({"feedback limiter", [] { return limiterWork(); }});
    return list;
}

// The usual table, then every case beside the copy of the same block size.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find("ns_per_frame");
            if (it != run.counters.end() && run.run_type == Run::RT_Iteration)
                figures_[run.benchmark_name()] = it->second.value * 1.0e9;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-26s %6s %12s %12s %8s\n", "case (stereo, 48 kHz)", "block", "ns/frame", "copy ns/fr",
                    "x copy");
        for (const auto& [name, ns] : figures_) {
            auto slash = name.find('/');
            std::string base = name.substr(0, slash);
            std::string block = name.substr(slash + 1);
            if (base == "copy") continue;
            auto copy = figures_.find("copy/" + block);
            double copyNs = copy != figures_.end() ? copy->second : 0.0;
            std::printf("%-26s %6s %12.3f %12.3f %8.2f\n", base.c_str(), block.c_str(), ns, copyNs,
                        copyNs > 0.0 ? ns / copyNs : 0.0);
        }
    }

private:
    std::map<std::string, double> figures_;
};

} // namespace

int main(int argc, char** argv) {
    static const std::vector<::Case> all = ::cases();
    for (const ::Case& c : all)
        benchmark::RegisterBenchmark(c.name.c_str(), [&c](benchmark::State& s) { ::runCase(s, c); })
            ->Arg(128)
            ->Arg(512);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
