// Block kernels, VolumeFilter and MidSideConverter on stereo audio.
//
// Every case processes one host block of stereo audio per iteration (128 or
// 512 frames), cut into graph chunks of at most 128 frames, with normal or
// subnormal input, under flush-to-zero and denormals-are-zero as on the
// audio thread.

#include "bench/BenchSupport.h"
#include "dsp/BlockKernels.h"
#include "dsp/FloatParameter.h"
#include "dsp/MidSideConverter.h"
#include "dsp/PairKernels.h"
#include "dsp/Simd.h"
#include "dsp/VolumeFilter.h"
#include "dsp/wave/Environment.h"
#include "dsp/wave/Producer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using bench::kChunk;

// Stereo audio for one host block: a decaying mixture, or subnormal noise,
// with room for three outputs a frame.
struct Stereo : bench::Stereo {
    Stereo(int frames, bool subnormal)
        : bench::Stereo(frames, {1.0f, 0.5f, 0.25f}, subnormal ? 1.0e-39f : 0.5f, 3) {
        // A threefold stream for the decimating lookup.
        for (int i = 0; i < 3 * frames; ++i)
            threefold.push_back(left[i / 3]);
    }
    std::vector<float> threefold;
};

struct Case {
    std::string name;
    // Builds the state for one run and returns the per-chunk work.
    std::function<std::function<void(Stereo&, int offset, int count)>(int hostBlock)> make;
};

void runCase(benchmark::State& state, const Case& c) {
    int hostBlock = static_cast<int>(state.range(0));
    // The input is made before flush-to-zero is on, so subnormal samples stay
    // subnormal in memory, as a host would hand them over.
    Stereo audio(hostBlock, state.range(1) != 0);
    simd::ScopedControlWord csr;
    auto work = c.make(hostBlock);
    bench::runChunks(state, audio, work, hostBlock);
}

// Two filter positions' chain coefficients (one segment) and states.
struct ChainState {
    bool series = false; // the second position reads the first's outputs
    int segments[1] = {};
    std::vector<float> idle = std::vector<float>(kChunk), idleOut[2];
    float f[4], q[2][4], wl[4], wb[4], wh[4], gain[4], drive[4];
    std::vector<float> table = std::vector<float>(8193);
    float scale[4], level[4];
    OversampledSvfCoefficients stages[2][2];
    ClipLookup4 clip;
    float band[2][16] = {}, low[2][16] = {};
    TptSection4 sections[2];
    const TptSection4* sectionList[2] = {&sections[0], &sections[1]};
    float s1[2][16] = {}, s2[2][16] = {};
    const float* in[2][4];
    float* out[2][4];

    ChainState() {
        for (int l = 0; l < 4; ++l) {
            f[l] = 0.25f;
            q[0][l] = 1.2f;
            q[1][l] = 1.6f;
            wl[l] = 1.0f;
            wb[l] = wh[l] = 0.0f;
            gain[l] = 1.8f;
            drive[l] = 0.05f;
            scale[l] = 1.0f / (1.5f * 1.8f);
            level[l] = 1.5f;
            for (TptSection4& c : sections) {
                c.g[l] = 0.13f;
                c.k[l] = 1.55f;
                c.low[l] = 1.0f;
                c.band[l] = c.high[l] = 0.0f;
            }
        }
        for (int i = 0; i < 8193; ++i)
            table[std::size_t(i)] = static_cast<float>(std::atan((static_cast<double>(i) - 4096.0) / 100.0));
        for (auto& stage : stages) {
            stage[0] = {f, q[0], wl, wb, wh, gain, drive};
            stage[1] = {f, q[1], wl, wb, wh};
        }
        clip.table = {table.data(), 8191, -4095, 102.375f, 0.0f, nullptr, nullptr};
        for (int l = 0; l < 4; ++l) {
            clip.scales[l] = scale;
            clip.gains[l] = level;
            clip.active[l] = l < 2;
        }
        for (auto& o : idleOut)
            o.assign(kChunk, 0.0f);
    }
    void lanes(int k, Stereo& a, int o) {
        in[k][0] = a.left.data() + o;
        in[k][1] = a.right.data() + o;
        if (k == 1 && series) {
            in[k][0] = out[0][0];
            in[k][1] = out[0][1];
        }
        in[k][2] = in[k][3] = idle.data();
        out[k][0] = (k == 0 ? a.outLeft.data() : a.outLeft.data() + a.left.size()) + o;
        out[k][1] = (k == 0 ? a.outRight.data() : a.outRight.data() + a.right.size()) + o;
        out[k][2] = out[k][3] = idleOut[std::size_t(k)].data();
    }
    SvfChainLanes svf(int k, Stereo& a, int o) {
        lanes(k, a, o);
        return {in[k], out[k], segments, stages[k], 2, band[k], low[k], &clip};
    }
    TptCascadeLanes tpt(int k, Stereo& a, int o) {
        lanes(k, a, o);
        return {in[k], out[k], segments, sectionList, 2, s1[k], s2[k]};
    }
};

