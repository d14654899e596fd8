#pragma once

// One delay line's parameters ("Delay 1", "Delay 2"), in stored order:
// " Time", " Offset", " Sync", " Feedback", " Cross Feedback",
// " Feedback Invert", " Pan". Time, Offset, Feedback, Cross Feedback and Pan
// are modulation targets 5d .. 5d + 4 of line d.
//
// Values and what the engine receives (internal values):
//   Time: knob 0..1 through the seven-point map onto 5..5000 ms; 350 ms.
//   Offset: -1..1, internal 2^x (a time ratio 0.5..2); 0.
//   Feedback: knob 0..1 through the seven-point map onto a gain 0..1; 0.
//     (Its modulation group holds it in 0..1, so a wider knob would have a
//     dead top.)
//   Cross Feedback: knob 0..1 through the seven-point map onto 0..2; 0.
//   Feedback Invert: "Normal,Inverted", float listeners get +1 / -1.
//   Pan: -1..1; 0.

#include "effect/DelayTimeController.h"
#include "effect/ToggleFloatPluginParameter.h"
#include "effect/VarnelParameterTypes.h"
#include "modulation/ModulationTargetParameterBase.h"
#include "plugin/PluginParameterSet.h"

#include <cstdint>

class DelayParameterSet : public PluginParameterSet {
public:
    using TargetParameter = ModulationTargetParameterBase<FloatPluginParameter>;

    static constexpr float kMinimumTimeMs = 5.0f;
    static constexpr float kMaximumTimeMs = 5000.0f;
    static constexpr float kDefaultTimeMs = 350.0f;
    static constexpr float kMaximumFeedback = 1.0f;
    static constexpr float kMaximumCrossFeedback = 2.0f;

    // position: 0 or 1; the set is named "Delay " + (position + 1).
    DelayParameterSet(GenericParameterOwner* owner, ModulationMatrixOwner* matrixOwner,
                      std::int32_t position);

    void setupParameterInfo() override;
    std::int32_t getPosition() const { return position_; }

    TargetParameter time;
    TargetParameter offset;
    IndexedPluginParameter<DelaySync> sync;
    TargetParameter feedback;
    TargetParameter crossFeedback;
    ToggleFloatPluginParameter<FeedbackInvert> feedbackInvert;
    TargetParameter pan;

private:
    std::int32_t position_;
};
