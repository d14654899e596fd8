#include "dsp/ValueMaps.h"
#include "plugin/PluginParameter.h"
#include "plugin/PluginParameterUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// Float parameters as the effect declares them, one per unit kind.
enum class Setup {
    kExpFreq,       // 20 Hz .. 20 kHz, exponential, value 0..1
    kExpFreqDirect, // the value is log2 of the frequency
    kHz,            // 20 Hz .. 20 kHz, linear
    kNegativeDb,    // -60 .. 0 dB, value 0..1
    kDecibels,      // -36 .. +36 dB, the value is in dB
    kGainAsDb,      // the value is a gain 0..1, shown in dB
    kLevelAsDb,     // a position 0..1 on the level curve, shown in dB
    kTruePeakDb,    // -20 .. 0 dBTP, the value is in dB
    kExpFreqZero,   // 0 Hz .. 20 kHz, exponential with a straight tail to 0 Hz
    kPercent,       // 0 .. 200 %
    kRatio,         // 1 .. 20
    kMs,            // 1 .. 5000 ms
    kSec,           // 0.05 .. 5 s
    kSecShort,      // 0.001 .. 1 s
    kSemitones,     // -2 .. 2 octaves, shown in semitones
    kSlope,         // 6 .. 48 dB/oct
    kDbRange,       // -24 .. 24 dB
    kPlain,         // 0 .. 10, no unit
    kPrefixed,      // 0 .. 10, prefix "~"
};

// Inverses of the level maps, as a level parameter declares them.
float gainFromDb(float db) {
    return std::pow(10.0f, db / 20.0f);
}

float positionFromLevel(float level) {
    return level <= 0.023988324f ? level * 4.168695f : 1.0f + std::log10(level) / 1.8f;
}

std::unique_ptr<FloatPluginParameter> makeParameter(Setup setup) {
    auto p = std::make_unique<FloatPluginParameter>(nullptr, "Test");
    switch (setup) {
    case Setup::kExpFreq:
        p->setUnit(&ParameterUnits::expFreq);
        p->setDisplayRange(std::log2(20.0f), std::log2(20000.0f));
        break;
    case Setup::kExpFreqDirect:
        p->setRange(std::log2(20.0f), std::log2(20000.0f));
        p->setUnit(&ParameterUnits::expFreq);
        break;
    case Setup::kHz:
        p->setUnit(&ParameterUnits::hz);
        p->setDisplayRange(20.0f, 20000.0f);
        break;
    case Setup::kNegativeDb:
        p->setUnit(&ParameterUnits::dBRange);
        p->setDisplayRange(-60.0f, 0.0f);
        break;
    case Setup::kDecibels:
        p->setRange(-36.0f, 36.0f);
        p->setUnit(&ParameterUnits::dB);
        break;
    case Setup::kGainAsDb:
        p->setUnit(&ParameterUnits::dB);
        p->setDisplayMap(gainToDb, gainFromDb);
        break;
    case Setup::kLevelAsDb:
        p->setUnit(&ParameterUnits::dB);
        p->setCurve(levelFromPosition, positionFromLevel);
        p->setDisplayMap(gainToDb, gainFromDb);
        p->setDefault(1.0f);
        break;
    case Setup::kTruePeakDb:
        p->setRange(-20.0f, 0.0f);
        p->setUnit(&ParameterUnits::dBTP);
        p->setDefault(-1.0f);
        break;
    case Setup::kExpFreqZero:
        p->setUnit(&ParameterUnits::expFreqWithZero);
        p->setDisplayRange(-5.643856f, std::log2(20000.0f));
        break;
    case Setup::kPercent:
        p->setRange(0.0f, 200.0f);
        p->setUnit(&ParameterUnits::percent);
        break;
    case Setup::kRatio:
        p->setRange(1.0f, 20.0f);
        p->setUnit(&ParameterUnits::ratio);
        break;
    case Setup::kMs:
        p->setRange(1.0f, 5000.0f);
        p->setUnit(&ParameterUnits::ms);
        break;
    case Setup::kSec:
        p->setRange(0.05f, 5.0f);
        p->setUnit(&ParameterUnits::sec);
        break;
    case Setup::kSecShort:
        p->setRange(0.001f, 1.0f);
        p->setUnit(&ParameterUnits::sec);
        break;
    case Setup::kSemitones:
        p->setRange(-2.0f, 2.0f);
        p->setUnit(&ParameterUnits::semitones);
        break;
    case Setup::kSlope:
        p->setRange(6.0f, 48.0f);
        p->setUnit(&ParameterUnits::slope);
        break;
    case Setup::kDbRange:
        p->setRange(-24.0f, 24.0f);
        p->setUnit(&ParameterUnits::dBRange);
        break;
    case Setup::kPlain:
        p->setRange(0.0f, 10.0f);
        break;
    case Setup::kPrefixed:
        p->setRange(0.0f, 10.0f);
        p->setPrefix("~");
        break;
    }
    return p;
}

