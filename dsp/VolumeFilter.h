#pragma once

// VolumeFilter: a gain stage with muting. Its gain input is by default its
// own FloatParameterSource (so a value assigned to getGainSource() glides);
// the owner may replace it by any producer, and may add a second gain and a
// mute controller.
//
// Per block: muted -> the environment's zero block, nothing pulled; a
// constant gain of magnitude <= 1.1920929e-7 -> the zero block (the input is
// pulled but its samples are not read); a constant gain of 1 without a
// second gain -> the input block itself, no copy; otherwise in * gain
// (* gain2).

#include "dsp/FloatParameter.h"
#include "dsp/wave/Producer.h"

class VolumeFilter : public wave::Filter {
public:
    explicit VolumeFilter(wave::Environment& environment, float initialGain = 1.0f);

    FloatParameterSource& getGainSource() { return ownGain_; }
    wave::Producer* getGain() const { return gain_; }
    // Null restores the own gain source.
    void setGain(wave::Producer* gain) { gain_ = gain != nullptr ? gain : &ownGain_; }
    wave::Producer* getSecondGain() const { return secondGain_; }
    void setSecondGain(wave::Producer* gain) { secondGain_ = gain; }
    wave::MuteController* getMuteController() const { return mute_; }
    void setMuteController(wave::MuteController* mute) { mute_ = mute; }

    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;
    void process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                 wave::ProduceMode mode) noexcept override;

private:
    FloatParameterSource ownGain_;
    wave::Producer* gain_;
    wave::Producer* secondGain_ = nullptr;
    wave::MuteController* mute_ = nullptr;
};
