#include "effect/MidiSourceParameterSet.h"

#include "effect/ParameterSetName.h"

#include <cstdio>

MidiSourceParameterSet::MidiSourceParameterSet(GenericParameterOwner* owner, std::int32_t position)
    : PluginParameterSet(owner, parameterSetName("MIDI Source", position)), input(this, getName() + " Input"),
      controllerNumber(this, getName() + " Controller Number"),
      responseCurve(this, getName() + " Response Curve"), position_(position),
      shortName_(parameterSetName("MS", position)) {}

void MidiSourceParameterSet::setupParameterInfo() {
    input.setRange(0, 5);
    input.setValueNames("Mod Wheel,Pitch Bend,Velocity,Aftertouch,KB Track,Controller");
    input.setDefault(0);
    input.initValue(0);
    input.setHelpText(
        "The MIDI data this source follows. KB Track follows the note number; Controller follows the "
        "controller chosen below.");

    controllerNumber.setRange(0, 127);
    controllerNumber.setDefault(kDefaultControllerNumber);
    controllerNumber.initValue(kDefaultControllerNumber);
    controllerNumber.setHelpText("The MIDI controller number (0 to 127) followed when Input is Controller.");

    responseCurve.setRange(0, 5);
    responseCurve.setValueNames("Linear,Exp,Log,Sqr,Sqrt,Sine");
    responseCurve.setDefault(0);
    responseCurve.initValue(0);
    responseCurve.setHelpText("The curve that shapes the incoming MIDI value.");
}

std::string MidiSourceParameterSet::getSourceLabel() const {
    std::string label = getName() + " (";
    if (input.getTypedValue() == MidiModSource::MidiInput::kController) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", static_cast<int>(controllerNumber.getTypedValue()));
        label += number;
    } else {
        label += input.formatValue(input.getValue());
    }
    return label + ")";
}
