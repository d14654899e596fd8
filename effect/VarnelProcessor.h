#pragma once

// VarnelProcessor: the audio side of the delay effect.
//
// At construction it builds one pull graph that does all the audio work:
// per channel (left/right, or mid/side) a delay line fed by input,
// feedback and cross-feedback, two filter combinations (one in the feedback
// path, one on the way out), the pan mix of both lines, dry and wet levels,
// the mid/side coding and the audition switch; and the 34 modulation
// sources (XY axes, XLFOs, envelope generators, envelope followers, MIDI
// sources) registered with the modulation matrix. The block driver of the
// processor base pulls each channel's output; everything else computes on
// demand, once per block.
//
// Delay lines and feedback: each line writes its input at the end of the
// block (after every consumer has read its output), so the loop through
// feedback and cross-feedback closes one piece later. A piece must
// therefore not be longer than the shortest delay (5 ms): below 25.6 kHz
// the pieces are shortened to trunc(5 ms x sample rate) samples. Every
// echo then lands exactly trunc(time x rate / 1000) samples late. What a
// line records is bounded to +-256 (+48 dBFS) with non-finite samples
// recorded as 0, and host input that is not finite reads as 0, so even a
// loop gain above 1 never produces inf or NaN.
//
// Parameters reach the graph only through the parameter queue: the base
// drains it at the start of each piece, applies each value (float targets
// go to the matrix) and calls parameterChanged, which runs the binding of
// that parameter (switches, link handlers, routing, source modes). Gains
// that come from modulation targets (input level, feedback, cross feedback,
// levels and pans) feed the mixers as producers, so no mixer range clips
// them.
//
// Threading: construction and destruction on the main thread; everything
// else on the audio thread without allocation or locks of its own, except
// getSourceValue (the display exchange, under the adapter's lock).

#include "dsp/DelayLine.h"
#include "dsp/FilterAnalyzer.h"
#include "dsp/MidSideConverter.h"
#include "dsp/MultiDesignFilter.h"
#include "dsp/SignalSmoother.h"
#include "dsp/VolumeFilter.h"
#include "effect/DelayPanController.h"
#include "effect/DelayTimeController.h"
#include "effect/FeedbackLimiter.h"
#include "effect/FilterCombo.h"
#include "effect/FiniteInput.h"
#include "effect/VarnelParameters.h"
#include "modulation/EnvelopeFollower.h"
#include "modulation/EnvelopeGenerator.h"
#include "modulation/LevelPanTarget.h"
#include "modulation/MidiModSource.h"
#include "modulation/Mixer.h"
#include "modulation/ModulationMatrixProcessor.h"
#include "modulation/Router.h"
#include "modulation/Trigger.h"
#include "modulation/XLFO.h"
#include "modulation/XLFOFreqController.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class VarnelProcessor : public ModulationMatrixProcessor, public VarnelParameters {
public:
    class VarnelChannel;

    // Source numbers of the matrix.
    static constexpr std::int32_t kFirstXYSource = 0;
    static constexpr std::int32_t kFirstXLFOSource = 8;
    static constexpr std::int32_t kFirstEGSource = 14;
    static constexpr std::int32_t kFirstEFSource = 20;
    static constexpr std::int32_t kFirstMidiSource = 24;
    static constexpr std::int32_t kNumSources = 34;
    static constexpr int kXYAxes = 8;
    static constexpr int kXLFOs = 6;
    static constexpr int kEGs = 6;
    static constexpr int kEFs = 4;
    static constexpr int kMidiSources = 10;
    // The shortest delay time (ms): the longest piece a feedback loop allows.
    static constexpr float kShortestDelayMs = 5.0f;

    VarnelProcessor();
    ~VarnelProcessor() override;

    void midiNoteOff(std::int32_t key, float velocity) override;
    void midiNoteOn(std::int32_t key, float velocity) override;
    void tempoChanged(float tempo, float position) override;
    void parameterChanged(std::int32_t index) override;
    float getSourceValue(std::int32_t source) override;
    std::int32_t maxChunkSize() override;
    void notifySampleRateChanged() override;

    // The process-wide characteristic list (built by the first processor).
    static void loadFilterCharacteristics();
    static const MultiDesignFilter::Style* getFilterCharacteristics();

    ModulationMatrix& getMatrix() { return *matrix_; }
    VarnelChannel& getChannel(int c) { return *channels_[static_cast<std::size_t>(c)]; }
    std::int32_t getHeldNotes() const { return heldNotes_; }
    XLFO& getXLFO(int i) { return *xlfos_[static_cast<std::size_t>(i)].xlfo; }
    EnvelopeGenerator& getEG(int i) { return *egs_[static_cast<std::size_t>(i)].generator; }
    Router& getEGInputRouter(int i) { return *egs_[static_cast<std::size_t>(i)].input; }
    Trigger& getEGTrigger(int i) { return *egs_[static_cast<std::size_t>(i)].trigger; }
    MidiModSource::Cache& getMidiCache() { return *midiCache_; }

protected:
    void firstInstanceInit() override;
    void lastInstanceReleased() override;

