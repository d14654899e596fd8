#include "dsp/tests/GraphFixtures.h"
#include "foundation/tests/AllocationCounter.h"

#include "dsp/DelayLine.h"
#include "dsp/ValueMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

namespace {

using test::AllocationCounter;
using test::Sum;
using wave::Environment;

using Signal = std::function<float(std::int64_t)>;

// Writes f(t) at every absolute sample position t; with constantBlocks, the
// block's first value in every sample and the constant flag.
class ScriptedSource : public wave::Source {
public:
    ScriptedSource(Environment& e, Signal f, bool constantBlocks = false)
        : wave::Source(e), f(std::move(f)), constantBlocks(constantBlocks) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        auto t = static_cast<std::int64_t>(getEnvironment().getSamplePosition());
        float* out = block->data();
        for (int i = 0; i < count; ++i)
            out[i] = f(constantBlocks ? t : t + i);
        block->setConstant(constantBlocks);
    }
    Signal f;
    bool constantBlocks;
};

Signal impulseAt(std::int64_t at) {
    return [at](std::int64_t t) { return t == at ? 1.0f : 0.0f; };
}

// Runs samples more samples of the graph in chunks (cycling through the
// chunk lengths) and appends what output gives.
void run(Environment& e, wave::Producer& output, std::int64_t samples, std::vector<float>& into,
         const std::vector<int>& chunks = {128}) {
    std::size_t c = 0;
    while (samples > 0) {
        int n = static_cast<int>(std::min<std::int64_t>(chunks[c++ % chunks.size()], samples));
        const float* out = test::runChunk(e, output, n).data();
        into.insert(into.end(), out, out + n);
        samples -= n;
    }
}

std::vector<float> run(Environment& e, wave::Producer& output, std::int64_t samples,
                       const std::vector<int>& chunks = {128}) {
    std::vector<float> out;
    out.reserve(static_cast<std::size_t>(samples));
    run(e, output, samples, out, chunks);
    return out;
}

// ------------------------------------------------------------------------
// Constant times: exact integer delays in every read style.

struct SteadyCase {
    float rate;
    DelayLine::DelayInterpretation interpretation;
    float time;
    std::int64_t samples; // trunc(T * fs / 1000) or the rounded sample count
};

TEST(DelayLine, ConstantTimeDelaysByTheWholeSampleCountInEveryReadType) {
    const SteadyCase cases[] = {
        {44100.0f, DelayLine::kMilliseconds, 2.95f, 130},
        {48000.0f, DelayLine::kMilliseconds, 2.95f, 141},
        {44100.0f, DelayLine::kMilliseconds, 100.0f, 4410},
        {48000.0f, DelayLine::kMilliseconds, 123.456f, 5925},
        {44100.0f, DelayLine::kMilliseconds, 333.3333f, 14699},
        {48000.0f, DelayLine::kMilliseconds, 1000.0f, 48000},
        {44100.0f, DelayLine::kSamples, 130.5f, 131},
        {44100.0f, DelayLine::kSamples, 130.4f, 130},
        {48000.0f, DelayLine::kSamples, 130.5f, 131},
        {48000.0f, DelayLine::kSamples, 130.4f, 130},
        {48000.0f, DelayLine::kSamples, 2000.5f, 2001},
    };
    for (const SteadyCase& c : cases) {
        for (int type = 0; type < 4; ++type) {
            SCOPED_TRACE(::testing::Message() << c.rate << " Hz, time " << c.time << ", read type " << type);
            // The time changes (gliding) at 0.5 s and has settled when an
            // impulse arrives at 2 s.
            const std::int64_t impulse = static_cast<std::int64_t>(c.rate) * 2;
            Environment e;
            ScriptedSource input(e, impulseAt(impulse));
            DelayLine line(e);
            e.setSampleRate(c.rate);
            line.setInput(&input);
            line.interpretation.setValue(c.interpretation);
            line.readType.setValue(static_cast<DelayLine::ReadType>(type));
            float start = c.interpretation == DelayLine::kSamples ? 3000.0f : 60.0f;
            line.timeInput.setValue(start);
            std::vector<float> out = run(e, line, static_cast<std::int64_t>(c.rate / 2));
            line.timeInput.setValue(c.time); // glides
            run(e, line, impulse + c.samples + 300 - static_cast<std::int64_t>(out.size()), out);
            for (std::int64_t t = impulse; t < static_cast<std::int64_t>(out.size()); ++t)
                ASSERT_EQ(out[static_cast<std::size_t>(t)], t == impulse + c.samples ? 1.0f : 0.0f)
                    << t - impulse;
        }
    }
}

