#include "dsp/BiQuadFilter.h"
#include "dsp/tests/FilterFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

using namespace test;

namespace {

constexpr double kRate = 48000.0;

// A biquad unit with its coefficients for one constant setting.
struct Design {
    Design(int response, int slope, double frequencyHz, float peak, float gain = 1.0f) : unit(env) {
        env.setSampleRate(float(kRate));
        unit.response.setValue(GenericFilter::Response(response));
        unit.slope.setValue(GenericFilter::Slope(slope));
        unit.prepareBlock();
        unit.setLaneCount(1);
        unit.computeCoefficients(0, 0, float(std::log2(frequencyHz)), peak, gain);
    }

    // |H| in dB at a frequency, from the sections' digital transfer functions.
    double gainDb(double frequencyHz) const {
        const std::complex<double> z = std::polar(1.0, 2.0 * std::numbers::pi * frequencyHz / kRate);
        std::complex<double> h = 1.0;
        for (int st = 0; st < unit.sectionCount(); ++st) {
            TptSection c = unit.section(0, 0, st);
            // The trapezoidal section is the bilinear transform of
            // (high s^2 + band s + low) / (s^2 + 2R s + 1) with s = (z - 1) / ((z + 1) g).
            const double twoR = double(c.k) - c.g;
            const std::complex<double> s = (z - 1.0) / ((z + 1.0) * double(c.g));
            h *= (double(c.high) * s * s + double(c.band) * s + double(c.low)) / (s * s + twoR * s + 1.0);
        }
        return 20.0 * std::log10(std::abs(h));
    }

    wave::Environment env;
    BiQuadFilter unit;
};

} // namespace

TEST(BiQuadFilter, LowAndHighPassAtCutoff) {
    const double expected[4] = {-3.0103, -3.0103, -6.0206, -12.0412};
    const int sections[4] = {1, 1, 2, 4};
    for (int response : {0, 1}) {
        for (int slope = 0; slope <= 3; ++slope) {
            SCOPED_TRACE(::testing::Message() << response << " " << slope);
            Design d(response, slope, 1000.0, 0.0f);
            EXPECT_EQ(d.unit.sectionCount(), sections[slope]);
            EXPECT_NEAR(d.gainDb(1000.0), expected[slope], 0.01);
            // Pass band and stop band.
            EXPECT_NEAR(d.gainDb(response == 0 ? 20.0 : 20000.0), 0.0, 0.01);
            double stop = d.gainDb(response == 0 ? 4000.0 : 250.0);
            EXPECT_LT(stop, slope == 0 ? -11.0 : -23.0 * sections[slope]);
        }
    }
}

TEST(BiQuadFilter, BandPassAllPassBellAndShelves) {
    // Band-pass: 0 dB at the centre at every slope.
    for (int slope : {1, 2, 3}) {
        Design d(2, slope, 2000.0, 0.4f);
        EXPECT_NEAR(d.gainDb(2000.0), 0.0, 0.01) << slope;
        EXPECT_LT(d.gainDb(200.0), -10.0);
    }
    // All-pass: flat.
    for (int slope : {0, 1, 2, 3}) {
        Design d(9, slope, 2000.0, 0.5f);
        for (double f : {30.0, 500.0, 2000.0, 9000.0, 20000.0})
            EXPECT_NEAR(d.gainDb(f), 0.0, 1e-3) << slope << " " << f;
    }
    // Notch: deep at the centre.
    Design notch(3, 1, 2000.0, 0.0f);
    EXPECT_LT(notch.gainDb(2000.0), -60.0);
    // Bell: +-20 dB at the centre at peak +-1, one section at any slope.
    for (float peak : {1.0f, -1.0f}) {
        Design bell(4, 3, 2000.0, peak);
        EXPECT_EQ(bell.unit.sectionCount(), 1);
        EXPECT_NEAR(bell.gainDb(2000.0), 20.0 * peak, 0.01);
        EXPECT_NEAR(bell.gainDb(20.0), 0.0, 0.05);
    }
    // Shelves: +-20 dB at their end, 0 dB at the other.
    for (int response : {5, 6, 7, 8}) {
        for (float peak : {1.0f, -1.0f}) {
            SCOPED_TRACE(::testing::Message() << response << " " << peak);
            Design shelf(response, 1, 1000.0, peak);
            const bool low = response <= 6;
            EXPECT_NEAR(shelf.gainDb(low ? 10.0 : 23500.0), 20.0 * peak, 0.1);
            EXPECT_NEAR(shelf.gainDb(low ? 23500.0 : 10.0), 0.0, 0.1);
        }
    }
    // Peak 0 of a shelf: flat.
    Design flat(5, 1, 1000.0, 0.0f);
    EXPECT_NEAR(flat.gainDb(300.0), 0.0, 1e-4);
}

