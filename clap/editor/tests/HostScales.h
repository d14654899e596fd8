#pragma once

// The scales the editor host's size tests go through: every quantised scale
// as the host's own, then two user overrides ("RetinaEnabled" 110 and 137),
// which no host scale reaches.

#include "gui/DeviceBacking.h"

#include <cstdint>
#include <vector>

namespace test {

struct HostScale {
    float value;
    int32_t retina; // the override's setting, or 1: the host's scale
};

inline std::vector<HostScale> hostScales() {
    std::vector<HostScale> scales;
    for (float s : gui::kScaleTable)
        scales.push_back({s, 1});
    scales.push_back({1.1f, 110});
    scales.push_back({1.37f, 137});
    return scales;
}

} // namespace test
