#include "dsp/BlockKernels.h"

#include "dsp/tests/KernelFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

using test::Lcg;

std::uint32_t bitsOf(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    return u;
}

bool sameBits(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || bitsOf(a) == bitsOf(b);
}

// FNV-1a over the bits, every NaN counted as one canonical NaN.
std::uint64_t checksum(const std::vector<float>& v) {
    std::uint64_t h = 1469598103934665603ull;
    for (float f : v) {
        std::uint32_t u = std::isnan(f) ? 0x7fc00000u : bitsOf(f);
        for (int i = 0; i < 4; ++i) {
            h ^= (u >> (8 * i)) & 0xffu;
            h *= 1099511628211ull;
        }
    }
    return h;
}

// Random audio with the awkward values near the end: NaN, infinities,
// subnormals, signed zeros, huge and tiny numbers.
std::vector<float> signal(std::uint32_t seed, int count, float amplitude = 1.0f) {
    Lcg r(seed);
    std::vector<float> v(static_cast<std::size_t>(count));
    for (float& x : v)
        x = r.uniform(-amplitude, amplitude);
    const float specials[] = {kNan, kInf,  -kInf,   1.0e-40f, -1.0e-42f,
                              0.0f, -0.0f, 3.0e38f, -3.0e38f, 1.0e-24f};
    int at = count - 24;
    for (float s : specials) {
        if (at >= 0 && at < count) v[static_cast<std::size_t>(at)] = s;
        at += 2;
    }
    return v;
}

class Csr : public ::testing::Test {
protected:
    simd::ScopedControlWord csr_;
};

constexpr int kCount = 131;
const int kSegments[] = {5, 32, 1, 93};
constexpr int kSegmentCount = 4;

struct SvfSet {
    std::vector<float> f, q, low, band, high, gain, drive;
    OversampledSvfCoefficients c() const {
        return {f.data(), q.data(), low.data(), band.data(), high.data(), gain.data(), drive.data()};
    }
};

SvfSet svfCoefficients(std::uint32_t seed, int entries) {
    Lcg r(seed);
    SvfSet s;
    for (int i = 0; i < entries; ++i) {
        s.f.push_back(r.uniform(0.05f, 0.95f));
        s.q.push_back(r.uniform(0.1f, 2.0f));
        s.low.push_back(r.uniform(-1.0f, 1.0f));
        s.band.push_back(r.uniform(-1.0f, 1.0f));
        s.high.push_back(r.uniform(-1.0f, 1.0f));
        s.gain.push_back(r.uniform(0.5f, 4.0f));
        s.drive.push_back(r.uniform(0.0f, 0.3f));
    }
    return s;
}

std::vector<TptSection> tptCoefficients(std::uint32_t seed, int entries) {
    Lcg r(seed);
    std::vector<TptSection> c;
    for (int i = 0; i < entries; ++i) {
        float g = r.uniform(0.01f, 2.0f);
        float resonance = r.uniform(0.1f, 1.0f);
        c.push_back({g, 2.0f * resonance + g, r.uniform(-1.0f, 1.0f), r.uniform(-1.0f, 1.0f),
                     r.uniform(-1.0f, 1.0f)});
    }
    return c;
}

std::vector<TptSection4> tptCoefficients4(std::uint32_t seed) {
    std::vector<TptSection4> c(kSegmentCount);
    for (int lane = 0; lane < 4; ++lane) {
        std::vector<TptSection> one =
            tptCoefficients(seed + 17u * static_cast<std::uint32_t>(lane), kSegmentCount);
        for (int s = 0; s < kSegmentCount; ++s) {
            c[s].g[lane] = one[s].g;
            c[s].k[lane] = one[s].k;
            c[s].low[lane] = one[s].low;
            c[s].band[lane] = one[s].band;
            c[s].high[lane] = one[s].high;
        }
    }
    return c;
}

// A table whose values come from integer arithmetic only.
std::vector<float> table() {
    std::vector<float> t(258);
    for (int i = 0; i < 257; ++i)
        t[static_cast<std::size_t>(i)] = static_cast<float>((i * i) % 97) / 97.0f - 0.5f;
    t[257] = t[256];
    return t;
}

