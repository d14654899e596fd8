#include "plugin/PluginParameter.h"

#include "foundation/StringUtils.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

constexpr float kValueEpsilon = 1.1920929e-7f;

float applyMap(ValueMapFunction map, float x) {
    return map != nullptr ? map(x) : x;
}

size_t skipBlanks(std::string_view text, size_t pos) {
    while (pos < text.size() && isAsciiSpace(text[pos]))
        ++pos;
    return pos;
}

int32_t saturateToInt32(int64_t value) {
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

} // namespace

// AbstractPluginParameter

AbstractPluginParameter::AbstractPluginParameter(GenericParameterOwner* owner, int32_t kind, std::string name)
    : name_(std::move(name)), owner_(owner), kind_(kind) {
    hostName_ = this->name_;
    if (owner != nullptr) index_ = owner->addParameter(this);
}

AbstractPluginParameter::~AbstractPluginParameter() = default;

float AbstractPluginParameter::plainToNormalized(float plain) const {
    return plain;
}

float AbstractPluginParameter::internalToNormalized(float internal) const {
    return internal;
}

float AbstractPluginParameter::normalizedToPlain(float value) const {
    return value;
}

float AbstractPluginParameter::normalizedToInternal(float value) const {
    return value;
}

float AbstractPluginParameter::toLinearNormalizedInRange(float value, int32_t) const {
    return toLinearNormalized(value);
}

bool AbstractPluginParameter::textToValue(const std::string&, float& value) const {
    value = getValue();
    return false;
}

bool AbstractPluginParameter::fromLinearNormalizedInRange(float position, int32_t, float& value) const {
    value = fromLinearNormalized(position);
    return true;
}

std::string AbstractPluginParameter::valueToText(float value, int32_t maxLength) const {
    std::string text = formatValue(value);
    if (maxLength > 0 && text.size() > static_cast<size_t>(maxLength))
        text.resize(static_cast<size_t>(maxLength));
    return text;
}

int32_t AbstractPluginParameter::rangeBoundForKey(int32_t) const {
    return -1;
}

float AbstractPluginParameter::rescale(float value, float oldReference, float newReference) const {
    const float oldPlain = normalizedToPlain(oldReference);
    if (std::fabs(oldPlain) > kValueEpsilon)
        return plainToNormalized(normalizedToPlain(value) * normalizedToPlain(newReference) / oldPlain);
    return value + newReference - oldReference;
}

bool AbstractPluginParameter::hasValueNames() const {
    return false;
}

void AbstractPluginParameter::applyValue(float) {}

// FloatPluginParameter

FloatPluginParameter::FloatPluginParameter(GenericParameterOwner* owner, std::string name)
    : TypedPluginParameter<float>(owner, 0, std::move(name)) {
    display_.parameter = this;
}

float FloatPluginParameter::normalizedToInternal(float v) const {
    return applyMap(display_.curve, v) * display_.rangeScale + display_.rangeOffset;
}

float FloatPluginParameter::normalizedToPlain(float v) const {
    return applyMap(display_.displayMap, normalizedToInternal(v) * display_.unitScale + display_.unitOffset);
}

float FloatPluginParameter::plainToNormalized(float plain) const {
    const float internal =
        (applyMap(display_.inverseDisplayMap, plain) - display_.unitOffset) / display_.unitScale;
    return internalToNormalized(internal);
}

float FloatPluginParameter::internalToNormalized(float internal) const {
    return applyMap(display_.inverseCurve, (internal - display_.rangeOffset) / display_.rangeScale);
}

float FloatPluginParameter::toLinearNormalized(float v) const {
    const float span = maximum_ - minimum_;
    if (!(span != 0.0f)) return 0.0f;
    return (v - minimum_) / span;
}

float FloatPluginParameter::fromLinearNormalized(float position) const {
    return minimum_ + position * (maximum_ - minimum_);
}

float FloatPluginParameter::clampToRange(float v) const {
    if (std::isnan(v) || v < minimum_) return minimum_;
    return v > maximum_ ? maximum_ : v;
}

void FloatPluginParameter::setValue(float newValue, int32_t flags) {
    const float clamped = clampToRange(newValue);
    if (std::fabs(clamped - getValue()) <= kValueEpsilon) return;
    value_.store(clamped, std::memory_order_relaxed);
    notifyOwner(clamped, flags);
}

void FloatPluginParameter::applyValue(float newValue) {
    const float internal = normalizedToInternal(newValue);
    for (ValueAssignable<float>* listener : valueListeners_)
        listener->setValue(internal);
}

std::string FloatPluginParameter::formatValue(float v) const {
    const float plain = normalizedToPlain(v);
    std::string text;
    if (display_.unit != nullptr && display_.unit->valueToText(plain, text)) return text;
    text = display_.formatter != nullptr ? display_.formatter(plain)
                                         : formatNumber(plain, display_.numberFormat);
    if (!display_.unitLabel.empty()) {
        text += display_.separator.getValue();
        text += display_.unitLabel;
    }
    return text;
}

