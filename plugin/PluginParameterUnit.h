#pragma once

// Parameter units: the label, the words a user may type after a number, the
// text form of a plain value and, for frequencies, times, levels and pitch
// intervals, the map between a float parameter's internal and display value.
//
// Units are stateless singletons (ParameterUnits::hz, ...), built when the
// library loads and shared by every parameter of every instance, on any
// thread. Parameters hold plain pointers to them and never delete them.
//
// A unit configures a parameter through the parameter's display part
// (FloatParameterDisplay) when it is installed; after set-up the display
// part is only read, so the audio thread may map values through it.

#include "foundation/Property.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class FloatPluginParameter;
class FloatPluginParameterUnit;

// A value map (internal to display, curve, converter); null means identity.
using ValueMapFunction = float (*)(float);
// Turns a plain value into its number text (the parameter adds the label).
using ValueFormatFunction = std::string (*)(float);

// The part of a float parameter that describes how its value is mapped and
// shown. Mapping chain:
//   internal = curve(v) * rangeScale + rangeOffset
//   plain    = displayMap(internal * unitScale + unitOffset)
struct FloatParameterDisplay {
    FloatParameterDisplay() = default;
    FloatParameterDisplay(const FloatParameterDisplay&) = delete;
    FloatParameterDisplay& operator=(const FloatParameterDisplay&) = delete;

    // Put between the number and the unit label.
    Property<std::string> separator{nullptr, " "};
    // Text that may precede a typed number.
    Property<std::string> prefix{nullptr, ""};
    // Format for formatNumber when no formatter is set.
    std::string numberFormat = "%.3f";
    ValueMapFunction displayMap = nullptr;
    ValueMapFunction inverseDisplayMap = nullptr;
    float unitOffset = 0.0f;
    float unitScale = 1.0f;
    std::string unitLabel;
    ValueFormatFunction formatter = nullptr;
    ValueMapFunction curve = nullptr;
    ValueMapFunction inverseCurve = nullptr;
    float rangeOffset = 0.0f;
    FloatPluginParameter* parameter = nullptr;
    float rangeScale = 1.0f;
    const FloatPluginParameterUnit* unit = nullptr;
};

class FloatPluginParameterUnit {
public:
    // A word a user may type after a number: the number becomes
    // converter(number * factor).
    struct Alternate {
        std::string suffix;
        float factor = 1.0f;
        ValueMapFunction converter = nullptr; // identity when null

        float convert(float number) const;
    };

    // The first alternate is the label itself (factor 1, identity).
    explicit FloatPluginParameterUnit(std::string label);
    FloatPluginParameterUnit(const FloatPluginParameterUnit&) = delete;
    FloatPluginParameterUnit& operator=(const FloatPluginParameterUnit&) = delete;
    virtual ~FloatPluginParameterUnit() = default;

    // True when the unit wrote the whole text of a plain value itself (the
    // parameter then adds no label). Base: false.
    virtual bool valueToText(float plain, std::string& text) const;
    // Reads a text that holds no number (note names): the base-2 logarithm
    // of a frequency. Base: false.
    virtual bool textToValue(const std::string& text, float& value) const;
    // Sets what the unit needs in a parameter's display part. Base: nothing.
    virtual void install(FloatParameterDisplay& display) const;
    // May rescale a number typed without a suffix. Base: nothing.
    virtual void adjustBareNumber(float& number, float currentPlain, float lowerPlain,
                                  float upperPlain) const;

    const std::string& getLabel() const { return alternates_.front().suffix; }
    const std::vector<Alternate>& getAlternates() const { return alternates_; }
    // The first alternate whose suffix equals the text, case-insensitively.
    const Alternate* findAlternate(std::string_view suffix) const;

protected:
    void addAlternate(std::string suffix, float factor, ValueMapFunction converter = nullptr);

private:
    std::vector<Alternate> alternates_;
};

// Frequencies in Hz; also "kHz"/"k" and note names.
class FreqParameterUnit : public FloatPluginParameterUnit {
public:
    explicit FreqParameterUnit(std::string label = "Hz");
    bool textToValue(const std::string& text, float& value) const override;
    void install(FloatParameterDisplay& display) const override;
};

class HzParameterUnit : public FreqParameterUnit {
public:
    HzParameterUnit() : FreqParameterUnit("Hz") {}
};

// The internal value is the base-2 logarithm of the frequency.
class ExpFreqParameterUnit : public FreqParameterUnit {
public:
    ExpFreqParameterUnit() : FreqParameterUnit("Hz") {}
    void install(FloatParameterDisplay& display) const override;
};

