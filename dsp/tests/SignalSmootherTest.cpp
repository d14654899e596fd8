#include "dsp/tests/GraphFixtures.h"
#include "foundation/tests/AllocationCounter.h"

#include "dsp/FloatParameter.h"
#include "dsp/GainAdjuster.h"
#include "dsp/SignalSmoother.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

using test::AllocationCounter;
using test::runChunk;
using wave::Environment;

// Writes values[block % size] into every sample of a block; constant or not.
class StepSource : public wave::Source {
public:
    StepSource(Environment& e, float value, bool constant = true)
        : wave::Source(e), value(value), constant(constant) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        for (int i = 0; i < count; ++i)
            block->data()[i] = value;
        block->setConstant(constant);
    }
    float value;
    bool constant;
};

// Writes 0, step, 2 step ... in every block.
class RampSource : public wave::Source {
public:
    RampSource(Environment& e, float step) : wave::Source(e), step(step) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        for (int i = 0; i < count; ++i)
            block->data()[i] = step * static_cast<float>(i + 1);
        block->setConstant(false);
    }
    float step;
};

struct Smoother : ::testing::Test {
    Environment e;
    StepSource input{e, 1.0f};
    SignalSmoother smoother{e};
    Smoother() {
        e.setSampleRate(48000.0f);
        smoother.setInput(&input);
    }
    // Runs blocks and returns every output sample.
    std::vector<float> run(int blocks) {
        std::vector<float> out;
        for (int b = 0; b < blocks; ++b) {
            const float* y = runChunk(e, smoother, 128).data();
            out.insert(out.end(), y, y + 128);
        }
        return out;
    }
};

TEST_F(Smoother, DefaultsAndCoefficient) {
    EXPECT_EQ(smoother.frequency.getValue(), 5.0f);
    EXPECT_EQ(smoother.smoothMethod.getValue(), SignalSmoother::kSmooth);
    EXPECT_FALSE(smoother.startFromInput.getValue());
    EXPECT_NEAR(smoother.getCoefficient(), 2.0 * std::sin(3.14159265358979 * 5.0 / 48000.0), 1e-9);

    // Up to about 0.08 fs the sine rule; from there on 0.5, through fs / 2,
    // fs and beyond; nothing at or below 0 Hz.
    struct Case {
        float frequency, g;
    };
    for (Case c : {Case{1000.0f, 0.13080626f}, Case{3800.0f, 0.49230659f}, Case{3900.0f, 0.5f},
                   Case{24000.0f, 0.5f}, Case{40000.0f, 0.5f}, Case{48000.0f, 0.5f}, Case{96000.0f, 0.5f},
                   Case{0.0f, 0.0f}, Case{-3.0f, 0.0f}}) {
        smoother.frequency.setValue(c.frequency);
        EXPECT_NEAR(smoother.getCoefficient(), c.g, 1e-7f) << c.frequency;
    }
    // A sample-rate change recomputes it (the smoother is reset with the graph).
    smoother.frequency.setValue(5.0f);
    e.setSampleRate(96000.0f);
    EXPECT_NEAR(smoother.getCoefficient(), 2.0 * std::sin(3.14159265358979 * 5.0 / 96000.0), 1e-9);
}

TEST_F(Smoother, FollowsAStepWithoutOvershootAtAnyFrequency) {
    for (float frequency : {5.0f, 500.0f, 3000.0f, 24000.0f, 48000.0f, 1.0e6f}) {
        SCOPED_TRACE(frequency);
        smoother.frequency.setValue(frequency);
        smoother.reset();
        std::vector<float> out = run(frequency < 10.0f ? 400 : 4);
        float previous = 0.0f;
        for (float v : out) {
            ASSERT_GE(v, previous);
            ASSERT_LE(v, 1.0f);
            previous = v;
        }
        // Reached: from then on the input passes untouched.
        EXPECT_EQ(out.back(), 1.0f);
        const wave::BasicBlock<float>* passed = &runChunk(e, smoother, 128);
        EXPECT_EQ(passed, &input.getCurrentBlock());
    }
}

