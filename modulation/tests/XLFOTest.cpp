#include "modulation/XLFO.h"

#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {
struct XlfoFixture {
    explicit XlfoFixture(float rate = 48000.0f) {
        e.setSampleRate(rate);
        lfo = std::make_unique<XLFO>(e);
    }
    void steps(std::vector<float> values, float glide = 0.0f) {
        lfo->numSteps.setValue(static_cast<int>(values.size()));
        for (size_t i = 0; i < values.size(); ++i) {
            lfo->getStep(int(i)).value.setValue(values[i]);
            lfo->getStep(int(i)).glide.setValue(glide);
        }
    }
    void frequency(float hz) { lfo->freq.getParameter().setValue(hz, 0.0f); }
    wave::Environment e;
    std::unique_ptr<XLFO> lfo;
};

std::vector<double> widths(XLFO& lfo) {
    std::vector<double> w;
    for (int i = 0; i < lfo.getNumSteps(); ++i)
        w.push_back(lfo.getStep(i).end - lfo.getStep(i).start);
    return w;
}
} // namespace

TEST(XLFO, StepLayouts) {
    XlfoFixture f;
    f.lfo->numSteps.setValue(4);
    f.lfo->layoutSteps(0.5f);
    EXPECT_EQ(widths(*f.lfo), (std::vector<double>{0.25, 0.25, 0.25, 0.25}));
    f.lfo->layoutSteps(0.25f);
    auto w = widths(*f.lfo);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(w[i], (std::vector<double>{0.125, 0.125, 0.375, 0.375})[i], 1e-7);
    f.lfo->numSteps.setValue(3);
    f.lfo->layoutSteps(0.5f);
    const XLFO::Step& middle = f.lfo->getStep(1);
    EXPECT_NEAR(middle.start, 1.0 / 3.0, 1e-7);
    EXPECT_NEAR(middle.end, 2.0 / 3.0, 1e-7);
    EXPECT_TRUE(middle.straddlesBalance);
}

// A 4-step cycle of 128 samples at 48 kHz (375 Hz), every step gliding over
// its second half: samples follow each curve exactly.
TEST(XLFO, GlideCurvesOverOneCycle) {
    const std::vector<float> values = {-1.0f, -0.5f, 0.5f, 1.0f};
    for (auto curve : {XLFO::GlideCurve::kLinear, XLFO::GlideCurve::kSqr, XLFO::GlideCurve::kSqrt,
                       XLFO::GlideCurve::kSine}) {
        XlfoFixture f;
        f.steps(values, 0.5f);
        f.lfo->glideCurve.setValue(curve);
        f.frequency(375.0f);
        auto out = test::runBlock(f.e, *f.lfo, 128);
        for (int j = 0; j < 128; ++j) {
            int step = j / 32;
            float value = values[size_t(step)];
            float amount = values[size_t((step + 1) % 4)] - value;
            float p = float(j % 32) / 32.0f;
            float expected = value;
            if (p > 0.5f) {
                float t = (p - 0.5f) / 0.5f;
                float shape = curve == XLFO::GlideCurve::kLinear ? t
                              : curve == XLFO::GlideCurve::kSqr  ? t * t
                              : curve == XLFO::GlideCurve::kSqrt
                                  ? std::sqrt(t)
                                  : float(0.5 * (std::sin((t - 0.5) * std::numbers::pi) + 1.0));
                expected = value + amount * shape;
            }
            EXPECT_NEAR(out[size_t(j)], expected, 2e-6f) << "curve " << int(curve) << " sample " << j;
        }
    }
}

// At 3000 Hz four steps last 4 samples each; the glide floor (0.0002 x 3000)^2
// = 0.36 smooths the last sample of each step even with glide -1.
TEST(XLFO, GlideFloor) {
    XlfoFixture f;
    f.steps({0.0f, 1.0f, 0.0f, 1.0f});
    f.lfo->glide.getParameter().setValue(-1.0f, 0.0f);
    f.frequency(3000.0f);
    auto out = test::runBlock(f.e, *f.lfo, 16);
    float t = (0.75f - (1.0f - 0.36f)) / 0.36f;
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_NEAR(out[3], t, 1e-5f);
    EXPECT_NEAR(out[7], 1.0f - t, 1e-5f);
}

TEST(XLFO, Snap) {
    XlfoFixture f;
    f.steps({0.04f, 0.05f});
    for (int i = 0; i < 2; ++i)
        f.lfo->getStep(i).snap.setValue(true);
    EXPECT_EQ(f.lfo->stepValue(0), 0.0f);
    EXPECT_FLOAT_EQ(f.lfo->stepValue(1), 1.0f / 12.0f);
}