// As ExpFreqParameterUnit, with a straight tail down to 0 Hz below
// internal -3 (0.125 Hz), reaching 0 Hz at -5.643856.
class ExpFreqWithZeroParameterUnit : public FreqParameterUnit {
public:
    ExpFreqWithZeroParameterUnit() : FreqParameterUnit("Hz") {}
    void install(FloatParameterDisplay& display) const override;
};

// Milliseconds, shown in seconds from 1000 ms up.
class MsParameterUnit : public FloatPluginParameterUnit {
public:
    MsParameterUnit();
    bool valueToText(float plain, std::string& text) const override;
    // A bare number below the lower bound, or typed while the value is shown
    // in seconds and fitting the range as seconds, is taken as seconds.
    void adjustBareNumber(float& number, float currentPlain, float lowerPlain,
                          float upperPlain) const override;
};

// Seconds, shown in milliseconds below 1 s.
class SecParameterUnit : public FloatPluginParameterUnit {
public:
    SecParameterUnit();
    bool valueToText(float plain, std::string& text) const override;
    // A bare number above the upper bound, or typed while the value is shown
    // in milliseconds and fitting the range as milliseconds, is taken as
    // milliseconds.
    void adjustBareNumber(float& number, float currentPlain, float lowerPlain,
                          float upperPlain) const override;
};

// Decibels; "x" and "*" after a number read it as a gain ratio.
class DBParameterUnitBase : public FloatPluginParameterUnit {
public:
    explicit DBParameterUnitBase(std::string label);
};

class DBParameterUnit : public DBParameterUnitBase {
public:
    explicit DBParameterUnit(std::string label = "dB") : DBParameterUnitBase(std::move(label)) {}
    void install(FloatParameterDisplay& display) const override;
};

class DBRangeParameterUnit : public DBParameterUnitBase {
public:
    DBRangeParameterUnit() : DBParameterUnitBase("dB") {}
    void install(FloatParameterDisplay& display) const override;
};

// The internal value is in octaves and is shown in semitones.
class OctavesParameterUnit : public FloatPluginParameterUnit {
public:
    OctavesParameterUnit();
    void install(FloatParameterDisplay& display) const override;
};

class PercentParameterUnit : public FloatPluginParameterUnit {
public:
    PercentParameterUnit() : FloatPluginParameterUnit("%") {}
    void install(FloatParameterDisplay& display) const override;
};

class RatioParameterUnit : public FloatPluginParameterUnit {
public:
    RatioParameterUnit() : FloatPluginParameterUnit(":1") {}
    void install(FloatParameterDisplay& display) const override;
};

class SlopeParameterUnit : public FloatPluginParameterUnit {
public:
    SlopeParameterUnit() : FloatPluginParameterUnit("dB/oct") {}
    void install(FloatParameterDisplay& display) const override;
};

// The unit singletons.
namespace ParameterUnits {
extern const HzParameterUnit hz;
extern const ExpFreqParameterUnit expFreq;
extern const ExpFreqWithZeroParameterUnit expFreqWithZero;
extern const MsParameterUnit ms;
extern const SecParameterUnit sec;
extern const DBParameterUnit dB;
extern const DBParameterUnit dBTP;
extern const DBRangeParameterUnit dBRange;
extern const OctavesParameterUnit semitones;
extern const PercentParameterUnit percent;
extern const RatioParameterUnit ratio;
extern const SlopeParameterUnit slope;
} // namespace ParameterUnits

// Reads a typed number at pos: an optional sign and a decimal number with
// an optional exponent, or "inf" / "infinity" in any case (an infinite
// value), without the C locale ("," must already be "."). On success pos
// moves past it. A number too large for a double is refused; "nan" is no
// number.
enum class TypedNumber { kNone, kRead, kRefused };
TypedNumber readTypedNumber(std::string_view text, size_t& pos, double& value);

// Reads a note name ("A4", "c#3", "Bb", "A4+50", "C-1"): a letter A to G in
// either case, an optional '#' or 'b', an optional octave (4 when absent)
// and, after an octave, optional cents. Gives the base-2 logarithm of the
// frequency (A4 = log2 440). False when the text is not a note, or when a
// number in it is too large.
bool parseNoteName(std::string_view text, float& log2Frequency);

// A frequency's number text: "%.0f" above 9999.95, "%.1f" above 999.995,
// "%.2f" above 99.9995, else "%.3f".
std::string formatFrequency(float hz);

// A level's number text: "-INF" below -179.9 dB (and for NaN), otherwise a
// sign and two decimals ("+6.00", "0.00").
std::string formatDecibels(float db);
