#pragma once

// LevelPanTarget: two gains, one per channel, from a pair of modulation
// targets: a level L and a pan P (normal mode: L - max(P, 0) L and
// L + min(P, 0) L) or a value and a spread (sum/difference mode: L + P and
// L - P). It follows both targets' base values as their secondary target;
// its VoiceController renders the two gains per block while slots modulate
// either target.
//
// Threading: construction on the main thread; update (from slot edits and
// parameter write-through) and the controller's produce on the audio thread.

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"
#include "modulation/ModulationMatrix.h"

#include <cstdint>
#include <memory>

class LevelPanTarget : public wave::Component, public ModulationMatrix::SecondaryTarget {
public:
    class VoiceController : public wave::MultiProducer {
    public:
        explicit VoiceController(LevelPanTarget& owner);
        void processAll(const wave::BasicBlock<float>** outputs, int count,
                        wave::ProduceMode mode) noexcept override;

    private:
        LevelPanTarget& owner_;
        // Asked for while the graph is built (a target controller may be made then).
        wave::Producer* level_;
        wave::Producer* pan_;
    };

    LevelPanTarget(ModulationMatrix& matrix, std::int32_t levelTarget, std::int32_t panTarget,
                   bool sumDifference);
    ~LevelPanTarget() override;

    void update() override;
    bool isIdle() const override;

    FloatParameter& getGain(int channel) { return channel == 0 ? first_ : second_; }
    // Made on the first request (main thread, while building the graph).
    VoiceController& getVoiceController();

    // The two gains of a level and a pan.
    void gainsOf(float level, float pan, float& first, float& second) const;

private:
    ModulationMatrix& matrix_;
    std::int32_t levelTarget_;
    std::int32_t panTarget_;
    bool sumDifference_;
    FloatParameter first_;
    FloatParameter second_;
    std::unique_ptr<VoiceController> controller_;
};