// The shortest delay follows the environment's largest chunk: lowered to
// 64, a 5 ms line at 22.05 kHz echoes after exactly 110 samples, where 128
// samples would be the shortest otherwise.
TEST(DelayLine, ShorterChunksAllowShorterDelays) {
    for (int chunk : {128, 64}) {
        Environment e;
        e.setSampleRate(22050.0f);
        e.setMaxChunkSize(chunk);
        ScriptedSource input(e, impulseAt(1000));
        DelayLine line(e);
        line.setInput(&input);
        line.timeInput.setValue(5.0f);
        std::vector<float> out = run(e, line, 1400, {chunk});
        std::int64_t expected = chunk == 64 ? 1110 : 1128;
        for (std::int64_t t = 0; t < 1400; ++t)
            ASSERT_EQ(out[static_cast<std::size_t>(t)], t == expected ? 1.0f : 0.0f) << chunk << " " << t;
    }
    Environment e;
    e.setMaxChunkSize(1000);
    EXPECT_EQ(e.getMaxChunkSize(), 128);
    e.setMaxChunkSize(0);
    EXPECT_EQ(e.getMaxChunkSize(), 1);
}

TEST(DelayLine, RampComesOutExactAtEveryFractionalDelayUnderAMovingTime) {
    // Tape without smoothing: each sample reads its own fractional delay.
    // With the input a ramp, out[t] = t - d(t) exactly, whatever the chunks.
    for (const std::vector<int>& chunks : {std::vector<int>{128}, std::vector<int>{128, 41, 87, 100, 1}}) {
        Environment e;
        e.setSampleRate(48000.0f);
        ScriptedSource input(e, [](std::int64_t t) { return static_cast<float>(t); });
        auto delay = [](std::int64_t t) { return 200.0f + static_cast<float>(t % 515) * 0.125f; };
        ScriptedSource time(e, delay);
        DelayLine line(e);
        line.setInput(&input);
        line.interpretation.setValue(DelayLine::kSamples);
        line.timeSmoothing.setValue(false);
        line.timeInput.setSource(&time);
        std::vector<float> out = run(e, line, 20000, chunks);
        for (std::int64_t t = 300; t < 20000; ++t)
            ASSERT_EQ(out[static_cast<std::size_t>(t)], static_cast<float>(t) - delay(t)) << t;
    }
}

