#pragma once

// One MIDI modulation source's parameters ("MIDI Source 1" .. "MIDI Source
// 10", short name "MS " + number), in stored order: " Input",
// " Controller Number", " Response Curve".
//
//   Input: "Mod Wheel,Pitch Bend,Velocity,Aftertouch,KB Track,Controller";
//     "Mod Wheel".
//   Controller Number: 0..127, default 1 (the modulation wheel's
//     controller), used when Input is "Controller".
//   Response Curve: "Linear,Exp,Log,Sqr,Sqrt,Sine"; "Linear".

#include "effect/SourceParameterSetList.h"
#include "modulation/MidiModSource.h"
#include "plugin/PluginParameterSet.h"

#include <cstdint>
#include <string>

class MidiSourceParameterSet : public PluginParameterSet {
public:
    static constexpr std::int32_t kDefaultControllerNumber = 1;

    MidiSourceParameterSet(GenericParameterOwner* owner, std::int32_t position);

    void setupParameterInfo() override;
    std::int32_t getPosition() const { return position_; }
    const std::string& getShortName() const { return shortName_; }

    // The set name, then in parentheses the input's name, or the controller
    // number for "Controller": "MIDI Source 1 (Mod Wheel)", "MIDI Source 2 (74)".
    std::string getSourceLabel() const;

    IndexedPluginParameter<MidiModSource::MidiInput> input;
    IndexedPluginParameter<std::int32_t> controllerNumber;
    IndexedPluginParameter<MidiModSource::ResponseCurve> responseCurve;

private:
    std::int32_t position_;
    std::string shortName_;
};

using MidiSourceParameterSetList = SourceParameterSetList<MidiSourceParameterSet>;
