#pragma once

// The scales the editor host's size tests go through: every quantised scale
// as the host's own, then two user overrides ("RetinaEnabled" 110 and 137),
// which no host scale reaches; and the layout sizes they go through at each.

#include "clap/tests/ClapTestProduct.h"
#include "gui/DeviceBacking.h"

#include <gtest/gtest.h>

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

// A layout size at one of the scales above.
struct HostSizeCase {
    int32_t width;
    int32_t height;
    HostScale scale;
    // The scale the editor takes: the host's, or for an override the
    // backing's scale of its class.
    float effective() const { return scale.retina == 1 ? scale.value : gui::quantizeScale(scale.value); }
};

// Runs `body` for both widths and both heights of the product's layouts at
// every scale, with the test product's interface at that size and the case
// named in the trace.
template <class Body> void forEachHostSize(Body&& body) {
    for (int32_t width : {640, 926})
        for (int32_t height : {321, 514})
            for (const HostScale& s : hostScales()) {
                SCOPED_TRACE(testing::Message() << width << "x" << height << " at " << s.value);
                clapTestProduct().interfaceWidth = width;
                clapTestProduct().interfaceHeight = height;
                body(HostSizeCase{width, height, s});
            }
}

} // namespace test
