#include "effect/DelayParameterSet.h"

#include "dsp/ValueMaps.h"
#include "effect/ParameterSetName.h"
#include "effect/VarnelModulation.h"
#include "effect/VarnelValueMaps.h"
#include "modulation/ModulationValueMaps.h"

namespace {
using V = VarnelModulation;
}

DelayParameterSet::DelayParameterSet(GenericParameterOwner* owner, ModulationMatrixOwner* matrixOwner,
                                     std::int32_t position)
    : PluginParameterSet(owner, parameterSetName("Delay", position)),
      time(this, getName() + " Time", matrixOwner, V::delayTarget(position, V::kDelayTime)),
      offset(this, getName() + " Offset", matrixOwner, V::delayTarget(position, V::kDelayOffset)),
      sync(this, getName() + " Sync"),
      feedback(this, getName() + " Feedback", matrixOwner, V::delayTarget(position, V::kDelayFeedback)),
      crossFeedback(this, getName() + " Cross Feedback", matrixOwner,
                    V::delayTarget(position, V::kDelayCrossFeedback)),
      feedbackInvert(this, getName() + " Feedback Invert"),
      pan(this, getName() + " Pan", matrixOwner, V::delayTarget(position, V::kDelayPan)),
      position_(position) {}

void DelayParameterSet::setupParameterInfo() {
    time.setRange(0.0f, 1.0f);
    time.setCurve(mapByTable7, mapByTable7Inverse);
    time.setDisplayRange(kMinimumTimeMs, kMaximumTimeMs);
    time.setUnit(&ParameterUnits::ms);
    time.setNumberFormat("%.1f");
    time.setDefault(time.internalToNormalized(kDefaultTimeMs));
    time.initValue(time.getDefault());
    time.setHelpText("Delay time of this line, from 5 ms to 5 s. Ignored while Sync selects a note value.");

    offset.setRange(-1.0f, 1.0f);
    offset.setCurve(ratioFromOctaves, octavesFromRatio);
    offset.setNumberFormat("%.3f");
    offset.setUnitLabel("x");
    offset.setDefault(0.0f);
    offset.initValue(0.0f);
    offset.setHelpText("Multiplies the delay time by a factor from 0.5 to 2 (also the synced time).");

    sync.setRange(0, 4);
    sync.setValueNames("Free,Two Notes,Note,Half Note,Quarter Note");
    sync.setDefault(0);
    sync.initValue(0);
    sync.setHelpText("Free uses the Time knob; a note value ties the delay time to the host tempo.");

    feedback.setRange(0.0f, 1.0f);
    feedback.setCurve(mapByTable7, mapByTable7Inverse);
    feedback.setDisplayRange(0.0f, kMaximumFeedback);
    feedback.setNumberFormat("%.3f");
    feedback.setDefault(0.0f);
    feedback.initValue(0.0f);
    feedback.setHelpText("How much of this line's output is fed back into it (gain 0 to 1).");

    crossFeedback.setRange(0.0f, 1.0f);
    crossFeedback.setCurve(mapByTable7, mapByTable7Inverse);
    crossFeedback.setDisplayRange(0.0f, kMaximumCrossFeedback);
    crossFeedback.setNumberFormat("%.3f");
    crossFeedback.setDefault(0.0f);
    crossFeedback.initValue(0.0f);
    crossFeedback.setHelpText("How much of this line's output is fed into the other line (gain 0 to 2).");

    feedbackInvert.setRange(0, 1);
    feedbackInvert.setValueNames("Normal,Inverted");
    feedbackInvert.setFloatTable({1.0f, -1.0f});
    feedbackInvert.setDefault(0);
    feedbackInvert.initValue(0);
    feedbackInvert.setHelpText(
        "Inverted flips the sign of this line's feedback, so repeats alternate in polarity.");

    pan.setRange(-1.0f, 1.0f);
    pan.setNumberFormat("%.2f");
    pan.setDefault(0.0f);
    pan.initValue(0.0f);
    pan.setHelpText("Places this line's echoes in the stereo image, from left (-1) to right (+1).");
}
