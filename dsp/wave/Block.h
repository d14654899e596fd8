#pragma once

// Sample blocks of the signal graph. A block holds the samples one producer
// yields for one block number; its storage is sized to the environment's
// allocation block size, rounded up to whole groups of 4 floats so that
// vector loops may run over the count rounded up to a multiple of 4.
//
// The constant flag promises that every one of the block's count samples
// holds the same value (readers may then look at the first one only). A
// producer that writes its own block sets or clears the flag each time.
// Consumers never write into a block they pulled: it may belong to another
// producer, or be the environment's shared zero block.

#include "foundation/AlignedBuffer.h"

namespace wave {

class Environment;

// Told when the environment's allocation block size changed.
class DynamicMaxBlockSizeListener {
public:
    virtual void maxBlockSizeChanged() = 0;

protected:
    ~DynamicMaxBlockSizeListener() = default;
};

template <class T> class BasicBlock;

template <> class BasicBlock<float> : public AlignedBuffer<float>, private DynamicMaxBlockSizeListener {
public:
    explicit BasicBlock(Environment& environment);
    virtual ~BasicBlock();
    BasicBlock(const BasicBlock&) = delete;
    BasicBlock& operator=(const BasicBlock&) = delete;

    // Re-allocates to the environment's allocation block size.
    void maxBlockSizeChanged() override;

    Environment& getEnvironment() const { return *environment_; }
    bool isConstant() const { return constant_; }
    void setConstant(bool constant) { constant_ = constant; }

protected:
    void allocate();

private:
    Environment* environment_;
    bool constant_ = false;
};

// A block whose every sample holds one fixed value; constant.
class ConstValueBlock : public BasicBlock<float> {
public:
    ConstValueBlock(Environment& environment, float value);
    void maxBlockSizeChanged() override;
    float getValue() const { return value_; }

private:
    void fill();
    float value_;
};

} // namespace wave
