#include "foundation/SettingSerializer.h"

#include "foundation/StringUtils.h"

bool SettingSerializer::serializeBool(const std::string& name, bool value, bool defaultValue) {
    return serializeInt(name, value ? 1 : 0, defaultValue ? 1 : 0) != 0;
}

double SettingSerializer::serializeDouble(const std::string& name, double value, double defaultValue) {
    std::string text =
        serializeString(name, formatDouble("%.15g", value), formatDouble("%.15g", defaultValue));
    double result = 0;
    return parseDouble(text, result) ? result : defaultValue;
}

int32_t SettingSerializer::serializeInt(const std::string& name, int32_t value, int32_t defaultValue) {
    std::string text = serializeString(name, std::to_string(value), std::to_string(defaultValue));
    int32_t result = 0;
    return parseInt(text, result) ? result : defaultValue;
}
