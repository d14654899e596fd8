#include "effect/FilterParameterSet.h"

#include "effect/ParameterSetName.h"
#include "effect/VarnelModulation.h"

namespace {
using V = VarnelModulation;
}

FilterParameterSet::FilterParameterSet(GenericParameterOwner* owner, ModulationMatrixOwner* matrixOwner,
                                       std::int32_t position)
    : PluginParameterSet(owner, parameterSetName("Filter", position)),
      freq(this, getName() + " Freq", matrixOwner, V::filterTarget(position, V::kFilterFreq)),
      pan(this, getName() + " Pan", matrixOwner, V::filterTarget(position, V::kFilterPan)),
      peak(this, getName() + " Peak", matrixOwner, V::filterTarget(position, V::kFilterPeak)),
      characteristic(this, getName() + " Characteristic"), response(this, getName() + " Response"),
      slope(this, getName() + " Slope"), enabled(this, getName() + " Enabled"), position_(position) {}

void FilterParameterSet::setupParameterInfo() {
    freq.setRange(kMinimumFreq, kMaximumFreq);
    freq.setUnit(&ParameterUnits::expFreq);
    freq.setDefault(kMaximumFreq);
    freq.initValue(kMaximumFreq);
    freq.setHelpText(
        "Cutoff or centre frequency of this filter. Filter Link Freq moves both filters together.");

    pan.setRange(-kMaximumPanOctaves, kMaximumPanOctaves);
    pan.setUnitLabel("oct");
    pan.setNumberFormat("%.2f");
    pan.setDefault(0.0f);
    pan.initValue(0.0f);
    pan.setHelpText(
        "Sets the filter frequencies of the two channels apart, by up to 3.5 octaves either way.");

    peak.setRange(0.0f, 1.0f);
    peak.setNumberFormat("%.3f");
    peak.setDefault(0.0f);
    peak.initValue(0.0f);
    peak.setHelpText("Resonance at the filter frequency. High values can make some characteristics "
                     "self-oscillate.");

    characteristic.setRange(0, 10);
    characteristic.setValueNames(
        "Zentor Prime,Gentle,Raw,Tube,Metal,Easy Going,Smooth,Hard,Hollow,Extreme,Clean");
    characteristic.setDefault(0);
    characteristic.initValue(0);
    characteristic.setHelpText(
        "The filter's character: how it saturates and clips when driven. Clean does not "
        "saturate.");

    response.setRange(0, 2);
    response.setValueNames("LP,HP,BP");
    response.setDefault(0);
    response.initValue(0);
    response.setHelpText("Low-pass, high-pass or band-pass response.");

    slope.setRange(0, 2);
    slope.setValueNames("12,24,48");
    slope.setDefault(0);
    slope.initValue(0);
    slope.setHelpText("Steepness of the filter in dB per octave.");

    enabled.setRange(0, 1);
    enabled.setValueNames("Disabled,Enabled");
    enabled.setDefault(0);
    enabled.initValue(false);
    enabled.setHelpText("Switches this filter into the delay lines' feedback and output paths.");
}