TEST(DelayLine, TimeChangeGlidesWithoutOvershoot) {
    Environment e;
    e.setSampleRate(48000.0f);
    const std::int64_t base = 100000;
    ScriptedSource input(e, [](std::int64_t t) { return static_cast<float>(t - base); });
    DelayLine line(e);
    line.setInput(&input);
    line.interpretation.setValue(DelayLine::kSamples);
    line.timeInput.setValue(1000.0f);
    std::vector<float> out = run(e, line, 24000);
    line.timeInput.setValue(1500.0f); // the first change engages the smoother
    run(e, line, base - 24000, out);

    // A jump of the time itself (constant blocks from here on).
    line.timeInput.getParameter().setValue(3000.0f, 0.0f);
    run(e, line, 48000, out);
    auto effective = [&](std::int64_t t) {
        return static_cast<double>(t - base) - static_cast<double>(out[static_cast<std::size_t>(t)]);
    };
    double previous = 1500.0;
    double highest = 0.0;
    std::int64_t settled = -1;
    for (std::int64_t t = base; t < base + 48000; ++t) {
        ASSERT_GE(effective(t), previous - 0.01) << t - base;
        highest = std::max(highest, effective(t));
        previous = effective(t);
        if (settled < 0 && effective(t) == 3000.0) settled = t - base;
    }
    EXPECT_NEAR(effective(base), 1500.0, 1.0); // no jump at the change
    EXPECT_LE(highest, 3000.01);
    ASSERT_GT(settled, 4800); // a glide, not a jump
    EXPECT_LT(settled, 36000);
    for (std::int64_t t = base + settled; t < base + 48000; ++t)
        ASSERT_EQ(effective(t), 3000.0) << t - base;
}

TEST(DelayLine, SmoothingFrequencyChangeRestartsTheSmoother) {
    Environment e;
    e.setSampleRate(48000.0f);
    ScriptedSource input(e, [](std::int64_t t) { return static_cast<float>(t % 8192); });
    DelayLine line(e);
    line.setInput(&input);
    line.interpretation.setValue(DelayLine::kSamples);
    line.timeInput.setValue(1000.0f);
    std::vector<float> out = run(e, line, 4800);
    line.timeInput.setValue(1200.0f);
    run(e, line, 48000, out);

    // The change restarts the smoother, so the next jump of the time is taken at once.
    line.smoothingFrequency.setValue(10.0f);
    EXPECT_NEAR(line.getSmoothingCoefficient(), 2.0 * std::sin(3.14159265358979 * 10.0 / 48000.0), 1e-9);
    std::size_t at = out.size();
    line.timeInput.getParameter().setValue(2000.0f, 0.0f);
    run(e, line, 4096, out);
    for (std::size_t t = at; t < out.size(); ++t)
        ASSERT_EQ(out[t], static_cast<float>((t - 2000) % 8192)) << t - at;
}

TEST(DelayLine, SmootherStaysStableAtAnyFrequency) {
    // The coefficient follows the sine rule up to 0.5 (about 0.08 fs) and
    // stays there, through fs / 2, fs and beyond: the glide neither freezes
    // nor rings nor diverges, and ends on the exact delay.
    for (float frequency : {1000.0f, 3000.0f, 3900.0f, 24000.0f, 48000.0f, 96000.0f, 1.0e9f}) {
        SCOPED_TRACE(frequency);
        Environment e;
        e.setSampleRate(48000.0f);
        ScriptedSource input(e, [](std::int64_t t) { return static_cast<float>(t); });
        DelayLine line(e);
        line.setInput(&input);
        line.interpretation.setValue(DelayLine::kSamples);
        line.smoothingFrequency.setValue(frequency);
        float expected = frequency < 3800.0f
                             ? static_cast<float>(2.0 * std::sin(3.14159265358979 * frequency / 48000.0))
                             : 0.5f;
        EXPECT_NEAR(line.getSmoothingCoefficient(), expected, 1e-7f);
        line.timeInput.setValue(1000.0f);
        std::vector<float> out = run(e, line, 4800);
        line.timeInput.setValue(1200.0f);
        run(e, line, 9600, out);
        double previous = 1000.0;
        for (std::size_t t = 4800; t < out.size(); ++t) {
            double delay = static_cast<double>(t) - static_cast<double>(out[t]);
            ASSERT_GE(delay, previous - 0.01) << t;
            ASSERT_LE(delay, 1200.01) << t;
            previous = delay;
        }
        for (std::size_t t = out.size() - 2000; t < out.size(); ++t)
            ASSERT_EQ(out[t], static_cast<float>(t - 1200)) << t;
    }
    Environment e;
    DelayLine line(e);
    line.smoothingFrequency.setValue(0.0f);
    EXPECT_EQ(line.getSmoothingCoefficient(), 0.0f);
}

