#pragma once

// One filter's parameters ("Filter 1", "Filter 2"), in stored order:
// " Freq", " Pan", " Peak", " Characteristic", " Response", " Slope",
// " Enabled". Freq, Pan and Peak are modulation targets 10 + 3f .. 12 + 3f.
//
//   Freq: log2 of the cutoff in Hz, 2.2666..16.2064 (about 4.8 Hz to
//     75.6 kHz), shown in Hz; default the top of the range.
//   Pan: the spread of the two channels' cutoffs in octaves, -3.5..3.5
//     (the range its modulation group holds it in), shown in octaves; 0.
//   Peak: 0..1; 0.
//   Characteristic, Response, Slope, Enabled: index 0 by default
//     ("Zentor Prime", "LP", "12", "Disabled").

#include "effect/VarnelParameterTypes.h"
#include "modulation/ModulationTargetParameterBase.h"
#include "plugin/PluginParameterSet.h"

#include <cstdint>

class FilterParameterSet : public PluginParameterSet {
public:
    using TargetParameter = ModulationTargetParameterBase<FloatPluginParameter>;

    static constexpr float kMinimumFreq = 2.2666f;
    static constexpr float kMaximumFreq = 16.2064f;
    static constexpr float kMaximumPanOctaves = 3.5f;

    FilterParameterSet(GenericParameterOwner* owner, ModulationMatrixOwner* matrixOwner,
                       std::int32_t position);

    void setupParameterInfo() override;
    std::int32_t getPosition() const { return position_; }

    TargetParameter freq;
    TargetParameter pan;
    TargetParameter peak;
    IndexedPluginParameter<FilterCharacteristic> characteristic;
    IndexedPluginParameter<FilterResponse> response;
    IndexedPluginParameter<FilterSlope> slope;
    IndexedPluginParameter<bool> enabled;

private:
    std::int32_t position_;
};