TEST(XLFO, RandomSteps) {
    XlfoFixture f;
    f.lfo->randomRange.setValue(XLFO::RandomRange::kUnipolar);
    f.lfo->setRandomState(0x800000);
    float r = f.lfo->nextRandom(-10.0f);
    EXPECT_EQ(f.lfo->getRandomState(), 0x1D872Bu);
    EXPECT_FLOAT_EQ(r, 0.11534375f);
    // The 0.2 rule in the output range.
    f.lfo->setRandomState(0x800000);
    EXPECT_FLOAT_EQ(f.lfo->nextRandom(0.2f), 0.4f);
    f.lfo->setRandomState(0x800000);
    EXPECT_FLOAT_EQ(f.lfo->nextRandom(0.6f), 0.11534375f);
    // Consecutive random steps in a running LFO never differ by less than 0.2.
    f.lfo->randomRange.setValue(XLFO::RandomRange::kBipolar);
    f.steps({0, 0, 0, 0, 0, 0, 0, 0});
    for (int i = 0; i < 8; ++i)
        f.lfo->getStep(i).random.setValue(true);
    f.frequency(1500.0f); // 4 samples a step
    auto out = test::runSamples(f.e, *f.lfo, 4 * 400);
    for (size_t i = 4; i < out.size(); i += 4)
        EXPECT_GE(std::fabs(out[i] - out[i - 4]), 0.2f - 1e-6f) << i;
}

// The indicator turns on only when a half lasted more than 1/16 s.
TEST(XLFO, HalfIndicatorGuardAndDisplay) {
    XlfoFixture f;
    int changes = 0;
    f.lfo->halfIndicatorChanged.addHandler(NotifyEvent::bind([&changes] { ++changes; }));
    f.steps({-1.0f, 0.5f});
    f.frequency(100.0f); // halves of 5 ms
    test::runSamples(f.e, *f.lfo, 4800);
    EXPECT_EQ(changes, 0);
    f.frequency(4.0f); // halves of 125 ms
    test::runSamples(f.e, *f.lfo, 48000);
    EXPECT_GT(changes, 2);
    // The display maps the output into the step range, scaled by the larger side.
    float shown = f.lfo->displayValue();
    EXPECT_GE(shown, 0.0f);
    EXPECT_LE(shown, 1.0f);
}

TEST(XLFO, BadInput) {
    XlfoFixture f;
    f.lfo->numSteps.setValue(99);
    EXPECT_EQ(f.lfo->getNumSteps(), 16);
    f.lfo->numSteps.setValue(0);
    EXPECT_EQ(f.lfo->getNumSteps(), 1);
    for (float bad : {std::nanf(""), INFINITY, -5.0f}) {
        test::ConstantSource rate(f.e, bad);
        f.lfo->freq.setSource(&rate);
        auto out = test::runBlock(f.e, *f.lfo, 128);
        EXPECT_TRUE(std::isfinite(out[127]));
    }
}

// With 3 steps and Balance 0.5 the middle step spans [1/3, 2/3] and reaches
// the middle of its shape exactly at phase 0.5; a new balance keeps the
// position within the current half.
TEST(XLFO, StraddlingStepAndBalanceChange) {
    XlfoFixture f;
    f.steps({-1.0f, 1.0f, -1.0f}, 1.0f); // glide over the whole step
    f.frequency(48000.0f / 96.0f);       // 32 samples a step
    auto out = test::runBlock(f.e, *f.lfo, 96);
    // Middle step: from 1 toward -1 over the whole step, halfway at phase 0.5.
    EXPECT_NEAR(out[48], 0.0f, 1e-5f);
    test::runBlock(f.e, *f.lfo, 24); // phase 0.25: half way through the first half
    f.lfo->layoutSteps(0.25f);
    EXPECT_NEAR(f.lfo->getPhase(), 0.125, 1e-9);
    EXPECT_FALSE(f.lfo->isSecondHalf());
}

// The restart crossfade moves from the held value to the output over its length.
TEST(XLFO, RestartFade) {
    XlfoFixture f;
    f.steps({0.5f});
    f.frequency(1.0f);
    f.lfo->beginRestartFade(-0.5f, 3);
    auto out = test::runBlock(f.e, *f.lfo, 6);
    EXPECT_FLOAT_EQ(out[0], -0.25f);
    EXPECT_FLOAT_EQ(out[1], 0.0f);
    EXPECT_FLOAT_EQ(out[2], 0.25f);
    EXPECT_FLOAT_EQ(out[3], 0.5f);
}