// ------------------------------------------------------------------------
// Stretch.

TEST(DelayLine, LevelCurveOfTheStretchFade) {
    EXPECT_EQ(levelFromPosition(1.0f), 1.0f);
    EXPECT_NEAR(levelFromPosition(0.1f), 0.023988324f, 2e-9f);
    EXPECT_NEAR(levelFromPosition(0.5f), 0.12589254f, 1e-7f);
    EXPECT_FLOAT_EQ(levelFromPosition(0.05f), 0.05f * 0.23988324f);
    EXPECT_EQ(levelFromPosition(0.0f), 0.0f);
}

struct StretchCase {
    float rate;
    std::int64_t fade; // samples
};

TEST(DelayLine, StretchFadesBetweenWholeSampleTapsWithComplementaryGains) {
    for (StretchCase c : {StretchCase{48000.0f, 4080}, StretchCase{44100.0f, 3748}}) {
        SCOPED_TRACE(c.rate);
        // Without smoothing and with blocks not marked constant, the reader
        // fades every N samples from the line's start. The fade starting at
        // 4 N moves the read point from 10000 to 200 samples. The outgoing tap reads
        // the ones before the step, the incoming one the zeros after it, so
        // line a gives the outgoing gain alone and line b (the step the other
        // way) the incoming one.
        const std::int64_t n = c.fade;
        const std::int64_t start = 4 * n;
        const std::int64_t step = start - 200;
        Environment e;
        ScriptedSource inA(e, [step](std::int64_t t) { return t < step ? 1.0f : 0.0f; });
        ScriptedSource inB(e, [step](std::int64_t t) { return t < step ? 0.0f : 1.0f; });
        ScriptedSource time(
            e, [n](std::int64_t t) { return t < 3 * n + 256 ? 10000.0f : 200.0f; }, false);
        DelayLine a(e), b(e);
        e.setSampleRate(c.rate);
        Sum both(e);
        both.add(&a, 1.0f);
        both.add(&b, 1000.0f);
        for (auto [line, in] : {std::pair{&a, &inA}, std::pair{&b, &inB}}) {
            line->setInput(in);
            line->interpretation.setValue(DelayLine::kSamples);
            line->timeSmoothing.setValue(false);
            line->readType.setValue(DelayLine::kStretch);
            line->timeInput.setSource(&time);
        }
        EXPECT_EQ(a.getStretchFadeLength(), n);
        std::vector<float> outA, outB;
        for (std::int64_t t = 0; t < start + n + 500; t += 128) {
            test::runChunk(e, both, 128);
            outA.insert(outA.end(), a.getCurrentBlock().data(), a.getCurrentBlock().data() + 128);
            outB.insert(outB.end(), b.getCurrentBlock().data(), b.getCurrentBlock().data() + 128);
        }
        auto ga = [&](std::int64_t k) { return outA[static_cast<std::size_t>(start + k)]; };
        auto gb = [&](std::int64_t k) { return outB[static_cast<std::size_t>(start + k)]; };
        EXPECT_EQ(ga(0), 1.0f);
        EXPECT_EQ(gb(0), 0.0f);
        for (std::int64_t k = 1; k < n; ++k) {
            ASSERT_LT(ga(k), ga(k - 1)) << k;
            ASSERT_GT(ga(k), 0.0f) << k;
            ASSERT_NEAR(ga(k) + gb(k), 1.0f, 1.2e-7f) << k;
        }
        EXPECT_EQ(ga(n), 0.0f);
        EXPECT_EQ(gb(n), 1.0f);
        // 36 dB over the fade: -18 dB halfway; the straight tail from 90 %.
        EXPECT_NEAR(ga(n / 2), 0.12589254f, 2e-6f);
        if (c.rate == 48000.0f) {
            EXPECT_NEAR(ga(3672), 0.023988324f, 1e-8f);
            EXPECT_NEAR(ga(3876), 0.023988324f * 0.5f, 3e-8f);
        }
        // Before this fade both taps held the same delay.
        for (std::int64_t k = -n; k < 0; ++k)
            ASSERT_NEAR(ga(k), 1.0f, 1.2e-7f) << k;
    }
}

