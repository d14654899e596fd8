#pragma once

// Helpers for the kernel tests: deterministic numbers without any library
// distribution, the same on every platform.

#include <cstdint>

namespace test {

class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : state_(seed) {}
    std::uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_;
    }
    // Uniform in [lo, hi).
    float uniform(float lo, float hi) {
        return lo + (hi - lo) * static_cast<float>(next() >> 8) * (1.0f / 16777216.0f);
    }

private:
    std::uint32_t state_;
};

} // namespace test