struct TypedCase {
    Setup setup;
    float currentPlain;
    const char* text;
    std::optional<float> expectedPlain; // nullopt: refused
};

// clang-format off
const TypedCase kTypedCases[] = {
    // Note names and frequency words.
    {Setup::kExpFreq, 1000.0f, "A4", 440.0f},
    {Setup::kExpFreq, 1000.0f, "a4", 440.0f},
    {Setup::kExpFreq, 1000.0f, "  A", 440.0f},
    {Setup::kExpFreq, 1000.0f, "H4", std::nullopt},
    {Setup::kExpFreq, 1000.0f, "C#3", 138.5913f},
    {Setup::kExpFreq, 1000.0f, "Bb3", 233.0819f},
    {Setup::kExpFreq, 1000.0f, "A4+50", 452.8930f},
    {Setup::kExpFreq, 1000.0f, "A4 -100", 415.3047f},
    {Setup::kExpFreq, 1000.0f, "1.5k", 1500.0f},
    {Setup::kExpFreq, 1000.0f, "1,5 khz", 1500.0f},
    {Setup::kExpFreq, 1000.0f, "1.5 kHz", 1500.0f},
    {Setup::kExpFreq, 1000.0f, "440", 440.0f},
    {Setup::kExpFreq, 1000.0f, "440 HZ", 440.0f},
    {Setup::kExpFreq, 1000.0f, "50%", 632.4555f},
    {Setup::kExpFreq, 1000.0f, "99999 Hz", 20000.0f},
    {Setup::kExpFreq, 1000.0f, "5 parsecs", std::nullopt},
    {Setup::kExpFreq, 1000.0f, "1e999", std::nullopt},
    {Setup::kExpFreq, 1000.0f, "1e39", std::nullopt},
    {Setup::kExpFreq, 1000.0f, "A99999999999", std::nullopt},
    {Setup::kExpFreq, 1000.0f, "A4+1e400", std::nullopt},
    {Setup::kExpFreq, 1000.0f, "", std::nullopt},
    {Setup::kHz, 1000.0f, "A4", 440.0f},
    {Setup::kHz, 1000.0f, "1.5k", 1500.0f},
    // Decibels: a negative range, ratios, clamping.
    {Setup::kNegativeDb, -6.0f, "12", -12.0f},
    {Setup::kNegativeDb, -6.0f, "-12", -12.0f},
    {Setup::kNegativeDb, -6.0f, "12 dB", -12.0f},
    {Setup::kDecibels, 0.0f, "2x", 6.0206f},
    {Setup::kDecibels, 0.0f, "2*", 6.0206f},
    {Setup::kDecibels, 0.0f, "0,5 X", -6.0206f},
    {Setup::kDecibels, 0.0f, "0x", -36.0f},
    {Setup::kDecibels, 0.0f, "+6", 6.0f},
    {Setup::kDecibels, 0.0f, "100", 36.0f},
    {Setup::kDecibels, 0.0f, "-1e30", -36.0f},
    {Setup::kDecibels, 0.0f, "6 Hz", std::nullopt},
    {Setup::kDecibels, 0.0f, "loud", std::nullopt},
    // Percent unit against a percentage of the range.
    {Setup::kPercent, 10.0f, "50%", 50.0f},
    {Setup::kPercent, 10.0f, "50 %", 50.0f},
    {Setup::kPercent, 10.0f, "50", 50.0f},
    {Setup::kPlain, 1.0f, "50%", 5.0f},
    {Setup::kPlain, 1.0f, "1,5", 1.5f},
    {Setup::kPlain, 1.0f, "2 apples", std::nullopt},
    {Setup::kPrefixed, 1.0f, "~ 2", 2.0f},
    // Times: bare numbers follow how the value is shown.
    {Setup::kMs, 250.0f, "3", 3.0f},
    {Setup::kMs, 2000.0f, "3", 3000.0f},
    {Setup::kMs, 1000.0f, "3", 3000.0f},
    {Setup::kMs, 2000.0f, "5", 5000.0f},
    {Setup::kMs, 2000.0f, "1000", 1000.0f},
    {Setup::kMs, 250.0f, "0.5", 500.0f},
    {Setup::kMs, 250.0f, "2 sec", 2000.0f},
    {Setup::kMs, 250.0f, "2S", 2000.0f},
    {Setup::kMs, 2000.0f, "1.5 ms", 1.5f},
    {Setup::kSec, 0.25f, "100", 0.1f},
    {Setup::kSec, 0.25f, "50", 0.05f},
    {Setup::kSec, 2.0f, "50", 0.05f},
    {Setup::kSec, 2.0f, "3", 3.0f},
    {Setup::kSec, 2.0f, "250 ms", 0.25f},
    {Setup::kSecShort, 0.25f, "1", 0.001f},
    {Setup::kSecShort, 0.25f, "2", 0.002f},
    {Setup::kSecShort, 1.0f, "1", 1.0f},
    // Pitch intervals.
    {Setup::kSemitones, 0.0f, "12", 12.0f},
    {Setup::kSemitones, 0.0f, "1 oct", 12.0f},
    {Setup::kSemitones, 0.0f, "50 cents", 0.5f},
    {Setup::kSemitones, 0.0f, "-7 semitones", -7.0f},
    {Setup::kSemitones, 0.0f, "3 octaves", 24.0f},
    // Infinities (any case, either sign, blanks and suffixes as for numbers)
    // reach the ends of the range; NaN is no number.
    {Setup::kGainAsDb, 0.0f, "-INF dB", -180.0f},
    {Setup::kGainAsDb, 0.0f, " -Inf dB ", -180.0f},
    {Setup::kGainAsDb, 0.0f, "-inf", -180.0f},
    {Setup::kGainAsDb, 0.0f, "+infinity", -180.0f}, // no level above 0 dB: numbers read as negative
    {Setup::kLevelAsDb, 0.0f, "-INFdB", -180.0f},
    {Setup::kDecibels, 0.0f, "-INFINITY dB", -36.0f},
    {Setup::kDecibels, 0.0f, "Inf", 36.0f},
    {Setup::kDecibels, 0.0f, "inf x", 36.0f},
    {Setup::kNegativeDb, -6.0f, "inf", -60.0f},
    {Setup::kExpFreq, 1000.0f, "INF Hz", 20000.0f},
    {Setup::kExpFreq, 1000.0f, "-inf khz", 20.0f},
    {Setup::kMs, 250.0f, "-inf", 1.0f},
    {Setup::kMs, 250.0f, "inf sec", 5000.0f},
    {Setup::kPlain, 1.0f, "-inf %", 0.0f},
    {Setup::kPlain, 1.0f, "inf", 10.0f},
    {Setup::kPrefixed, 1.0f, "~ -inf", 0.0f},
    {Setup::kDecibels, 0.0f, "in", std::nullopt},
    {Setup::kDecibels, 0.0f, "infinite", std::nullopt},
    {Setup::kDecibels, 0.0f, "- inf", std::nullopt},
    {Setup::kDecibels, 0.0f, "nan", std::nullopt},
    {Setup::kDecibels, 0.0f, "-NaN dB", std::nullopt},
    {Setup::kPlain, 1.0f, "nan", std::nullopt},
    {Setup::kExpFreq, 1000.0f, "A4 inf", std::nullopt},
};
// clang-format on