TEST(DelayLine, StretchReadsOnlyWholeSampleDelaysWhileTheTimeGlides) {
    // With a ramp as input, a tap at a whole-sample delay gives a whole
    // number. Each fade starts on the outgoing tap alone, so there the output
    // is a whole number; in between it lies between the two taps.
    Environment e;
    e.setSampleRate(48000.0f);
    const std::int64_t change = 9600;
    ScriptedSource input(e, [](std::int64_t t) { return static_cast<float>(t); });
    DelayLine line(e);
    line.setInput(&input);
    line.interpretation.setValue(DelayLine::kSamples);
    line.readType.setValue(DelayLine::kStretch);
    line.timeInput.setValue(1000.0f);
    std::vector<float> out = run(e, line, change);
    line.timeInput.setValue(1500.0f);
    run(e, line, 5 * 4080 + 1, out);
    std::int64_t lowest = 1000, highest = 1000;
    for (int k = 0; k <= 5; ++k) {
        std::int64_t t = change + k * 4080;
        float v = out[static_cast<std::size_t>(t)];
        ASSERT_EQ(v, std::trunc(v)) << k;
        std::int64_t delay = t - static_cast<std::int64_t>(v);
        ASSERT_GE(delay, highest) << k; // the read point only moves on
        ASSERT_LE(delay, 1500) << k;
        lowest = highest;
        highest = delay;
        if (k > 0) {
            for (std::int64_t s = t - 4080; s < t; ++s) {
                double d = static_cast<double>(s) - out[static_cast<std::size_t>(s)];
                ASSERT_GE(d, static_cast<double>(lowest) - 0.01) << s;
                ASSERT_LE(d, static_cast<double>(highest) + 0.01) << s;
            }
        }
    }
    EXPECT_GT(highest, 1100);
}

TEST(DelayLine, StretchNeverJumpsWithoutAFade) {
    // A ramp through a gliding Stretch line: from one sample to the next the
    // read point moves by a fraction of a sample at most (fades), never by a
    // whole one, also when the glide ends and the whole-block reads resume.
    for (float to : {1500.0f, 700.0f, 1003.0f}) {
        SCOPED_TRACE(to);
        Environment e;
        e.setSampleRate(48000.0f);
        ScriptedSource input(e, [](std::int64_t t) { return static_cast<float>(t); });
        DelayLine line(e);
        line.setInput(&input);
        line.interpretation.setValue(DelayLine::kSamples);
        line.readType.setValue(DelayLine::kStretch);
        line.timeInput.setValue(1000.0f);
        std::vector<float> out = run(e, line, 9600);
        line.timeInput.setValue(to);
        run(e, line, 96000, out);
        for (std::size_t t = 9601; t < out.size(); ++t)
            ASSERT_NEAR(out[t] - out[t - 1], 1.0f, 0.5f) << t;
        EXPECT_EQ(out.back(), static_cast<float>(out.size() - 1) - to);
    }
}

TEST(DelayLine, SteadyStretchEqualsAPlainIntegerRead) {
    // Blocks not marked constant keep the reader fading every 85 ms between
    // identical taps.
    Environment e;
    e.setSampleRate(48000.0f);
    ScriptedSource input(e, [](std::int64_t t) { return std::sin(0.01f * static_cast<float>(t % 100000)); });
    ScriptedSource time(
        e, [](std::int64_t) { return 40.0f; }, false);
    DelayLine stretch(e), tape(e);
    Sum both(e);
    both.add(&stretch, 1.0f);
    both.add(&tape, 1.0f);
    stretch.setInput(&input);
    tape.setInput(&input);
    stretch.readType.setValue(DelayLine::kStretch);
    stretch.timeInput.setSource(&time);
    tape.timeInput.setValue(40.0f);
    float loudest = 0.0f;
    for (int b = 0; b < 300; ++b) {
        test::runChunk(e, both, 128);
        for (int i = 0; i < 128; ++i) {
            float expected = tape.getCurrentBlock().data()[i];
            ASSERT_NEAR(stretch.getCurrentBlock().data()[i], expected, 2.5e-7f) << b;
            loudest = std::max(loudest, std::fabs(expected));
        }
    }
    EXPECT_GT(loudest, 0.9f);
}

