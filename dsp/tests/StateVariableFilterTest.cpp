#include "dsp/StateVariableFilter.h"
#include "dsp/tests/FilterFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace test;

namespace {

// Records what computeCoefficients hands to shapeResonance.
class ProbeFilter : public StateVariableFilter {
public:
    using StateVariableFilter::StateVariableFilter;
    void shapeResonance(float frequency, float peak, float& resonance, float& cubic,
                        float& clip) noexcept override {
        handedPeak = peak;
        StateVariableFilter::shapeResonance(frequency, peak, resonance, cubic, clip);
    }
    float handedPeak = -99.0f;
};

struct CoefficientRig {
    explicit CoefficientRig(float rate) : filter(env) { env.setSampleRate(rate); }
    StateVariableFilter::Coefficients compute(int response, int slope, float frequency, float peak,
                                              float gain) {
        filter.response.setValue(GenericFilter::Response(response));
        filter.slope.setValue(GenericFilter::Slope(slope));
        filter.prepareBlock();
        filter.setLaneCount(1);
        filter.computeCoefficients(0, 0, frequency, peak, gain);
        return filter.coefficients(0, 0);
    }
    wave::Environment env;
    ProbeFilter filter;
};

// A filter element on a state-variable unit, fed by a source.
struct Rig {
    explicit Rig(float rate, std::function<float(long)> signal)
        : source(env, std::move(signal)), filter(env), unit(env) {
        env.setSampleRate(rate);
        filter.setInput(&source);
        filter.setUnit(&unit);
    }
    void set(int response, int slope, float frequencyHz, float peak) {
        filter.response.setValue(GenericFilter::Response(response));
        filter.slope.setValue(GenericFilter::Slope(slope));
        filter.frequency.getParameter().setValue(std::log2(frequencyHz), 0.0f);
        filter.peak.getParameter().setValue(peak, 0.0f);
    }
    wave::Environment env;
    FunctionSource source;
    GenericFilter filter;
    StateVariableFilter unit;
};

double gainDb(int response, int slope, double cutoff, double frequency, float peak = 0.0f) {
    const double amplitude = 0.001;
    Rig rig(48000.0f, sine(frequency, 48000.0, amplitude));
    rig.set(response, slope, float(cutoff), peak);
    double rms = rmsAfter(rig.env, rig.filter, 9600, 9600);
    return toDb(rms / (amplitude / std::sqrt(2.0)));
}

} // namespace

