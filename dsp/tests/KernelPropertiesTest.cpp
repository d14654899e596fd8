#include "dsp/BlockKernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;
const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

class Kernel : public ::testing::Test {
protected:
    simd::ScopedControlWord csr_;
};

// |H| at a normalised angular frequency from an impulse response.
double magnitudeAt(const std::vector<float>& h, double w) {
    std::complex<double> sum = 0.0;
    for (std::size_t n = 0; n < h.size(); ++n)
        sum += static_cast<double>(h[n]) * std::polar(1.0, -w * static_cast<double>(n));
    return std::abs(sum);
}

TEST_F(Kernel, TrapezoidalLowPassHasUnityAtDcAndMinusThreeDecibelsAtCutoff) {
    const double rate = 48000.0, cutoff = 1000.0;
    float g = static_cast<float>(std::tan(kPi * cutoff / rate));
    float r = static_cast<float>(1.0 / std::sqrt(2.0));
    TptSection lowPass{g, 2.0f * r + g, 1.0f, 0.0f, 0.0f};
    const int n = 8192;
    std::vector<float> impulse(n, 0.0f), h(n);
    impulse[0] = 1.0f;
    int segments[] = {n};
    float s1 = 0.0f, s2 = 0.0f;
    Kernels::tptSvf(impulse.data(), h.data(), n, segments, &lowPass, s1, s2);
    EXPECT_NEAR(magnitudeAt(h, 0.0), 1.0, 1e-4);
    EXPECT_NEAR(magnitudeAt(h, 2.0 * kPi * cutoff / rate), 1.0 / std::sqrt(2.0), 1e-4);
}

// The oversampled stage in double precision, the same recurrences.
struct ReferenceStage {
    double band, low;
    void step(double x, double f, double q, double gain, double drive, double wl, double wb, double wh,
              std::vector<double>& y, bool three) {
        double u = x * gain;
        low += (band - 1e-24) * f;
        double b = band;
        for (int j = 0; j < 2; ++j) {
            double h = u - q * b - low;
            double next = h * f - drive * b * b * b + b;
            low += f * next;
            b = next;
            if (three) y.push_back(wb * b + wh * h + wl * low);
        }
        double h = u - q * b - low;
        band = b + h * f - drive * b * b * b + 1e-24;
        band = std::min(std::max(band, -1.0), 1.0);
        low = std::min(std::max(low, -10.0), 10.0);
        y.push_back(wb * band + wh * h + wl * low);
    }
};

