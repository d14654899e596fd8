#include "effect/FiniteInput.h"

#include <cstdint>
#include <cstring>

namespace {
// The exponent field of a float: all ones for NaN and the infinities.
// Adding one exponent step carries into the sign bit only then.
constexpr std::uint32_t kExponent = 0x7f800000u;
constexpr std::uint32_t kExponentStep = 0x00800000u;
constexpr std::uint32_t kCarry = 0x80000000u;

std::uint32_t bitsOf(float x) {
    std::uint32_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}
} // namespace

void FiniteInput::process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                          wave::ProduceMode) noexcept {
    const float* x = in.data();
    const int n = in.isConstant() ? 1 : count;
    std::uint32_t bad = 0;
    for (int i = 0; i < n; ++i)
        bad |= (bitsOf(x[i]) & kExponent) + kExponentStep;
    if ((bad & kCarry) == 0) {
        setCurrentBlock(in);
        return;
    }
    float* y = out->data();
    const int rounded = (count + 3) & ~3;
    for (int i = 0; i < rounded; ++i) {
        float v = x[in.isConstant() ? 0 : i];
        y[i] = (bitsOf(v) & kExponent) == kExponent ? 0.0f : v;
    }
    out->setConstant(in.isConstant());
    setCurrentBlock(*out);
}