TEST(BiQuadFilter, FrequencyClamps) {
    auto first = [](float log2Frequency) {
        wave::Environment env;
        env.setSampleRate(float(kRate));
        BiQuadFilter unit(env);
        unit.prepareBlock();
        unit.setLaneCount(1);
        unit.computeCoefficients(0, 0, log2Frequency, 0.0f, 1.0f);
        return unit.section(0, 0, 0);
    };
    auto same = [](TptSection a, TptSection b) {
        return a.g == b.g && a.k == b.k && a.low == b.low && a.band == b.band && a.high == b.high;
    };
    EXPECT_TRUE(same(first(0.0f), first(1.0f))); // raised to 2 Hz
    EXPECT_TRUE(same(first(-50.0f), first(1.0f)));
    EXPECT_FALSE(same(first(1.5f), first(1.0f)));
    const float top = float(std::log2(0.49 * kRate));
    EXPECT_TRUE(same(first(24.0f), first(top))); // lowered to 0.49 fs
    EXPECT_FALSE(same(first(top - 0.5f), first(top)));
    EXPECT_NEAR(first(top).g, std::tan(std::numbers::pi * 0.49), 1e-3);
}

TEST(BiQuadFilter, LaterSectionsHaveTheirPeakLimited) {
    Design d(0, 3, 1000.0, 1.0f);
    ASSERT_EQ(d.unit.sectionCount(), 4);
    // 2R of the first section: the quality's damping floor 0.05/sqrt(2).
    TptSection first = d.unit.section(0, 0, 0);
    EXPECT_NEAR(first.k - first.g, 0.035355341f, 1e-6);
    // The others at peak 0.8: Q = 1 / (1.4142135 - 1.3942136 x 0.8).
    const float q = 1.0f / (1.4142135f - 1.3942136f * 0.8f);
    for (int st = 1; st < 4; ++st) {
        TptSection c = d.unit.section(0, 0, st);
        EXPECT_NEAR(c.k - c.g, 1.0f / q, 1e-5) << st;
    }
    // PeakMode 1 scales the peak by (4 - s) x 0.1 instead.
    d.unit.peakMode.setValue(BiQuadFilter::kScaledPeak);
    d.unit.computeCoefficients(0, 0, std::log2(1000.0f), 1.0f, 1.0f);
    TptSection third = d.unit.section(0, 0, 2);
    EXPECT_NEAR(third.k - third.g, 1.4142135f - 1.3942136f * 0.2f, 1e-5);
}

TEST(BiQuadFilter, SlopeSupport) {
    wave::Environment env;
    BiQuadFilter unit(env);
    const bool slopeZero[10] = {true, true, false, false, true, true, true, true, true, true};
    for (int response = 0; response < 10; ++response) {
        unit.response.setValue(GenericFilter::Response(response));
        EXPECT_EQ(unit.supportsSlope(0), slopeZero[response]) << response;
        EXPECT_TRUE(unit.supportsSlope(1));
    }
}

TEST(BiQuadFilter, ProcessesLikeItsTransferFunction) {
    // A sine through the running filter matches the analytic gain.
    for (int slope : {0, 2}) {
        const double amplitude = 0.5;
        wave::Environment env;
        env.setSampleRate(float(kRate));
        FunctionSource in(env, sine(3000.0, kRate, amplitude));
        GenericFilter filter(env);
        BiQuadFilter unit(env);
        filter.setInput(&in);
        filter.setUnit(&unit);
        filter.slope.setValue(GenericFilter::Slope(slope));
        filter.frequency.getParameter().setValue(std::log2(1500.0f), 0.0f);
        double rms = rmsAfter(env, filter, 4800, 9600);
        Design d(0, slope, 1500.0, 0.0f);
        EXPECT_NEAR(toDb(rms / (amplitude / std::sqrt(2.0))), d.gainDb(3000.0), 0.05) << slope;
    }
}
