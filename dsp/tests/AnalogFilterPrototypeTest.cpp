#include "dsp/AnalogFilterPrototype.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

using ::AnalogFilterPrototype;

namespace {

constexpr double pi = std::numbers::pi;

double db(double squaredMagnitude) {
    return 10.0 * std::log10(squaredMagnitude);
}

} // namespace

TEST(AnalogFilterPrototype, SecondOrderLowPassIsButterworth) {
    AnalogFilterPrototype p;
    ASSERT_EQ(p.design(0, 2.0, std::sqrt(0.5), 1.0), 1);
    for (double w : {0.0, 0.1, 0.5, 1.0, 2.0, 10.0, 100.0})
        EXPECT_NEAR(p.squaredMagnitude(w), 1.0 / (1.0 + std::pow(w, 4)), 1e-12) << w;
}

TEST(AnalogFilterPrototype, OrderAboveSixteenIsSixteen) {
    AnalogFilterPrototype p;
    EXPECT_EQ(p.design(0, 17.0, std::sqrt(0.5), 1.0), 8);
    for (double w : {0.5, 0.9, 1.0, 1.1, 1.5})
        EXPECT_NEAR(p.squaredMagnitude(w), 1.0 / (1.0 + std::pow(w, 32)), 1e-9) << w;
    EXPECT_EQ(p.design(0, 3.0, std::sqrt(0.5), 1.0), 2);
    for (double w : {0.5, 1.0, 3.0})
        EXPECT_NEAR(p.squaredMagnitude(w), 1.0 / (1.0 + std::pow(w, 6)), 1e-12) << w;
}

TEST(AnalogFilterPrototype, HighPassMirrorsLowPass) {
    AnalogFilterPrototype p;
    p.design(3, 4.0, std::sqrt(0.5), 1.0);
    for (double w : {0.1, 1.0, 10.0})
        EXPECT_NEAR(p.squaredMagnitude(w), std::pow(w, 8) / (1.0 + std::pow(w, 8)), 1e-12) << w;
}

TEST(AnalogFilterPrototype, QualityShapesFirstSectionWithFloor) {
    AnalogFilterPrototype p;
    p.design(0, 2.0, 2.0, 1.0);
    EXPECT_NEAR(std::sqrt(p.squaredMagnitude(1.0)), 2.0, 1e-6); // |H(j1)| = Q
    p.design(0, 2.0, 1000.0, 1.0);
    EXPECT_NEAR(p.section(0).a1, 0.05f * 0.70710677f, 1e-9);
}

TEST(AnalogFilterPrototype, ShelvesAndBellReachTheirGain) {
    const double g = 10.0; // +20 dB
    struct Case {
        int kind;
        double lowLevel, highLevel; // |H|^2 far below / far above the frequency
    };
    const Case cases[] = {
        {1, g * g, 1.0},
        {2, g * g, 1.0},
        {4, 1.0, g * g},
        {5, 1.0, g * g},
    };
    AnalogFilterPrototype p;
    for (const Case& c : cases) {
        for (double gain : {g, 1.0 / g}) {
            double inv = gain < 1.0;
            p.design(c.kind, 2.0, std::sqrt(0.5), gain);
            double low = inv ? 1.0 / c.lowLevel : c.lowLevel;
            double high = inv ? 1.0 / c.highLevel : c.highLevel;
            EXPECT_NEAR(db(p.squaredMagnitude(1e-4)), db(low), 0.01) << c.kind << " " << gain;
            EXPECT_NEAR(db(p.squaredMagnitude(1e4)), db(high), 0.01) << c.kind << " " << gain;
        }
    }
    // Centred shelves sit halfway (in dB) at the frequency.
    p.design(2, 2.0, std::sqrt(0.5), g);
    EXPECT_NEAR(db(p.squaredMagnitude(1.0)), 10.0, 1e-9);
    // Bell: g at the centre, unity far away.
    for (double gain : {g, 1.0 / g}) {
        EXPECT_EQ(p.design(7, 2.0, 1.4142135, gain), 1);
        EXPECT_NEAR(db(p.squaredMagnitude(1.0)), 20.0 * std::log10(gain), 1e-9);
        EXPECT_NEAR(db(p.squaredMagnitude(1e-4)), 0.0, 0.01);
        EXPECT_NEAR(db(p.squaredMagnitude(1e4)), 0.0, 0.01);
    }
    // Gain 1: flat.
    p.design(1, 2.0, 1.4142135, 1.0);
    EXPECT_NEAR(p.squaredMagnitude(0.7), 1.0, 1e-12);
}