TEST(ParameterUnitTest, TypedTextGivesValueOrIsRefused) {
    for (const TypedCase& c : kTypedCases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        auto p = makeParameter(c.setup);
        p->initValue(p->plainToNormalized(c.currentPlain));
        const float current = p->getValue();
        float value = std::numeric_limits<float>::quiet_NaN();
        const bool accepted = p->textToValue(c.text, value);
        ASSERT_EQ(accepted, c.expectedPlain.has_value());
        if (!accepted) {
            EXPECT_EQ(value, current);
            continue;
        }
        EXPECT_GE(value, p->getMin());
        EXPECT_LE(value, p->getMax());
        const float plain = p->normalizedToPlain(value);
        EXPECT_NEAR(plain, *c.expectedPlain, std::fabs(*c.expectedPlain) * 1e-4f + 1e-5f);
    }
}

TEST(ParameterUnitTest, TypedNoteNameIsNotClamped) {
    auto p = makeParameter(Setup::kExpFreq);
    float value = 0.0f;
    ASSERT_TRUE(p->textToValue("C-1", value));
    EXPECT_NEAR(p->normalizedToPlain(value), 8.1758f, 1e-3f);
    EXPECT_LT(value, p->getMin());
    p->setValue(value, 0);
    EXPECT_EQ(p->getValue(), p->getMin());
}