TableLookup lookupOf(const std::vector<float>& t, const std::vector<float>& scales,
                     const std::vector<float>& gains) {
    return {t.data(), 255, -3, 60.0f, 0.375f, scales.data(), gains.data()};
}

// Runs one kernel with the given kernel set and returns everything it wrote
// (outputs and states).
using Run = std::function<std::vector<float>(bool simd)>;

template <class Body> Run both(Body body) {
    return [body](bool useSimd) { return useSimd ? body(Kernels{}) : body(ScalarKernels{}); };
}

template <class K>
std::vector<float> fourLaneOutputs(const std::vector<float> (&out)[4], const float* s1, const float* s2) {
    std::vector<float> all;
    for (const auto& o : out)
        all.insert(all.end(), o.begin(), o.end());
    all.insert(all.end(), s1, s1 + 4);
    all.insert(all.end(), s2, s2 + 4);
    return all;
}

struct KernelCase {
    const char* name;
    Run run;
};

// Checksums of the SIMD results; the Linux and the Windows build must both give them.
std::uint64_t expectedChecksum(const std::string& name) {
    static const std::pair<const char*, std::uint64_t> table[] = {
        {"copy", 0xc06b0f927f6ddc10ull},
        {"scale", 0x77dec18259cab27cull},
        {"multiply", 0x68612a3defad9734ull},
        {"limited ratio", 0xcb6a709a1ce08a6full},
        {"mid/side", 0xe22a2bdff0864d41ull},
        // The state-variable sections multiply by a reciprocal of 1 + k g taken
        // once per segment instead of dividing by it each sample; these two
        // differ from a per-sample division by that rounding alone.
        {"tpt svf", 0xa00060c0415111faull},
        {"tpt svf x4", 0xfb1d44cfcf42a843ull},
        {"svf linear", 0x2b3e3cfd1b25a511ull},
        {"svf linear x4", 0xc1da23580b8bd5aeull},
        {"svf linear 3", 0xd98487026a145b3dull},
        {"svf linear 3 x4", 0x015492109735397cull},
        {"svf saturating", 0xafd1d6a607d4f086ull},
        {"svf saturating x4", 0x2c26ad1352e81d1aull},
        {"svf saturating 3", 0xc037949baef9c190ull},
        {"svf saturating 3 x4", 0x750a3fe2c076b6f4ull},
        {"lookup", 0xca22a812f2700a4aull},
        {"lookup decimating", 0xc577936af3aab196ull},
        {"section phase", 0xcba8f55e5cacb01eull},
        {"polynomial segment", 0x3de98c332b04c20cull},
        {"db to gain", 0x937cb11a9203f9fcull},
    };
    for (const auto& [n, sum] : table)
        if (name == n) return sum;
    return 0;
}

