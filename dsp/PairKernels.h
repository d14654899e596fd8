#pragma once

// Eight-lane kernels: two four-lane filters side by side, one per group of
// four lanes (dsp/Simd.h), so that their recurrences run at once. Each filter
// is described as for the four-lane kernel (SvfChainLanes for
// BlockKernels::svfChain4, TptCascadeLanes for tptSvfCascade4) with its own
// inputs, outputs, segments, coefficients and states, and gets exactly the
// bits that kernel gives it alone; the two may have different stage counts.
//
// The second filter may trail the first by trail samples (0, or a multiple
// of 4 from kTrail up): it may then read, as its input, what the first
// writes in the same pass, its outputs and the mixes its lanes describe
// (SvfChainLanes::mixes), which are written as the pass goes. So two
// filters in series run in one pass.
//
// Two sets, one per path (dsp/SimdPath.h): SSE2 as two SSE vectors
// (PairKernels.cpp, always there) and AVX2 (PairKernelsAvx2.cpp, compiled
// with -mavx2 and without FMA, run only where the processor has it). The
// AVX2 kernels clear the upper register halves (vzeroupper) before they
// return, so the SSE code that follows runs at full speed.
//
// Threading: any thread; no allocation.

#include "dsp/KernelArguments.h"
#include "dsp/SimdPath.h"

struct PairKernels {
    // The shortest trail behind which the second filter reads the first.
    static constexpr int kTrail = 8;

    void (*svfChains)(const SvfChainLanes& a, const SvfChainLanes& b, int count, int trail) noexcept;
    void (*tptCascades)(const TptCascadeLanes& a, const TptCascadeLanes& b, int count, int trail) noexcept;

    // The kernels of a path (the SSE2 ones for a path this machine lacks).
    static const PairKernels& of(simd::Path path) noexcept;
    // The kernels of the path in use.
    static const PairKernels& active() noexcept { return of(simd::activePath()); }
};

extern const PairKernels kSse2PairKernels;
extern const PairKernels kAvx2PairKernels;
