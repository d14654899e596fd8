#include "effect/FiniteInput.h"

#include "dsp/Simd.h"

#include <cmath>
#include <limits>

namespace {
bool isFinite(float x) {
    return std::fabs(x) <= std::numeric_limits<float>::max();
}
} // namespace

void FiniteInput::process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                          wave::ProduceMode) noexcept {
    const float* x = in.data();
    // Blocks hold whole groups of four: test four at a time (a NaN or an
    // infinity compares false against the largest float). A stale sample
    // past the count only sends the block the slow way, which is exact too.
    using V = simd::Native;
    const int n = (in.isConstant() ? 4 : count + 3) & ~3;
    const V::F largest = V::splat(std::numeric_limits<float>::max());
    V::M finite = V::splat(0.0f) <= largest;
    for (int i = 0; i < n; i += 4)
        finite = finite & (simd::abs(V::load(x + i)) <= largest);
    if (simd::bits(finite) == 0xF) {
        setCurrentBlock(in);
        return;
    }
    float* y = out->data();
    const int rounded = (count + 3) & ~3;
    for (int i = 0; i < rounded; ++i) {
        float v = x[in.isConstant() ? 0 : i];
        y[i] = isFinite(v) ? v : 0.0f;
    }
    out->setConstant(in.isConstant());
    setCurrentBlock(*out);
}
