#pragma once
// A product version as the version resource and the settings give it: its
// parsed form and the display text.

#include <cstdint>
#include <string>
#include <string_view>

// A parsed version text ("2.01", "2.1 beta 3", "3.0 press").
struct VersionNumber {
    int32_t majorVersion = 1;
    int32_t minorVersion = 0;
    int32_t patchVersion = 0;
    int32_t betaNumber = 0; // 0 for a release
    bool pressPreview = false;
};

// Parses a version text: major before the first '.', the digit after it as
// minor and the next as patch (0 when not a digit); without a '.' followed
// by two characters the text's leading number is the major version. "beta "
// gives up to two digits of beta number, "press" the press-preview flag.
// False, and version untouched, when the major is below 1 or the minor is
// not a digit.
bool parseVersionString(std::string_view text, VersionNumber& version);
// major "." minor patch [" beta " n] [" (press preview)"], e.g. "3.04".
std::string formatVersionString(const VersionNumber& version);
