#include "dsp/tests/GraphFixtures.h"

#include "dsp/wave/Delay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using test::FixedDelayTap;
using test::Sum;
using test::Switch;
using wave::DelayFilterBase;
using wave::Environment;

TEST(DelayBuffer, RingIsThePowerOfTwoAboveDelayPlusBlock) {
    struct Case {
        int maxDelay, size;
    };
    for (Case c :
         {Case{1000, 2048}, Case{1920, 2048}, Case{1921, 4096}, Case{240000, 262144}, Case{0, 128}}) {
        Environment e;
        wave::Delay d(e, c.maxDelay);
        EXPECT_EQ(d.getSize(), c.size) << c.maxDelay;
    }
    Environment e;
    wave::Delay d(e, 1000);
    d.setMaxDelay(1921);
    EXPECT_EQ(d.getSize(), 4096);
    EXPECT_EQ(d.getFilled(), 0);
}

TEST(DelayBuffer, HistoryThatDoesNotExistReadsAsSilence) {
    Environment e;
    wave::Delay d(e, 1000);
    std::vector<float> in(10, 1.0f), out(64, -1.0f);
    d.write(in.data(), 10);
    // Delay 0 reads the 64 samples ending with the newest one: 54 of them never existed.
    d.readFixed(0, out.data(), 64);
    for (int i = 0; i < 54; ++i)
        ASSERT_EQ(out[i], 0.0f) << i;
    for (int i = 54; i < 64; ++i)
        ASSERT_EQ(out[i], 1.0f) << i;
    std::vector<float> delays(4, 20.5f), lin(4, -1.0f);
    d.readLinear(delays.data(), lin.data(), 4);
    for (float v : lin)
        EXPECT_EQ(v, 0.0f);
}

// With a write limit the ring records finite samples clamped into
// [-limit, limit] and non-finite ones as 0, across the wrap of the ring;
// without one it records every sample as it is.
TEST(DelayBuffer, WriteLimitClampsAndZeroesNonFiniteSamples) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> in = {1.5f, -300.0f, 256.0f, 1e30f, inf, -inf, nan, -256.5f};
    const std::vector<float> limited = {1.5f, -256.0f, 256.0f, 256.0f, 0.0f, 0.0f, 0.0f, -256.0f};
    Environment e;
    wave::Delay d(e, 0); // a ring of 128: the third block wraps
    d.setWriteLimit(256.0f);
    std::vector<float> block(60, 0.0f), out(8, -1.0f);
    for (int round = 0; round < 3; ++round) {
        std::copy(in.begin(), in.end(), block.end() - 8);
        d.write(block.data(), 60);
        d.readFixed(0, out.data(), 8);
        for (std::size_t i = 0; i < 8; ++i)
            EXPECT_EQ(out[i], limited[i]) << round << " " << i;
    }
    d.setWriteLimit(0.0f);
    d.write(in.data(), 8);
    d.readFixed(0, out.data(), 8);
    EXPECT_EQ(out[3], 1e30f);
    EXPECT_EQ(out[4], inf);
    EXPECT_TRUE(std::isnan(out[6]));
}

TEST(DelayBuffer, RampReadsBackExactlyAtFractionalDelays) {
    Environment e;
    wave::Delay d(e, 500);
    std::vector<float> ramp(128);
    for (int block = 0; block < 3; ++block) {
        for (int i = 0; i < 128; ++i)
            ramp[i] = static_cast<float>(block * 128 + i);
        d.write(ramp.data(), 128);
    }
    // The last block written holds 256..383; delays count from its end.
    for (float delay : {0.25f, 0.5f, 0.75f, 3.0f, 100.5f}) {
        std::vector<float> delays(128, delay), out(128);
        d.readLinear(delays.data(), out.data(), 128);
        for (int i = 0; i < 128; ++i)
            ASSERT_EQ(out[i], 256.0f + static_cast<float>(i) - delay) << delay << " at " << i;
    }
}

TEST(DelayBuffer, AllpassReadSplitsTheDelayAndPassesDc) {
    Environment e;
    wave::Delay d(e, 500);
    std::vector<float> ramp(16);
    for (int i = 0; i < 16; ++i)
        ramp[i] = static_cast<float>(i * i);
    d.write(ramp.data(), 16);
    // Delay 2.3: integer delay 1, fraction 1.3, coefficient (1 - 1.3) / (1 + 1.3).
    std::vector<float> delays(1, 2.3f), out(1);
    float state = 0.5f;
    d.readAllpass(delays.data(), state, out.data(), 1);
    float a = (1.0f - 1.3f) / (1.0f + 1.3f);
    float x0 = ramp[15 - 1], x1 = ramp[15 - 2];
    EXPECT_NEAR(out[0], (x0 - 0.5f) * a + x1, 1e-5f);
    EXPECT_EQ(state, out[0]);

    wave::Delay dc(e, 500);
    std::vector<float> ones(128, 1.0f), delay(128, 7.9f), y(128);
    float s = 0.0f;
    for (int block = 0; block < 4; ++block) {
        dc.write(ones.data(), 128);
        dc.readAllpass(delay.data(), s, y.data(), 128);
    }
    EXPECT_NEAR(y[127], 1.0f, 1e-6f);
}

