#pragma once

// Renders the demo signal through an activated plug-in instance of the test
// host, in host blocks, and returns its main output (left, right).

#include "tools/demo/DemoSignal.h"
#include "tools/testhost/HostedPlugin.h"

#include <string>
#include <vector>

struct DemoRender {
    std::vector<std::vector<float>> channels;
    std::string error; // empty on success
};

// The instance is initialised and active with at least `block` frames; the
// signal feeds the first input port (other inputs get silence).
DemoRender renderDemo(HostedPlugin& plugin, const DemoSignal& signal, uint32_t block);