std::vector<KernelCase> kernelCases() {
    std::vector<KernelCase> cases;
    const std::vector<float> a = signal(1, kCount), b = signal(2, kCount), c = signal(3, kCount);

    cases.push_back({"copy", both([=](auto k) {
                         std::vector<float> out(kCount);
                         decltype(k)::copy(a.data(), out.data(), kCount);
                         return out;
                     })});
    cases.push_back({"scale", both([=](auto k) {
                         std::vector<float> out(kCount);
                         decltype(k)::scale(a.data(), 0.3f, out.data(), kCount);
                         return out;
                     })});
    cases.push_back({"multiply", both([=](auto k) {
                         std::vector<float> out(kCount), out3(kCount);
                         decltype(k)::multiply(a.data(), b.data(), out.data(), kCount);
                         decltype(k)::multiply(a.data(), b.data(), c.data(), out3.data(), kCount);
                         out.insert(out.end(), out3.begin(), out3.end());
                         return out;
                     })});
    cases.push_back({"limited ratio", both([=](auto k) {
                         // Levels from -0.5 to 1.5 with the specials of signal(): ratios
                         // below 0.1, above 1, of a zero or negative denominator, NaN.
                         std::vector<float> num = signal(7, kCount), den = signal(8, kCount), out(kCount);
                         for (float& v : num)
                             v = v * 0.8f + 0.3f;
                         den[5] = 0.0f;
                         den[6] = -0.0f;
                         decltype(k)::limitedRatio(num.data(), den.data(), a.data(), b.data(), out.data(),
                                                   kCount);
                         return out;
                     })});
    cases.push_back({"mid/side", both([=](auto k) {
                         std::vector<float> m(kCount), s(kCount), l(kCount), r(kCount);
                         decltype(k)::midSideEncode(a.data(), b.data(), m.data(), s.data(), kCount);
                         decltype(k)::midSideDecode(m.data(), s.data(), l.data(), r.data(), kCount);
                         for (auto* v : {&s, &l, &r})
                             m.insert(m.end(), v->begin(), v->end());
                         return m;
                     })});

    const std::vector<TptSection> tpt = tptCoefficients(10, kSegmentCount);
    cases.push_back({"tpt svf", both([=](auto k) {
                         std::vector<float> out(kCount);
                         float s1 = 0.1f, s2 = -0.2f;
                         decltype(k)::tptSvf(a.data(), out.data(), kCount, kSegments, tpt.data(), s1, s2);
                         out.push_back(s1);
                         out.push_back(s2);
                         return out;
                     })});
    const std::vector<TptSection4> tpt4 = tptCoefficients4(20);
    const std::vector<float> lanes[4] = {a, b, c, signal(4, kCount)};
    cases.push_back({"tpt svf x4", both([=](auto k) {
                         std::vector<float> out[4];
                         const float* in[4];
                         float* o[4];
                         for (int i = 0; i < 4; ++i) {
                             out[i].assign(kCount, 0.0f);
                             in[i] = lanes[i].data();
                             o[i] = out[i].data();
                         }
                         float s1[4] = {0.1f, 0.0f, -0.3f, 0.2f}, s2[4] = {0.0f, 0.5f, 0.0f, -0.1f};
                         decltype(k)::tptSvf4(in, o, kCount, kSegments, tpt4.data(), s1, s2);
                         return fourLaneOutputs<decltype(k)>(out, s1, s2);
                     })});

    const SvfSet one = svfCoefficients(30, kSegmentCount);
    const SvfSet four = svfCoefficients(40, 4 * kSegmentCount);
    using OneFn =
        void (*)(const float*, float*, int, const int*, const OversampledSvfCoefficients&, float&, float&);
    using FourFn = void (*)(const float* const[4], float* const[4], int, const int*,
                            const OversampledSvfCoefficients&, float*, float*);
    struct SvfKind {
        const char* name;
        int outputs;
        OneFn simdOne, scalarOne;
        FourFn simdFour, scalarFour;
        const char* fourName;
    };
    const SvfKind kinds[] = {
        {"svf linear", 1, Kernels::svfLinear, ScalarKernels::svfLinear, Kernels::svfLinear4,
         ScalarKernels::svfLinear4, "svf linear x4"},
        {"svf linear 3", 3, Kernels::svfLinear3, ScalarKernels::svfLinear3, Kernels::svfLinear3x4,
         ScalarKernels::svfLinear3x4, "svf linear 3 x4"},
        {"svf saturating", 1, Kernels::svfSaturating, ScalarKernels::svfSaturating, Kernels::svfSaturating4,
         ScalarKernels::svfSaturating4, "svf saturating x4"},
        {"svf saturating 3", 3, Kernels::svfSaturating3, ScalarKernels::svfSaturating3,
         Kernels::svfSaturating3x4, ScalarKernels::svfSaturating3x4, "svf saturating 3 x4"},
    };
    for (const SvfKind& kind : kinds) {
        cases.push_back({kind.name, [=](bool useSimd) {
                             std::vector<float> out(static_cast<std::size_t>(kCount * kind.outputs));
                             float band = 0.2f, low = -0.5f;
                             (useSimd ? kind.simdOne : kind.scalarOne)(a.data(), out.data(), kCount,
                                                                       kSegments, one.c(), band, low);
                             out.push_back(band);
                             out.push_back(low);
                             return out;
                         }});
        cases.push_back({kind.fourName, [=](bool useSimd) {
                             std::vector<float> out[4];
                             const float* in[4];
                             float* o[4];
                             for (int i = 0; i < 4; ++i) {
                                 out[i].assign(static_cast<std::size_t>(kCount * kind.outputs), 0.0f);
                                 in[i] = lanes[i].data();
                                 o[i] = out[i].data();
                             }
                             float band[4] = {0.1f, 0.0f, -0.3f, 0.2f}, low[4] = {0.0f, 5.0f, 0.0f, -1.0f};
                             (useSimd ? kind.simdFour : kind.scalarFour)(in, o, kCount, kSegments, four.c(),
                                                                         band, low);
                             return fourLaneOutputs<Kernels>(out, band, low);
                         }});
    }

    const std::vector<float> t = table();
    const std::vector<float> scales{0.5f, 1.0f, 0.01f, 1.7f}, gains{1.0f, -2.0f, 0.5f, 3.0f};
    cases.push_back({"lookup", both([=](auto k) {
                         std::vector<float> out(kCount);
                         decltype(k)::lookup(a.data(), out.data(), kCount, kSegments,
                                             lookupOf(t, scales, gains));
                         return out;
                     })});
    const std::vector<float> threefold = signal(5, 3 * kCount);
    cases.push_back({"lookup decimating", both([=](auto k) {
                         std::vector<float> out(kCount);
                         decltype(k)::lookupDecimate3(threefold.data(), out.data(), kCount, kSegments,
                                                      lookupOf(t, scales, gains));
                         return out;
                     })});
    cases.push_back({"section phase", both([=](auto k) {
                         std::vector<float> out = b;
                         const float coefficients[6] = {1.0f, 0.3f, 2.0f, 0.5f, -1.2f, 0.7f};
                         decltype(k)::sectionPhase(a.data(), out.data(), kCount, 3.0f, coefficients);
                         return out;
                     })});
    cases.push_back({"polynomial segment", both([=](auto k) {
                         std::vector<float> out(kCount);
                         const float coefficients[5] = {0.5f, -1.0f, 0.25f, 0.75f, 0.5f};
                         float phase = 0.25f;
                         bool ended = decltype(k)::polynomialSegment(out.data(), kCount, coefficients, phase,
                                                                     0.0071f, 0.2f, 0.7f);
                         out.push_back(phase);
                         out.push_back(ended ? 1.0f : 0.0f);
                         return out;
                     })});
    const std::vector<float> decibels = signal(6, kCount, 150.0f);
    cases.push_back({"db to gain", both([=](auto k) {
                         std::vector<float> out(kCount);
                         decltype(k)::dbToGain(decibels.data(), out.data(), kCount);
                         return out;
                     })});
    return cases;
}

