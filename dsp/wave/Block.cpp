#include "dsp/wave/Block.h"

#include "dsp/wave/Environment.h"

namespace wave {

BasicBlock<float>::BasicBlock(Environment& environment) : environment_(&environment) {
    allocate();
    environment.addMaxBlockSizeListener(this);
}

BasicBlock<float>::~BasicBlock() {
    environment_->removeMaxBlockSizeListener(this);
}

void BasicBlock<float>::allocate() {
    int size = environment_->maxBlockSize();
    resize((size + 3) / 4 * 4);
}

void BasicBlock<float>::maxBlockSizeChanged() {
    allocate();
}

ConstValueBlock::ConstValueBlock(Environment& environment, float value)
    : BasicBlock<float>(environment), value_(value) {
    fill();
}

void ConstValueBlock::maxBlockSizeChanged() {
    allocate();
    fill();
}

void ConstValueBlock::fill() {
    for (float& v : *this)
        v = value_;
    setConstant(true);
}

} // namespace wave
