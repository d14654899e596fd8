// Block kernels, VolumeFilter and MidSideConverter on stereo audio.
//
// Every case processes one host block of stereo audio per iteration (128 or
// 512 frames), cut into graph chunks of at most 128 frames, with normal or
// subnormal input, under flush-to-zero and denormals-are-zero as on the
// audio thread. The figure is nanoseconds per stereo frame (at 48 kHz a
// frame lasts 20833 ns). A plain copy of the same stereo audio runs in the
// same program, and the summary at the end gives each case as a multiple of
// that copy, which compares across machines.

#include "dsp/BlockKernels.h"
#include "dsp/FloatParameter.h"
#include "dsp/MidSideConverter.h"
#include "dsp/VolumeFilter.h"
#include "dsp/wave/Environment.h"
#include "dsp/wave/Producer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kChunk = 128;

// Stereo audio for one host block: a decaying mixture, or subnormal noise.
struct Stereo {
    Stereo(int frames, bool subnormal)
        : left(frames), right(frames), outLeft(3 * frames), outRight(3 * frames) {
        std::uint32_t state = 12345u;
        for (int i = 0; i < frames; ++i) {
            state = state * 1664525u + 1013904223u;
            float noise = static_cast<float>(state >> 8) * (1.0f / 8388608.0f) - 1.0f;
            float scale = subnormal ? 1.0e-39f : 0.5f;
            left[i] = noise * scale;
            right[i] = (0.5f * noise + 0.25f) * scale;
        }
        // A threefold stream for the decimating lookup.
        for (int i = 0; i < 3 * frames; ++i)
            threefold.push_back(left[i / 3]);
    }
    std::vector<float> left, right, outLeft, outRight, threefold;
};

struct Case {
    std::string name;
    // Builds the state for one run and returns the per-chunk work.
    std::function<std::function<void(Stereo&, int offset, int count)>(int hostBlock)> make;
};