TEST(AnalogFilterPrototype, BandKinds) {
    AnalogFilterPrototype p;
    // Band-pass: 0 dB at the centre, both skirts fall; an order-4 band-pass
    // has two sections, still 0 dB at the centre.
    for (double order : {2.0, 2.5, 4.0}) {
        p.design(8, order, 1.0, 1.0);
        EXPECT_NEAR(p.squaredMagnitude(1.0), 1.0, 1e-12) << order;
        EXPECT_LT(p.squaredMagnitude(0.1), 0.02);
        EXPECT_LT(p.squaredMagnitude(10.0), 0.02);
    }
    EXPECT_EQ(p.design(8, 4.0, 1.0, 1.0), 2);
    // Bandwidth 1/Q: the -3 dB points of B s / (s^2 + B s + 1) are w1 w2 = 1, w2 - w1 = B.
    p.design(8, 2.0, 2.0, 1.0);
    double w2 = (0.5 + std::sqrt(0.25 + 4.0)) / 2.0;
    EXPECT_NEAR(p.squaredMagnitude(w2), 0.5, 1e-9);
    EXPECT_NEAR(p.squaredMagnitude(1.0 / w2), 0.5, 1e-9);
    // Band-pass of kind 9: Q sqrt(2) at the centre.
    p.design(9, 2.0, 3.0, 1.0);
    EXPECT_NEAR(std::sqrt(p.squaredMagnitude(1.0)), 3.0 * std::sqrt(2.0), 1e-9);
    // Band-stop: zero at the centre, unity far away.
    for (double order : {2.0, 4.0}) {
        p.design(10, order, 0.5, 1.0);
        EXPECT_NEAR(p.squaredMagnitude(1.0), 0.0, 1e-12);
        EXPECT_NEAR(p.squaredMagnitude(1e-3), 1.0, 1e-3);
        EXPECT_NEAR(p.squaredMagnitude(1e3), 1.0, 1e-3);
    }
}

TEST(AnalogFilterPrototype, AllPassIsFlat) {
    AnalogFilterPrototype p;
    for (double order : {1.0, 2.0, 5.0}) {
        for (double q : {0.5, std::sqrt(0.5), 2.0}) {
            p.design(11, order, q, 1.0);
            for (double w : {0.01, 0.5, 1.0, 3.0, 100.0})
                EXPECT_NEAR(p.squaredMagnitude(w), 1.0, 1e-9) << order << " " << q << " " << w;
        }
    }
}

TEST(AnalogFilterPrototype, FractionalOrderLiesBetweenWholeOrders) {
    AnalogFilterPrototype p;
    auto attenuation = [&](double order) {
        p.design(0, order, std::sqrt(0.5), 1.0);
        return db(p.squaredMagnitude(8.0));
    };
    double previous = attenuation(1.0);
    for (double order = 1.25; order <= 4.0; order += 0.25) {
        double a = attenuation(order);
        EXPECT_LT(a, previous) << order;
        previous = a;
    }
    EXPECT_NEAR(attenuation(2.999), attenuation(3.0), 0.05);
    EXPECT_NEAR(attenuation(2.001), attenuation(2.0), 0.1);
    p.design(0, 2.5, std::sqrt(0.5), 1.0);
    EXPECT_NEAR(p.squaredMagnitude(1e-3), 1.0, 1e-3); // unity pass band
}

