// The AVX2 set of the eight-lane kernels. This source alone is compiled with
// -mavx2 (dsp/CMakeLists.txt; no FMA, and -ffp-contract=off as everywhere):
// nothing in it may run before the path is chosen, so it has no dynamic
// initialisation, and its kernel templates live in an unnamed namespace
// (dsp/ChainKernels.h), out of the linker's reach for the SSE2 sources.

#include "dsp/ChainKernels.h"
#include "dsp/PairKernels.h"
#include "dsp/SimdAvx2.h"

namespace {

void svfChainsAvx2(const SvfChainLanes& a, const SvfChainLanes& b, int count, int trail) noexcept {
    const SvfChainLanes* groups[2] = {&a, &b};
    runChain<SvfChain, simd::Avx2>(groups, a.stageCount > b.stageCount ? a.stageCount : b.stageCount, count,
                                   trail);
}

void tptCascadesAvx2(const TptCascadeLanes& a, const TptCascadeLanes& b, int count, int trail) noexcept {
    const TptCascadeLanes* groups[2] = {&a, &b};
    runChain<TptChain, simd::Avx2>(groups, a.sectionCount > b.sectionCount ? a.sectionCount : b.sectionCount,
                                   count, trail);
}

} // namespace

constinit const PairKernels kAvx2PairKernels{svfChainsAvx2, tptCascadesAvx2};