private:
    friend class VarnelChannel;

    // What a parameter index drives.
    enum class Bind : std::uint8_t {
        kNone,
        kFeedbackLink,
        kDelayLink,
        kReadStyle,
        kFreeze,
        kFilterRouting,
        kChannelMode,
        kAutoMute,
        kAudition,
        kDryEnabled,
        kDelaySync,
        kFeedbackInvert,
        kFilterCharacteristic,
        kFilterResponse,
        kFilterSlope,
        kFilterEnabled,
        kXYAxis,
        kXLFOFrequencyOffset,
        kXLFOBalance,
        kXLFOSyncMode,
        kXLFOMidiTrigger,
        kXLFOSnap,
        kXLFONumSteps,
        kXLFOStepValue,
        kXLFOStepGlide,
        kXLFOStepCurve,
        kXLFOStepRandom,
        kEGThreshold,
        kEGTriggering,
        kEFInput,
        kMidiInput,
        kMidiController,
        kMidiCurve,
        kNumActive, // set: 0 XY, 1 XLFO, 2 EG, 3 EF, 4 MIDI
    };
    struct Binding {
        Bind kind = Bind::kNone;
        std::uint8_t set = 0;
        std::uint8_t item = 0;
    };

    struct XLFOSource {
        std::unique_ptr<XLFO> xlfo;
        std::unique_ptr<XLFOFreqController> frequency;
        bool midiTrigger = false;
        bool snap = false;
    };
    struct EGSource {
        std::unique_ptr<Router> input;
        std::unique_ptr<Trigger> trigger;
        std::unique_ptr<EnvelopeGenerator> generator;
        std::int32_t triggering = 0;
    };
    struct EFSource {
        std::unique_ptr<Router> input;
        std::unique_ptr<EnvelopeFollower> follower;
    };

    wave::Producer* target(std::int32_t t) { return matrix_->targetProducer(t); }
    // Runs `kind` from parameterChanged whenever that parameter changes.
    void bind(const AbstractPluginParameter& parameter, Bind kind, int set = 0, int item = 0);
    void buildBindings();
    void buildSources();
    void applyBinding(const Binding& b, float value);
    void applyDelayLink();
    void applyFeedbackLink();
    void applyFilterRouting(FilterRouting routing);
    void setXLFOSnap(int i, bool snap);
    void setEGTriggering(int i, std::int32_t triggering);

    std::unique_ptr<ModulationMatrix> matrix_;
    std::unique_ptr<MidSideConverter> inputConverter_;
    std::unique_ptr<MidSideConverter> outputConverter_;
    std::array<std::unique_ptr<LevelPanTarget>, 2> filterTargets_;
    std::unique_ptr<LevelPanTarget> dryTarget_;
    std::unique_ptr<LevelPanTarget> wetTarget_;
    std::array<std::unique_ptr<DelayPanController>, 2> panControllers_;
    std::unique_ptr<Mixer> mainDetector_;
    std::unique_ptr<Mixer> sideChainDetector_;
    std::unique_ptr<FilterAnalyzer> analyzer_;

    std::array<std::unique_ptr<FloatParameterSource>, kXYAxes> xyAxes_;
    std::array<XLFOSource, kXLFOs> xlfos_;
    // What the XLFOs' rates follow (set by each tempo operation).
    XLFOFreqController::Transport transport_;
    std::array<EGSource, kEGs> egs_;
    std::array<EFSource, kEFs> efs_;
    std::unique_ptr<MidiModSource::Cache> midiCache_;
    std::array<std::unique_ptr<MidiModSource>, kMidiSources> midiSources_;
    std::int32_t heldNotes_ = 0;

    std::array<std::unique_ptr<MultiDesignFilter::ParallelUnit>, 2> filterUnits_;
    // Owned by the processor base's channel list.
    std::vector<VarnelChannel*> channels_;

    // Mirrors of "Delay Link", "Feedback Link" and "Filter Routing": a
    // handler runs only when the value really changed.
    std::int32_t delayLink_ = 0;
    std::int32_t feedbackLink_ = 0;
    FilterRouting filterRouting_ = FilterRouting::kSerial;

    std::vector<Binding> bindings_;
};

class VarnelProcessor::VarnelChannel : public GenericPluginProcessor::Channel {
public:
    using FilterCombo = ::FilterCombo;

    VarnelChannel(VarnelProcessor& processor, int channel);
    ~VarnelChannel() override;

    int getChannelNumber() const { return channel_; }
    std::uint32_t getPositionCode() const { return positionCode_; }
    DelayLine& getDelayLine() { return *delayLine_; }
    DelayTimeController& getDelayTime() { return *delayTime_; }
    FilterCombo& getFeedbackFilters() { return *feedbackFilters_; }
    FilterCombo& getOutputFilters() { return *outputFilters_; }
    Mixer& getDelayInputMix() { return *delayInputMix_; }
    Router& getFreezeSwitch() { return *freezeSwitch_; }
    Router& getAuditionSwitch() { return *auditionSwitch_; }
    FeedbackLimiter& getFeedbackGain() { return *feedbackGain_; }

private:
    friend class VarnelProcessor;

    // Step 11 of the construction: the filter combinations' outputs.
    void connectFilterOutputs();
    // Destroys the graph while the processor's shared objects still exist
    // (the processor base deletes the emptied channel later).
    void releaseGraph();

    int channel_;
    std::uint32_t positionCode_ = 0;
    std::unique_ptr<FiniteInput> mainInput_;
    std::unique_ptr<FiniteInput> sideChainInput_;
    std::unique_ptr<DelayLine> delayLine_;
    std::unique_ptr<DelayTimeController> delayTime_;
    std::unique_ptr<VolumeFilter> dryGate_;
    std::unique_ptr<FilterCombo> feedbackFilters_;
    std::unique_ptr<FilterCombo> outputFilters_;
    std::unique_ptr<Router> freezeSwitch_;
    std::unique_ptr<Router> inputModeSwitch_;
    std::unique_ptr<Router> outputModeSwitch_;
    std::unique_ptr<Mixer> delayInputMix_;
    std::unique_ptr<Mixer> panMix_;
    std::unique_ptr<Mixer> outputMix_;
    std::unique_ptr<Router> auditionSwitch_;
    std::unique_ptr<SignalSmoother> delayLevel_;
    std::unique_ptr<SignalSmoother> filteredLevel_;
    std::unique_ptr<FeedbackLimiter> feedbackGain_;
};
