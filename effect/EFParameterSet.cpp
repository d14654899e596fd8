#include "effect/EFParameterSet.h"

#include "effect/ParameterSetName.h"
#include "effect/VarnelModulation.h"
#include "effect/VarnelValueMaps.h"

namespace {
using V = VarnelModulation;

void setupTime(FloatPluginParameter& p, float minimum, float maximum, float defaultSeconds,
               const char* help) {
    p.setRange(0.0f, 1.0f);
    p.setCurve(mapByTable14, mapByTable14Inverse);
    p.setDisplayRange(minimum, maximum);
    p.setUnit(&ParameterUnits::sec);
    p.setDefault(p.internalToNormalized(defaultSeconds));
    p.initValue(p.getDefault());
    p.setHelpText(help);
}
} // namespace

EFParameterSet::EFParameterSet(GenericParameterOwner* owner, ModulationMatrixOwner* matrixOwner,
                               std::int32_t position)
    : PluginParameterSet(owner, parameterSetName("EF", position)), input(this, getName() + "Input"),
      attack(this, getName() + " Attack", matrixOwner, V::efTarget(position, V::kEFAttack)),
      release(this, getName() + " Release", matrixOwner, V::efTarget(position, V::kEFRelease)),
      position_(position) {}

void EFParameterSet::setupParameterInfo() {
    input.setRange(0, 1);
    input.setValueNames("Normal Input,Side Chain");
    input.setDefault(0);
    input.initValue(0);
    input.setHelpText("The signal whose level the follower tracks: the input or the side chain.");

    setupTime(attack, kMinimumAttack, kMaximumAttack, kDefaultAttack,
              "How fast the follower rises when the level goes up.");
    setupTime(release, kMinimumRelease, kMaximumRelease, kDefaultRelease,
              "How fast the follower falls when the level goes down.");
}