// ------------------------------------------------------------------------
// Read type 2: the change crossfade.

TEST(DelayLine, ChangeCrossfadeIsLinearAndASecondChangeWaits) {
    Environment e;
    e.setSampleRate(48000.0f);
    ScriptedSource input(e, [](std::int64_t t) { return static_cast<float>(t); });
    DelayLine line(e);
    line.setInput(&input);
    line.interpretation.setValue(DelayLine::kSamples);
    line.readType.setValue(DelayLine::kChangeCrossfade);
    line.timeInput.setValue(12000.0f);
    const std::int64_t t0 = 19200;
    std::vector<float> out = run(e, line, t0);
    line.timeInput.getParameter().setValue(200.0f, 0.0f);
    run(e, line, 1280, out);
    line.timeInput.getParameter().setValue(5000.0f, 0.0f); // during the fade
    run(e, line, 2 * 9600 + 500 - 1280, out);

    auto effective = [&](std::int64_t t) {
        return static_cast<double>(t) - static_cast<double>(out[static_cast<std::size_t>(t)]);
    };
    for (std::int64_t t = t0 - 500; t < t0; ++t)
        ASSERT_EQ(effective(t), 12000.0) << t;
    // 12000 -> 200 over 9600 samples, linearly.
    for (std::int64_t k = 0; k < 9600; ++k)
        ASSERT_NEAR(effective(t0 + k), 12000.0 - 11800.0 * static_cast<double>(k) / 9600.0, 0.02) << k;
    // Then 200 -> 5000, started when the first fade was over.
    for (std::int64_t k = 0; k < 9600; ++k)
        ASSERT_NEAR(effective(t0 + 9600 + k), 200.0 + 4800.0 * static_cast<double>(k) / 9600.0, 0.02) << k;
    for (std::int64_t t = t0 + 19200; t < t0 + 19700; ++t)
        ASSERT_EQ(effective(t), 5000.0) << t;
}

TEST(DelayLine, ChangeCrossfadeDoesNotFadeAfterPrepare) {
    Environment e;
    e.setSampleRate(48000.0f);
    ScriptedSource input(e, [](std::int64_t t) { return static_cast<float>(t % 1000 + 1); });
    DelayLine line(e);
    line.setInput(&input);
    line.interpretation.setValue(DelayLine::kSamples);
    line.readType.setValue(DelayLine::kChangeCrossfade);
    line.timeInput.setValue(5000.0f);
    std::vector<float> out = run(e, line, 12800);
    line.setMaximumDelay(4000.0f); // prepares: empties the ring
    line.timeInput.getParameter().setValue(300.0f, 0.0f);
    std::size_t at = out.size();
    run(e, line, 2000, out);
    for (std::size_t t = at; t < out.size(); ++t)
        ASSERT_EQ(out[t], t < at + 300 ? 0.0f : static_cast<float>((t - 300) % 1000 + 1)) << t - at;
}

