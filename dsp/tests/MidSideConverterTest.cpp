#include "dsp/MidSideConverter.h"

#include "dsp/tests/GraphFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using test::CountingSource;
using wave::Environment;

class Constant : public wave::Source {
public:
    Constant(Environment& e, float value) : wave::Source(e), value(value) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        for (int i = 0; i < count; ++i)
            block->data()[i] = value;
        block->setConstant(true);
    }
    float value;
};

TEST(MidSideConverter, ConvertsAndConvertsBack) {
    Environment e;
    Constant left(e, 1.0f), right(e, 0.0f);
    MidSideConverter encode(e, MidSideConverter::kToMidSide), decode(e, MidSideConverter::kToLeftRight);
    encode.setInput(0, &left);
    encode.setInput(1, &right);
    decode.setInput(0, &encode.getOutput(0));
    decode.setInput(1, &encode.getOutput(1));
    e.nextBlock();
    const wave::BasicBlock<float>& l = decode.getOutput(0).pull(9);
    const wave::BasicBlock<float>& r = decode.getOutput(1).pull(9);
    EXPECT_EQ(encode.getOutput(0).getCurrentBlock().data()[8], 0.5f);
    EXPECT_EQ(encode.getOutput(1).getCurrentBlock().data()[8], -0.5f);
    EXPECT_TRUE(encode.getOutput(0).getCurrentBlock().isConstant());
    EXPECT_EQ(l.data()[8], 1.0f);
    EXPECT_EQ(r.data()[8], 0.0f);
    e.process(9, 0);

    encode.conversion.setValue(MidSideConverter::kNone);
    e.nextBlock();
    EXPECT_EQ(&encode.getOutput(0).pull(9), &left.getCurrentBlock());
    EXPECT_EQ(&encode.getOutput(1).pull(9), &right.getCurrentBlock());
}

} // namespace