bool FloatPluginParameter::textToValue(const std::string& typed, float& result) const {
    const float current = getValue();
    result = current;

    const std::string text = replaceAll(typed, ",", ".");
    size_t pos = skipBlanks(text, 0);
    const std::string& prefix = display_.prefix.getValue();
    if (!prefix.empty() && text.compare(pos, prefix.size(), prefix) == 0)
        pos = skipBlanks(text, pos + prefix.size());

    double parsed = 0.0;
    const TypedNumber read = readTypedNumber(text, pos, parsed);
    if (read == TypedNumber::kRefused) return false;
    if (read == TypedNumber::kNone) {
        // A note name: the unit gives the base-2 logarithm of a frequency.
        // The value is left unclamped (setValue clamps it), but must be a
        // number.
        float log2Frequency = 0.0f;
        if (display_.unit == nullptr || !display_.unit->textToValue(text.substr(pos), log2Frequency))
            return false;
        const float v = plainToNormalized(std::exp2(log2Frequency));
        if (!std::isfinite(v)) return false;
        result = v;
        return true;
    }
    // The value is a float: a finite number beyond its range is refused; an
    // infinity is clamped to the end of the range below.
    if (std::isfinite(parsed) && std::fabs(parsed) > static_cast<double>(FLT_MAX)) return false;
    float number = static_cast<float>(parsed);

    pos = skipBlanks(text, pos);
    size_t wordEnd = pos;
    while (wordEnd < text.size() && !isAsciiSpace(text[wordEnd]))
        ++wordEnd;
    const std::string_view suffix = std::string_view(text).substr(pos, wordEnd - pos);

    const float plainAtMin = normalizedToPlain(minimum_);
    const float plainAtMax = normalizedToPlain(maximum_);
    const float lower = std::fmin(plainAtMin, plainAtMax);
    const float upper = std::fmax(plainAtMin, plainAtMax);

    if (suffix == "%" && display_.unitLabel != "%") {
        // A percentage of the range.
        result = clampToRange(fromLinearNormalized(number * 0.01f));
        return true;
    }
    if (suffix.empty()) {
        if (display_.unit != nullptr)
            display_.unit->adjustBareNumber(number, normalizedToPlain(current), lower, upper);
    } else if (display_.unit != nullptr) {
        const FloatPluginParameterUnit::Alternate* alternate = display_.unit->findAlternate(suffix);
        if (alternate == nullptr) return false;
        number = alternate->convert(number * alternate->factor);
    } else if (!equalsNoCase(suffix, display_.unitLabel)) {
        return false;
    }

    // A range of negative plain values (decibels at or below 0): 12 means -12.
    if (!(upper > 0.0f)) number = -std::fabs(number);
    if (std::isnan(number) || number < lower)
        number = lower;
    else if (number > upper)
        number = upper;
    result = clampToRange(plainToNormalized(number));
    return true;
}

void FloatPluginParameter::setRange(float newMinimum, float newMaximum) {
    minimum_ = newMinimum;
    maximum_ = newMaximum;
    initValue(getValue());
}

void FloatPluginParameter::initValue(float newValue) {
    value_.store(clampToRange(newValue), std::memory_order_relaxed);
}

void FloatPluginParameter::setDisplayRange(float low, float high) {
    const float span = maximum_ - minimum_;
    // An empty range has no scale; keep it and map its one value to low.
    display_.rangeScale = span != 0.0f ? (high - low) / span : 1.0f;
    display_.rangeOffset = low - minimum_ * display_.rangeScale;
    display_.unitOffset = 0.0f;
    display_.unitScale = 1.0f;
}

void FloatPluginParameter::setUnit(const FloatPluginParameterUnit* newUnit) {
    display_.unit = newUnit;
    if (newUnit != nullptr) {
        display_.unitLabel = newUnit->getLabel();
        newUnit->install(display_);
    }
}

void FloatPluginParameter::setCurve(ValueMapFunction curve, ValueMapFunction inverseCurve) {
    display_.curve = curve;
    display_.inverseCurve = inverseCurve;
}

void FloatPluginParameter::setDisplayMap(ValueMapFunction map, ValueMapFunction inverseMap) {
    display_.displayMap = map;
    display_.inverseDisplayMap = inverseMap;
}

void FloatPluginParameter::addValueListener(ValueAssignable<float>* listener) {
    if (listener != nullptr) valueListeners_.push_back(listener);
}

void FloatPluginParameter::removeValueListener(ValueAssignable<float>* listener) {
    valueListeners_.erase(std::remove(valueListeners_.begin(), valueListeners_.end(), listener),
                          valueListeners_.end());
}

// IndexedParameterRange

int32_t IndexedParameterRange::clampIndex(double value) const {
    if (std::isnan(value) || value < minimum) return minimum;
    if (value > maximum) return maximum;
    return static_cast<int32_t>(value); // within [minimum, maximum]: fits
}

int32_t IndexedParameterRange::indexOfStored(int32_t stored) const {
    if (indexTable.empty()) return stored;
    for (size_t position = 0; position < indexTable.size(); ++position) {
        if (indexTable[position] == stored)
            return saturateToInt32(static_cast<int64_t>(tableOffset) + static_cast<int64_t>(position));
    }
    return tableOffset;
}

