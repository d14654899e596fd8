#include "dsp/PairKernels.h"

#include "dsp/BlockKernels.h"

#include "dsp/tests/KernelFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using test::Lcg;

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// The paths this machine runs: SSE2 always, AVX2 where present.
std::vector<simd::Path> paths() {
    std::vector<simd::Path> list{simd::Path::kSse2};
    if (simd::isSupported(simd::Path::kAvx2)) list.push_back(simd::Path::kAvx2);
    return list;
}

// Segment lists of count samples, a different one per filter.
std::vector<int> layout(int count, int which) {
    std::vector<int> s;
    const int pattern[3][4] = {{count, 0, 0, 0}, {5, 32, 1, 1000}, {0, 3, 17, 1000}};
    int left = count;
    for (int length : pattern[which % 3]) {
        const int n = std::min(length, left);
        s.push_back(n);
        left -= n;
        if (left == 0 && length != 0) break;
    }
    if (left > 0) s.push_back(left);
    return s;
}

// One four-lane filter: inputs (with NaN, infinity and subnormal samples),
// per-segment coefficients, states and a clip with an inactive lane.
struct Filter {
    Filter(int count, int stageCount, int which, std::uint32_t seed) : segments(layout(count, which)) {
        Lcg r(seed);
        const std::size_t records = segments.size() * 4;
        for (auto& lane : input) {
            for (int i = 0; i < count; ++i)
                lane.push_back(r.uniform(-2.0f, 2.0f));
            if (count > 20) {
                lane[7] = std::numeric_limits<float>::quiet_NaN();
                lane[9] = std::numeric_limits<float>::infinity();
                lane[11] = 1e-39f;
            }
        }
        for (auto* v : {&f, &low, &band, &high, &gain, &drive})
            for (std::size_t i = 0; i < records; ++i)
                v->push_back(r.uniform(0.0f, 1.0f));
        for (auto& v : q)
            for (std::size_t i = 0; i < records; ++i)
                v.push_back(r.uniform(0.1f, 2.0f));
        for (float& x : f)
            x = 0.05f + 0.9f * x;
        for (float& x : gain)
            x = 0.5f + 3.0f * x;
        for (float& x : drive)
            x *= 0.3f;
        for (int i = 0; i < 8193; ++i)
            table.push_back(std::atan((float(i) - 4096.0f) / (50.0f + 100.0f * float(which))));
        for (int lane = 0; lane < 4; ++lane) {
            for (std::size_t s = 0; s < segments.size(); ++s) {
                scales[lane].push_back(r.uniform(0.1f, 3.0f));
                levels[lane].push_back(r.uniform(0.1f, 2.0f));
            }
        }
        for (int i = 0; i < 16; ++i) {
            bandState[i] = r.uniform(-1.0f, 1.0f);
            lowState[i] = r.uniform(-5.0f, 5.0f);
            s1[i] = r.uniform(-0.5f, 0.5f);
            s2[i] = r.uniform(-0.5f, 0.5f);
        }
        for (int j = 0; j < 4; ++j) {
            for (std::size_t s = 0; s < segments.size(); ++s) {
                TptSection4 c{};
                for (int lane = 0; lane < 4; ++lane) {
                    c.g[lane] = r.uniform(0.01f, 2.0f);
                    c.k[lane] = 2.0f * r.uniform(0.05f, 1.5f) + c.g[lane];
                    c.low[lane] = r.uniform(-1.0f, 1.0f);
                    c.band[lane] = r.uniform(-1.0f, 1.0f);
                    c.high[lane] = r.uniform(-1.0f, 1.0f);
                }
                sections[j].push_back(c);
            }
            sectionList[j] = sections[j].data();
        }
        for (int st = 0; st < 4; ++st)
            stages[st] = {f.data(),    q[st].data(), low.data(),  band.data(),
                          high.data(), gain.data(),  drive.data()};
        clip = {{table.data(), 8191, -4095, 102.375f, 0.0f, nullptr, nullptr}, {}, {}, {}};
        for (int lane = 0; lane < 4; ++lane) {
            clip.scales[lane] = scales[lane].data();
            clip.gains[lane] = levels[lane].data();
            clip.active[lane] = lane != which % 4;
            output[lane].assign(std::size_t(count), 0.0f);
            in[lane] = input[lane].data();
            out[lane] = output[lane].data();
        }
        this->stageCount = stageCount;
    }
    SvfChainLanes svf() { return {in, out, segments.data(), stages, stageCount, bandState, lowState, &clip}; }
    TptCascadeLanes tpt() { return {in, out, segments.data(), sectionList, stageCount, s1, s2}; }
    // Everything a run leaves: outputs and states.
    std::vector<float> result() const {
        std::vector<float> all;
        for (const auto& lane : output)
            all.insert(all.end(), lane.begin(), lane.end());
        all.insert(all.end(), bandState, bandState + 16);
        all.insert(all.end(), lowState, lowState + 16);
        all.insert(all.end(), s1, s1 + 16);
        all.insert(all.end(), s2, s2 + 16);
        return all;
    }