const Setup kEverySetup[] = {
    Setup::kExpFreq,    Setup::kExpFreqDirect, Setup::kExpFreqZero, Setup::kHz,
    Setup::kNegativeDb, Setup::kDecibels,      Setup::kGainAsDb,    Setup::kLevelAsDb,
    Setup::kTruePeakDb, Setup::kPercent,       Setup::kRatio,       Setup::kMs,
    Setup::kSec,        Setup::kSecShort,      Setup::kSemitones,   Setup::kSlope,
    Setup::kDbRange,    Setup::kPlain,         Setup::kPrefixed,
};

// What the editor or the host shows, typed back, gives a value that shows
// the same text: at both ends of the range, at the default and in between,
// for every unit and display map.
TEST(ParameterUnitTest, ShownTextTypedBackShowsTheSame) {
    constexpr int kSteps = 40;
    for (auto setup : kEverySetup) {
        auto p = makeParameter(setup);
        const float low = p->getMin();
        const float high = p->getMax();
        std::vector<float> values = {low, high, std::clamp(p->getDefault(), low, high)};
        for (int i = 1; i < kSteps; ++i)
            values.push_back(low + (high - low) * static_cast<float>(i) / kSteps);
        // Both sides of every change of digits and of the ms/sec switch.
        if (setup == Setup::kMs || setup == Setup::kSec || setup == Setup::kSecShort) {
            const float scale = setup == Setup::kMs ? 1.0f : 0.001f;
            for (float ms : {9.9949f, 9.9951f, 9.9999f, 99.949f, 99.951f, 99.999f, 999.49f, 999.5f, 999.94f,
                             999.96f, 999.99f, 1000.0f, 1000.4f, 1000.6f, 4999.6f})
                values.push_back(std::clamp(ms * scale, low, high));
        }
        for (float v : values) {
            p->initValue(v);
            const std::string shown = p->formatValue(v);
            SCOPED_TRACE("setup " + std::to_string(static_cast<int>(setup)) + ", text \"" + shown + "\"");
            float typed = std::numeric_limits<float>::quiet_NaN();
            ASSERT_TRUE(p->textToValue(shown, typed));
            EXPECT_EQ(p->formatValue(typed), shown);
        }
    }
}

struct TextCase {
    Setup setup;
    float value;
    const char* expected;
};

