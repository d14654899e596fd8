#pragma once

// VarnelSectionInterface: a section panel of the product's component
// display, a thin layer over the framework's. It knows the product's editor
// (its skin and its modulation targets) and binds a control to a parameter
// and a target in one step, recording the pair so that either side is told
// when the other dies.
//
// Threading: GUI thread only.

#include "editor/SectionInterface.h"

#include <cstdint>

class AbstractPluginParameter;
class VarnelInterface;

namespace gui {
class ValueControl;
}

class VarnelSectionInterface : public SectionInterface {
public:
    VarnelSectionInterface(VarnelInterface& interface, ComponentDisplay* display, int32_t componentIndex);
    ~VarnelSectionInterface() override;

    VarnelInterface& varnelInterface() const { return varnelInterface_; }

protected:
    // Links the control to the parameter (as the target unless kNoTarget)
    // and records the pair.
    void bind(gui::ValueControl* control, AbstractPluginParameter& parameter, uint32_t target);

private:
    VarnelInterface& varnelInterface_;
};