// A line that read a moving time in any style, once reset, plays exactly as a
// new line given the same steady time: no glide from the old delay, no fade
// or crossfade begun before the reset, no allpass state.
TEST(DelayLine, AResetLineReadsAsANewOneInEveryReadType) {
    const std::int64_t before = 30000;
    const std::int64_t after = 12000;
    auto signal = [](std::int64_t t) { return static_cast<float>(t % 997) * 0.001f - 0.4f; };
    for (int type = DelayLine::kTape; type <= DelayLine::kAllpass; ++type) {
        SCOPED_TRACE(type);
        Environment e;
        e.setSampleRate(48000.0f);
        ScriptedSource input(e, [&](std::int64_t t) { return t < before ? 0.3f : signal(t - before); });
        ScriptedSource moving(
            e, [](std::int64_t t) { return 90.0f + 40.0f * std::sin(2e-4f * static_cast<float>(t)); });
        DelayLine line(e);
        line.setInput(&input);
        line.readType.setValue(static_cast<DelayLine::ReadType>(type));
        line.timeInput.setSource(&moving);
        run(e, line, before);
        e.reset(Environment::kResetActive);
        line.timeInput.setSource(nullptr);
        line.timeInput.getParameter().setValue(25.0f, 0.0f);
        const std::vector<float> used = run(e, line, after);

        Environment fresh;
        fresh.setSampleRate(48000.0f);
        ScriptedSource freshInput(fresh, signal);
        DelayLine freshLine(fresh);
        freshLine.setInput(&freshInput);
        freshLine.readType.setValue(static_cast<DelayLine::ReadType>(type));
        freshLine.timeInput.setValue(25.0f);
        const std::vector<float> expected = run(fresh, freshLine, after);
        for (std::size_t t = 0; t < expected.size(); ++t)
            ASSERT_EQ(used[t], expected[t]) << t;
        EXPECT_EQ(expected[1200], signal(0)); // 25 ms: whole samples
    }
}

// ------------------------------------------------------------------------
// Sizing, limits, feedback.

TEST(DelayLine, RingIsSizedForTheMaximumDelay) {
    Environment e;
    DelayLine line(e);
    EXPECT_EQ(line.getMaximumDelaySamples(), 220500);
    e.setSampleRate(48000.0f);
    EXPECT_EQ(line.getMaximumDelay(), 5000.0f);
    EXPECT_EQ(line.getMaximumDelaySamples(), 240000);
    EXPECT_EQ(line.getDelay().getSize(), 262144);
    EXPECT_EQ(line.timeInput.getParameter().getMaximum(), 5000.0f);
    line.interpretation.setValue(DelayLine::kSamples);
    EXPECT_EQ(line.timeInput.getParameter().getMaximum(), 240000.0f);
    line.setMaximumDelay(1000.0f);
    EXPECT_EQ(line.getMaximumDelaySamples(), 48000);
    EXPECT_EQ(line.getDelay().getSize(), 65536);
    EXPECT_EQ(line.timeInput.getParameter().getMaximum(), 48000.0f);
}