TEST_F(Kernel, OversampledStagesFollowADoublePrecisionReference) {
    const int n = 512;
    std::vector<float> x(n);
    for (int i = 0; i < n; ++i)
        x[i] = 0.6f * static_cast<float>(std::sin(0.05 * i) + 0.3 * std::sin(0.31 * i));
    int segments[] = {200, 312};
    float f[] = {0.3f, 0.45f}, q[] = {0.5f, 1.2f}, wl[] = {1.0f, 0.5f}, wb[] = {0.25f, -1.0f},
          wh[] = {0.1f, 0.75f};
    float gain[] = {1.5f, 0.8f}, drive[] = {0.1f, 0.05f}, none[] = {1.0f, 1.0f}, zero[] = {0.0f, 0.0f};
    struct Case {
        const char* name;
        bool saturating, three;
        void (*kernel)(const float*, float*, int, const int*, const OversampledSvfCoefficients&, float&,
                       float&);
    };
    const Case cases[] = {
        {"linear", false, false, Kernels::svfLinear},
        {"linear 3", false, true, Kernels::svfLinear3},
        {"saturating", true, false, Kernels::svfSaturating},
        {"saturating 3", true, true, Kernels::svfSaturating3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OversampledSvfCoefficients k{
            f, q, wl, wb, wh, c.saturating ? gain : none, c.saturating ? drive : zero};
        std::vector<float> out(static_cast<std::size_t>(n * (c.three ? 3 : 1)));
        float band = 0.0f, low = 0.0f;
        c.kernel(x.data(), out.data(), n, segments, k, band, low);
        ReferenceStage ref{0.0, 0.0};
        std::vector<double> expected;
        for (int i = 0; i < n; ++i) {
            int s = i < 200 ? 0 : 1;
            ref.step(x[i], f[s], q[s], k.gain[s], k.drive[s], wl[s], wb[s], wh[s], expected, c.three);
        }
        ASSERT_EQ(expected.size(), out.size());
        for (std::size_t i = 0; i < out.size(); ++i)
            ASSERT_NEAR(out[i], expected[i], 1e-4) << i;
        EXPECT_NEAR(band, ref.band, 1e-5);
        EXPECT_NEAR(low, ref.low, 1e-4);
    }
}

TEST_F(Kernel, OversampledStatesStayBoundedForAnyInput) {
    const float inputs[] = {1.0e4f, -3.0e38f, kInf, kNan, -kInf, 1.0e-40f, 50.0f, -50.0f};
    float f[] = {0.95f}, q[] = {0.01f}, w[] = {1.0f}, gain[] = {30.0f}, drive[] = {0.3f};
    OversampledSvfCoefficients c{f, q, w, w, w, gain, drive};
    int one[] = {1};
    for (auto kernel : {Kernels::svfLinear, Kernels::svfSaturating}) {
        float band = 0.0f, low = 0.0f;
        for (int i = 0; i < 400; ++i) {
            float x = inputs[i % 8], y[1];
            kernel(&x, y, 1, one, c, band, low);
            ASSERT_GE(band, -1.0f) << i;
            ASSERT_LE(band, 1.0f) << i;
            ASSERT_GE(low, -10.0f) << i;
            ASSERT_LE(low, 10.0f) << i;
        }
    }
}

TEST_F(Kernel, ThreeOutputsEndWithTheOneOutputResult) {
    std::vector<float> x(97);
    for (int i = 0; i < 97; ++i)
        x[i] = static_cast<float>((i * 13) % 29) / 29.0f - 0.5f;
    float f[] = {0.4f}, q[] = {0.7f}, wl[] = {1.0f}, wb[] = {0.5f}, wh[] = {0.25f}, gain[] = {2.0f},
          drive[] = {0.2f};
    OversampledSvfCoefficients c{f, q, wl, wb, wh, gain, drive};
    int segments[] = {97};
    std::vector<float> single(97), triple(3 * 97);
    float b1 = 0.0f, l1 = 0.0f, b3 = 0.0f, l3 = 0.0f;
    Kernels::svfSaturating(x.data(), single.data(), 97, segments, c, b1, l1);
    Kernels::svfSaturating3(x.data(), triple.data(), 97, segments, c, b3, l3);
    for (int i = 0; i < 97; ++i)
        ASSERT_EQ(triple[3 * i + 2], single[i]) << i;
    EXPECT_EQ(b1, b3);
    EXPECT_EQ(l1, l3);
}

// Each lane of a four-channel kernel equals the one-channel kernel on that lane.
TEST_F(Kernel, FourChannelVariantsEqualFourOneChannelRuns) {
    const int n = 67;
    int segments[] = {3, 60, 4};
    std::vector<float> in[4];
    for (int lane = 0; lane < 4; ++lane)
        for (int i = 0; i < n; ++i)
            in[lane].push_back(static_cast<float>(((i + 7 * lane) * 31) % 53) / 26.5f - 1.0f);
    const float* ins[4] = {in[0].data(), in[1].data(), in[2].data(), in[3].data()};

    // Coefficients [segment * 4 + lane].
    std::vector<float> f, q, wl, wb, wh, gain, drive;
    for (int s = 0; s < 3; ++s)
        for (int lane = 0; lane < 4; ++lane) {
            float v = static_cast<float>(s * 4 + lane);
            f.push_back(0.1f + 0.06f * v);
            q.push_back(0.2f + 0.1f * v);
            wl.push_back(1.0f - 0.1f * v);
            wb.push_back(0.05f * v);
            wh.push_back(0.3f);
            gain.push_back(1.0f + 0.2f * v);
            drive.push_back(0.02f * v);
        }
    OversampledSvfCoefficients four{f.data(),  q.data(),    wl.data(),   wb.data(),
                                    wh.data(), gain.data(), drive.data()};

    using One =
        void (*)(const float*, float*, int, const int*, const OversampledSvfCoefficients&, float&, float&);
    using Four = void (*)(const float* const[4], float* const[4], int, const int*,
                          const OversampledSvfCoefficients&, float*, float*);
    struct Case {
        const char* name;
        int outputs;
        One one;
        Four four;
    };
    const Case cases[] = {
        {"linear", 1, Kernels::svfLinear, Kernels::svfLinear4},
        {"linear 3", 3, Kernels::svfLinear3, Kernels::svfLinear3x4},
        {"saturating", 1, Kernels::svfSaturating, Kernels::svfSaturating4},
        {"saturating 3", 3, Kernels::svfSaturating3, Kernels::svfSaturating3x4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> out4[4];
        float* outs[4];
        for (int lane = 0; lane < 4; ++lane) {
            out4[lane].assign(static_cast<std::size_t>(n * c.outputs), 0.0f);
            outs[lane] = out4[lane].data();
        }
        float band[4] = {0.1f, -0.2f, 0.0f, 0.5f}, low[4] = {1.0f, 0.0f, -2.0f, 0.25f};
        float bandStart[4], lowStart[4];
        std::memcpy(bandStart, band, sizeof band);
        std::memcpy(lowStart, low, sizeof low);
        c.four(ins, outs, n, segments, four, band, low);
        for (int lane = 0; lane < 4; ++lane) {
            std::vector<float> lf, lq, lwl, lwb, lwh, lg, ld;
            for (int s = 0; s < 3; ++s) {
                std::size_t i = static_cast<std::size_t>(s * 4 + lane);
                lf.push_back(f[i]);
                lq.push_back(q[i]);
                lwl.push_back(wl[i]);
                lwb.push_back(wb[i]);
                lwh.push_back(wh[i]);
                lg.push_back(gain[i]);
                ld.push_back(drive[i]);
            }
            OversampledSvfCoefficients one{lf.data(),  lq.data(), lwl.data(), lwb.data(),
                                           lwh.data(), lg.data(), ld.data()};
            std::vector<float> out(static_cast<std::size_t>(n * c.outputs));
            float b = bandStart[lane], l = lowStart[lane];
            c.one(in[lane].data(), out.data(), n, segments, one, b, l);
            ASSERT_EQ(std::memcmp(out.data(), out4[lane].data(), out.size() * sizeof(float)), 0)
                << "lane " << lane;
            EXPECT_EQ(b, band[lane]);
            EXPECT_EQ(l, low[lane]);
        }
    }

    // The trapezoidal section likewise.
    std::vector<TptSection4> sections(3);
    for (int s = 0; s < 3; ++s)
        for (int lane = 0; lane < 4; ++lane) {
            float v = static_cast<float>(s * 4 + lane);
            float g = 0.05f + 0.1f * v;
            sections[s].g[lane] = g;
            sections[s].k[lane] = 0.3f + 0.1f * v + g;
            sections[s].low[lane] = 1.0f;
            sections[s].band[lane] = 0.5f - 0.1f * v;
            sections[s].high[lane] = 0.2f;
        }
    std::vector<float> out4[4];
    float* outs[4];
    for (int lane = 0; lane < 4; ++lane) {
        out4[lane].assign(n, 0.0f);
        outs[lane] = out4[lane].data();
    }
    float s1[4] = {0.0f, 0.1f, 0.2f, 0.3f}, s2[4] = {0.0f, -0.1f, 0.0f, 0.4f};
    float s1Start[4], s2Start[4];
    std::memcpy(s1Start, s1, sizeof s1);
    std::memcpy(s2Start, s2, sizeof s2);
    Kernels::tptSvf4(ins, outs, n, segments, sections.data(), s1, s2);
    for (int lane = 0; lane < 4; ++lane) {
        std::vector<TptSection> one;
        for (int s = 0; s < 3; ++s)
            one.push_back({sections[s].g[lane], sections[s].k[lane], sections[s].low[lane],
                           sections[s].band[lane], sections[s].high[lane]});
        std::vector<float> out(n);
        float a = s1Start[lane], b = s2Start[lane];
        Kernels::tptSvf(in[lane].data(), out.data(), n, segments, one.data(), a, b);
        ASSERT_EQ(std::memcmp(out.data(), out4[lane].data(), out.size() * sizeof(float)), 0)
            << "tpt lane " << lane;
        EXPECT_EQ(a, s1[lane]);
        EXPECT_EQ(b, s2[lane]);
    }
}

TEST_F(Kernel, TableLookupInterpolatesAndClampsBothEnds) {
    // Entry i holds i; entries 0..15 may start an interpolation, 16 is the guard.
    std::vector<float> t(17);
    for (int i = 0; i < 17; ++i)
        t[i] = static_cast<float>(i);
    float scales[] = {1.0f}, gains[] = {2.0f};
    TableLookup lookup{t.data(), 15, 0, 1.0f, 0.0f, scales, gains};
    struct Case {
        float in, out;
    };
    const Case cases[] = {
        {3.25f, 6.5f}, {0.0f, 0.0f},    {15.5f, 31.0f}, {16.0f, 30.0f}, {1.0e9f, 30.0f}, {kInf, 30.0f},
        {-0.5f, 0.0f}, {-1.0e9f, 0.0f}, {-kInf, 0.0f},  {kNan, 0.0f},   {7.75f, 15.5f},
    };
    std::vector<float> in, out(std::size(cases));
    for (const Case& c : cases)
        in.push_back(c.in);
    int segments[] = {static_cast<int>(std::size(cases))};
    Kernels::lookup(in.data(), out.data(), static_cast<int>(in.size()), segments, lookup);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(out[i], cases[i].out) << "input " << cases[i].in;

    // The index offset shifts entries; m, the segment scale and offset act on the argument.
    TableLookup shifted{t.data(), 15, -2, 2.0f, 1.0f, scales, gains};
    float x = 3.25f, y = 0.0f;
    Kernels::lookup(&x, &y, 1, segments, shifted); // t = 5.5, index 3 with fraction 0.5
    EXPECT_EQ(y, 7.0f);

    // Decimating: three sub-samples average into one.
    float threefold[] = {1.0f, 2.0f, 3.5f, 20.0f, 20.0f, -1.0f};
    float decimated[2];
    int two[] = {2};
    Kernels::lookupDecimate3(threefold, decimated, 2, two, lookup);
    EXPECT_FLOAT_EQ(decimated[0], 2.0f * (1.0f + 2.0f + 3.5f) / 3.0f);
    EXPECT_FLOAT_EQ(decimated[1], 2.0f * (15.0f + 15.0f + 0.0f) / 3.0f);
}

TEST_F(Kernel, SectionPhaseMatchesTheArctangentInEveryQuadrant) {
    int checked = 0;
    for (int k = 0; k < 144; ++k) {
        double angle = -kPi + (k + 0.37) * 2.0 * kPi / 144.0;
        for (double radius : {0.01, 1.0, 250.0}) {
            float x = static_cast<float>(radius * std::cos(angle)),
                  y = static_cast<float>(radius * std::sin(angle));
            // Numerator x + j y at w = 1; denominator 1 (angle 0).
            const float c[6] = {0.0f, y, x, 0.0f, 0.0f, 1.0f};
            float in = 1.0f, out = 0.5f;
            Kernels::sectionPhase(&in, &out, 1, 1.0f, c);
            ASSERT_NEAR(out - 0.5f, std::atan2(y, x), 2e-6) << "angle " << angle;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 432);
    // The axes and the origin.
    const float axes[][3] = {{0.0f, 2.0f, 1.5707964f},
                             {0.0f, -2.0f, -1.5707964f},
                             {-2.0f, 0.0f, 3.1415927f},
                             {2.0f, 0.0f, 0.0f},
                             {0.0f, 0.0f, 0.0f}};
    for (const auto& a : axes) {
        const float c[6] = {0.0f, a[1], a[0], 0.0f, 0.0f, 1.0f};
        float in = 1.0f, out = 0.0f;
        Kernels::sectionPhase(&in, &out, 1, 1.0f, c);
        EXPECT_NEAR(out, a[2], 1e-6f) << a[0] << ", " << a[1];
    }
    // A real section: the phase difference of numerator and denominator at w = scale * x.
    const float c[6] = {1.0f, 0.5f, 2.0f, 0.25f, 1.5f, 1.0f};
    float in = 0.8f, out = 0.0f;
    Kernels::sectionPhase(&in, &out, 1, 2.0f, c);
    double w = 1.6;
    double expected = std::atan2(0.5 * w, 2.0 - w * w) - std::atan2(1.5 * w, 1.0 - 0.25 * w * w);
    EXPECT_NEAR(out, expected, 4e-6);
}

TEST_F(Kernel, DecibelsToGain) {
    struct Case {
        float db;
        double gain;
    };
    const Case cases[] = {{0.0f, 1.0},     {20.0f, 10.0},  {-20.0f, 0.1}, {6.0f, 1.9952623149688795},
                          {-100.0f, 1e-5}, {60.0f, 1000.0}};
    for (const Case& c : cases) {
        float out = 0.0f;
        Kernels::dbToGain(&c.db, &out, 1);
        EXPECT_NEAR(out / c.gain, 1.0, 2e-6) << c.db;
    }
    float zero = 0.0f, one = 0.0f;
    Kernels::dbToGain(&zero, &one, 1);
    EXPECT_EQ(one, 1.0f);

    // Beyond the exponent range, infinities and NaN stay finite and ordered.
    float extremes[] = {1000.0f, -1000.0f, kInf, -kInf, kNan};
    float out[5];
    Kernels::dbToGain(extremes, out, 5);
    for (float v : out)
        EXPECT_TRUE(std::isfinite(v)) << v;
    EXPECT_GT(out[0], 1.0e38f);
    EXPECT_GE(out[1], 0.0f);
    EXPECT_LT(out[1], 1.0e-37f);
    EXPECT_EQ(out[2], out[0]);
    EXPECT_EQ(out[3], out[1]);

    // A sweep against the library function.
    for (int i = -1500; i <= 1500; ++i) {
        float db = static_cast<float>(i) * 0.1f, g;
        Kernels::dbToGain(&db, &g, 1);
        ASSERT_NEAR(g / std::pow(10.0, db / 20.0), 1.0, 2e-6) << db;
    }
}

TEST_F(Kernel, PolynomialSegmentClampsItsPhaseAtOne) {
    const float linear[5] = {0.0f, 0.0f, 0.0f, 0.0f, 1.0f}; // P(p) = p
    float out[32];
    float phase = 0.9f;
    // From 1 towards 0: start 1, span -1.
    EXPECT_TRUE(Kernels::polynomialSegment(out, 32, linear, phase, 0.01f, 1.0f, -1.0f));
    EXPECT_EQ(phase, 1.0f);
    EXPECT_NEAR(out[0], 0.1f, 1e-6f);
    EXPECT_NEAR(out[5], 0.05f, 1e-6f);
    for (int j = 10; j < 32; ++j)
        EXPECT_EQ(out[j], 0.0f) << j;

    // Ended: every sample is start + span.
    float later[7];
    EXPECT_TRUE(Kernels::polynomialSegment(later, 7, linear, phase, 0.01f, 0.5f, 0.25f));
    for (float v : later)
        EXPECT_EQ(v, 0.75f);

    // Not yet ended.
    const float curve[5] = {0.5f, -1.0f, 0.25f, 0.75f, 0.5f};
    phase = 0.0f;
    EXPECT_FALSE(Kernels::polynomialSegment(out, 32, curve, phase, 0.001f, 2.0f, 4.0f));
    EXPECT_NEAR(phase, 0.032f, 1e-7f);
    double p = 0.005;
    double poly = (((0.5 * p - 1.0) * p + 0.25) * p + 0.75) * p * p + 0.5 * p;
    EXPECT_NEAR(out[5], 2.0 + 4.0 * poly, 1e-6);
}

} // namespace
