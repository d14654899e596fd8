#pragma once

// The plug-in model the fuzz targets read into: a GenericPlugin with the id
// and name it is given and nothing else; each target declares its parameters
// (and starts the model, where it needs to) in a subclass. Also the promise
// the targets check of every value a read leaves behind.
//
// Threading: the fuzzer's thread only, like everything in a fuzz target.

#include "fuzz/FuzzCheck.h"
#include "plugin/GenericPlugin.h"
#include "plugin/PluginParameter.h"

#include <cmath>

namespace fuzz {

class FuzzModel : public GenericPlugin {
public:
    explicit FuzzModel(const char* id = "TsPl", const char* name = "Fuzz") {
        pluginId = id;
        pluginName = name;
    }
};

// A value that a read leaves in the parameter is finite and within its range.
inline void checkWithinRange(const AbstractPluginParameter& parameter, float value) {
    check(std::isfinite(value));
    check(value >= parameter.getMin() && value <= parameter.getMax());
}

} // namespace fuzz