    std::vector<int> segments;
    std::vector<float> input[4], output[4];
    std::vector<float> f, low, band, high, gain, drive, q[4];
    std::vector<float> table, scales[4], levels[4];
    std::vector<TptSection4> sections[4];
    const TptSection4* sectionList[4];
    OversampledSvfCoefficients stages[4];
    ClipLookup4 clip;
    float bandState[16], lowState[16], s1[16], s2[16];
    int stageCount;
    const float* in[4];
    float* out[4];
};

// Each path's eight-lane kernels give each filter the bits of the four-lane
// kernel run on it alone: every pair of stage counts (a filter with fewer
// stages than the other passes through the ones it lacks, and keeps its
// unused states untouched), lengths shorter than the pipeline and longer
// than its rings, segment lists that differ between the two, side by side
// and with the second trailing, under the audio thread's control word and
// under the default one (subnormals computed).
TEST(PairKernels, EachFilterGetsTheBitsOfTheFourLaneKernel) {
    for (unsigned csr : {simd::kAudioThreadCsr, 0x1F80u}) {
        simd::ScopedControlWord word(csr);
        for (simd::Path path : paths()) {
            const PairKernels& kernels = PairKernels::of(path);
            for (int count : {1, 3, 4, 5, 63, 64, 65, 131, 257}) {
                for (int stagesA = 1; stagesA <= 4; ++stagesA) {
                    for (int stagesB = 1; stagesB <= 4; ++stagesB) {
                        const int trail = (count + stagesA + stagesB) % 2 == 0 ? 0 : PairKernels::kTrail;
                        SCOPED_TRACE(::testing::Message()
                                     << simd::pathName(path) << " csr 0x" << std::hex << csr << std::dec
                                     << " count " << count << " stages " << stagesA << " and " << stagesB
                                     << " trail " << trail);
                        const auto seed = std::uint32_t(count * 16 + stagesA * 4 + stagesB);
                        Filter aloneA(count, stagesA, 1, seed), aloneB(count, stagesB, 2, seed + 1000);
                        Filter pairA(count, stagesA, 1, seed), pairB(count, stagesB, 2, seed + 1000);
                        for (Filter* f : {&aloneA, &aloneB}) {
                            const SvfChainLanes l = f->svf();
                            Kernels::svfChain4(l.in, l.out, count, l.segments, l.stages, l.stageCount, l.band,
                                               l.low, *l.clip);
                        }
                        kernels.svfChains(pairA.svf(), pairB.svf(), count, trail);
                        ASSERT_TRUE(sameBits(aloneA.result(), pairA.result())) << "state-variable, first";
                        ASSERT_TRUE(sameBits(aloneB.result(), pairB.result())) << "state-variable, second";

                        for (Filter* f : {&aloneA, &aloneB})
                            Kernels::tptSvfCascade4(f->tpt(), count);
                        kernels.tptCascades(pairA.tpt(), pairB.tpt(), count, trail);
                        ASSERT_TRUE(sameBits(aloneA.result(), pairA.result())) << "cascade, first";
                        ASSERT_TRUE(sameBits(aloneB.result(), pairB.result())) << "cascade, second";
                    }
                }
            }
        }
    }
}