void runCase(benchmark::State& state, const Case& c) {
    simd::ScopedControlWord csr;
    int hostBlock = static_cast<int>(state.range(0));
    Stereo audio(hostBlock, state.range(1) != 0);
    auto work = c.make(hostBlock);
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

// Kernel cases: per chunk, both channels.
std::vector<Case> cases() {
    std::vector<Case> list;
    list.push_back({"copy", [](int) {
                        return [](Stereo& a, int o, int n) {
                            std::memcpy(a.outLeft.data() + o, a.left.data() + o, n * sizeof(float));
                            std::memcpy(a.outRight.data() + o, a.right.data() + o, n * sizeof(float));
                        };
                    }});

    list.push_back({"tpt svf", [](int) {
                        struct S {
                            TptSection c{0.13f, 1.55f, 1.0f, 0.0f, 0.0f};
                            int segments[1];
                            float s[4] = {};
                        };
                        auto st = std::make_shared<S>();
                        return [st](Stereo& a, int o, int n) {
                            st->segments[0] = n;
                            Kernels::tptSvf(a.left.data() + o, a.outLeft.data() + o, n, st->segments, &st->c,
                                            st->s[0], st->s[1]);
                            Kernels::tptSvf(a.right.data() + o, a.outRight.data() + o, n, st->segments,
                                            &st->c, st->s[2], st->s[3]);
                        };
                    }});
    list.push_back({"tpt svf x4", [](int) {
                        struct S {
                            TptSection4 c;
                            int segments[1];
                            float s1[4] = {}, s2[4] = {};
                            std::vector<float> idle = std::vector<float>(kChunk),
                                               idleOut = std::vector<float>(kChunk);
                        };
                        auto st = std::make_shared<S>();
                        for (int l = 0; l < 4; ++l) {
                            st->c.g[l] = 0.13f;
                            st->c.k[l] = 1.55f;
                            st->c.low[l] = 1.0f;
                            st->c.band[l] = 0.0f;
                            st->c.high[l] = 0.0f;
                        }
                        return [st](Stereo& a, int o, int n) {
                            st->segments[0] = n;
                            const float* in[4] = {a.left.data() + o, a.right.data() + o, st->idle.data(),
                                                  st->idle.data()};
                            float* out[4] = {a.outLeft.data() + o, a.outRight.data() + o, st->idleOut.data(),
                                             st->idleOut.data()};
                            Kernels::tptSvf4(in, out, n, st->segments, &st->c, st->s1, st->s2);
                        };
                    }});

    using OneFn =
        void (*)(const float*, float*, int, const int*, const OversampledSvfCoefficients&, float&, float&);
    struct Svf {
        const char* name;
        OneFn fn;
        int outputs;
    };
    for (Svf svf :
         {Svf{"svf linear", Kernels::svfLinear, 1}, Svf{"svf saturating", Kernels::svfSaturating, 1},
          Svf{"svf saturating 3", Kernels::svfSaturating3, 3}}) {
        list.push_back({svf.name, [svf](int) {
                            struct S {
                                float f = 0.3f, q = 0.6f, wl = 1.0f, wb = 0.0f, wh = 0.0f, gain = 1.2f,
                                      drive = 0.05f;
                                int segments[1];
                                float band[2] = {}, low[2] = {};
                            };
                            auto st = std::make_shared<S>();
                            return [st, svf](Stereo& a, int o, int n) {
                                OversampledSvfCoefficients c{&st->f,  &st->q,    &st->wl,   &st->wb,
                                                             &st->wh, &st->gain, &st->drive};
                                st->segments[0] = n;
                                svf.fn(a.left.data() + o, a.outLeft.data() + o * svf.outputs, n, st->segments,
                                       c, st->band[0], st->low[0]);
                                svf.fn(a.right.data() + o, a.outRight.data() + o * svf.outputs, n,
                                       st->segments, c, st->band[1], st->low[1]);
                            };
                        }});
    }

    auto makeTable = [] {
        auto t = std::make_shared<std::vector<float>>(8193);
        for (int i = 0; i < 8193; ++i)
            (*t)[i] = static_cast<float>(i % 89) / 89.0f;
        return t;
    };
    list.push_back({"table lookup", [makeTable](int) {
                        auto t = makeTable();
                        auto seg = std::make_shared<int>(0);
                        return [t, seg](Stereo& a, int o, int n) {
                            static const float scale = 1.0f, gain = 0.9f;
                            *seg = n;
                            TableLookup lookup{t->data(), 8191, 4095, 100.0f, 0.25f, &scale, &gain};
                            Kernels::lookup(a.left.data() + o, a.outLeft.data() + o, n, seg.get(), lookup);
                            Kernels::lookup(a.right.data() + o, a.outRight.data() + o, n, seg.get(), lookup);
                        };
                    }});
    list.push_back({"table lookup decimating", [makeTable](int) {
                        auto t = makeTable();
                        auto seg = std::make_shared<int>(0);
                        return [t, seg](Stereo& a, int o, int n) {
                            static const float scale = 1.0f, gain = 0.9f;
                            *seg = n;
                            TableLookup lookup{t->data(), 8191, 4095, 100.0f, 0.25f, &scale, &gain};
                            Kernels::lookupDecimate3(a.threefold.data() + 3 * o, a.outLeft.data() + o, n,
                                                     seg.get(), lookup);
                            Kernels::lookupDecimate3(a.threefold.data() + 3 * o, a.outRight.data() + o, n,
                                                     seg.get(), lookup);
                        };
                    }});

    // Graph cases: the environment runs one chunk per call.
    struct VolumeGraph {
        wave::Environment e;
        wave::Input left{e}, right{e};
        VolumeFilter volumeLeft{e}, volumeRight{e};
        int blocks = 0;
        VolumeGraph() {
            volumeLeft.setInput(&left);
            volumeRight.setInput(&right);
            e.setSampleRate(48000.0f);
        }
    };
    struct VolumeKind {
        const char* name;
        int mode; // 0 constant 0.5, 1 gliding, 2 unity
    };
    for (VolumeKind kind :
         {VolumeKind{"volume constant", 0}, VolumeKind{"volume gliding", 1}, VolumeKind{"volume unity", 2}}) {
        list.push_back({kind.name, [kind](int) {
                            auto g = std::make_shared<VolumeGraph>();
                            if (kind.mode == 0) {
                                g->volumeLeft.getGainSource().getParameter().setValue(0.5f, 0.0f);
                                g->volumeRight.getGainSource().getParameter().setValue(0.5f, 0.0f);
                            }
                            return [g, kind](Stereo& a, int o, int n) {
                                if (kind.mode == 1 && o == 0) {
                                    // A new target every host block, gliding for 50 ms: always ramping.
                                    float target = (++g->blocks % 2) ? 0.25f : 0.75f;
                                    g->volumeLeft.getGainSource().getParameter().setValue(target, 50.0f);
                                    g->volumeRight.getGainSource().getParameter().setValue(target, 50.0f);
                                }
                                g->left.setSource(a.left.data() + o, n);
                                g->right.setSource(a.right.data() + o, n);
                                g->e.nextBlock();
                                const float* l = g->volumeLeft.pull(n).data();
                                const float* r = g->volumeRight.pull(n).data();
                                benchmark::DoNotOptimize(l);
                                benchmark::DoNotOptimize(r);
                                g->e.process(n, 0);
                            };
                        }});
    }
    for (auto conversion : {MidSideConverter::kToMidSide, MidSideConverter::kToLeftRight}) {
        list.push_back({conversion == MidSideConverter::kToMidSide ? "mid-side encode" : "mid-side decode",
                        [conversion](int) {
                            struct Graph {
                                wave::Environment e;
                                wave::Input left{e}, right{e};
                                MidSideConverter converter{e};
                            };
                            auto g = std::make_shared<Graph>();
                            g->converter.conversion.setValue(conversion);
                            g->converter.setInput(0, &g->left);
                            g->converter.setInput(1, &g->right);
                            return [g](Stereo& a, int o, int n) {
                                g->left.setSource(a.left.data() + o, n);
                                g->right.setSource(a.right.data() + o, n);
                                g->e.nextBlock();
                                const float* m = g->converter.getOutput(0).pull(n).data();
                                const float* s = g->converter.getOutput(1).pull(n).data();
                                benchmark::DoNotOptimize(m);
                                benchmark::DoNotOptimize(s);
                                g->e.process(n, 0);
                            };
                        }});
    }
    return list;
}

// Prints the usual table, then every case beside the copy of the same block
// size and input, as ns per frame and as a multiple of the copy.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find("ns_per_frame");
            if (it == run.counters.end()) continue;
            // With repetitions the median stands for the case.
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !figures_.count(run.run_name.str())))
                figures_[run.run_name.str()] = it->second.value * 1.0e9;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-26s %6s %-10s %12s %12s %8s\n", "case", "block", "input", "ns/frame", "copy ns/fr",
                    "x copy");
        for (const auto& [name, ns] : figures_) {
            // name: case/block/subnormal
            auto first = name.find('/');
            auto second = name.find('/', first + 1);
            std::string base = name.substr(0, first);
            std::string rest = name.substr(first);
            if (base == "copy") continue;
            auto copy = figures_.find("copy" + rest);
            double copyNs = copy != figures_.end() ? copy->second : 0.0;
            std::printf("%-26s %6s %-10s %12.3f %12.3f %8.2f\n", base.c_str(),
                        name.substr(first + 1, second - first - 1).c_str(),
                        name.substr(second + 1) == "1" ? "subnormal" : "normal", ns, copyNs,
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
        benchmark::RegisterBenchmark(c.name.c_str(), [&c](benchmark::State& s) {
            ::runCase(s, c);
        })->ArgsProduct({{128, 512}, {0, 1}});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
