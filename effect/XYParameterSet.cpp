#include "effect/XYParameterSet.h"

#include "effect/ParameterSetName.h"

XYParameterSet::XYParameterSet(GenericParameterOwner* owner, std::int32_t position)
    : PluginParameterSet(owner, parameterSetName("XY Controller", position)), hor(this, getName() + " Hor"),
      ver(this, getName() + " Ver"), position_(position) {}

void XYParameterSet::setupParameterInfo() {
    for (FloatPluginParameter* p : {&hor, &ver}) {
        p->setRange(-1.0f, 1.0f);
        p->setNumberFormat("%.3f");
        p->setDefault(0.0f);
        p->initValue(0.0f);
    }
    hor.setHelpText("The horizontal position of the XY pad, a modulation source from -1 to +1.");
    ver.setHelpText("The vertical position of the XY pad, a modulation source from -1 to +1.");
}