int32_t IndexedParameterRange::storedOfIndex(int32_t index) const {
    if (indexTable.empty()) return index;
    int64_t position = static_cast<int64_t>(index) - tableOffset;
    const int64_t last = static_cast<int64_t>(indexTable.size()) - 1;
    position = std::clamp<int64_t>(position, 0, last);
    return indexTable[static_cast<size_t>(position)];
}

int32_t IndexedParameterRange::indexOfInternal(double internal) const {
    if (std::isnan(internal)) return minimum;
    const double limited = std::clamp(internal, static_cast<double>(std::numeric_limits<int32_t>::min()),
                                      static_cast<double>(std::numeric_limits<int32_t>::max()));
    return indexOfStored(static_cast<int32_t>(limited));
}

float IndexedParameterRange::toLinearNormalized(double value) const {
    const int64_t span = static_cast<int64_t>(maximum) - minimum;
    if (span <= 0) return 0.0f;
    return static_cast<float>(static_cast<double>(static_cast<int64_t>(clampIndex(value)) - minimum) /
                              static_cast<double>(span));
}

float IndexedParameterRange::fromLinearNormalized(double position) const {
    const int64_t span = static_cast<int64_t>(maximum) - minimum;
    if (span <= 0) return static_cast<float>(minimum);
    const double r = static_cast<double>(span);
    double steps = (0.5 / r + position) * r;
    if (std::isnan(steps) || steps < 0.0)
        steps = 0.0;
    else if (steps > r)
        steps = r;
    return static_cast<float>(minimum + static_cast<int64_t>(steps));
}

void IndexedParameterRange::limitsForKey(int32_t key, int32_t& lower, int32_t& upper,
                                         bool& passedPair) const {
    lower = minimum;
    passedPair = false;
    for (const auto& [bound, pairKey] : ranges) {
        if (pairKey >= key) {
            upper = bound;
            return;
        }
        lower = bound;
        passedPair = true;
    }
    upper = maximum;
}

float IndexedParameterRange::toLinearNormalizedInRange(double value, int32_t key) const {
    int32_t lower = 0;
    int32_t upper = 0;
    bool passed = false;
    limitsForKey(key, lower, upper, passed);
    if (std::isnan(value) || value <= lower || value > upper) return 0.0f;
    return static_cast<float>((value - lower) / (static_cast<double>(upper) - lower));
}

bool IndexedParameterRange::fromLinearNormalizedInRange(double position, int32_t key, float& value) const {
    int32_t lower = 0;
    int32_t upper = 0;
    bool passed = false;
    limitsForKey(key, lower, upper, passed);
    const int64_t span = static_cast<int64_t>(upper) - lower;
    int64_t steps = 0;
    if (span > 0) {
        const double r = static_cast<double>(span);
        const double x = (0.5 / r + position) * r;
        if (std::isnan(x))
            steps = 0;
        else if (x < 0.0)
            steps = x > -1.0 ? 0 : -1; // truncation toward zero
        else
            steps = x > r ? span : static_cast<int64_t>(x);
    }
    value = static_cast<float>(steps < 0 ? static_cast<int64_t>(lower) : lower + steps);
    return !passed || steps > 0;
}

int32_t IndexedParameterRange::rangeBoundForKey(int32_t key) const {
    for (const auto& [bound, pairKey] : ranges) {
        if (pairKey == key) return bound;
    }
    return -1;
}

std::string IndexedParameterRange::formatIndex(int32_t index) const {
    const std::vector<std::string>& names = *valueNames;
    const int64_t position = static_cast<int64_t>(index) - minimum;
    if (position >= 0 && position < static_cast<int64_t>(names.size()))
        return names[static_cast<size_t>(position)];
    return std::to_string(storedOfIndex(index));
}

bool IndexedParameterRange::textToIndex(const std::string& text, int32_t& index) const {
    const std::vector<std::string>& names = *valueNames;
    auto acceptPosition = [&](size_t position) {
        const int64_t candidate = static_cast<int64_t>(minimum) + static_cast<int64_t>(position);
        if (candidate > maximum) return false;
        index = static_cast<int32_t>(candidate);
        return true;
    };
    for (size_t position = 0; position < names.size(); ++position) {
        if (names[position] == text && acceptPosition(position)) return true;
    }
    for (size_t position = 0; position < names.size(); ++position) {
        if (compareNoCase(names[position], text) == 0 && acceptPosition(position)) return true;
    }

    // A stored value, read as "%d" reads it (blanks, a sign, digits; the
    // rest is ignored), without the C locale. Too large: refused.
    size_t pos = skipBlanks(text, 0);
    if (pos < text.size() && text[pos] == '+' && pos + 1 < text.size() && isAsciiDigit(text[pos + 1])) ++pos;
    int32_t stored = 0;
    const auto read = std::from_chars(text.data() + pos, text.data() + text.size(), stored);
    if (read.ec != std::errc()) return false;
    const int32_t candidate = indexOfStored(stored);
    if (candidate < minimum || candidate > maximum) return false;
    index = candidate;
    return true;
}
