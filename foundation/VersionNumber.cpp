#include "foundation/VersionNumber.h"

#include "foundation/StringUtils.h"

#include <algorithm>
#include <climits>
#include <string>

namespace {

// The number at the start of text as atoi reads it (blanks, sign, digits).
int32_t leadingNumber(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && isAsciiSpace(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    int64_t value = 0;
    while (pos < text.size() && isAsciiDigit(text[pos])) {
        value = std::min<int64_t>(value * 10 + (text[pos] - '0'), INT32_MAX);
        ++pos;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

} // namespace

bool parseVersionString(std::string_view text, VersionNumber& version) {
    VersionNumber parsed;
    size_t dot = text.find('.');
    if (dot != std::string_view::npos && text.size() - dot - 1 >= 2) {
        parsed.majorVersion = leadingNumber(text.substr(0, dot));
        char minor = text[dot + 1];
        char patch = text[dot + 2];
        parsed.minorVersion = isAsciiDigit(minor) ? minor - '0' : -1;
        parsed.patchVersion = isAsciiDigit(patch) ? patch - '0' : 0;
    } else {
        parsed.majorVersion = leadingNumber(text);
        parsed.minorVersion = 0;
        parsed.patchVersion = 0;
    }
    size_t beta = text.find("beta ");
    if (beta != std::string_view::npos) {
        size_t pos = beta + 5;
        int32_t number = 0;
        for (int i = 0; i < 2 && pos < text.size() && isAsciiDigit(text[pos]); ++i, ++pos)
            number = number * 10 + (text[pos] - '0');
        parsed.betaNumber = number;
    }
    parsed.pressPreview = text.find("press") != std::string_view::npos;
    if (parsed.majorVersion < 1 || parsed.minorVersion < 0) return false;
    version = parsed;
    return true;
}

std::string formatVersionString(const VersionNumber& version) {
    std::string text = std::to_string(version.majorVersion) + "." + std::to_string(version.minorVersion) +
                       std::to_string(version.patchVersion);
    if (version.betaNumber > 0) text += " beta " + std::to_string(version.betaNumber);
    if (version.pressPreview) text += " (press preview)";
    return text;
}
