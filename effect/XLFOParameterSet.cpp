#include "effect/XLFOParameterSet.h"

#include "dsp/ValueMaps.h"
#include "effect/ParameterSetName.h"
#include "effect/VarnelModulation.h"
#include "effect/VarnelValueMaps.h"

#include <memory>

namespace {
using V = VarnelModulation;
}

XLFOParameterSet::StepParameterSet::StepParameterSet(GenericParameterOwner* owner,
                                                     const std::string& xlfoName, std::int32_t position)
    : PluginParameterSet(owner, parameterSetName(xlfoName + " Step", position)),
      value(this, getName() + " Value"), glide(this, getName() + " Glide"),
      glideFunction(this, getName() + " Glide function"), random(this, getName() + " Random") {}

void XLFOParameterSet::StepParameterSet::setupParameterInfo() {
    value.setRange(-1.0f, 1.0f);
    value.setNumberFormat("%.3f");
    value.setDefault(0.0f);
    value.initValue(0.0f);
    value.setHelpText("The level of this step, from -1 to +1.");

    glide.setRange(0.0f, 1.0f);
    glide.setNumberFormat("%.3f");
    glide.setDefault(0.0f);
    glide.initValue(0.0f);
    glide.setHelpText("How much of this step is spent gliding from the previous step's level.");

    glideFunction.setRange(0, 3);
    glideFunction.setValueNames("Linear,Sqr,Sqrt,Sine");
    glideFunction.setDefault(0);
    glideFunction.initValue(0);
    glideFunction.setHelpText("The shape of this step's glide.");

    random.setRange(0, 1);
    random.setValueNames("Fixed,Random");
    random.setDefault(0);
    random.initValue(false);
    random.setHelpText(
        "Random gives the step a new random level each time it is reached; Fixed keeps its value.");
}

XLFOParameterSet::XLFOParameterSet(GenericParameterOwner* owner, ModulationMatrixOwner* matrixOwner,
                                   std::int32_t position)
    : PluginParameterSet(owner, parameterSetName("XLFO", position)),
      frequency(this, getName() + " Frequency", matrixOwner, V::xlfoTarget(position, V::kXLFOFreq)),
      frequencyOffset(this, getName() + " Frequency Offset"), balance(this, getName() + " Balance"),
      phaseOffset(this, getName() + " Phase Offset", matrixOwner,
                  V::xlfoTarget(position, V::kXLFOPhaseOffset)),
      glide(this, getName() + " Glide", matrixOwner, V::xlfoTarget(position, V::kXLFOGlide)),
      syncMode(this, getName() + " Sync Mode"), midiTrigger(this, getName() + " MIDI Trigger"),
      snap(this, getName() + " Snap"),
      steps(this, getName() + " Steps", kNumSteps,
            [this](std::int32_t i) { return std::make_unique<StepParameterSet>(this, getName(), i); }),
      position_(position) {
    AbstractParameterSetList::NumActiveParameter& count = steps.getNumActiveParameter();
    count.setRange(kMinimumSteps, kNumSteps);
    count.setDefault(kMinimumSteps);
    count.initValue(kMinimumSteps);
}

void XLFOParameterSet::setupParameterInfo() {
    frequency.setRange(0.0f, 1.0f);
    frequency.setCurve(mapByTable8Inverse, mapByTable8);
    frequency.setDisplayRange(kMinimumFrequency, kMaximumFrequency);
    frequency.setUnit(&ParameterUnits::hz);
    frequency.setDefault(frequency.internalToNormalized(kDefaultFrequency));
    frequency.initValue(frequency.getDefault());
    frequency.setHelpText(
        "The rate of one cycle through the steps, from 0.02 Hz to 500 Hz, when Sync Mode is Free.");

    frequencyOffset.setRange(-1.0f, 1.0f);
    frequencyOffset.setCurve(ratioFromOctaves, octavesFromRatio);
    frequencyOffset.setNumberFormat("%.3f");
    frequencyOffset.setUnitLabel("x");
    frequencyOffset.setDefault(0.0f);
    frequencyOffset.initValue(0.0f);
    frequencyOffset.setHelpText("Multiplies the rate by a factor from 0.5 to 2, also when synced.");

    balance.setRange(0.0f, 1.0f);
    balance.setNumberFormat("%.3f");
    balance.setDefault(0.5f);
    balance.initValue(0.5f);
    balance.setHelpText(
        "Where the cycle divides between its first and second half of steps; 0.5 divides it evenly.");

    phaseOffset.setRange(0.0f, 1.0f);
    phaseOffset.setNumberFormat("%.3f");
    phaseOffset.setDefault(0.0f);
    phaseOffset.initValue(0.0f);
    phaseOffset.setHelpText("Shifts the position in the cycle, as a fraction of one cycle.");

    glide.setRange(-1.0f, 1.0f);
    glide.setNumberFormat("%.3f");
    glide.setDefault(0.0f);
    glide.initValue(0.0f);
    glide.setHelpText(
        "Added to every step's own glide: positive values smooth the steps, negative ones sharpen them.");

    syncMode.setRange(0, 11);
    syncMode.setValueNames("Free,16,8,4,2,1,1/2,1/4,1/8,1/16,1/32,1/64");
    syncMode.setDefault(0);
    syncMode.initValue(0);
    syncMode.setHelpText(
        "Free runs at the Frequency knob's rate; a note value ties one cycle to the host tempo.");

    midiTrigger.setRange(0, 1);
    midiTrigger.setValueNames("Off,On");
    midiTrigger.setDefault(0);
    midiTrigger.initValue(false);
    midiTrigger.setHelpText("On restarts the cycle at every MIDI note-on.");

    snap.setRange(0, 1);
    snap.setValueNames("No Snap,Snap");
    snap.setDefault(0);
    snap.initValue(false);
    snap.setHelpText("Snap rounds every step's level to a grid of twelfths, so steps aimed at a filter "
                     "frequency land on fixed "
                     "intervals.");

    steps.getNumActiveParameter().setHelpText("The number of steps in one cycle, from 2 to 16.");
    for (std::int32_t i = 0; i < steps.getNumSets(); ++i)
        steps[i].setupParameterInfo();
}