TEST(AnalogFilterPrototype, OrderBelowOneIsAGentleTilt) {
    AnalogFilterPrototype p;
    for (double order : {0.25, 0.5, 0.75}) {
        p.design(0, order, std::sqrt(0.5), 1.0);
        EXPECT_NEAR(p.squaredMagnitude(1e-4), 1.0, 1e-3);
        // Average slope over the middle of the tilt: 6.02 x order dB per octave.
        double octaves = std::log2(4096.0 / 4.0);
        double slope = (db(p.squaredMagnitude(4096.0)) - db(p.squaredMagnitude(4.0))) / octaves;
        EXPECT_NEAR(slope, -6.0206 * order, 0.6) << order;
    }
    p.design(3, 0.5, std::sqrt(0.5), 1.0); // high-pass family mirrors it
    EXPECT_NEAR(p.squaredMagnitude(1e4), 1.0, 1e-3);
}

TEST(AnalogFilterPrototype, PinkingTilt) {
    AnalogFilterPrototype p;
    EXPECT_EQ(p.design(12, 1.0, std::sqrt(0.5), 16.0), 3);
    EXPECT_NEAR(p.squaredMagnitude(1.0), 4.0, 1e-9); // level 16^(1/4) = 2
    double slope = (db(p.squaredMagnitude(8.0)) - db(p.squaredMagnitude(0.125))) / 6.0;
    EXPECT_NEAR(slope, -3.01, 0.5);
}

TEST(AnalogFilterPrototype, PhaseWrapping) {
    EXPECT_DOUBLE_EQ(AnalogFilterPrototype::wrapPhase(pi), pi);
    EXPECT_DOUBLE_EQ(AnalogFilterPrototype::wrapPhase(-pi), -pi);
    EXPECT_NEAR(AnalogFilterPrototype::wrapPhase(1.5 * pi), -0.5 * pi, 1e-12);
    EXPECT_NEAR(AnalogFilterPrototype::wrapPhase(-1.5 * pi), 0.5 * pi, 1e-12);
    EXPECT_NEAR(AnalogFilterPrototype::wrapPhase(0.25), 0.25, 1e-15);

    // A fourth-order low-pass turns by -pi at its frequency and -3 pi/2
    // further up (wrapped to +pi/2).
    AnalogFilterPrototype p;
    p.design(0, 4.0, std::sqrt(0.5), 1.0);
    const float w[] = {1e-3f, 1.0f, 1000.0f};
    float out[3];
    p.phase(w, out, 3);
    EXPECT_NEAR(out[0], 0.0, 1e-2);
    EXPECT_NEAR(std::fabs(out[1]), pi, 1e-5);
    EXPECT_NEAR(out[2], 0.0, 1e-2); // -2 pi wraps to 0
    p.design(0, 3.0, std::sqrt(0.5), 1.0);
    p.phase(w + 2, out, 1);
    EXPECT_NEAR(out[0], 0.5 * pi, 1e-2); // -3 pi/2 wraps to pi/2
}

TEST(AnalogFilterPrototype, ScalesAndBlockQueriesAgree) {
    AnalogFilterPrototype p;
    p.design(8, 4.0, 1.5, 1.0);
    p.setScales(1000.0, 1.0 / 1000.0);
    std::vector<float> w = {100.0f, 700.0f, 1000.0f, 1400.0f, 9000.0f};
    std::vector<float> mag(w.size());
    p.squaredMagnitudes(w.data(), mag.data(), int(w.size()));
    for (std::size_t i = 0; i < w.size(); ++i) {
        double fromComplex = std::norm(p.response(w[i]));
        EXPECT_NEAR(mag[i], fromComplex, 1e-6 * (1.0 + fromComplex)) << w[i];
    }
    EXPECT_NEAR(mag[2], 1.0, 1e-6);
}

TEST(AnalogFilterPrototype, HostileArgumentsStayFinite) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    AnalogFilterPrototype p;
    for (int kind = -1; kind <= 13; ++kind) {
        for (double order : {nan, -3.0, 0.0, 0.5, 1.0, 7.3, inf}) {
            for (double q : {nan, 0.0, 1e9}) {
                for (double gain : {nan, 0.0, -1.0, inf}) {
                    int n = p.design(kind, order, q, gain);
                    ASSERT_GE(n, 1);
                    ASSERT_LE(n, 8);
                    for (double w : {0.0, 0.3, 1.0, 40.0})
                        ASSERT_TRUE(std::isfinite(p.squaredMagnitude(w)))
                            << kind << " " << order << " " << q << " " << gain << " " << w;
                }
            }
        }
    }
}