// Kernel cases: per chunk, both channels.
std::vector<Case> cases() {
    std::vector<Case> list;
    list.push_back({"copy", [](int) { return [](Stereo& a, int o, int n) { bench::copyStereo(a, o, n); }; }});

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

    // Filter chains as the filter positions run them: a saturating stage, a
    // linear one and the clip (24 dB/oct); a cascade of two biquad sections.
    // Stereo in lanes 0 and 1 of a position, lanes 2 and 3 idle; one
    // position alone, or two positions in one eight-lane pass per path, side
    // by side or in series (the second trailing the first and reading it).
    for (int positions : {1, 2, 3}) {
        for (simd::Path path : {simd::Path::kSse2, simd::Path::kAvx2}) {
            if (positions == 1 && path == simd::Path::kAvx2) continue;
            // 3: two positions in series, the second trailing.
            const int trail = positions == 3 ? PairKernels::kTrail : 0;
            const std::string which = positions == 1   ? std::string(" x4")
                                      : positions == 2 ? std::string(" pair ") + simd::pathName(path)
                                                       : std::string(" series ") + simd::pathName(path);
            list.push_back({"svf chain" + which, [positions, path, trail](int) {
                                auto st = std::make_shared<ChainState>();
                                st->series = positions == 3;
                                return [st, positions, path, trail](Stereo& a, int o, int n) {
                                    st->segments[0] = n;
                                    SvfChainLanes lanes[2];
                                    for (int k = 0; k < 2; ++k)
                                        lanes[k] = st->svf(k, a, o);
                                    if (positions == 1)
                                        Kernels::svfChain4(lanes[0].in, lanes[0].out, n, st->segments,
                                                           lanes[0].stages, 2, lanes[0].band, lanes[0].low,
                                                           *lanes[0].clip);
                                    else
                                        PairKernels::of(path).svfChains(lanes[0], lanes[1], n, trail);
                                };
                            }});
            list.push_back({"tpt cascade" + which, [positions, path, trail](int) {
                                auto st = std::make_shared<ChainState>();
                                st->series = positions == 3;
                                return [st, positions, path, trail](Stereo& a, int o, int n) {
                                    st->segments[0] = n;
                                    TptCascadeLanes lanes[2];
                                    for (int k = 0; k < 2; ++k)
                                        lanes[k] = st->tpt(k, a, o);
                                    if (positions == 1)
                                        Kernels::tptSvfCascade4(lanes[0], n);
                                    else
                                        PairKernels::of(path).tptCascades(lanes[0], lanes[1], n, trail);
                                };
                            }});
        }
    }

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
    // A constant gain of 0.5, a gain always gliding, or unity gain.
    enum VolumeMode : int { kConstantHalf, kGliding, kUnity };
    struct VolumeKind {
        const char* name;
        VolumeMode mode;
    };
    for (VolumeKind kind : {VolumeKind{"volume constant", kConstantHalf},
                            VolumeKind{"volume gliding", kGliding}, VolumeKind{"volume unity", kUnity}}) {
        list.push_back({kind.name, [kind](int) {
                            auto g = std::make_shared<VolumeGraph>();
                            if (kind.mode == kConstantHalf) {
                                g->volumeLeft.getGainSource().getParameter().setValue(0.5f, 0.0f);
                                g->volumeRight.getGainSource().getParameter().setValue(0.5f, 0.0f);
                            }
                            return [g, kind](Stereo& a, int o, int n) {
                                if (kind.mode == kGliding && o == 0) {
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

std::string inputText(const std::string& value) {
    return value == "1" ? "subnormal" : "normal";
}

} // namespace

int main(int argc, char** argv) {
    static const std::vector<::Case> all = ::cases();
    bench::registerCases(all, ::runCase, {{0, 1}}); // input: normal, subnormal
    return bench::runAndSummarize(argc, argv, {{"block"}, {"input", ::inputText}});
}
