#include "dsp/PairKernels.h"

#include "dsp/ChainKernels.h"
#include "dsp/Simd.h"

namespace {

void svfChainsSse2(const SvfChainLanes& a, const SvfChainLanes& b, int count, int trail) noexcept {
    const SvfChainLanes* groups[2] = {&a, &b};
    runChain<SvfChain, simd::SsePair>(groups, a.stageCount > b.stageCount ? a.stageCount : b.stageCount,
                                      count, trail);
}

void tptCascadesSse2(const TptCascadeLanes& a, const TptCascadeLanes& b, int count, int trail) noexcept {
    const TptCascadeLanes* groups[2] = {&a, &b};
    runChain<TptChain, simd::SsePair>(
        groups, a.sectionCount > b.sectionCount ? a.sectionCount : b.sectionCount, count, trail);
}

} // namespace

constinit const PairKernels kSse2PairKernels{svfChainsSse2, tptCascadesSse2};

const PairKernels& PairKernels::of(simd::Path path) noexcept {
    return path == simd::Path::kAvx2 && simd::isSupported(path) ? kAvx2PairKernels : kSse2PairKernels;
}