TEST_F(Smoother, RectifiedInputSettlesAndThenPassesUntouched) {
    input.value = -0.5f;
    smoother.smoothMethod.setValue(SignalSmoother::kRectify);
    std::vector<float> out = run(3);
    EXPECT_EQ(out[0], 0.0f); // from 0
    EXPECT_GT(out[1], 0.0f);
    EXPECT_LT(out.back(), 0.1f);
    out = run(400);
    EXPECT_EQ(out.back(), 0.5f);
    double low = smoother.getLow();
    const wave::BasicBlock<float>& block = runChunk(e, smoother, 128);
    EXPECT_TRUE(block.isConstant());
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(block.data()[i], 0.5f);
    EXPECT_EQ(smoother.getLow(), low); // the state is left alone
    EXPECT_NEAR(low, 0.5, 1e-4);
}

TEST_F(Smoother, RestartBeginsAtZeroOrAtTheInput) {
    input.value = 0.25f;
    std::vector<float> out = run(1);
    EXPECT_LT(out[0], 1e-3f); // from 0

    smoother.startFromInput.setValue(true);
    smoother.reset();
    const wave::BasicBlock<float>* passed = &runChunk(e, smoother, 128);
    EXPECT_EQ(passed, &input.getCurrentBlock()); // already there

    // A non-constant input is smoothed from its first sample.
    RampSource ramp(e, 0.001f);
    smoother.setInput(&ramp);
    smoother.reset();
    const wave::BasicBlock<float>& y = runChunk(e, smoother, 128);
    EXPECT_FALSE(y.isConstant());
    EXPECT_FLOAT_EQ(y.data()[0], 0.001f);
    EXPECT_LT(y.data()[127], 0.01f);
}

TEST_F(Smoother, NonFiniteInputDoesNotStickInTheState) {
    input.value = std::numeric_limits<float>::quiet_NaN();
    input.constant = false;
    run(1);
    input.value = 1.0f;
    std::vector<float> out = run(2);
    for (float v : std::vector<float>(out.begin() + 128, out.end()))
        ASSERT_TRUE(std::isfinite(v));
}

// Plays a block pattern: noise, a constant block, a block with a NaN.
class PatternSource : public wave::Source {
public:
    PatternSource(Environment& e, unsigned seed) : wave::Source(e), seed_(seed) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        const int kind = blocks_++ % 7;
        for (int i = 0; i < count; ++i) {
            seed_ = seed_ * 1664525u + 1013904223u;
            float noise = static_cast<float>(seed_ >> 8) / 8388608.0f - 1.0f;
            block->data()[i] = kind == 3 || kind == 4 ? -0.25f : noise;
        }
        if (kind == 6) block->data()[count / 2] = std::numeric_limits<float>::quiet_NaN();
        block->setConstant(kind == 3 || kind == 4);
    }

private:
    unsigned seed_;
    int blocks_ = 0;
};

