#pragma once

// One envelope follower's parameters ("EF 1" .. "EF 4"), in stored order:
// "Input" (no leading blank: "EF 1Input", the name presets and automation
// use), " Attack", " Release". Attack and Release are modulation targets
// 70 + 2k and 71 + 2k.
//
//   Input: "Normal Input,Side Chain"; "Normal Input".
//   Attack: knob 0..1 through the fourteen-point table onto 0.001..1 s;
//     default 10 ms.
//   Release: knob 0..1 through the same table onto 0.05..5 s; default
//     250 ms.

#include "effect/SourceParameterSetList.h"
#include "effect/VarnelParameterTypes.h"
#include "modulation/ModulationTargetParameterBase.h"
#include "plugin/PluginParameterSet.h"

#include <cstdint>

class EFParameterSet : public PluginParameterSet {
public:
    using TargetParameter = ModulationTargetParameterBase<FloatPluginParameter>;

    static constexpr float kMinimumAttack = 0.001f;
    static constexpr float kMaximumAttack = 1.0f;
    static constexpr float kDefaultAttack = 0.01f;
    static constexpr float kMinimumRelease = 0.05f;
    static constexpr float kMaximumRelease = 5.0f;
    static constexpr float kDefaultRelease = 0.25f;

    EFParameterSet(GenericParameterOwner* owner, ModulationMatrixOwner* matrixOwner, std::int32_t position);

    void setupParameterInfo() override;
    std::int32_t getPosition() const { return position_; }

    IndexedPluginParameter<EFInput> input;
    TargetParameter attack;
    TargetParameter release;

private:
    std::int32_t position_;
};

using EFParameterSetList = SourceParameterSetList<EFParameterSet>;
