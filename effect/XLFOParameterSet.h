#pragma once

// One XLFO's parameters ("XLFO 1" .. "XLFO 6"), in stored order:
// " Frequency", " Frequency Offset", " Balance", " Phase Offset", " Glide",
// " Sync Mode", " MIDI Trigger", " Snap", then the step list
// ("Num Active XLFO N Steps" and 16 steps of four parameters): 73 in all.
// Frequency, Glide and Phase Offset are modulation targets 16 + 3k,
// 17 + 3k and 18 + 3k.
//
//   Frequency: knob 0..1 through the inverse of the eight-point table onto
//     0.02..500 Hz (half the knob is 3.5 Hz, 80 % is 50 Hz); default 1 Hz.
//   Frequency Offset: -1..1, internal 2^x (a rate ratio); 0.
//   Balance: 0..1; 0.5. Phase Offset: 0..1; 0. Glide: -1..1; 0.
//   Sync Mode "Free", MIDI Trigger "Off", Snap "No Snap".
//   Steps: 2..16 active, 2 at first. Step " Value" -1..1, " Glide" 0..1,
//     " Glide function" "Linear,Sqr,Sqrt,Sine", " Random" "Fixed,Random";
//     all 0 by default.

#include "effect/SourceParameterSetList.h"
#include "effect/VarnelParameterTypes.h"
#include "modulation/ModulationTargetParameterBase.h"
#include "modulation/XLFO.h"
#include "plugin/PluginParameterSet.h"

#include <cstdint>
#include <string>

class XLFOParameterSet : public PluginParameterSet {
public:
    using TargetParameter = ModulationTargetParameterBase<FloatPluginParameter>;

    class StepParameterSet : public PluginParameterSet {
    public:
        // Named xlfoName + " Step " + (position + 1).
        StepParameterSet(GenericParameterOwner* owner, const std::string& xlfoName, std::int32_t position);
        void setupParameterInfo() override;

        FloatPluginParameter value;
        FloatPluginParameter glide;
        IndexedPluginParameter<XLFO::GlideCurve> glideFunction;
        IndexedPluginParameter<bool> random;
    };
    using StepParameterSetList = ParameterSetList<StepParameterSet>;

    static constexpr float kMinimumFrequency = 0.02f;
    static constexpr float kMaximumFrequency = 500.0f;
    static constexpr float kDefaultFrequency = 1.0f;
    static constexpr std::int32_t kNumSteps = 16;
    static constexpr std::int32_t kMinimumSteps = 2;

    XLFOParameterSet(GenericParameterOwner* owner, ModulationMatrixOwner* matrixOwner, std::int32_t position);

    void setupParameterInfo() override;
    std::int32_t getPosition() const { return position_; }

    TargetParameter frequency;
    FloatPluginParameter frequencyOffset;
    FloatPluginParameter balance;
    TargetParameter phaseOffset;
    TargetParameter glide;
    IndexedPluginParameter<XLFOSyncMode> syncMode;
    IndexedPluginParameter<bool> midiTrigger;
    IndexedPluginParameter<bool> snap;
    StepParameterSetList steps;

private:
    std::int32_t position_;
};

using XLFOParameterSetList = SourceParameterSetList<XLFOParameterSet>;
