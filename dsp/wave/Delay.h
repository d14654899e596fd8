#pragma once

// The ring buffer under every delay, and the graph filter that feeds one.
//
// wave::Delay keeps the most recent samples of one signal in a power-of-two
// ring and reads them back at an integer delay, at per-sample fractional
// delays with linear interpolation, or through a first-order allpass. History
// that was never written reads as silence.
//
// Delays count from the end of the current block: a read position is
// (write position + base offset - delay) masked. With the input written
// before reading, the base offset is the ring size and delay 0 is the block
// just written. With the write deferred until every consumer has read (see
// DelayFilterBase), the base offset is size + count: the current block is not
// in the ring yet, so the newest readable delay is count. Every read clamps
// its delays into [newest readable, maximum delay] (NaN reads at the newest),
// so no read reaches a slot that holds nothing of this signal's recent past.
// The allpass read also looks one sample newer than its integer delay, so
// with a deferred write its delays start at count + 1.
//
// DelayFilterBase and feedback: a graph that feeds a delay's output back
// into its input is a cycle, which the pull rule cannot compute (a producer
// stores its block number only after produce() returns). Write mode 1 breaks
// the cycle: a pull only reads (history up to the previous block), and the
// environment's order-0 call at the end of the block pulls the input and
// writes it. The owner must give such a filter order 0 (setOrder(0)); then
// every consumer of a block sees the same cached output, and the loop closes
// one block later, which is why a delay in a loop must be at least one chunk
// long. A write-mode-1 filter that no consumer pulled in a block computes its
// read in the order-0 call first, exactly as a pull would, so its output does
// not depend on whether somebody listened.
//
// The ring is cleared when blocks were skipped (the previous block did not
// end where this one starts) or when a full reset came since; a light reset
// keeps it.
//
// Threading: construction and setMaxDelay allocate (main thread); reads,
// writes and produce run on the audio thread and never allocate.

#include "dsp/wave/Producer.h"
#include "foundation/AlignedBuffer.h"

#include <cstdint>

namespace wave {

class AbstractDelay {
public:
    virtual ~AbstractDelay() = default;
    // The count samples that ended delay samples before the end of the block.
    virtual void readFixed(int delay, float* out, int count) = 0;
    // Per sample i, the signal delays[i] samples (fractional) before sample i.
    virtual void readLinear(const float* delays, float* out, int count) = 0;
    // As readLinear through a first-order allpass; state carries the last
    // output from block to block.
    virtual void readAllpass(const float* delays, float& state, float* out, int count) = 0;
};

class Delay : public Component, public AbstractDelay, private DynamicMaxBlockSizeListener {
public:
    Delay(Environment& environment, int maxDelay);
    ~Delay() override;

    // Records count samples. With a write limit, each sample is first
    // clamped into [-limit, limit] and a non-finite one recorded as 0.
    void write(const float* in, int count) noexcept;
    void readFixed(int delay, float* out, int count) noexcept override;
    void readLinear(const float* delays, float* out, int count) noexcept override;
    void readAllpass(const float* delays, float& state, float* out, int count) noexcept override;

    // Re-allocates for a new maximum delay (samples) and clears the history.
    void setMaxDelay(int maxDelay);
    // Empties the history (no allocation).
    void clear() noexcept;
    void reset() override { clear(); }
    void maxBlockSizeChanged() override;

    // 0: the input of this block is written before reading; count: the write
    // is deferred to the end of the block (base offset = size + count).
    void setDeferral(int count);
    int getDeferral() const { return baseOffset_ - size_; }

    // A limit above 0 bounds what the ring records (see write); 0 records
    // samples as they are. A feedback loop with a gain above 1 then levels
    // off at the limit instead of overflowing, and a NaN never enters the ring.
    void setWriteLimit(float limit) noexcept { writeLimit_ = limit > 0.0f ? limit : 0.0f; }
    float getWriteLimit() const { return writeLimit_; }

    int getFixedReadDelay() const { return fixedReadDelay_; }
    void setFixedReadDelay(int delay);
    int getFixedReadPosition() const { return fixedReadPosition_; }

    int getSize() const { return size_; }
    int getMaxDelay() const { return maxDelay_; }
    int getFilled() const { return filled_; }
    int getWritePosition() const { return writePosition_; }

private:
    void allocate();
    // Copies count samples into the ring at position, limited (see write).
    void copyLimited(float* to, const float* in, int count) const noexcept;
    float clampDelay(float delay, float newest) const;

    AlignedBuffer<float> ring_;
    float writeLimit_ = 0.0f;
    int fixedReadDelay_ = 0;
    int mask_ = 0;
    int maxDelay_;
    int filled_ = 0;
    int size_ = 1;
    int baseOffset_ = 1;
    int fixedReadPosition_ = 0;
    int writePosition_ = 0;
};

class DelayFilterBase : public FilterBase {
public:
    enum WriteMode {
        kWriteBeforeRead = 0, // pull and write the input, then read
        kWriteDeferred = 1,   // read on pull, write in the order-0 call
    };

    DelayFilterBase(Environment& environment, int maxDelay, int writeMode);

    Delay& getDelay() { return delay_; }
    int getWriteMode() const { return writeMode_; }
    void produce(BasicBlock<float>* block, int count, ProduceMode mode) noexcept override;
    void reset() override { delay_.clear(); }

protected:
    // Reads this block's output from the ring (delay_ is positioned for the block).
    virtual void process(BasicBlock<float>& out, int count) noexcept = 0;

private:
    void readBlock(BasicBlock<float>& out, int count);

    Delay delay_;
    int writeMode_;
    std::uint64_t endPosition_ = 0;
};

} // namespace wave
