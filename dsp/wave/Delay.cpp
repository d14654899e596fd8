#include "dsp/wave/Delay.h"

#include "dsp/Simd.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace wave {

// ----------------------------------------------------------------- Delay --

Delay::Delay(Environment& environment, int maxDelay)
    : Component(environment), maxDelay_(std::max(maxDelay, 0)) {
    allocate();
    baseOffset_ = size_;
    fixedReadPosition_ = baseOffset_ - fixedReadDelay_ - 1;
    environment.addMaxBlockSizeListener(this);
}

Delay::~Delay() {
    getEnvironment().removeMaxBlockSizeListener(this);
}

void Delay::allocate() {
    // Smallest power of two holding the longest delay plus one block.
    std::int64_t needed = static_cast<std::int64_t>(maxDelay_) + getEnvironment().maxBlockSize();
    int size = 1;
    while (size < needed)
        size <<= 1;
    size_ = size;
    mask_ = size - 1;
    ring_.resize(size);
    clear();
}

void Delay::clear() noexcept {
    filled_ = 0;
    writePosition_ = 0;
    if (ring_.size() > 0) ring_[0] = 0.0f;
}

void Delay::setMaxDelay(int maxDelay) {
    maxDelay = std::max(maxDelay, 0);
    if (maxDelay == maxDelay_) return;
    int deferral = getDeferral();
    maxDelay_ = maxDelay;
    allocate();
    fixedReadDelay_ = std::min(fixedReadDelay_, maxDelay_);
    baseOffset_ = size_ + deferral;
    fixedReadPosition_ = baseOffset_ - fixedReadDelay_ - 1;
}

void Delay::maxBlockSizeChanged() {
    int deferral = getDeferral();
    allocate();
    baseOffset_ = size_ + deferral;
    fixedReadPosition_ = baseOffset_ - fixedReadDelay_ - 1;
}

void Delay::setDeferral(int count) {
    baseOffset_ = size_ + std::max(count, 0);
    fixedReadPosition_ = baseOffset_ - fixedReadDelay_ - 1;
}

void Delay::setFixedReadDelay(int delay) {
    fixedReadDelay_ = std::clamp(delay, 0, maxDelay_);
    fixedReadPosition_ = baseOffset_ - fixedReadDelay_ - 1;
}

void Delay::copyLimited(float* to, const float* in, int count) const noexcept {
    // The clamp, then 0 where the sample is NaN or infinite (its magnitude
    // compares false against the largest float); four at a time.
    using V = simd::Native;
    const float limit = writeLimit_;
    const V::F high = V::splat(limit);
    const V::F low = V::splat(-limit);
    const V::F largest = V::splat(std::numeric_limits<float>::max());
    const V::F zero = V::splat(0.0f);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        V::F x = V::load(in + i);
        V::F clamped = simd::min(simd::max(x, low), high);
        V::store(to + i, simd::select(simd::abs(x) <= largest, clamped, zero));
    }
    for (; i < count; ++i) {
        float x = in[i];
        float clamped = x < -limit ? -limit : (x > limit ? limit : x);
        to[i] = std::fabs(x) <= std::numeric_limits<float>::max() ? clamped : 0.0f;
    }
}

void Delay::write(const float* in, int count) noexcept {
    assert(count <= size_);
    float* ring = ring_.data();
    int first = std::min(count, size_ - writePosition_);
    if (writeLimit_ > 0.0f) {
        copyLimited(ring + writePosition_, in, first);
        if (count > first) copyLimited(ring, in + first, count - first);
    } else {
        std::memcpy(ring + writePosition_, in, static_cast<std::size_t>(first) * sizeof(float));
        if (count > first)
            std::memcpy(ring, in + first, static_cast<std::size_t>(count - first) * sizeof(float));
    }
    writePosition_ = (writePosition_ + count) & mask_;
    if (filled_ < size_) {
        filled_ = std::min(filled_ + count, size_);
        // The sample just beyond the history reads as silence.
        if (filled_ < size_) ring[writePosition_] = 0.0f;
    }
}

float Delay::clampDelay(float delay, float newest) const {
    float longest = static_cast<float>(maxDelay_);
    if (newest > longest) newest = longest;
    if (!(delay >= newest)) return newest;
    return delay > longest ? longest : delay;
}

