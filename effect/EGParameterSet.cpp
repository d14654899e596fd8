#include "effect/EGParameterSet.h"

#include "dsp/ValueMaps.h"
#include "effect/ParameterSetName.h"
#include "effect/VarnelModulation.h"
#include "effect/VarnelValueMaps.h"
#include "modulation/ModulationValueMaps.h"

#include <string>

namespace {
using V = VarnelModulation;

void setupTime(FloatPluginParameter& p, float maximum, const char* help) {
    p.setRange(0.0f, 1.0f);
    p.setCurve(mapByTable7, mapByTable7Inverse);
    p.setDisplayRange(0.0f, maximum);
    p.setUnit(&ParameterUnits::sec);
    p.setDefault(0.0f);
    p.initValue(0.0f);
    p.setHelpText(help);
}
} // namespace

EGParameterSet::EGParameterSet(GenericParameterOwner* owner, ModulationMatrixOwner* matrixOwner,
                               std::int32_t position)
    : PluginParameterSet(owner, parameterSetName("EG", position)),
      hold(this, getName() + " Hold", matrixOwner, V::egTarget(position, V::kEGHold)),
      delay(this, getName() + " Delay", matrixOwner, V::egTarget(position, V::kEGDelay)),
      threshold(this, getName() + " Threshold"), triggering(this, getName() + " Triggering"),
      attack(this, getName() + " Attack", matrixOwner, V::egTarget(position, V::kEGAttack)),
      decay(this, getName() + " Decay", matrixOwner, V::egTarget(position, V::kEGDecay)),
      sustain(this, getName() + " Sustain", matrixOwner, V::egTarget(position, V::kEGSustain)),
      release(this, getName() + " Release", matrixOwner, V::egTarget(position, V::kEGRelease)),
      position_(position) {}

void EGParameterSet::setupParameterInfo() {
    setupTime(
        hold, kMaximumHold,
        "The shortest time the envelope runs: counted from the trigger, it keeps the envelope going even "
        "when the trigger ends sooner.");
    setupTime(delay, kMaximumDelay, "Time from the trigger to the start of the attack.");

    threshold.setRange(0.0f, 1.0f);
    threshold.setCurve(mapByTable7, mapByTable7Inverse);
    threshold.setDisplayMap(gainToDb, dbToGain);
    threshold.setUnit(&ParameterUnits::dB);
    threshold.setDefault(threshold.internalToNormalized(kDefaultThresholdGain));
    threshold.initValue(threshold.getDefault());
    threshold.setHelpText(
        "The level the trigger signal must cross to start the envelope (audio triggering).");

    triggering.setRange(0, 2);
    triggering.setValueNames("Normal Input,Side Chain,MIDI");
    triggering.setDefault(0);
    triggering.initValue(0);
    triggering.setHelpText(
        "What starts the envelope: the input signal, the side-chain signal or MIDI notes.");

    setupTime(attack, kMaximumAttack, "Time to rise from zero to full level.");
    setupTime(decay, kMaximumDecay, "Time to fall from full level to the sustain level.");

    sustain.setRange(kMinimumSustainDb, 0.0f);
    sustain.setCurve(dbToGain, gainToDb);
    sustain.setDisplayMap(gainToDb, dbToGain);
    sustain.setUnit(&ParameterUnits::dB);
    sustain.setDefault(0.0f);
    sustain.initValue(0.0f);
    sustain.setHelpText("The level held after the decay, from -60 dB to full level (0 dB).");

    setupTime(release, kMaximumRelease, "Time to fall back to zero after the trigger ends.");
}
