#pragma once

// One envelope generator's parameters ("EG 1" .. "EG 6"), in stored order:
// " Hold", " Delay", " Threshold", " Triggering", " Attack", " Decay",
// " Sustain", " Release". Hold, Delay, Attack, Decay, Sustain and Release
// are modulation targets 34 + 6k .. 39 + 6k.
//
//   Times: knob 0..1 through the seven-point map onto 0..19 s (Hold),
//     0..5 s (Delay, Decay, Release), 0..3 s (Attack); 0 by default.
//   Threshold: knob 0..1 through the seven-point map onto a linear gain
//     0..1 (the trigger compares in that linear domain), shown in dB;
//     default a gain of 0.1 (-20 dB).
//   Triggering: "Normal Input,Side Chain,MIDI"; "Normal Input".
//   Sustain: -60..0 dB, internal the gain (0.001..1); default 0 dB (gain 1).

#include "effect/SourceParameterSetList.h"
#include "effect/VarnelParameterTypes.h"
#include "modulation/ModulationTargetParameterBase.h"
#include "plugin/PluginParameterSet.h"

#include <cstdint>

class EGParameterSet : public PluginParameterSet {
public:
    using TargetParameter = ModulationTargetParameterBase<FloatPluginParameter>;

    static constexpr float kMaximumHold = 19.0f;
    static constexpr float kMaximumDelay = 5.0f;
    static constexpr float kMaximumAttack = 3.0f;
    static constexpr float kMaximumDecay = 5.0f;
    static constexpr float kMaximumRelease = 5.0f;
    static constexpr float kDefaultThresholdGain = 0.1f;
    static constexpr float kMinimumSustainDb = -60.0f;

    EGParameterSet(GenericParameterOwner* owner, ModulationMatrixOwner* matrixOwner, std::int32_t position);

    void setupParameterInfo() override;
    std::int32_t getPosition() const { return position_; }

    TargetParameter hold;
    TargetParameter delay;
    FloatPluginParameter threshold;
    IndexedPluginParameter<EGTriggering> triggering;
    TargetParameter attack;
    TargetParameter decay;
    TargetParameter sustain;
    TargetParameter release;

private:
    std::int32_t position_;
};

using EGParameterSetList = SourceParameterSetList<EGParameterSet>;
