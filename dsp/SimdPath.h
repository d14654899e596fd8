#pragma once

// The instruction set of the eight-lane kernels (dsp/PairKernels.h), chosen
// once, when the library loads, from what the processor and the operating
// system offer: AVX2 where CPUID reports it and the system saves the AVX state
// (XGETBV), else SSE2, which every x86-64 processor has. Both give the same
// bits. Tests and benchmarks may force a path; nothing else changes it.
//
// Threading: any thread; forcePath only while no audio is processed.

namespace simd {

enum class Path { kSse2, kAvx2 };

// Whether this processor and system can run the path (asked once).
bool isSupported(Path path) noexcept;
// The path in use: the widest supported one unless forced.
Path activePath() noexcept;
// Forces a supported path and returns true; false (nothing changes) for a
// path this machine cannot run.
bool forcePath(Path path) noexcept;
// "SSE2" or "AVX2".
const char* pathName(Path path) noexcept;

} // namespace simd