// In series: the second filter trails the first and reads, in the same
// pass, the first's outputs and mixes of them with a dry signal (a constant
// amount, and an amount per sample), as the two run one after the other
// with the mix computed in between.
TEST(PairKernels, TheSecondFilterReadsTheFirstInTheSamePass) {
    simd::ScopedControlWord word;
    for (simd::Path path : paths()) {
        for (int count : {1, 6, 9, 64, 131}) {
            for (int stages : {1, 2, 4}) {
                SCOPED_TRACE(::testing::Message()
                             << simd::pathName(path) << " count " << count << " stages " << stages);
                std::vector<float> amounts(static_cast<std::size_t>(count));
                for (int i = 0; i < count; ++i)
                    amounts[std::size_t(i)] = float(i) / float(count);
                // Reference: the first alone, the mixes, then the second alone.
                Filter firstAlone(count, stages, 1, 7u), secondAlone(count, 5 - stages, 2, 8u);
                const SvfChainLanes a = firstAlone.svf();
                Kernels::svfChain4(a.in, a.out, count, a.segments, a.stages, a.stageCount, a.band, a.low,
                                   *a.clip);
                std::vector<float> mixedConstant(static_cast<std::size_t>(count)),
                    mixedVarying(mixedConstant);
                for (int i = 0; i < count; ++i) {
                    const float* wet0 = firstAlone.out[0];
                    const float* wet3 = firstAlone.out[3];
                    const float* dry0 = firstAlone.in[0];
                    const float* dry3 = firstAlone.in[3];
                    mixedConstant[std::size_t(i)] = (wet0[i] - dry0[i]) * 0.3f + dry0[i];
                    mixedVarying[std::size_t(i)] = (wet3[i] - dry3[i]) * amounts[std::size_t(i)] + dry3[i];
                }
                secondAlone.in[0] = firstAlone.out[2];
                secondAlone.in[1] = mixedConstant.data();
                secondAlone.in[2] = mixedVarying.data();
                const SvfChainLanes b = secondAlone.svf();
                Kernels::svfChain4(b.in, b.out, count, b.segments, b.stages, b.stageCount, b.band, b.low,
                                   *b.clip);

                Filter first(count, stages, 1, 7u), second(count, 5 - stages, 2, 8u);
                std::vector<float> destConstant(static_cast<std::size_t>(count)), destVarying(destConstant);
                const ChainMix mixes[4] = {{destConstant.data(), first.in[0], nullptr, 0.3f},
                                           {},
                                           {},
                                           {destVarying.data(), first.in[3], amounts.data(), 0.0f}};
                second.in[0] = first.out[2];
                second.in[1] = destConstant.data();
                second.in[2] = destVarying.data();
                SvfChainLanes lanesA = first.svf();
                lanesA.mixes = mixes;
                PairKernels::of(path).svfChains(lanesA, second.svf(), count, PairKernels::kTrail);

                ASSERT_TRUE(sameBits(firstAlone.result(), first.result())) << "first";
                ASSERT_TRUE(sameBits(secondAlone.result(), second.result())) << "second";
                ASSERT_TRUE(sameBits(mixedConstant, destConstant)) << "constant mix";
                ASSERT_TRUE(sameBits(mixedVarying, destVarying)) << "varying mix";
            }
        }
    }
}

// The path is chosen once, can be forced to any supported one, and never to
// one the machine lacks.
TEST(PairKernels, PathsAreChosenByTheProcessor) {
    const simd::Path chosen = simd::activePath();
    EXPECT_EQ(chosen, simd::isSupported(simd::Path::kAvx2) ? simd::Path::kAvx2 : simd::Path::kSse2);
    EXPECT_TRUE(simd::forcePath(simd::Path::kSse2));
    EXPECT_EQ(&PairKernels::active(), &kSse2PairKernels);
    EXPECT_EQ(simd::forcePath(simd::Path::kAvx2), simd::isSupported(simd::Path::kAvx2));
    EXPECT_EQ(&PairKernels::of(simd::Path::kAvx2),
              simd::isSupported(simd::Path::kAvx2) ? &kAvx2PairKernels : &kSse2PairKernels);
    simd::forcePath(chosen);
    EXPECT_EQ(simd::activePath(), chosen);
}

} // namespace