// clang-format off
const TextCase kTextCases[] = {
    {Setup::kGainAsDb, 0.0f, "-INF dB"},
    {Setup::kGainAsDb, 1.0f, "0.00 dB"},
    {Setup::kDecibels, 6.0f, "+6.00 dB"},
    {Setup::kDecibels, -0.001f, "0.00 dB"},
    {Setup::kDecibels, -36.0f, "-36.00 dB"},
    {Setup::kPercent, 50.0f, "50.0%"},
    {Setup::kPercent, 5.0f, "5.00%"},
    {Setup::kPercent, 150.0f, "150%"},
    {Setup::kRatio, 4.0f, "4.00:1"},
    {Setup::kMs, 250.0f, "250.0 ms"},
    {Setup::kMs, 999.9f, "999.9 ms"},
    {Setup::kMs, 999.96f, "1.000 sec"},
    {Setup::kMs, 1000.0f, "1.000 sec"},
    {Setup::kMs, 1500.0f, "1.500 sec"},
    {Setup::kSec, 0.25f, "250.0 ms"},
    {Setup::kSec, 2.0f, "2.000 sec"},
    {Setup::kSec, 0.99996f, "1.000 sec"},
    {Setup::kExpFreqDirect, std::log2(50.0f), "50.000 Hz"},
    {Setup::kExpFreqDirect, std::log2(440.0f), "440.00 Hz"},
    {Setup::kExpFreqDirect, std::log2(1500.0f), "1500.0 Hz"},
    {Setup::kExpFreqDirect, std::log2(12000.0f), "12000 Hz"},
    {Setup::kSlope, 12.0f, "12.0 dB/oct"},
    {Setup::kDbRange, -12.0f, "-12.00 dB"},
    {Setup::kSemitones, 1.0f, "12.000 semitones"},
    {Setup::kPlain, 0.5f, "0.500"},
};
// clang-format on

TEST(ParameterUnitTest, ValueToText) {
    for (const TextCase& c : kTextCases) {
        SCOPED_TRACE(c.expected);
        auto p = makeParameter(c.setup);
        EXPECT_EQ(p->formatValue(c.value), c.expected);
    }
    EXPECT_EQ(formatDecibels(-180.0f), "-INF");
    EXPECT_EQ(formatDecibels(std::numeric_limits<float>::quiet_NaN()), "-INF");
    EXPECT_EQ(formatDecibels(3.0f), "+3.00");
}

TEST(ParameterUnitTest, FrequencyWithZeroMapsItsTail) {
    FloatPluginParameter p(nullptr, "Rate");
    p.setRange(-6.0f, 15.0f);
    p.setUnit(&ParameterUnits::expFreqWithZero);

    EXPECT_EQ(p.normalizedToPlain(-6.0f), 0.0f);
    EXPECT_NEAR(p.normalizedToPlain(-4.3219f), 0.0625f, 1e-5f);
    EXPECT_NEAR(p.normalizedToPlain(-3.0f), 0.125f, 1e-6f);
    EXPECT_NEAR(p.normalizedToPlain(3.0f), 8.0f, 1e-5f);

    float value = 0.0f;
    ASSERT_TRUE(p.textToValue("0.0625 Hz", value));
    EXPECT_NEAR(value, -4.3219f, 1e-4f);
    ASSERT_TRUE(p.textToValue("0", value));
    EXPECT_NEAR(value, -5.643856f, 1e-6f);
    EXPECT_EQ(p.formatValue(-6.0f), "0.000 Hz");
}

TEST(ParameterUnitTest, LabelsAndSuffixes) {
    EXPECT_EQ(ParameterUnits::dBTP.getLabel(), "dBTP");
    const FloatPluginParameterUnit::Alternate* ratio = ParameterUnits::dBTP.findAlternate("X");
    ASSERT_NE(ratio, nullptr);
    EXPECT_NEAR(ratio->convert(2.0f * ratio->factor), 6.0206f, 1e-4f);
    EXPECT_EQ(ParameterUnits::ms.findAlternate("minutes"), nullptr);

    FloatPluginParameter p(nullptr, "Ceiling");
    p.setUnit(&ParameterUnits::dBTP);
    EXPECT_EQ(p.formatValue(0.0f), "0.00 dBTP");
}

} // namespace