TEST(StateVariableFilter, CoefficientCases) {
    CoefficientRig rig(48000.0f);
    const float top = std::log2(48000.0f);
    const float sqrt3 = float(std::sqrt(3.0));
    // At and above the sample rate: min(2 sin(pi/3), 0.95).
    EXPECT_EQ(rig.compute(0, 1, top, 0.0f, 1.0f).f, 0.95f);
    EXPECT_EQ(rig.compute(0, 1, top + 3.0f, 0.0f, 1.0f).f, 0.95f);
    EXPECT_GT(sqrt3, 0.95f);
    // Peak 0: no resonance, q = 2; peak 1: R = 0.999 and q = 2 (1 - 0.999^(1/4)).
    EXPECT_NEAR(rig.compute(0, 1, 10.0f, 0.0f, 1.0f).q[0], 2.0f, 1e-6);
    EXPECT_NEAR(rig.compute(0, 1, 10.0f, 1.0f, 1.0f).q[0], 2.0 * (1.0 - std::pow(0.999, 0.25)), 2e-4);
    EXPECT_EQ(rig.filter.handedPeak, 1.0f);
    // Near the top the damping limit takes over.
    auto high = rig.compute(0, 1, top - 0.2f, 0.0f, 1.0f);
    EXPECT_NEAR(high.q[0], 2.0f / high.f - high.f, 0.02f);
    // Gain 1: input gain = drive factor (1), clip scale 1 / (0.1 x drive).
    auto unity = rig.compute(0, 1, 10.0f, 0.3f, 1.0f);
    EXPECT_EQ(unity.inputGain, 1.0f);
    EXPECT_FLOAT_EQ(unity.clipScale, 10.0f);
    EXPECT_FLOAT_EQ(unity.clipLevel, 0.1f);
    // Gain above 1 drives the input and widens the clip; below 1 lowers the level.
    auto loud = rig.compute(0, 1, 10.0f, 0.3f, 4.0f);
    EXPECT_EQ(loud.inputGain, 4.0f);
    EXPECT_FLOAT_EQ(loud.clipScale, 1.0f / (0.1f * 3.15f));
    auto soft = rig.compute(0, 1, 10.0f, 0.3f, 0.5f);
    EXPECT_FLOAT_EQ(soft.clipLevel, 0.05f);
    EXPECT_FLOAT_EQ(soft.clipScale, 20.0f);
    // Gain 0 (and anything at or below 1.1920929e-7): clip level and scale 0.
    for (float g : {0.0f, 1e-8f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        auto silent = rig.compute(0, 1, 10.0f, 0.3f, g);
        EXPECT_EQ(silent.clipScale, 0.0f) << g;
        EXPECT_EQ(silent.clipLevel, 0.0f) << g;
    }
    // Bell: peak 0 is 0 dB with resonance 0.1; +-1 is +-20 dB.
    auto bell = rig.compute(4, 1, 10.0f, 0.0f, 1.0f);
    EXPECT_EQ(rig.filter.handedPeak, 0.1f);
    EXPECT_FLOAT_EQ(bell.band, bell.q[0] - bell.f); // g = 1
    EXPECT_FLOAT_EQ(bell.clipLevel, 0.09f);
    auto bellUp = rig.compute(4, 1, 10.0f, 1.0f, 1.0f);
    EXPECT_NEAR(bellUp.band / (bellUp.q[0] - bellUp.f), 10.0f, 1e-4);
    auto bellDown = rig.compute(4, 1, 10.0f, -1.0f, 1.0f);
    EXPECT_NEAR(bellDown.band / (bellDown.q[0] - bellDown.f), 0.1f, 1e-6);
    EXPECT_EQ(rig.filter.handedPeak, 0.1f);
    // Shelves at peak -1: -20 dB, resonance 0.75 handed on.
    for (int response : {5, 6, 7, 8}) {
        auto shelf = rig.compute(response, 1, 10.0f, -1.0f, 1.0f);
        EXPECT_FLOAT_EQ(rig.filter.handedPeak, 0.75f) << response;
        float g = response <= 6 ? shelf.low : shelf.high;
        EXPECT_NEAR(g, 0.1f, 1e-6) << response;
    }
    // Moved shelves shift the frequency coefficient by the gain.
    auto plain = rig.compute(5, 1, 10.0f, -1.0f, 1.0f);
    auto moved = rig.compute(6, 1, 10.0f, -1.0f, 1.0f);
    EXPECT_GT(moved.f, plain.f);
}

TEST(StateVariableFilter, StagesAndSlopeSupport) {
    CoefficientRig rig(44100.0f);
    rig.compute(0, 0, 10.0f, 0.0f, 1.0f);
    EXPECT_EQ(rig.filter.stageCount(), 1);
    EXPECT_FALSE(rig.filter.supportsSlope(0));
    rig.compute(0, 2, 10.0f, 0.0f, 1.0f);
    EXPECT_EQ(rig.filter.stageCount(), 2);
    rig.compute(1, 3, 10.0f, 0.0f, 1.0f);
    EXPECT_EQ(rig.filter.stageCount(), 4);
    rig.compute(4, 3, 10.0f, 0.0f, 1.0f);
    EXPECT_EQ(rig.filter.stageCount(), 1);
    EXPECT_TRUE(rig.filter.supportsSlope(0));
}

TEST(StateVariableFilter, PassBandsAndSlopes) {
    for (int slope : {1, 2, 3}) {
        SCOPED_TRACE(slope);
        EXPECT_NEAR(gainDb(0, slope, 1000.0, 62.5), 0.0, 0.25);  // low-pass pass band
        EXPECT_NEAR(gainDb(1, slope, 100.0, 3200.0), 0.0, 0.25); // high-pass pass band
    }
    // Attenuation grows with the slope, two octaves into the stop band.
    double lp[4], hp[4];
    for (int slope : {1, 2, 3}) {
        lp[slope] = gainDb(0, slope, 1000.0, 4000.0);
        hp[slope] = gainDb(1, slope, 1000.0, 250.0);
    }
    EXPECT_LT(lp[1], -15.0);
    EXPECT_LT(lp[2], lp[1] - 8.0);
    EXPECT_LT(lp[3], lp[2] - 8.0);
    EXPECT_LT(hp[1], -15.0);
    EXPECT_LT(hp[2], hp[1] - 8.0);
    EXPECT_LT(hp[3], hp[2] - 8.0);
    // Band-pass peaks near its centre.
    for (int slope : {1, 2, 3}) {
        double best = -1e9, bestFrequency = 0.0;
        for (double f = 250.0; f <= 4000.0; f *= std::sqrt(2.0)) {
            double g = gainDb(2, slope, 1000.0, f);
            if (g > best) {
                best = g;
                bestFrequency = f;
            }
        }
        EXPECT_GE(bestFrequency, 700.0) << slope;
        EXPECT_LE(bestFrequency, 1420.0) << slope;
    }
}

TEST(StateVariableFilter, StatesStayClampedUnderHostileInput) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> wild(-1e6f, 1e6f);
    for (int slope : {1, 2, 3}) {
        for (int response : {0, 1, 2, 4, 9}) {
            Rig rig(96000.0f, [&](long n) {
                return n % 97 == 0 ? std::numeric_limits<float>::infinity() : wild(random);
            });
            rig.set(response, slope, 3000.0f, 1.0f);
            rig.filter.gain.getParameter().setValue(63.0f, 0.0f);
            for (int block = 0; block < 50; ++block) {
                runBlock(rig.env, rig.filter, 128);
                for (int st = 0; st < 4; ++st) {
                    ASSERT_GE(rig.unit.bandState(st, 0), -1.0f);
                    ASSERT_LE(rig.unit.bandState(st, 0), 1.0f);
                    ASSERT_GE(rig.unit.lowState(st, 0), -10.0f);
                    ASSERT_LE(rig.unit.lowState(st, 0), 10.0f);
                }
            }
        }
    }
}