// Smoothers computed together in one loop give, bit for bit, what each
// gives alone: rectifying or not, at several frequencies, restarting from
// the input, settling on a constant block, after a NaN, and left alone when
// already computed in the block.
TEST(SmootherTogether, EachGetsWhatItGetsAlone) {
    struct Setting {
        SignalSmoother::SmoothMethod method;
        float frequency;
        bool startFromInput;
    };
    const Setting settings[SignalSmoother::kMaxTogether] = {{SignalSmoother::kRectify, 5.0f, false},
                                                            {SignalSmoother::kSmooth, 40.0f, true},
                                                            {SignalSmoother::kRectify, 3000.0f, true},
                                                            {SignalSmoother::kSmooth, 2.0f, false}};
    for (int n = 1; n <= SignalSmoother::kMaxTogether; ++n) {
        SCOPED_TRACE(n);
        Environment e;
        e.setSampleRate(48000.0f);
        std::vector<std::unique_ptr<PatternSource>> inputs;
        std::vector<std::unique_ptr<SignalSmoother>> alone, together;
        for (int k = 0; k < n; ++k) {
            inputs.push_back(std::make_unique<PatternSource>(e, 11u + unsigned(k)));
            for (auto* list : {&alone, &together}) {
                auto s = std::make_unique<SignalSmoother>(e);
                s->smoothMethod.setValue(settings[k].method);
                s->frequency.setValue(settings[k].frequency);
                s->startFromInput.setValue(settings[k].startFromInput);
                s->setInput(inputs.back().get());
                s->reset();
                list->push_back(std::move(s));
            }
        }
        std::vector<SignalSmoother*> group;
        for (auto& s : together)
            group.push_back(s.get());
        for (int block = 0; block < 30; ++block) {
            e.nextBlock();
            if (block % 5 == 2) together[0]->pull(96); // already computed: left alone
            SignalSmoother::processTogether(group.data(), n, 96);
            for (int k = 0; k < n; ++k) {
                const wave::BasicBlock<float>& x = alone[std::size_t(k)]->pull(96);
                const wave::BasicBlock<float>& y = together[std::size_t(k)]->pull(96);
                ASSERT_EQ(std::memcmp(x.data(), y.data(), 96 * sizeof(float)), 0) << k << " block " << block;
                ASSERT_EQ(x.isConstant(), y.isConstant()) << k << " block " << block;
                ASSERT_EQ(alone[std::size_t(k)]->getLow(), together[std::size_t(k)]->getLow()) << k;
            }
            e.process(96, 0);
        }
    }
}

// ------------------------------------------------------------------------

struct Adjuster : ::testing::Test {
    Environment e;
    StepSource input{e, 1.0f};
    GainAdjuster adjuster{e};
    Adjuster() { adjuster.setInput(&input); }
};

TEST_F(Adjuster, UnityGainWithoutLevelsHandsOnTheInputBlock) {
    const wave::BasicBlock<float>* out = &runChunk(e, adjuster, 128);
    EXPECT_EQ(out, &input.getCurrentBlock());
    // One level alone counts as none.
    FloatParameterSource level(e, 0.5f);
    adjuster.setNumeratorLevel(&level);
    out = &runChunk(e, adjuster, 128);
    EXPECT_EQ(out, &input.getCurrentBlock());
}

TEST_F(Adjuster, GainMultipliesAndKeepsTheConstantFlag) {
    input.value = 0.5f;
    adjuster.gain.getParameter().setLimits(-1.0f, 1.0f, 2.0f);
    adjuster.gain.getParameter().setValue(-1.0f, 0.0f);
    const wave::BasicBlock<float>& y = runChunk(e, adjuster, 100);
    EXPECT_TRUE(y.isConstant());
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(y.data()[i], -0.5f);

    input.constant = false;
    EXPECT_FALSE(runChunk(e, adjuster, 100).isConstant());

    // A gliding gain multiplies sample by sample.
    adjuster.gain.setValue(1.0f);
    const wave::BasicBlock<float>& glide = runChunk(e, adjuster, 128);
    const wave::BasicBlock<float>& g = adjuster.gain.getParameter().getBlock();
    EXPECT_FALSE(glide.isConstant());
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(glide.data()[i], 0.5f * g.data()[i]);
    EXPECT_LT(glide.data()[0], glide.data()[127]);
}

TEST_F(Adjuster, LevelRatioIsLimitedToATenthAndOne) {
    struct Case {
        float numerator, denominator, ratio;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {2.0f, 1.0f, 1.0f}, // twice the denominator
        {0.0f, 1.0f, 0.1f}, // a zero numerator
        {1.0f, 0.0f, 1.0f}, // a zero denominator
        {0.5f, 1.0f, 0.5f}, {0.05f, 1.0f, 0.1f},
        {0.3f, 0.6f, 0.5f}, {1.0f, -1.0f, 1.0f}, // a negative denominator
        {nan, 1.0f, 0.1f},  {1.0f, nan, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.numerator << " / " << c.denominator);
        Environment env;
        StepSource in(env, -0.8f, false);
        StepSource numerator(env, c.numerator), denominator(env, c.denominator);
        GainAdjuster a(env);
        a.setInput(&in);
        a.setNumeratorLevel(&numerator);
        a.setDenominatorLevel(&denominator);
        a.gain.getParameter().setLimits(-1.0f, 1.0f, 2.0f);
        a.gain.getParameter().setValue(-0.5f, 0.0f);
        EXPECT_EQ(GainAdjuster::limitRatio(c.numerator, c.denominator), c.ratio);
        const wave::BasicBlock<float>& y = runChunk(env, a, 64);
        for (int i = 0; i < 64; ++i)
            ASSERT_EQ(y.data()[i], c.ratio * -0.8f * -0.5f) << i;
    }
}

