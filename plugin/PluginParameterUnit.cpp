#include "plugin/PluginParameterUnit.h"

#include "dsp/ValueMaps.h"
#include "foundation/StringUtils.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

size_t skipBlanks(std::string_view text, size_t pos) {
    while (pos < text.size() && isAsciiSpace(text[pos]))
        ++pos;
    return pos;
}

// The length of "infinity" or "inf" (any case) at the start of the text, else 0.
size_t infinityWordLength(std::string_view text) {
    for (std::string_view word : {std::string_view("infinity"), std::string_view("inf")})
        if (text.size() >= word.size() && equalsNoCase(text.substr(0, word.size()), word)) return word.size();
    return 0;
}

} // namespace

TypedNumber readTypedNumber(std::string_view text, size_t& pos, double& value) {
    size_t p = pos;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    // "inf" or "infinity" in any case, as the text of a level at its floor
    // reads ("-INF dB").
    if (const size_t length = infinityWordLength(text.substr(p)); length > 0) {
        value = negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        pos = p + length;
        return TypedNumber::kRead;
    }
    if (p >= text.size() || !(isAsciiDigit(text[p]) || text[p] == '.')) return TypedNumber::kNone;
    double parsed = 0.0;
    const auto result =
        std::from_chars(text.data() + p, text.data() + text.size(), parsed, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return TypedNumber::kNone; // a lone "."
    if (result.ec != std::errc() || !std::isfinite(parsed)) return TypedNumber::kRefused;
    value = negative ? -parsed : parsed;
    pos = static_cast<size_t>(result.ptr - text.data());
    return TypedNumber::kRead;
}

float FloatPluginParameterUnit::Alternate::convert(float number) const {
    return converter != nullptr ? converter(number) : number;
}

FloatPluginParameterUnit::FloatPluginParameterUnit(std::string label) {
    addAlternate(std::move(label), 1.0f);
}

bool FloatPluginParameterUnit::valueToText(float, std::string&) const {
    return false;
}

bool FloatPluginParameterUnit::textToValue(const std::string&, float&) const {
    return false;
}

void FloatPluginParameterUnit::install(FloatParameterDisplay&) const {}

void FloatPluginParameterUnit::adjustBareNumber(float&, float, float, float) const {}

const FloatPluginParameterUnit::Alternate*
FloatPluginParameterUnit::findAlternate(std::string_view suffix) const {
    for (const Alternate& alternate : alternates_) {
        if (equalsNoCase(alternate.suffix, suffix)) return &alternate;
    }
    return nullptr;
}

void FloatPluginParameterUnit::addAlternate(std::string suffix, float factor, ValueMapFunction converter) {
    alternates_.push_back(Alternate{std::move(suffix), factor, converter});
}

// Frequencies.

FreqParameterUnit::FreqParameterUnit(std::string label) : FloatPluginParameterUnit(std::move(label)) {
    addAlternate("kHz", 1000.0f);
    addAlternate("k", 1000.0f);
}

bool FreqParameterUnit::textToValue(const std::string& text, float& value) const {
    return parseNoteName(text, value);
}

void FreqParameterUnit::install(FloatParameterDisplay& display) const {
    display.formatter = formatFrequency;
}

void ExpFreqParameterUnit::install(FloatParameterDisplay& display) const {
    display.formatter = formatFrequency;
    display.displayMap = ratioFromOctavesExp;
    display.inverseDisplayMap = octavesFromRatio;
}

void ExpFreqWithZeroParameterUnit::install(FloatParameterDisplay& display) const {
    display.formatter = formatFrequency;
    display.displayMap = valueFromLog2Tail;
    display.inverseDisplayMap = log2WithLinearTail;
}

// Times.

MsParameterUnit::MsParameterUnit() : FloatPluginParameterUnit("ms") {
    addAlternate("sec", 1000.0f);
    addAlternate("s", 1000.0f);
}

bool MsParameterUnit::valueToText(float plain, std::string& text) const {
    text = formatSeconds(plain);
    return true;
}

void MsParameterUnit::adjustBareNumber(float& number, float currentPlain, float lowerPlain,
                                       float upperPlain) const {
    if (number < lowerPlain) {
        number *= 1000.0f;
        return;
    }
    // Where the value reads "1.000 sec", a bare number typed there means
    // seconds, as long as it fits the range as seconds.
    if (formatsAsSeconds(currentPlain) && number * 1000.0f <= upperPlain) number *= 1000.0f;
}

SecParameterUnit::SecParameterUnit() : FloatPluginParameterUnit("sec") {
    addAlternate("s", 1.0f);
    addAlternate("ms", 0.001f);
}

bool SecParameterUnit::valueToText(float plain, std::string& text) const {
    text = formatSeconds(static_cast<double>(plain) * 1000.0);
    return true;
}

void SecParameterUnit::adjustBareNumber(float& number, float currentPlain, float lowerPlain,
                                        float upperPlain) const {
    if (number > upperPlain) {
        number *= 0.001f;
        return;
    }
    // Where the value reads "250.0 ms", a bare number typed there means
    // milliseconds, as long as it fits the range as milliseconds.
    if (!formatsAsSeconds(static_cast<double>(currentPlain) * 1000.0) && number * 0.001f >= lowerPlain)
        number *= 0.001f;
}

// Levels.

DBParameterUnitBase::DBParameterUnitBase(std::string label) : FloatPluginParameterUnit(std::move(label)) {
    addAlternate("x", 1.0f, gainToDb);
    addAlternate("*", 1.0f, gainToDb);
}

void DBParameterUnit::install(FloatParameterDisplay& display) const {
    display.formatter = formatDecibels;
}

void DBRangeParameterUnit::install(FloatParameterDisplay& display) const {
    display.numberFormat = "%.2f";
}

// Pitch intervals.

OctavesParameterUnit::OctavesParameterUnit() : FloatPluginParameterUnit("semitones") {
    addAlternate("semitone", 1.0f);
    addAlternate("octaves", 12.0f);
    addAlternate("octave", 12.0f);
    addAlternate("oct", 12.0f);
    addAlternate("notes", 1.0f);
    addAlternate("note", 1.0f);
    addAlternate("cents", 0.01f);
    addAlternate("cent", 0.01f);
}

void OctavesParameterUnit::install(FloatParameterDisplay& display) const {
    display.displayMap = semitonesFromOctaves;
    display.inverseDisplayMap = octavesFromSemitones;
}

// Plain numbers with a label.

void PercentParameterUnit::install(FloatParameterDisplay& display) const {
    display.numberFormat = "*2f";
    display.separator.setValue("");
}

void RatioParameterUnit::install(FloatParameterDisplay& display) const {
    display.numberFormat = "%.2f";
    display.separator.setValue("");
}

void SlopeParameterUnit::install(FloatParameterDisplay& display) const {
    display.numberFormat = "%.1f";
}

namespace ParameterUnits {
const HzParameterUnit hz;
const ExpFreqParameterUnit expFreq;
const ExpFreqWithZeroParameterUnit expFreqWithZero;
const MsParameterUnit ms;
const SecParameterUnit sec;
const DBParameterUnit dB("dB");
const DBParameterUnit dBTP("dBTP");
const DBRangeParameterUnit dBRange;
const OctavesParameterUnit semitones;
const PercentParameterUnit percent;
const RatioParameterUnit ratio;
const SlopeParameterUnit slope;
} // namespace ParameterUnits

bool parseNoteName(std::string_view text, float& log2Frequency) {
    size_t pos = skipBlanks(text, 0);
    if (pos >= text.size()) return false;
    int semitones = 0;
    switch (asciiToUpper(text[pos])) {
    case 'C':
        semitones = 0;
        break;
    case 'D':
        semitones = 2;
        break;
    case 'E':
        semitones = 4;
        break;
    case 'F':
        semitones = 5;
        break;
    case 'G':
        semitones = 7;
        break;
    case 'A':
        semitones = 9;
        break;
    case 'B':
        semitones = 11;
        break;
    default:
        return false;
    }
    ++pos;
    if (pos < text.size()) {
        const char accidental = asciiToUpper(text[pos]);
        if (accidental == '#') {
            ++semitones;
            ++pos;
        } else if (accidental == 'B') {
            --semitones;
            ++pos;
        }
    }

    // Octave: an optional sign and decimal digits right after the name.
    double octave = 4.0;
    double cents = 0.0;
    size_t digits = pos;
    if (digits < text.size() && (text[digits] == '-' || text[digits] == '+')) ++digits;
    if (digits < text.size() && isAsciiDigit(text[digits])) {
        int32_t parsedOctave = 0;
        size_t end = digits;
        while (end < text.size() && isAsciiDigit(text[end]))
            ++end;
        const auto result = std::from_chars(text.data() + digits, text.data() + end, parsedOctave);
        if (result.ec != std::errc()) return false; // too large for an int: refused, not wrapped
        octave = text[pos] == '-' ? -static_cast<double>(parsedOctave) : static_cast<double>(parsedOctave);
        pos = end;

        // Cents: an optional decimal number, blanks allowed before it.
        size_t centsPos = skipBlanks(text, pos);
        double parsedCents = 0.0;
        const TypedNumber centsRead = readTypedNumber(text, centsPos, parsedCents);
        if (centsRead == TypedNumber::kRefused) return false;
        if (centsRead == TypedNumber::kRead) cents = parsedCents;
    }

    const double semitonesFromA4 = (octave + 1.0) * 12.0 + semitones + cents * 0.01 - 69.0;
    const double result = semitonesFromA4 * static_cast<double>(0.083333336f) + static_cast<double>(8.78136f);
    if (!std::isfinite(result) || std::fabs(result) > static_cast<double>(FLT_MAX)) return false;
    log2Frequency = static_cast<float>(result);
    return true;
}

std::string formatFrequency(float hz) {
    const char* format = "%.3f";
    if (hz > 9999.95f)
        format = "%.0f";
    else if (hz > 999.995f)
        format = "%.1f";
    else if (hz > 99.9995f)
        format = "%.2f";
    return formatNumber(hz, format);
}

std::string formatDecibels(float db) {
    if (!(db >= -179.9f)) return "-INF";
    return formatNumber(db, "%+.2f");
}
