#pragma once

// The name of a set from its base name and position: base + " " + the
// position + 1 formatted with "%d" ("Delay 1", "XLFO 3 Step 16").

#include <cstdint>
#include <cstdio>
#include <string>

inline std::string parameterSetName(const std::string& base, std::int32_t position) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", static_cast<int>(position + 1));
    return base + " " + number;
}