// Under the audio thread's control word (subnormals flushed), with fixed
// checksums that the Linux and the Windows build share; and under the default
// control word, where subnormals are computed.
TEST_F(Csr, SimdAndScalarKernelsGiveTheSameBits) {
    for (unsigned csr : {simd::kAudioThreadCsr, 0x1F80u}) {
        simd::ScopedControlWord word(csr);
        for (const KernelCase& c : kernelCases()) {
            SCOPED_TRACE(::testing::Message() << c.name << " with control word 0x" << std::hex << csr);
            std::vector<float> simdOut = c.run(true);
            std::vector<float> scalarOut = c.run(false);
            ASSERT_EQ(simdOut.size(), scalarOut.size());
            for (std::size_t i = 0; i < simdOut.size(); ++i)
                ASSERT_TRUE(sameBits(simdOut[i], scalarOut[i]))
                    << "at " << i << ": " << simdOut[i] << " against " << scalarOut[i];
            if (csr == simd::kAudioThreadCsr) {
                EXPECT_EQ(checksum(simdOut), expectedChecksum(c.name))
                    << std::hex << "checksum 0x" << checksum(simdOut) << " of " << c.name;
            }
        }
    }
}

// The one-pass filter against its parts run in turn (the saturating stage,
// each linear stage, then the clip of the active lanes), for every stage
// count, with an inactive lane left unclipped, on both kernel sets.
template <class K> void expectChainMatchesParts() {
    const std::vector<float> lanes[4] = {signal(11, kCount), signal(12, kCount), signal(13, kCount),
                                         signal(14, kCount, 3.0f)};
    const SvfSet sets[4] = {svfCoefficients(50, 4 * kSegmentCount), svfCoefficients(51, 4 * kSegmentCount),
                            svfCoefficients(52, 4 * kSegmentCount), svfCoefficients(53, 4 * kSegmentCount)};
    const std::vector<float> t = table();
    std::vector<float> scales[4], gains[4];
    for (int lane = 0; lane < 4; ++lane) {
        Lcg r(60u + static_cast<std::uint32_t>(lane));
        for (int s = 0; s < kSegmentCount; ++s) {
            scales[lane].push_back(r.uniform(0.01f, 2.0f));
            gains[lane].push_back(r.uniform(0.1f, 3.0f));
        }
    }
    for (int stageCount = 1; stageCount <= 4; ++stageCount) {
        SCOPED_TRACE(stageCount);
        OversampledSvfCoefficients stages[4];
        for (int st = 0; st < 4; ++st)
            stages[st] = sets[st].c();
        float bandInit[16], lowInit[16];
        Lcg r(70u + static_cast<std::uint32_t>(stageCount));
        for (int i = 0; i < 16; ++i) {
            bandInit[i] = r.uniform(-1.0f, 1.0f);
            lowInit[i] = r.uniform(-3.0f, 3.0f);
        }
        const bool active[4] = {true, false, true, true};
        const float* in[4];
        std::vector<float> expected[4], actual[4];
        float* e[4];
        float* a[4];
        for (int lane = 0; lane < 4; ++lane) {
            in[lane] = lanes[lane].data();
            expected[lane].assign(kCount, 0.0f);
            actual[lane].assign(kCount, 0.0f);
            e[lane] = expected[lane].data();
            a[lane] = actual[lane].data();
        }
        float bandE[16], lowE[16], bandA[16], lowA[16];
        std::memcpy(bandE, bandInit, sizeof bandE);
        std::memcpy(lowE, lowInit, sizeof lowE);
        std::memcpy(bandA, bandInit, sizeof bandA);
        std::memcpy(lowA, lowInit, sizeof lowA);

        K::svfSaturating4(in, e, kCount, kSegments, stages[0], bandE, lowE);
        for (int st = 1; st < stageCount; ++st)
            K::svfLinear4(e, e, kCount, kSegments, stages[st], bandE + 4 * st, lowE + 4 * st);
        for (int lane = 0; lane < 4; ++lane)
            if (active[lane])
                K::lookup(e[lane], e[lane], kCount, kSegments, lookupOf(t, scales[lane], gains[lane]));

        ClipLookup4 clip{lookupOf(t, scales[0], gains[0]), {}, {}, {}};
        for (int lane = 0; lane < 4; ++lane) {
            clip.scales[lane] = scales[lane].data();
            clip.gains[lane] = gains[lane].data();
            clip.active[lane] = active[lane];
        }
        K::svfChain4(in, a, kCount, kSegments, stages, stageCount, bandA, lowA, clip);

        for (int lane = 0; lane < 4; ++lane)
            for (int i = 0; i < kCount; ++i)
                ASSERT_TRUE(sameBits(expected[lane][std::size_t(i)], actual[lane][std::size_t(i)]))
                    << "lane " << lane << " at " << i;
        for (int i = 0; i < 4 * stageCount; ++i) {
            EXPECT_TRUE(sameBits(bandE[i], bandA[i])) << "band state " << i;
            EXPECT_TRUE(sameBits(lowE[i], lowA[i])) << "low state " << i;
        }
    }
}

TEST_F(Csr, SvfChainGivesTheBitsOfItsStagesAndClipRunInTurn) {
    expectChainMatchesParts<Kernels>();
    expectChainMatchesParts<ScalarKernels>();
}

} // namespace