TEST(DelayLine, ReadDelaysStayWithinTheReadableRange) {
    // Too long a time reads at the maximum; too short (or NaN) at one chunk,
    // the newest history that a deferred write has stored.
    struct Case {
        float time;
        std::int64_t samples;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (Case c :
         {Case{1500.0f, 48000}, Case{1.0f, 128}, Case{0.0f, 128}, Case{-5.0f, 128}, Case{nan, 128}}) {
        for (int type = 0; type < 4; ++type) {
            SCOPED_TRACE(::testing::Message() << c.time << " ms, read type " << type);
            Environment e;
            e.setSampleRate(48000.0f);
            ScriptedSource input(e, impulseAt(1000));
            ScriptedSource time(
                e, [&c](std::int64_t) { return c.time; }, true);
            DelayLine line(e);
            line.setMaximumDelay(1000.0f);
            line.setInput(&input);
            line.readType.setValue(static_cast<DelayLine::ReadType>(type));
            line.timeInput.setSource(&time);
            std::vector<float> out = run(e, line, 1000 + c.samples + 200, {128, 77});
            std::int64_t expected =
                1000 + c.samples + (type == DelayLine::kAllpass && c.samples == 128 ? 1 : 0);
            for (std::int64_t t = 0; t < static_cast<std::int64_t>(out.size()); ++t)
                ASSERT_EQ(out[static_cast<std::size_t>(t)], t == expected ? 1.0f : 0.0f) << t;
        }
    }
}

TEST(DelayLine, FedByItsOwnOutputRepeatsAtExactMultiplesOfItsDelay) {
    for (float gain : {1.0f, 0.5f, -0.75f}) {
        SCOPED_TRACE(gain);
        Environment e;
        e.setSampleRate(48000.0f);
        ScriptedSource impulse(e, impulseAt(0));
        DelayLine line(e);
        Sum mix(e);
        mix.add(&impulse, 1.0f);
        mix.add(&line, gain);
        line.setInput(&mix);
        line.timeInput.setValue(10.0f); // 480 samples
        std::vector<float> out = run(e, mix, 5 * 480 + 10, {128, 41, 87, 100});
        for (std::size_t t = 0; t < out.size(); ++t)
            ASSERT_EQ(out[t], t % 480 == 0 ? std::pow(gain, static_cast<float>(t / 480)) : 0.0f) << t;
    }
}

TEST(DelayLine, IdleUntilSoundEntersAndAgainOnceItCanNoLongerComeOut) {
    Environment e;
    e.setSampleRate(48000.0f);
    ScriptedSource input(e, [](std::int64_t t) { return t < 200 ? 0.5f : 0.0f; });
    DelayLine line(e);
    line.setMaximumDelay(100.0f); // 4800 samples
    line.setInput(&input);
    line.timeInput.setValue(50.0f);
    EXPECT_TRUE(line.isIdle());
    run(e, line, 256);
    EXPECT_FALSE(line.isIdle());
    EXPECT_FALSE(e.isIdle());
    run(e, line, 4736);
    EXPECT_FALSE(line.isIdle());
    run(e, line, 256);
    EXPECT_TRUE(line.isIdle());

    run(e, line, 1000); // silence written: still idle
    EXPECT_TRUE(line.isIdle());
    ScriptedSource noise(e, [](std::int64_t t) { return t % 3 == 0 ? 1e-3f : 0.0f; });
    line.setInput(&noise);
    run(e, line, 128);
    EXPECT_FALSE(line.isIdle());
    e.reset(Environment::kResetActive);
    EXPECT_TRUE(line.isIdle());
}

TEST(DelayLine, ProcessingAndReadStyleChangesAllocateNothing) {
    Environment e;
    e.setSampleRate(48000.0f);
    ScriptedSource input(e, [](std::int64_t t) { return std::sin(0.003f * static_cast<float>(t % 20000)); });
    ScriptedSource time(
        e, [](std::int64_t t) { return 20.0f + 10.0f * std::sin(1e-4f * static_cast<float>(t)); });
    DelayLine line(e);
    Sum mix(e);
    mix.add(&input, 1.0f);
    mix.add(&line, 0.5f);
    line.setInput(&mix);
    std::vector<float> out;
    out.reserve(200000);
    const std::vector<int> chunks{128, 57};
    AllocationCounter counter;
    for (int type = 0; type < 4; ++type) {
        line.readType.setValue(static_cast<DelayLine::ReadType>(type));
        line.timeInput.setSource(nullptr);
        line.timeInput.setValue(type * 10.0f + 15.0f);
        run(e, mix, 9600, out, chunks);
        line.timeInput.setSource(&time);
        line.timeSmoothing.setValue(type % 2 == 0);
        line.smoothingFrequency.setValue(3.0f + static_cast<float>(type));
        run(e, mix, 9600, out, chunks);
        e.reset(type % 2 == 0 ? Environment::kResetActive : Environment::kResetLight);
    }
    EXPECT_EQ(counter.allocations(), 0u);
    for (float v : out)
        ASSERT_TRUE(std::isfinite(v));
}

} // namespace