// Sample by sample, the ratio, input and gain as limitRatio(n, d) * x * g,
// bit for bit, over levels that cross every limit (and NaN, infinities,
// zeros of both signs).
TEST_F(Adjuster, LevelRatioMatchesTheScalarRuleBitForBit) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> num(128), den(128), x(128), g(128);
    unsigned seed = 5;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
    };
    const float specials[] = {nan, inf, -inf, 0.0f, -0.0f, 1e-39f, 3e38f};
    for (std::size_t i = 0; i < num.size(); ++i) {
        num[i] = next() * 1.2f + 0.4f;
        den[i] = next() * 1.2f + 0.4f;
        x[i] = next();
        g[i] = next();
        if (i % 11 == 3) num[i] = specials[i % 7];
        if (i % 13 == 5) den[i] = specials[(i / 13) % 7];
    }
    class Play : public wave::Source {
    public:
        Play(Environment& e, const std::vector<float>& v) : wave::Source(e), v_(v) {}
        void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
            std::memcpy(block->data(), v_.data(), std::size_t(count) * sizeof(float));
            block->setConstant(false);
        }

    private:
        const std::vector<float>& v_;
    };
    Play numerator(e, num), denominator(e, den), in(e, x), gain(e, g);
    adjuster.setInput(&in);
    adjuster.setNumeratorLevel(&numerator);
    adjuster.setDenominatorLevel(&denominator);
    adjuster.gain.setSource(&gain);
    const wave::BasicBlock<float>& y = runChunk(e, adjuster, 128);
    for (std::size_t i = 0; i < num.size(); ++i) {
        const float expected = GainAdjuster::limitRatio(num[i], den[i]) * x[i] * g[i];
        ASSERT_TRUE(std::memcmp(&expected, &y.data()[i], sizeof(float)) == 0 ||
                    (std::isnan(expected) && std::isnan(y.data()[i])))
            << i << ": " << num[i] << " / " << den[i];
    }
}

TEST(SmootherAndAdjuster, FeedbackLimiterAllocatesNothing) {
    // The effect's limiter: gain = sign x min(max(level(a) / level(b), 0.1), 1).
    Environment e;
    e.setSampleRate(48000.0f);
    RampSource a(e, 0.01f), b(e, 0.03f);
    SignalSmoother levelA(e), levelB(e);
    levelA.smoothMethod.setValue(SignalSmoother::kRectify);
    levelB.smoothMethod.setValue(SignalSmoother::kRectify);
    levelA.setInput(&a);
    levelB.setInput(&b);
    GainAdjuster limiter(e);
    limiter.setInput(&b);
    limiter.setNumeratorLevel(&levelA);
    limiter.setDenominatorLevel(&levelB);
    AllocationCounter counter;
    float last = 0.0f;
    for (int block = 0; block < 2000; ++block) {
        if (block == 1000) limiter.gain.setValue(0.5f);
        if (block == 1500) {
            levelA.frequency.setValue(20.0f);
            levelB.frequency.setValue(20.0f);
        }
        last = runChunk(e, limiter, block % 3 == 0 ? 77 : 128).data()[0];
    }
    e.reset(Environment::kResetActive);
    runChunk(e, limiter, 128);
    EXPECT_EQ(counter.allocations(), 0u);
    // Level a is a third of level b: the ratio settles at 1/3.
    EXPECT_NEAR(last, 0.03f * 0.5f / 3.0f, 1e-6f);
}

} // namespace
