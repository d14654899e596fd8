#pragma once
// The filter characteristics the product carries as module resources (the
// files tools/filgen writes into resources/), in the order of the filter
// set's characteristic list, each with the drive factor its style is built
// with. The build lists the same files once, in the top-level CMakeLists.txt.

#include <array>

struct FilterCharacteristicFile {
    const char* file;
    float drive;
};

inline constexpr std::array<FilterCharacteristicFile, 10> kFilterCharacteristics = {{
    {"Prime.fil", 1.8f},
    {"Gentle.fil", 1.0f},
    {"Raw.fil", 1.0f},
    {"Tube.fil", 1.0f},
    {"Metal.fil", 1.0f},
    {"EasyGoing.fil", 1.0f},
    {"Smooth.fil", 1.0f},
    {"Monopoly.fil", 1.4f},
    {"Cheap.fil", 1.0f},
    {"Extreme.fil", 1.0f},
}};