// The ring of a delay filter is cleared when blocks were skipped or a full
// reset came; a light reset keeps it.
TEST(DelayBuffer, ClearsOnSkippedBlocksAndFullResetsNotLightOnes) {
    struct Case {
        const char* name;
        int resetMode; // -1: none
        bool skip;
        bool keeps;
    };
    const Case cases[] = {
        {"continuous", -1, false, true},
        {"light reset", Environment::kResetLight, false, true},
        {"full reset", Environment::kResetActive, false, false},
        {"skipped block", -1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Environment e;
        wave::Input in(e);
        FixedDelayTap line(e, 1000, DelayFilterBase::kWriteBeforeRead, 200);
        line.setInput(&in);
        std::vector<float> ones(128, 1.0f);
        for (int block = 0; block < 2; ++block) {
            in.setSource(ones.data(), 128);
            test::runChunk(e, line, 128);
        }
        if (c.resetMode >= 0) e.reset(c.resetMode);
        if (c.skip) {
            e.nextBlock();
            e.process(128, 0); // nobody pulls the line
        }
        std::vector<float> zeros(128, 0.0f);
        in.setSource(zeros.data(), 128);
        const float* out = test::runChunk(e, line, 128).data();
        // Samples 200..72 before this block's end were ones.
        EXPECT_EQ(out[0], c.keeps ? 1.0f : 0.0f);
    }
}

// A deferred-write line reading at delays it cannot serve (shorter than the
// block, beyond the maximum, NaN) is clamped to real recent history, never
// to slots that still hold audio from a ring pass ago.
TEST(DelayBuffer, ClampedReadsNeverReturnStaleContent) {
    Environment e;
    const int maxDelay = 300; // ring of 512
    struct Probe : DelayFilterBase {
        Probe(Environment& e, int maxDelay) : DelayFilterBase(e, maxDelay, kWriteDeferred) {}
        void process(wave::BasicBlock<float>& out, int count) noexcept override {
            std::vector<float> d(static_cast<std::size_t>(count), requested);
            if (kind == 0)
                getDelay().readFixed(static_cast<int>(requested), out.data(), count);
            else if (kind == 1)
                getDelay().readLinear(d.data(), out.data(), count);
            else
                getDelay().readAllpass(d.data(), state, out.data(), count);
        }
        float requested = 0.0f;
        int kind = 0;
        float state = 0.0f;
    };
    wave::Input in(e);
    Probe probe(e, maxDelay);
    probe.setInput(&in);
    probe.setOrder(0);
    // The signal's value is its own sample number + 1; 8 blocks fill the ring twice over.
    std::vector<float> signal(128 * 12);
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<float>(i + 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        int kind;
        float requested;
        float effective;
    };
    const Case cases[] = {
        {0, 0.0f, 128.0f}, {0, -7.0f, 128.0f},  {0, 1.0e6f, 300.0f}, {1, 0.0f, 128.0f},
        {1, 0.5f, 128.0f}, {1, nan, 128.0f},    {1, 1.0e9f, 300.0f}, {1, 299.5f, 299.5f},
        {2, 0.0f, 129.0f}, {2, 128.2f, 129.0f}, {2, nan, 129.0f},    {2, 4.0e3f, 300.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " delay " << c.requested);
        probe.kind = c.kind;
        probe.requested = c.requested;
        int position = 0;
        const float* out = nullptr;
        for (int block = 0; block < 12; ++block) {
            in.setSource(signal.data() + position, 128);
            out = test::runChunk(e, probe, 128).data();
            position += 128;
        }
        // The last block's sample i is signal index 1408 + i.
        for (int i = 0; i < 128; i += 9) {
            float expected = static_cast<float>(1408 + i + 1) - c.effective;
            EXPECT_EQ(out[i], expected) << i;
        }
        e.reset(Environment::kResetActive);
    }
}

// The feedback loop: y = x + g * delay(y). The line is built with write mode 1
// and order 0, so the cycle closes through the deferred write.
struct Loop {
    explicit Loop(int delay, float gain) : line(e, 5000, DelayFilterBase::kWriteDeferred, delay) {
        mix.add(&in, 1.0f);
        mix.add(&line, gain);
        line.setInput(&mix);
        line.setOrder(0);
    }
    Environment e;
    wave::Input in{e};
    FixedDelayTap line;
    Sum mix{e};
};

std::vector<float> runWithChunks(Environment& e, wave::Input& in, wave::Producer& out,
                                 const std::vector<float>& x, const std::vector<int>& chunks) {
    std::vector<float> y;
    std::size_t position = 0;
    for (std::size_t c = 0; position < x.size(); ++c) {
        int count = std::min<int>(chunks[c % chunks.size()], static_cast<int>(x.size() - position));
        in.setSource(x.data() + position, count);
        const float* block = test::runChunk(e, out, count).data();
        y.insert(y.end(), block, block + count);
        position += static_cast<std::size_t>(count);
    }
    return y;
}

TEST(FeedbackLoop, ImpulseEchoesExactlyWhateverTheChunks) {
    const std::vector<int> chunks{128, 41, 87, 1, 128, 100, 3, 64};
    for (int delay : {128, 300, 1001}) {
        SCOPED_TRACE(delay);
        Loop loop(delay, 0.5f);
        std::vector<float> x(static_cast<std::size_t>(delay) * 4 + 50, 0.0f);
        x[0] = 1.0f;
        std::vector<float> y = runWithChunks(loop.e, loop.in, loop.mix, x, chunks);
        for (std::size_t n = 0; n < y.size(); ++n) {
            float expected = 0.0f;
            if (n % static_cast<std::size_t>(delay) == 0)
                expected = std::ldexp(1.0f, -static_cast<int>(n / static_cast<std::size_t>(delay)));
            ASSERT_EQ(y[n], expected) << "sample " << n;
        }
    }
}

TEST(FeedbackLoop, CrossFedLinesMatchTheSampleBySampleRecurrence) {
    const int da = 150, db = 233;
    Environment e;
    wave::Input in(e);
    FixedDelayTap a(e, 2000, DelayFilterBase::kWriteDeferred, da),
        b(e, 2000, DelayFilterBase::kWriteDeferred, db);
    Sum mixA(e), mixB(e);
    mixA.add(&in, 1.0f);
    mixA.add(&b, 0.5f);
    mixB.add(&a, -0.5f);
    a.setInput(&mixA);
    b.setInput(&mixB);
    a.setOrder(0);
    b.setOrder(0);

    std::vector<float> x(3000, 0.0f);
    x[0] = 1.0f;
    x[7] = 0.25f;
    std::vector<float> y = runWithChunks(e, in, a, x, {128, 77, 128, 5});

    std::vector<float> aIn(x.size()), aOut(x.size()), bIn(x.size()), bOut(x.size());
    for (std::size_t n = 0; n < x.size(); ++n) {
        aOut[n] = n >= da ? aIn[n - da] : 0.0f;
        bOut[n] = n >= db ? bIn[n - db] : 0.0f;
        aIn[n] = 1.0f * x[n] + 0.5f * bOut[n];
        bIn[n] = -0.5f * aOut[n];
    }
    for (std::size_t n = 0; n < x.size(); ++n)
        ASSERT_EQ(y[n], aOut[n]) << n;
}

TEST(FeedbackLoop, LineRecordingItselfRepeats) {
    const int delay = 200;
    Environment e;
    wave::Input in(e);
    FixedDelayTap line(e, 1000, DelayFilterBase::kWriteDeferred, delay);
    Switch freeze(e);
    freeze.a = &in;
    freeze.b = &line;
    line.setInput(&freeze);
    line.setOrder(0);

    std::vector<float> x(2000);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<float>((i * 37) % 101) - 50.0f;
    std::vector<float> y;
    std::size_t position = 0;
    while (position < x.size()) {
        int count = 100;
        freeze.selectB = position >= 600;
        in.setSource(x.data() + position, count);
        const float* block = test::runChunk(e, line, count).data();
        y.insert(y.end(), block, block + count);
        position += static_cast<std::size_t>(count);
    }
    // Recorded until 600; from then on the line plays its last 200 samples round and round.
    for (std::size_t n = 600; n < 800; ++n)
        ASSERT_EQ(y[n], x[n - delay]) << n;
    for (std::size_t n = 800; n < y.size(); ++n)
        ASSERT_EQ(y[n], y[n - delay]) << n;
}

TEST(FeedbackLoop, OutputDoesNotDependOnWhetherTheLineWasPulled) {
    const int delay = 256;
    std::vector<float> x(4096);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<float>(i % 17) - 8.0f;
    // Graph 1 pulls the line every block; graph 2 only every third one.
    Loop always(delay, 0.5f), sometimes(delay, 0.5f);
    std::size_t position = 0;
    for (int block = 0; position < x.size(); ++block) {
        int count = std::min<int>(block % 2 ? 128 : 61, static_cast<int>(x.size() - position));
        if (block == 20) {
            always.e.reset(Environment::kResetActive);
            sometimes.e.reset(Environment::kResetActive);
        }
        for (Loop* l : {&always, &sometimes}) {
            l->in.setSource(x.data() + position, count);
            l->e.nextBlock();
            // Nothing else pulls the line: its input is only pulled by its own write.
            if (l == &always || block % 3 == 0) l->line.pull(count);
            l->e.process(count, 0);
        }
        const float* a = always.line.getCurrentBlock().data();
        const float* b = sometimes.line.getCurrentBlock().data();
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(a[i], b[i]) << "block " << block << " sample " << i;
        position += static_cast<std::size_t>(count);
    }
}

} // namespace
