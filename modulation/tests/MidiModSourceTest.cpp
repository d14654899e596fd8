#include "modulation/MidiModSource.h"

#include "modulation/tests/ModulationFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
using Curve = MidiModSource::ResponseCurve;
using Input = MidiModSource::MidiInput;

struct MidiFixture {
    MidiFixture() {
        e.setSampleRate(48000.0f);
        cache.setCell(MidiModSource::Cache::kVelocityCell, 0.5f);
        cache.setCell(MidiModSource::Cache::kKeyCell, 48.0f);
    }
    float value() { return source.getOutput().getTarget(); }
    wave::Environment e;
    MidiModSource::Cache cache;
    MidiModSource source{e, cache};
};
} // namespace

TEST(MidiModSource, ResponseCurves) {
    struct Case {
        Curve curve;
        float x, expected;
    };
    const Case cases[] = {
        {Curve::kLinear, 0.5f, 0.5f},
        {Curve::kExp, 0.1f, 0.023988324f},
        {Curve::kExp, 1.0f, 1.0f},
        {Curve::kExp, -0.5f, -0.12589254f}, // -18 dB
        {Curve::kLog, 0.9f, 1.0f * std::log(10.0f) / std::log(11.0f)},
        {Curve::kSqr, -0.5f, -0.25f},
        {Curve::kSqrt, 0.25f, 0.5f},
        {Curve::kSine, 0.5f, 0.5f},
        {Curve::kSine, 1.0f, 1.0f},
        {Curve::kLinear, 0.0f, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(MidiModSource::curveValue(c.curve, c.x), c.expected, 2e-7f)
            << int(c.curve) << " at " << c.x;
    // The two pieces of Exp meet at 0.1.
    EXPECT_NEAR(std::exp((0.1f - 1.0f) * 36.0f * 0.1151292546497023f), 0.023988324f, 2e-8f);
}

TEST(MidiModSource, VelocityAndKeyTrackRanges) {
    struct Case {
        Input input;
        MidiModSource::Range range;
        int key;
        float velocity, expected;
    };
    const Case cases[] = {
        {Input::kVelocity, MidiModSource::Range::kBipolar, 60, 1.0f, 1.0f},
        {Input::kVelocity, MidiModSource::Range::kBipolar, 60, 0.5f, 0.0f},
        {Input::kVelocity, MidiModSource::Range::kNegative, 60, 1.0f, 0.0f},
        {Input::kVelocity, MidiModSource::Range::kUnipolar, 60, 0.25f, 0.25f},
        {Input::kKeyTrack, MidiModSource::Range::kBipolar, 48, 1.0f, 0.0f},
        {Input::kKeyTrack, MidiModSource::Range::kBipolar, 60, 1.0f, 0.1f},
        {Input::kKeyTrack, MidiModSource::Range::kNegative, 120, 1.0f, 0.0f},
    };
    for (const Case& c : cases) {
        MidiFixture f;
        f.source.midiInput.setValue(c.input);
        f.source.range.setValue(c.range);
        f.cache.noteOn(c.key, c.velocity);
        EXPECT_NEAR(f.value(), c.expected, 1e-6f) << int(c.input) << " key " << c.key;
    }
}

TEST(MidiModSource, ControllerAndKeyFilters) {
    MidiFixture f;
    f.source.midiInput.setValue(Input::kController);
    f.source.controller.setValue(7);
    f.cache.controlChange(8, 127, 1.0f);
    f.cache.modWheel(1.0f);
    f.cache.pitchBend(0.5f);
    EXPECT_EQ(f.value(), 0.0f);
    f.cache.controlChange(7, 64, 0.5f);
    EXPECT_EQ(f.value(), 0.5f);
    // Malformed controller numbers are ignored.
    f.cache.controlChange(128, 0, 0.9f);
    f.cache.controlChange(-1, 0, 0.9f);
    EXPECT_EQ(f.cache.getCell(MidiModSource::Cache::kModWheelCell), 1.0f);
    f.source.controller.setValue(500);
    EXPECT_EQ(f.source.controller.getValue(), 127);

    f.cache.keyFilter = 60;
    f.cache.noteOn(61, 0.9f);
    EXPECT_EQ(f.cache.getCell(MidiModSource::Cache::kVelocityCell), 0.5f);
    EXPECT_EQ(f.cache.getCell(MidiModSource::Cache::kKeyCell), 48.0f);
    f.cache.noteOn(60, 0.9f);
    EXPECT_EQ(f.cache.getCell(MidiModSource::Cache::kKeyCell), 60.0f);
}

TEST(MidiModSource, CurveOrInputChangeReappliesTheValue) {
    MidiFixture f;
    f.cache.modWheel(0.5f);
    EXPECT_EQ(f.value(), 0.5f);
    f.source.responseCurve.setValue(Curve::kSqr);
    EXPECT_EQ(f.value(), 0.25f);
    f.cache.channelPressure(0.8f);
    f.source.midiInput.setValue(Input::kAftertouch);
    EXPECT_FLOAT_EQ(f.value(), 0.64f);
    f.source.responseCurve.setValue(static_cast<Curve>(17));
    EXPECT_FLOAT_EQ(f.value(), 0.8f); // unknown curves are linear
}

// A change of 0.15 or more glides over 20 ms while the source is rendered;
// a reset-to-zero jumps.
TEST(MidiModSource, LargeChangesGlide) {
    MidiFixture f;
    test::runSamples(f.e, f.source, 256);
    f.cache.modWheel(0.5f);
    auto out = test::runSamples(f.e, f.source, 1024);
    EXPECT_LT(out[959], 0.5f);
    EXPECT_GT(out[959], 0.49f);
    EXPECT_EQ(out[960], 0.5f);
    f.source.midiInput.setValue(Input::kVelocity);
    f.source.resetToZero.setValue(true);
    EXPECT_EQ(test::runBlock(f.e, f.source, 4)[0], 0.0f);
}