void Delay::readFixed(int delay, float* out, int count) noexcept {
    int newest = std::min(getDeferral(), maxDelay_);
    delay = std::clamp(delay, newest, maxDelay_);
    const float* ring = ring_.data();
    int start = (writePosition_ + baseOffset_ - delay - count) & mask_;
    int first = std::min(count, size_ - start);
    if (start < filled_)
        std::memcpy(out, ring + start, static_cast<std::size_t>(first) * sizeof(float));
    else
        std::memset(out, 0, static_cast<std::size_t>(first) * sizeof(float));
    if (count > first)
        std::memcpy(out + first, ring, static_cast<std::size_t>(count - first) * sizeof(float));
}

void Delay::readLinear(const float* delays, float* out, int count) noexcept {
    const float* ring = ring_.data();
    // clampDelay with its limits taken once for the block.
    const float longest = static_cast<float>(maxDelay_);
    float newest = static_cast<float>(getDeferral());
    if (newest > longest) newest = longest;
    std::int64_t origin = static_cast<std::int64_t>(writePosition_) + baseOffset_ - count;
    for (int i = 0; i < count; ++i) {
        float d = delays[i];
        d = !(d >= newest) ? newest : (d > longest ? longest : d);
        double p = static_cast<double>(origin + i) - static_cast<double>(d);
        // floor as truncation corrected downwards: p is finite and far inside
        // the int64 range (d is clamped), so this is exact.
        std::int64_t whole = static_cast<std::int64_t>(p);
        whole -= static_cast<double>(whole) > p ? 1 : 0;
        float f = static_cast<float>(p - static_cast<double>(whole));
        int n = static_cast<int>(whole & mask_);
        int n1 = (n + 1) & mask_;
        if (n < filled_)
            out[i] = ring[n] + (ring[n1] - ring[n]) * f;
        else if (n1 < filled_)
            out[i] = f * ring[n1];
        else
            out[i] = 0.0f;
    }
}

void Delay::readAllpass(const float* delays, float& state, float* out, int count) noexcept {
    const float* ring = ring_.data();
    int deferral = getDeferral();
    float newest = static_cast<float>(deferral > 0 ? deferral + 1 : 0);
    std::int64_t origin = static_cast<std::int64_t>(writePosition_) + baseOffset_ - count;
    float y = state;
    for (int i = 0; i < count; ++i) {
        float d = clampDelay(delays[i], newest);
        if (!(d > 0.618f)) d = 0.0f;
        int n = static_cast<int>(d);
        float f = d - static_cast<float>(n);
        if (f < 0.618f) {
            f += 1.0f;
            n -= 1;
        }
        float a = (1.0f - f) / (1.0f + f);
        int index = static_cast<int>((origin + i - n) & mask_);
        float x0 = ring[std::min(index, filled_)];
        float x1 = ring[std::min((index - 1) & mask_, filled_)];
        y = (x0 - y) * a + x1;
        out[i] = y;
    }
    state = y;
}

// ------------------------------------------------------- DelayFilterBase --

DelayFilterBase::DelayFilterBase(Environment& environment, int maxDelay, int writeMode)
    : FilterBase(environment), delay_(environment, maxDelay), writeMode_(writeMode) {
    registerComponent();
}

void DelayFilterBase::readBlock(BasicBlock<float>& out, int count) {
    Environment& e = getEnvironment();
    std::uint64_t position = e.getSamplePosition();
    if (endPosition_ != position || endPosition_ == e.getFullResetMark()) delay_.clear();
    endPosition_ = position + static_cast<std::uint64_t>(count);
    if (writeMode_ == kWriteDeferred) {
        delay_.setDeferral(count);
    } else {
        const BasicBlock<float>& in = pullInput(count);
        delay_.write(in.data(), count);
        delay_.setDeferral(0);
    }
    process(out, count);
}

void DelayFilterBase::produce(BasicBlock<float>* block, int count, ProduceMode mode) noexcept {
    if (mode != Environment::kScheduledFirst) {
        // A deferred write only ever happens in the order-0 call.
        assert(writeMode_ != kWriteDeferred || mode == Environment::kPulled);
        readBlock(*block, count);
        return;
    }
    if (writeMode_ != kWriteDeferred) return;
    if (!isComputedThisBlock()) {
        // Nobody pulled the line this block: read exactly as a pull would,
        // before the write, so the output does not depend on listeners.
        readBlock(*block, count);
        markComputed();
    }
    const BasicBlock<float>& in = pullInput(count);
    delay_.write(in.data(), count);
}

} // namespace wave
