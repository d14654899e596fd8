#include "dsp/DesignFilter.h"
#include "dsp/FilterCharacteristics.h"
#include "dsp/tests/FilterFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>

using namespace test;

namespace {

using Characteristic = FilterCharacteristicFile;

// The effect's characteristics with their drive factors.
constexpr const auto& characteristics = kFilterCharacteristics;

// A filter element on a design unit with a characteristic.
struct DesignRig {
    DesignRig(const char* file, float drive, std::function<float(long)> signal)
        : style(file, drive), source(env, std::move(signal)), filter(env), unit(env, &style) {
        env.setSampleRate(48000.0f);
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
    DesignFilter::Style style;
    FunctionSource source;
    GenericFilter filter;
    DesignFilter unit;
};

double windowRms(wave::Environment& env, wave::Producer& p, int blocks) {
    double sum = 0.0;
    for (int b = 0; b < blocks; ++b) {
        const auto& out = runBlock(env, p, 128);
        for (int i = 0; i < 128; ++i)
            sum += double(out.data()[i]) * out.data()[i];
    }
    return std::sqrt(sum / (128.0 * blocks));
}

} // namespace

TEST(DesignFilter, DefaultStyleMatchesThePlainFilterBitForBit) {
    for (float peak : {0.0f, 0.5f}) {
        for (int response : {0, 1, 2}) {
            for (int slope : {1, 2, 3}) {
                SCOPED_TRACE(::testing::Message() << peak << " " << response << " " << slope);
                wave::Environment env;
                env.setSampleRate(48000.0f);
                FunctionSource in(env, [](long n) { return float(std::sin(0.07 * double(n))) * 0.8f; });
                DesignFilter::Style style; // defaults: a = 0.3, drive 1
                ClipTable clip(0.3f);
                DesignFilter design(env, &style);
                StateVariableFilter plain(env, &clip);
                GenericFilter a(env), b(env);
                for (GenericFilter* f : {&a, &b}) {
                    f->setInput(&in);
                    f->response.setValue(GenericFilter::Response(response));
                    f->slope.setValue(GenericFilter::Slope(slope));
                    f->frequency.getParameter().setValue(11.3f, 0.0f);
                    f->peak.getParameter().setValue(peak, 0.0f);
                }
                a.setUnit(&design);
                b.setUnit(&plain);
                for (int block = 0; block < 8; ++block) {
                    env.nextBlock();
                    const auto& x = a.pull(128);
                    const auto& y = b.pull(128);
                    ASSERT_EQ(std::memcmp(x.data(), y.data(), 128 * sizeof(float)), 0) << block;
                    env.process(128, 0);
                }
            }
        }
    }
}

TEST(DesignFilter, ShapeResonanceReadsTheStyle) {
    wave::Environment env;
    DesignFilter::Style metal("Metal.fil", 1.0f);
    DesignFilter unit(env, &metal);
    float r, c, d;
    const float fl = metal.low.getValue();
    const float fh = metal.high.getValue();
    // Below Fl column 0, above Fh column 10; peak 1 row 10.
    unit.shapeResonance(fl - 3.0f, 1.0f, r, c, d);
    EXPECT_EQ(r, metal.resonanceTable().at(10, 0));
    EXPECT_EQ(c, metal.cubicTable().at(10, 0));
    EXPECT_EQ(d, std::max(metal.clipLevelTable().at(10, 0), 0.1f));
    unit.shapeResonance(fh + 3.0f, 1.0f, r, c, d);
    EXPECT_EQ(r, metal.resonanceTable().at(10, 10));
    EXPECT_EQ(unit.lastFrequency(), fh + 3.0f);
    // A peak above 1 stays on the last row instead of falling towards zero.
    float atOne, above;
    unit.shapeResonance(12.0f, 1.0f, atOne, c, d);
    unit.shapeResonance(12.0f, 1.6f, above, c, d);
    EXPECT_EQ(above, atOne);
    EXPECT_GT(above, 1.0f);
    // Peak 0: no resonance, no cubic, the highest clip level.
    unit.shapeResonance(12.0f, 0.0f, r, c, d);
    EXPECT_EQ(r, 0.0f);
    EXPECT_EQ(c, 0.0f);
    EXPECT_GT(d, 1.0f);
    EXPECT_EQ(unit.driveFactor(), 1.0f);
}

TEST(DesignFilter, ManualModeDropsTheCubicBelowResonancePointOne) {
    wave::Environment env;
    DesignFilter::Style style;
    DesignFilter unit(env, &style);
    unit.state.setValue(DesignFilter::kManual);
    unit.manualCubic.setValue(0.08f);
    unit.manualClipLevel.setValue(20.0f); // limited to 10
    float r, c, d;
    unit.manualResonance.setValue(0.05f);
    unit.shapeResonance(10.0f, 0.7f, r, c, d);
    EXPECT_EQ(r, 0.05f);
    EXPECT_EQ(c, 0.0f);
    EXPECT_EQ(d, 10.0f);
    unit.manualResonance.setValue(0.2f);
    unit.shapeResonance(10.0f, 0.7f, r, c, d);
    EXPECT_EQ(c, 0.08f);
}

TEST(DesignFilter, PropertyChangesClearStateButStyleSwapsDoNot) {
    DesignRig rig("Tube.fil", 1.0f, [](long n) { return float(n % 13) * 0.05f - 0.3f; });
    rig.set(0, 1, 3000.0f, 0.6f);
    for (int b = 0; b < 4; ++b)
        runBlock(rig.env, rig.filter, 128);
    ASSERT_NE(rig.unit.bandState(0, 0), 0.0f);
    DesignFilter::Style smooth("Smooth.fil", 1.4f);
    rig.unit.setStyle(&smooth);
    EXPECT_NE(rig.unit.bandState(0, 0), 0.0f);
    EXPECT_EQ(&rig.unit.clipTable(), &smooth.clipTable());
    EXPECT_EQ(rig.unit.driveFactor(), 1.4f);
    rig.unit.manualResonance.setValue(1.0f);
    EXPECT_EQ(rig.unit.bandState(0, 0), 0.0f);
}

TEST(DesignFilter, EveryCharacteristicPassesSmallSignalsAtPeakZero) {
    for (const Characteristic& ch : characteristics) {
        SCOPED_TRACE(ch.file);
        const double amplitude = 0.001;
        DesignRig rig(ch.file, ch.drive, sine(100.0, 48000.0, amplitude));
        rig.set(0, 2, 2000.0f, 0.0f);
        double rms = rmsAfter(rig.env, rig.filter, 4800, 9600);
        EXPECT_NEAR(toDb(rms / (amplitude / std::sqrt(2.0))), 0.0, 0.3);
    }
}

TEST(DesignFilter, SelfOscillationRingsOnAndGentleDecays) {
    for (const Characteristic& ch : characteristics) {
        SCOPED_TRACE(ch.file);
        std::mt19937 random(3);
        std::uniform_real_distribution<float> noise(-0.2f, 0.2f);
        DesignRig rig(ch.file, ch.drive, [&](long n) { return n < 2000 ? noise(random) : 0.0f; });
        rig.set(0, 1, 4000.0f, 1.0f);
        windowRms(rig.env, rig.filter, 80); // burst, then 8000 samples of silence
        double early = windowRms(rig.env, rig.filter, 80);
        windowRms(rig.env, rig.filter, 700);
        double late = windowRms(rig.env, rig.filter, 80);
        DesignFilter::Style style(ch.file, 1.0f);
        bool oscillates = style.resonanceTable().at(10, 0) > 1.0f;
        if (oscillates) {
            EXPECT_GT(late, 1e-3);
            EXPECT_GT(late, 0.5 * early);
        } else {
            EXPECT_LT(late, 1e-3 * early);
        }
    }
}

TEST(DesignFilter, LoudInputStaysFinite) {
    for (const Characteristic& ch : characteristics) {
        for (int slope : {1, 2, 3}) {
            for (int response : {0, 1, 2}) {
                DesignRig rig(ch.file, ch.drive, [](long n) { return (n / 7) % 2 ? 1000.0f : -1000.0f; });
                rig.set(response, slope, 6000.0f, 1.0f);
                rig.filter.gain.getParameter().setValue(63.0f, 0.0f);
                for (int b = 0; b < 30; ++b) {
                    const auto& out = runBlock(rig.env, rig.filter, 128);
                    for (int i = 0; i < 128; ++i)
                        ASSERT_TRUE(std::isfinite(out.data()[i]))
                            << ch.file << " " << slope << " " << response;
                }
            }
        }
    }
}
