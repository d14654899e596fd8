#include "tools/factorypresets/PresetSource.h"

#include "plugin/PluginParameter.h"
#include "plugin/PresetParameterCollection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string_view>

namespace {

std::string_view trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string lineError(int line, const std::string& message) {
    return "line " + std::to_string(line) + ": " + message;
}

// A set value counts as kept when it is within float rounding of the wish.
bool kept(float wanted, float actual) {
    return std::fabs(wanted - actual) <= 1e-6f * std::max(1.0f, std::fabs(wanted));
}

// Text input clamps a number beyond the range to its end; an author who
// typed "6000 ms" for a 5000 ms range made a mistake. A value on an end of
// the range is taken when moving the typed number a little either way leaves
// that end: the number then stood on the end, not beyond it.
bool withinRange(const AbstractPluginParameter& parameter, const std::string& typed, float value) {
    if (value < parameter.getMin() || value > parameter.getMax()) return false;
    if (!parameter.isContinuous()) return true;
    if (value != parameter.getMin() && value != parameter.getMax()) return true;
    std::string dotted = typed;
    std::replace(dotted.begin(), dotted.end(), ',', '.');
    const size_t first = dotted.find_first_not_of(" \t");
    size_t last = first;
    double number = 0.0;
    if (first == std::string::npos || readTypedNumber(dotted, last, number) != TypedNumber::kRead ||
        !std::isfinite(number))
        return true; // a note name or a word: no number to move
    const double step = std::max(1e-4 * std::fabs(number), 1e-6);
    for (double moved : {number - step, number + step}) {
        char text[40];
        std::snprintf(text, sizeof text, "%.9g", moved);
        float movedValue = value;
        const std::string movedText = dotted.substr(0, first) + text + dotted.substr(last);
        if (parameter.textToValue(movedText, movedValue) && movedValue != value) return true;
    }
    return false;
}

} // namespace

bool applyPresetSource(PresetParameterCollection& collection, const std::string& text, std::string& error) {
    std::map<int32_t, float> values; // by index: applied in index order
    std::map<int32_t, int> lineOf;
    int line = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view row(text.data() + start, end - start);
        start = end + 1;
        ++line;
        if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
        row = trim(row);
        if (row.empty() || row.front() == '#') continue;

        const size_t equals = row.find('=');
        if (equals == std::string_view::npos) {
            error = lineError(line, "expected \"parameter name = value\"");
            return false;
        }
        const std::string name(trim(row.substr(0, equals)));
        const std::string valueText(trim(row.substr(equals + 1)));
        const int32_t index = collection.indexOfName(name);
        AbstractPluginParameter* parameter = collection.get(index);
        if (parameter == nullptr) {
            error = lineError(line, "Unknown parameter: " + name);
            return false;
        }
        if (lineOf.count(index) != 0) {
            error = lineError(line, name + " is already set on line " + std::to_string(lineOf[index]));
            return false;
        }
        float value = 0.0f;
        if (valueText.empty() || !parameter->textToValue(valueText, value) || !std::isfinite(value)) {
            error = lineError(line, name + ": cannot read the value \"" + valueText + "\"");
            return false;
        }
        if (!withinRange(*parameter, valueText, value)) {
            error = lineError(line, name + ": \"" + valueText + "\" is outside the range " +
                                        parameter->formatValue(parameter->getMin()) + " to " +
                                        parameter->formatValue(parameter->getMax()));
            return false;
        }
        values[index] = value;
        lineOf[index] = line;
    }

    for (AbstractPluginParameter* parameter : collection.getParameters())
        parameter->setValue(parameter->getDefault(), kParameterChangeNotToHost);
    for (const auto& [index, value] : values)
        collection.get(index)->setValue(value, kParameterChangeNotToHost);
    for (const auto& [index, value] : values) {
        AbstractPluginParameter* parameter = collection.get(index);
        if (!kept(value, parameter->getValue())) {
            error = lineError(lineOf[index], parameter->getName() + ": the value " +
                                                 parameter->formatValue(value) + " did not stay (now " +
                                                 parameter->formatValue(parameter->getValue()) + ")");
            return false;
        }
    }
    return true;
}