TEST(StateVariableFilter, ZeroGainGivesExactSilence) {
    Rig rig(48000.0f, [](long n) { return n % 5 == 0 ? 0.0f : 3.0f * float(n % 3); });
    rig.set(0, 3, 2000.0f, 0.9f);
    rig.filter.gain.getParameter().setValue(0.0f, 0.0f);
    for (int block = 0; block < 4; ++block) {
        const auto& out = runBlock(rig.env, rig.filter, 128);
        for (int i = 0; i < 128; ++i)
            ASSERT_EQ(out.data()[i], 0.0f) << i;
    }
}

TEST(StateVariableFilter, OversampledStageStaysFiniteAndKeepsThePassBand) {
    for (int slope : {1, 2, 3}) {
        const double amplitude = 0.001;
        Rig rig(48000.0f, sine(100.0, 48000.0, amplitude));
        rig.unit.oversampling.setValue(StateVariableFilter::kOversamplingOn);
        rig.set(0, slope, 2000.0f, 0.5f);
        double rms = rmsAfter(rig.env, rig.filter, 4800, 9600);
        EXPECT_NEAR(toDb(rms / (amplitude / std::sqrt(2.0))), 0.0, 0.5) << slope;

        Rig loud(48000.0f, [](long n) { return n % 2 ? 50.0f : -50.0f; });
        loud.unit.oversampling.setValue(StateVariableFilter::kOversamplingOn);
        loud.set(2, slope, 5000.0f, 1.0f);
        for (int block = 0; block < 40; ++block) {
            const auto& out = runBlock(loud.env, loud.filter, 128);
            for (int i = 0; i < 128; ++i)
                ASSERT_TRUE(std::isfinite(out.data()[i]));
        }
    }
}
