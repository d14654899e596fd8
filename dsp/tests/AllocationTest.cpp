#include "dsp/tests/GraphFixtures.h"
#include "foundation/tests/AllocationCounter.h"

#include "dsp/FloatParameter.h"
#include "dsp/MidSideConverter.h"
#include "dsp/VolumeFilter.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using test::FixedDelayTap;
using test::Sum;
using wave::DelayFilterBase;
using wave::Environment;

// A scheduled producer that only counts.
class Meter : public wave::Source {
public:
    explicit Meter(Environment& e) : wave::Source(e) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        ++computed;
        for (int i = 0; i < count; ++i)
            block->data()[i] = 0.0f;
        block->setConstant(true);
    }
    int computed = 0;
};

// One channel of a small effect: input + feedback * delay, through a volume.
struct Channel {
    Channel(Environment& e, wave::Producer& input, int delay)
        : line(e, 4800, DelayFilterBase::kWriteDeferred, delay), mix(e), feedback(e, 0.5f), volume(e) {
        mix.add(&input, 1.0f);
        mix.add(&line, 0.5f);
        line.setInput(&mix);
        line.setOrder(0);
        volume.setInput(&mix);
        volume.setSecondGain(&feedback);
    }
    FixedDelayTap line;
    Sum mix;
    FloatParameterSource feedback;
    VolumeFilter volume;
};

TEST(RealTime, ProcessingAfterPreparationAllocatesNothing) {
    Environment e;
    e.setSampleRate(48000.0f);
    wave::Input left(e), right(e);
    MidSideConverter encode(e, MidSideConverter::kToMidSide), decode(e, MidSideConverter::kToLeftRight);
    encode.setInput(0, &left);
    encode.setInput(1, &right);
    Channel mid(e, encode.getOutput(0), 300), side(e, encode.getOutput(1), 451);
    decode.setInput(0, &mid.volume);
    decode.setInput(1, &side.volume);
    Meter meter(e);
    meter.setOrder(2);

    std::vector<float> hostL(512), hostR(512);
    for (int i = 0; i < 512; ++i) {
        hostL[i] = static_cast<float>(i % 50) * 0.01f;
        hostR[i] = static_cast<float>(i % 30) * -0.01f;
    }
    const int chunks[] = {128, 128, 100, 28, 128, 41, 87, 128, 1, 127};
    std::size_t allocations = 0;
    {
        test::AllocationCounter counter;
        for (int round = 0; round < 60; ++round) {
            left.setSource(hostL.data(), 512);
            right.setSource(hostR.data(), 512);
            int done = 0;
            for (int c : chunks) {
                if (done + c > 512) break;
                mid.volume.getGainSource().setValue(round % 2 ? 0.25f : 1.0f);
                side.feedback.setValue(static_cast<float>(round % 5) * 0.2f);
                e.nextBlock();
                decode.getOutput(0).pull(c);
                decode.getOutput(1).pull(c);
                e.process(c, 0);
                done += c;
            }
            meter.setActive(round % 3 != 0);
            meter.setOrder(round % 2 ? 1u : 5u);
            encode.conversion.setValue(round % 4 == 3 ? MidSideConverter::kNone
                                                      : MidSideConverter::kToMidSide);
            if (round % 10 == 9)
                e.reset(round % 20 == 19 ? Environment::kResetActive : Environment::kResetLight);
        }
        allocations = counter.allocations();
    }
    EXPECT_EQ(allocations, 0u);
    EXPECT_GT(meter.computed, 0);
}

} // namespace
