#include "dsp/SimdPath.h"

#include <cpuid.h>

#include <atomic>

namespace simd {
namespace {

// Bits of XCR0: the system saves and restores the SSE (1) and AVX (2) state.
constexpr unsigned kXmmAndYmmState = 0x6u;

bool detectAvx2() noexcept {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0) return false;
    if ((c & bit_OSXSAVE) == 0 || (c & bit_AVX) == 0) return false;
    unsigned low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    if ((low & kXmmAndYmmState) != kXmmAndYmmState) return false;
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) return false;
    return (b & bit_AVX2) != 0;
}

bool hasAvx2() noexcept {
    static const bool available = detectAvx2();
    return available;
}

std::atomic<Path>& active() noexcept {
    static std::atomic<Path> path{hasAvx2() ? Path::kAvx2 : Path::kSse2};
    return path;
}

// The choice is made when the library loads, so that no audio thread ever
// waits on it.
[[maybe_unused]] const Path kChosenAtLoad = active().load(std::memory_order_relaxed);

} // namespace

bool isSupported(Path path) noexcept {
    return path == Path::kSse2 || hasAvx2();
}

Path activePath() noexcept {
    return active().load(std::memory_order_relaxed);
}

bool forcePath(Path path) noexcept {
    if (!isSupported(path)) return false;
    active().store(path, std::memory_order_relaxed);
    return true;
}

const char* pathName(Path path) noexcept {
    return path == Path::kAvx2 ? "AVX2" : "SSE2";
}

} // namespace simd
