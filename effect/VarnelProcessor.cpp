#include "effect/VarnelProcessor.h"

#include "effect/FilterCharacteristicList.h"
#include "plugin/DefaultEventReceiver.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <unordered_map>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;

// Target numbers of the modulation layout.
constexpr std::int32_t kDelayTargets = 5; // per line: time, offset, feedback, cross feedback, pan
constexpr std::int32_t kFilterFreqTarget[2] = {10, 13};
constexpr std::int32_t kFilterPanTarget[2] = {11, 14};
constexpr std::int32_t kFilterPeakTarget[2] = {12, 15};
constexpr std::int32_t kFirstXLFOTarget = 16;
constexpr std::int32_t kFirstEGTarget = 34;
constexpr std::int32_t kFirstEFTarget = 70;
constexpr std::int32_t kInputLevelTarget = 78;
constexpr std::int32_t kDryLevelTarget = 79;
constexpr std::int32_t kDryPanTarget = 80;
constexpr std::int32_t kWetLevelTarget = 81;
constexpr std::int32_t kWetPanTarget = 82;

// The matrix source type of an XLFO, and of one whose "Snap" is on.
constexpr std::int32_t kXLFOSourceType = 1;
constexpr std::int32_t kSnappedXLFOSourceType = 5;
// EG "Triggering" values ("Normal Input,Side Chain,MIDI").
constexpr std::int32_t kTriggerSideChain = 1;
constexpr std::int32_t kTriggerMidi = 2;

// Position codes of the channels by channel configuration (rows) and
// 1-based position in the channel list (columns 1 to 4).
constexpr std::uint32_t kPositionCodes[5][5] = {
    {0, 0x100, 0, 0, 0},
    {0, 0x21E, 0x41E, 0, 0},
    {0, 0x21E, 0x41E, 0x900, 0},
    {0, 0x22D, 0x42D, 0x287, 0x487},
    {0, 0x21E, 0x41E, 0x900, 0x9B4},
};
// Channels per configuration: the input count of the level detectors.
constexpr std::int32_t kConfigurationChannels[8] = {1, 2, 3, 4, 4, 5, 6, 6};

// The process-wide characteristic list (guarded by the processor base's
// process-wide lock: built in firstInstanceInit, released in lastInstanceReleased).
std::unique_ptr<MultiDesignFilter::Style>& characteristicList() {
    static std::unique_ptr<MultiDesignFilter::Style> list;
    return list;
}

} // namespace

// ------------------------------------------------------------ VarnelChannel --

VarnelProcessor::VarnelChannel::VarnelChannel(VarnelProcessor& processor, int channel)
    : GenericPluginProcessor::Channel(processor), channel_(channel) {
    wave::Environment& e = processor.getEnvironment();
    const int other = (channel + 1) & 1;
    const int configuration = std::clamp(processor.getChannelLayout(), 0, 4);
    positionCode_ = kPositionCodes[configuration][std::clamp(channel + 1, 0, 4)];

    // Host input that is not finite reads as 0 everywhere in the graph.
    mainInput_ = std::make_unique<FiniteInput>(e);
    mainInput_->setInput(&getInput());
    sideChainInput_ = std::make_unique<FiniteInput>(e);
    sideChainInput_->setInput(&getSideChainReader());

    inputModeSwitch_ = std::make_unique<Router>(e, 2);
    outputModeSwitch_ = std::make_unique<Router>(e, 2);
    processor.inputConverter_->setInput(channel, mainInput_.get());
    inputModeSwitch_->setInputProducer(0, mainInput_.get());
    inputModeSwitch_->setInputProducer(1, &processor.inputConverter_->getOutput(channel));

    delayInputMix_ = std::make_unique<Mixer>(e, 3);
    panMix_ = std::make_unique<Mixer>(e, 2);
    outputMix_ = std::make_unique<Mixer>(e, 2);

    dryGate_ = std::make_unique<VolumeFilter>(e, 1.0f);
    FilterCombo::Controls controls;
    for (int k = 0; k < FilterCombo::kFilters; ++k) {
        controls.units[static_cast<std::size_t>(k)] =
            processor.filterUnits_[static_cast<std::size_t>(k)].get();
        controls.frequency[static_cast<std::size_t>(k)] =
            &processor.filterTargets_[static_cast<std::size_t>(k)]->getVoiceController().getOutput(channel);
        controls.peak[static_cast<std::size_t>(k)] = processor.target(kFilterPeakTarget[k]);
    }
    controls.analyzer = processor.analyzer_.get();
    feedbackFilters_ = std::make_unique<FilterCombo>(controls, channel);
    outputFilters_ = std::make_unique<FilterCombo>(controls, channel);
    for (auto* smoother : {&delayLevel_, &filteredLevel_}) {
        *smoother = std::make_unique<SignalSmoother>(e);
        (*smoother)->smoothMethod.setValue(SignalSmoother::kRectify);
        (*smoother)->frequency.setValue(5.0f);
    }
    delayLine_ = std::make_unique<DelayLine>(e);
    delayLine_->getDelay().setWriteLimit(256.0f);
    feedbackGain_ = std::make_unique<FeedbackLimiter>(e, delayLine_.get());
    feedbackGain_->gain.getParameter().setLimits(-1.0f, 1.0f, 2.0f);

    // Gains from the matrix as producers: no mixer range clips them.
    const std::int32_t first = kDelayTargets * channel;
    delayInputMix_->getInput(0).gain.setSource(processor.target(kInputLevelTarget));
    delayInputMix_->getInput(1).gain.setSource(processor.target(first + 2));
    delayInputMix_->getInput(2).gain.setSource(processor.target(first + 3));
    outputMix_->getInput(0).gain.setSource(&processor.dryTarget_->getVoiceController().getOutput(channel));
    outputMix_->getInput(1).gain.setSource(&processor.wetTarget_->getVoiceController().getOutput(channel));

    freezeSwitch_ = std::make_unique<Router>(e, 2);
    freezeSwitch_->setInputProducer(0, delayInputMix_.get());

    delayTime_ =
        std::make_unique<DelayTimeController>(e, processor.target(first), processor.target(first + 1));
    delayLine_->timeInput.setSource(delayTime_.get());

    delayInputMix_->setInputSignal(0, inputModeSwitch_.get());
    delayInputMix_->setInputSignal(1, feedbackGain_.get());
    delayLine_->setInput(freezeSwitch_.get());
    dryGate_->setInput(inputModeSwitch_.get());
    outputMix_->setInputSignal(0, dryGate_.get());
    panMix_->setInputSignal(0, delayLine_.get());
    panMix_->getInput(0).gain.setSource(
        &processor.panControllers_[static_cast<std::size_t>(channel)]->getOutput(channel));
    panMix_->getInput(1).gain.setSource(
        &processor.panControllers_[static_cast<std::size_t>(other)]->getOutput(channel));
    feedbackFilters_->setInput(delayLine_.get());
    outputFilters_->setInput(panMix_.get());
    delayLevel_->setInput(delayLine_.get());
    feedbackGain_->setLevels(delayLevel_.get(), filteredLevel_.get());
    freezeSwitch_->setInputProducer(1, delayLine_.get());

    connectFilterOutputs();

    processor.sideChainDetector_->setInputSignal(channel, sideChainInput_.get());
    processor.mainDetector_->setInputSignal(channel, mainInput_.get());
    processor.outputConverter_->setInput(channel, outputMix_.get());
    outputModeSwitch_->setInputProducer(0, outputMix_.get());
    outputModeSwitch_->setInputProducer(1, &processor.outputConverter_->getOutput(channel));

    auditionSwitch_ = std::make_unique<Router>(e, 3);
    auditionSwitch_->setInputProducer(0, outputModeSwitch_.get());
    auditionSwitch_->setInputProducer(1, mainInput_.get());
    auditionSwitch_->setInputProducer(2, sideChainInput_.get());
    setOutput(auditionSwitch_.get());
}

VarnelProcessor::VarnelChannel::~VarnelChannel() = default;

void VarnelProcessor::VarnelChannel::releaseGraph() {
    setOutput(nullptr);
    auditionSwitch_.reset();
    outputModeSwitch_.reset();
    feedbackGain_.reset();
    filteredLevel_.reset();
    delayLevel_.reset();
    outputFilters_.reset();
    feedbackFilters_.reset();
    dryGate_.reset();
    freezeSwitch_.reset();
    delayTime_.reset();
    delayLine_.reset();
    outputMix_.reset();
    panMix_.reset();
    delayInputMix_.reset();
    inputModeSwitch_.reset();
    sideChainInput_.reset();
    mainInput_.reset();
}

void VarnelProcessor::VarnelChannel::connectFilterOutputs() {
    wave::Producer* feedback = feedbackFilters_->getOutput();
    feedbackGain_->setInput(feedback);
    filteredLevel_->setInput(feedback);
    outputMix_->setInputSignal(1, outputFilters_->getOutput());
}

// ---------------------------------------------------------- VarnelProcessor --

VarnelProcessor::VarnelProcessor() : VarnelParameters(*this, *this, *this) {
    initProcessing();
    setupParameterInfo();
    wave::Environment& e = getEnvironment();

    matrix_ = std::make_unique<ModulationMatrix>(e, getLayout());
    installModulationMatrix(matrix_.get());
    buildSlotController();

    inputConverter_ = std::make_unique<MidSideConverter>(e, MidSideConverter::kToMidSide);
    outputConverter_ = std::make_unique<MidSideConverter>(e, MidSideConverter::kToLeftRight);

    for (int k = 0; k < 2; ++k)
        filterTargets_[static_cast<std::size_t>(k)] =
            std::make_unique<LevelPanTarget>(*matrix_, kFilterFreqTarget[k], kFilterPanTarget[k], true);
    dryTarget_ = std::make_unique<LevelPanTarget>(*matrix_, kDryLevelTarget, kDryPanTarget, false);
    wetTarget_ = std::make_unique<LevelPanTarget>(*matrix_, kWetLevelTarget, kWetPanTarget, false);
    for (int d = 0; d < 2; ++d)
        panControllers_[static_cast<std::size_t>(d)] =
            std::make_unique<DelayPanController>(e, target(kDelayTargets * d + 4));

    const std::int32_t detectorInputs = kConfigurationChannels[std::clamp(getChannelLayout(), 0, 7)];
    mainDetector_ = std::make_unique<Mixer>(e, detectorInputs);
    sideChainDetector_ = std::make_unique<Mixer>(e, detectorInputs);
    for (Mixer* detector : {mainDetector_.get(), sideChainDetector_.get()})
        detector->operation.setValue(Mixer::Operation::kMaxAbs);
    analyzer_ = std::make_unique<FilterAnalyzer>(e);
    analyzer_->setInput(mainDetector_.get());
    analyzer_->time.setValue(20.0f);
    analyzer_->threshold.setValue(0.005f);

    buildSources();

    for (int k = 0; k < 2; ++k)
        filterUnits_[static_cast<std::size_t>(k)] =
            std::make_unique<MultiDesignFilter::ParallelUnit>(e, *characteristicList());
    filterUnits_[0]->pairWith(*filterUnits_[1]);

    for (int c = 0; c < 2; ++c) {
        auto* channel = new VarnelChannel(*this, c);
        addChannel(channel);
        channels_.push_back(channel);
    }
    // Cross wiring: each line records the other's feedback and pans into both outputs.
    for (int c = 0; c < 2; ++c) {
        VarnelChannel& self = *channels_[static_cast<std::size_t>(c)];
        VarnelChannel& other = *channels_[static_cast<std::size_t>((c + 1) & 1)];
        self.delayInputMix_->setInputSignal(2, other.feedbackGain_.get());
        self.panMix_->setInputSignal(1, other.delayLine_.get());
    }

    buildBindings();

    // Every value through every binding, once.
    beginUpdate();
    for (std::int32_t i = 0; i < getNumParameters(); ++i) {
        AbstractPluginParameter* parameter = getParameter(i);
        parameter->applyValue(parameter->getValue());
        parameterChanged(i);
    }
    endUpdate();
}

VarnelProcessor::~VarnelProcessor() {
    getEnvironment().beginTeardown();
    for (VarnelChannel* channel : channels_)
        channel->releaseGraph();
    filterUnits_ = {};
    setModulationMatrix(nullptr);
    lowerProcessorCount();
}

void VarnelProcessor::firstInstanceInit() {
    loadFilterCharacteristics();
}

void VarnelProcessor::lastInstanceReleased() {
    characteristicList().reset();
}

void VarnelProcessor::loadFilterCharacteristics() {
    characteristicList() = makeFilterCharacteristicList();
}

const MultiDesignFilter::Style* VarnelProcessor::getFilterCharacteristics() {
    return characteristicList().get();
}

// ------------------------------------------------------------------ sources --

void VarnelProcessor::buildSources() {
    wave::Environment& e = getEnvironment();
    for (int k = 0; k < kXYAxes; ++k) {
        auto axis = std::make_unique<FloatParameterSource>(e, 0.0f);
        axis->getParameter().setLimits(-1.0f, 1.0f, 2.0f);
        matrix_->setSourceProducer(kFirstXYSource + k, axis.get(), 0);
        xyAxes_[static_cast<std::size_t>(k)] = std::move(axis);
    }
    for (int i = 0; i < kXLFOs; ++i) {
        XLFOSource& s = xlfos_[static_cast<std::size_t>(i)];
        s.xlfo = std::make_unique<XLFO>(e);
        s.frequency = std::make_unique<XLFOFreqController>(e, *s.xlfo);
        s.frequency->followTransport(&transport_);
        const std::int32_t first = kFirstXLFOTarget + 3 * i;
        s.frequency->setRateInput(target(first));
        s.xlfo->freq.setSource(s.frequency.get());
        s.xlfo->glide.setSource(target(first + 1));
        s.xlfo->phaseOffset.setSource(target(first + 2));
        matrix_->setSourceProducer(kFirstXLFOSource + i, s.xlfo.get(), 0);
    }
    for (int i = 0; i < kEGs; ++i) {
        EGSource& s = egs_[static_cast<std::size_t>(i)];
        s.input = std::make_unique<Router>(e, 2);
        s.input->setInputProducer(0, mainDetector_.get());
        s.input->setInputProducer(1, sideChainDetector_.get());
        s.trigger = std::make_unique<Trigger>(e);
        s.trigger->setInput(s.input.get());
        s.generator = std::make_unique<EnvelopeGenerator>(e);
        s.generator->setTrigger(s.trigger.get());
        const std::int32_t first = kFirstEGTarget + 6 * i;
        s.generator->holdTime.setSource(target(first));
        s.generator->delayTime.setSource(target(first + 1));
        s.generator->attackTime.setSource(target(first + 2));
        s.generator->decayTime.setSource(target(first + 3));
        s.generator->sustainLevel.setSource(target(first + 4));
        s.generator->releaseTime.setSource(target(first + 5));
        matrix_->setSourceProducer(kFirstEGSource + i, s.generator.get(), 0);
    }
    for (int j = 0; j < kEFs; ++j) {
        EFSource& s = efs_[static_cast<std::size_t>(j)];
        s.input = std::make_unique<Router>(e, 2);
        s.input->setInputProducer(0, mainDetector_.get());
        s.input->setInputProducer(1, sideChainDetector_.get());
        s.follower = std::make_unique<EnvelopeFollower>(e);
        s.follower->setInput(s.input.get());
        s.follower->attackTime.setSource(target(kFirstEFTarget + 2 * j));
        s.follower->releaseTime.setSource(target(kFirstEFTarget + 2 * j + 1));
        matrix_->setSourceProducer(kFirstEFSource + j, s.follower.get(), 0);
    }
    midiCache_ = std::make_unique<MidiModSource::Cache>();
    midiCache_->setCell(MidiModSource::Cache::kVelocityCell, 0.5f);
    midiCache_->setCell(MidiModSource::Cache::kKeyCell, 48.0f);
    midiCache_->setCell(48, 0.5f);
    for (int m = 0; m < kMidiSources; ++m) {
        auto source = std::make_unique<MidiModSource>(e, *midiCache_);
        matrix_->setSourceProducer(kFirstMidiSource + m, source.get(), 0);
        midiSources_[static_cast<std::size_t>(m)] = std::move(source);
    }
    if (auto* receiver = dynamic_cast<DefaultEventReceiver*>(getEventReceiver()))
        if (AbstractChannelEventReceiver* channel = receiver->getChannelReceiver())
            channel->addListener(midiCache_.get());
}

float VarnelProcessor::getSourceValue(std::int32_t source) {
    if (source >= kFirstXYSource && source < kFirstXLFOSource) {
        float v = xyAxes_[static_cast<std::size_t>(source - kFirstXYSource)]->getParameter().getTarget();
        return (v + 1.0f) * 0.5f;
    }
    if (source >= kFirstXLFOSource && source < kFirstEGSource) {
        XLFO& xlfo = *xlfos_[static_cast<std::size_t>(source - kFirstXLFOSource)].xlfo;
        float v = xlfo.displayValue();
        float lo = 1.0f;
        float hi = -1.0f;
        for (std::int32_t i = 0; i < xlfo.getNumSteps(); ++i) {
            float step = xlfo.getStep(i).value.getValue();
            lo = std::min(lo, step);
            hi = std::max(hi, step);
        }
        if (lo < -kEpsilon && hi > kEpsilon) return std::max(-lo, hi) * (v - lo) / (hi - lo);
        return std::fabs(v);
    }
    if (source >= kFirstEGSource && source < kFirstEFSource)
        return egs_[static_cast<std::size_t>(source - kFirstEGSource)].generator->currentValue();
    if (source >= kFirstEFSource && source < kFirstMidiSource)
        return efs_[static_cast<std::size_t>(source - kFirstEFSource)].follower->currentValue();
    if (source >= kFirstMidiSource && source < kNumSources)
        return std::fabs(midiSources_[static_cast<std::size_t>(source - kFirstMidiSource)]->currentValue());
    return 0.0f;
}

// ----------------------------------------------------------------- bindings --

void VarnelProcessor::bind(const AbstractPluginParameter& parameter, Bind kind, int set, int item) {
    const std::int32_t index = parameter.getIndex();
    if (index < 0 || index >= static_cast<std::int32_t>(bindings_.size()))
        throw std::logic_error("VarnelProcessor: \"" + parameter.getName() + "\" is not registered");
    bindings_[static_cast<std::size_t>(index)] = {kind, static_cast<std::uint8_t>(set),
                                                  static_cast<std::uint8_t>(item)};
}

void VarnelProcessor::buildBindings() {
    bindings_.assign(static_cast<std::size_t>(std::max(getNumParameters(), 0)), Binding{});
    bind(feedbackLink, Bind::kFeedbackLink);
    bind(delayLink, Bind::kDelayLink);
    bind(delayBufferReadStyle, Bind::kReadStyle);
    bind(delayFreeze, Bind::kFreeze);
    bind(filterRouting, Bind::kFilterRouting);
    bind(channelMode, Bind::kChannelMode);
    bind(autoMuteSelfOsc, Bind::kAutoMute);
    bind(auditionSignal, Bind::kAudition);
    bind(dryEnabled, Bind::kDryEnabled);
    for (int d = 0; d < 2; ++d) {
        bind(delay[d].sync, Bind::kDelaySync, d);
        bind(delay[d].feedbackInvert, Bind::kFeedbackInvert, d);
    }
    for (int k = 0; k < 2; ++k) {
        bind(filter[k].characteristic, Bind::kFilterCharacteristic, k);
        bind(filter[k].response, Bind::kFilterResponse, k);
        bind(filter[k].slope, Bind::kFilterSlope, k);
        bind(filter[k].enabled, Bind::kFilterEnabled, k);
    }
    for (int x = 0; x < kXYAxes / 2; ++x) {
        bind(xyControllers[x].hor, Bind::kXYAxis, 2 * x);
        bind(xyControllers[x].ver, Bind::kXYAxis, 2 * x + 1);
    }
    for (int i = 0; i < kXLFOs; ++i) {
        XLFOParameterSet& set = xlfos[i];
        bind(set.frequencyOffset, Bind::kXLFOFrequencyOffset, i);
        bind(set.balance, Bind::kXLFOBalance, i);
        bind(set.syncMode, Bind::kXLFOSyncMode, i);
        bind(set.midiTrigger, Bind::kXLFOMidiTrigger, i);
        bind(set.snap, Bind::kXLFOSnap, i);
        bind(set.steps.getNumActiveParameter(), Bind::kXLFONumSteps, i);
        for (int step = 0; step < XLFO::kMaxSteps; ++step) {
            bind(set.steps[step].value, Bind::kXLFOStepValue, i, step);
            bind(set.steps[step].glide, Bind::kXLFOStepGlide, i, step);
            bind(set.steps[step].glideFunction, Bind::kXLFOStepCurve, i, step);
            bind(set.steps[step].random, Bind::kXLFOStepRandom, i, step);
        }
    }
    for (int i = 0; i < kEGs; ++i) {
        bind(egs[i].threshold, Bind::kEGThreshold, i);
        bind(egs[i].triggering, Bind::kEGTriggering, i);
    }
    for (int j = 0; j < kEFs; ++j)
        bind(efs[j].input, Bind::kEFInput, j);
    const AbstractPluginParameter* counts[] = {
        &xyControllers.getNumActiveParameter(), &xlfos.getNumActiveParameter(), &egs.getNumActiveParameter(),
        &efs.getNumActiveParameter(), &midiSources.getNumActiveParameter()};
    for (int list = 0; list < 5; ++list)
        bind(*counts[list], Bind::kNumActive, list);
    for (int m = 0; m < kMidiSources; ++m) {
        bind(midiSources[m].input, Bind::kMidiInput, m);
        bind(midiSources[m].controllerNumber, Bind::kMidiController, m);
        bind(midiSources[m].responseCurve, Bind::kMidiCurve, m);
    }
}

void VarnelProcessor::parameterChanged(std::int32_t index) {
    GenericPluginProcessor::parameterChanged(index);
    if (index < 0) {
        for (std::int32_t i = 0; i < getNumParameters(); ++i)
            parameterChanged(i);
        return;
    }
    if (index >= static_cast<std::int32_t>(bindings_.size())) return;
    const Binding& b = bindings_[static_cast<std::size_t>(index)];
    if (b.kind == Bind::kNone) return;
    AbstractPluginParameter* parameter = getParameter(index);
    float value = parameter->getValue();
    if (!parameter->isStepped()) value = parameter->normalizedToInternal(value);
    applyBinding(b, value);
}

void VarnelProcessor::applyBinding(const Binding& b, float value) {
    const auto index = static_cast<std::int32_t>(value);
    const bool on = index != 0;
    switch (b.kind) {
    case Bind::kNone:
        break;
    case Bind::kFeedbackLink:
        if (index != feedbackLink_) {
            feedbackLink_ = index;
            applyFeedbackLink();
        }
        break;
    case Bind::kDelayLink:
        if (index != delayLink_) {
            delayLink_ = index;
            applyDelayLink();
        }
        break;
    case Bind::kReadStyle:
        for (VarnelChannel* c : channels_)
            c->delayLine_->readType.setValue(static_cast<DelayLine::ReadType>(index));
        break;
    case Bind::kFreeze:
        for (VarnelChannel* c : channels_)
            c->freezeSwitch_->selectedInput.setValue(on ? 1 : 0);
        break;
    case Bind::kFilterRouting:
        if (static_cast<FilterRouting>(index) != filterRouting_)
            applyFilterRouting(static_cast<FilterRouting>(index));
        break;
    case Bind::kChannelMode:
        for (VarnelChannel* c : channels_) {
            c->inputModeSwitch_->selectedInput.setValue(index);
            c->outputModeSwitch_->selectedInput.setValue(index);
        }
        break;
    case Bind::kAutoMute:
        for (VarnelChannel* c : channels_) {
            c->feedbackFilters_->setAutoMute(on);
            c->outputFilters_->setAutoMute(on);
        }
        break;
    case Bind::kAudition:
        for (VarnelChannel* c : channels_)
            c->auditionSwitch_->selectedInput.setValue(index);
        break;
    case Bind::kDryEnabled:
        for (VarnelChannel* c : channels_)
            c->dryGate_->getGainSource().setValue(on ? 1.0f : 0.0f);
        break;
    case Bind::kDelaySync: {
        DelayTimeController& time = *channels_[b.set]->delayTime_;
        time.sync.setValue(static_cast<DelaySync>(index));
        time.setTempo(getTempo());
        break;
    }
    case Bind::kFeedbackInvert:
        channels_[b.set]->feedbackGain_->gain.setValue(on ? -1.0f : 1.0f);
        break;
    case Bind::kFilterCharacteristic:
    case Bind::kFilterResponse:
    case Bind::kFilterSlope:
    case Bind::kFilterEnabled:
        for (VarnelChannel* c : channels_) {
            for (FilterCombo* combo : {c->feedbackFilters_.get(), c->outputFilters_.get()}) {
                if (b.kind == Bind::kFilterCharacteristic) combo->setCharacteristic(b.set, index);
                if (b.kind == Bind::kFilterResponse) combo->setResponse(b.set, index);
                if (b.kind == Bind::kFilterSlope) combo->setSlope(b.set, index);
                if (b.kind == Bind::kFilterEnabled) combo->setEnabled(b.set, on);
            }
        }
        break;
    case Bind::kXYAxis:
        xyAxes_[b.set]->setValue(value);
        break;
    case Bind::kXLFOFrequencyOffset:
        xlfos_[b.set].frequency->frequencyOffset.setValue(value);
        break;
    case Bind::kXLFOBalance:
        xlfos_[b.set].xlfo->balance.setValue(value);
        break;
    case Bind::kXLFOSyncMode:
        xlfos_[b.set].frequency->syncMode.setValue(index);
        break;
    case Bind::kXLFOMidiTrigger:
        xlfos_[b.set].midiTrigger = on;
        break;
    case Bind::kXLFOSnap:
        setXLFOSnap(b.set, on);
        break;
    case Bind::kXLFONumSteps:
        xlfos_[b.set].xlfo->numSteps.setValue(std::clamp(index, 1, XLFO::kMaxSteps));
        break;
    case Bind::kXLFOStepValue:
        xlfos_[b.set].xlfo->getStep(b.item).value.setValue(value);
        break;
    case Bind::kXLFOStepGlide:
        xlfos_[b.set].xlfo->getStep(b.item).glide.setValue(value);
        break;
    case Bind::kXLFOStepCurve:
        xlfos_[b.set].xlfo->getStep(b.item).glideCurve.setValue(static_cast<XLFO::GlideCurve>(index));
        break;
    case Bind::kXLFOStepRandom:
        xlfos_[b.set].xlfo->getStep(b.item).random.setValue(on);
        break;
    case Bind::kEGThreshold:
        egs_[b.set].trigger->threshold.setValue(value);
        break;
    case Bind::kEGTriggering:
        setEGTriggering(b.set, index);
        break;
    case Bind::kEFInput:
        efs_[b.set].input->selectedInput.setValue(index);
        break;
    case Bind::kMidiInput:
        midiSources_[b.set]->midiInput.setValue(static_cast<MidiModSource::MidiInput>(index));
        break;
    case Bind::kMidiController:
        midiSources_[b.set]->controller.setValue(static_cast<std::int32_t>(std::lround(value)));
        break;
    case Bind::kMidiCurve:
        midiSources_[b.set]->responseCurve.setValue(static_cast<MidiModSource::ResponseCurve>(index));
        break;
    case Bind::kNumActive:
        // The sources of the list's active sets run; the others rest.
        switch (b.set) {
        case 0:
            for (int k = 0; k < kXYAxes; ++k)
                xyAxes_[static_cast<std::size_t>(k)]->setActive(k / 2 < index);
            break;
        case 1:
            for (int i = 0; i < kXLFOs; ++i)
                xlfos_[static_cast<std::size_t>(i)].xlfo->setActive(i < index);
            break;
        case 2:
            for (int i = 0; i < kEGs; ++i)
                egs_[static_cast<std::size_t>(i)].generator->setActive(i < index);
            break;
        case 3:
            for (int j = 0; j < kEFs; ++j)
                efs_[static_cast<std::size_t>(j)].follower->setActive(j < index);
            break;
        default:
            for (int m = 0; m < kMidiSources; ++m)
                midiSources_[static_cast<std::size_t>(m)]->setActive(m < index);
            break;
        }
        break;
    }
}

void VarnelProcessor::applyDelayLink() {
    for (VarnelChannel* c : channels_) {
        int k = c->channel_ != 0 && delayLink_ != 1 ? 1 : 0;
        c->delayLine_->timeInput.setSource(channels_[static_cast<std::size_t>(k)]->delayTime_.get());
    }
}

void VarnelProcessor::applyFeedbackLink() {
    for (VarnelChannel* c : channels_) {
        int k = c->channel_ != 0 && feedbackLink_ != 1 ? 1 : 0;
        c->delayInputMix_->getInput(1).gain.setSource(target(kDelayTargets * k + 2));
        c->delayInputMix_->getInput(2).gain.setSource(target(kDelayTargets * k + 3));
    }
}

void VarnelProcessor::applyFilterRouting(FilterRouting routing) {
    filterRouting_ = routing;
    for (VarnelChannel* c : channels_) {
        c->feedbackFilters_->routing.setValue(routing);
        c->outputFilters_->routing.setValue(routing);
        c->connectFilterOutputs();
    }
}

void VarnelProcessor::setXLFOSnap(int i, bool snap) {
    XLFOSource& s = xlfos_[static_cast<std::size_t>(i)];
    s.snap = snap;
    const std::int32_t source = kFirstXLFOSource + i;
    std::int32_t type = snap ? kSnappedXLFOSourceType : kXLFOSourceType;
    ModulationMatrixLayout::Source& record = getLayout().sources[static_cast<std::size_t>(source)];
    if (record.type == type) return;
    record.type = type;
    for (std::int32_t slot = 0; slot < matrix_->numSlots(); ++slot) {
        ModulationMatrix::Slot& entry = matrix_->getSlot(slot);
        if (entry.source == source) matrix_->reevaluate(entry, ModulationMatrix::kApplyAmount);
    }
}

void VarnelProcessor::setEGTriggering(int i, std::int32_t triggering) {
    EGSource& s = egs_[static_cast<std::size_t>(i)];
    s.triggering = triggering;
    s.trigger->enabled.setValue(triggering != kTriggerMidi);
    s.input->selectedInput.setValue(triggering == kTriggerSideChain ? 1 : 0);
    s.generator->noteOff();
}

// ------------------------------------------------------------- time and MIDI --

void VarnelProcessor::tempoChanged(float tempo, float position) {
    // The XLFOs' rate controllers read it when they next run.
    transport_.tempo = tempo;
    transport_.position = position;
    ++transport_.serial;
    for (VarnelChannel* c : channels_)
        c->delayTime_->setTempo(tempo);
}

void VarnelProcessor::midiNoteOn(std::int32_t key, float) {
    if (key == 0) {
        // A reset: no note held, the MIDI-triggered envelopes released.
        heldNotes_ = 0;
        for (EGSource& s : egs_)
            if (s.triggering == kTriggerMidi) s.generator->noteOff();
        return;
    }
    ++heldNotes_;
    for (XLFOSource& s : xlfos_) {
        if (s.midiTrigger) s.xlfo->resetPhase();
    }
    for (EGSource& s : egs_)
        if (s.triggering == kTriggerMidi) s.generator->noteOn();
}

void VarnelProcessor::midiNoteOff(std::int32_t key, float velocity) {
    // Key 0 comes from "All Notes Off" and from switching MIDI off: it
    // releases every held note at once, as the reset of a note-on on key 0.
    if (key == 0) {
        midiNoteOn(0, velocity);
        return;
    }
    if (heldNotes_ <= 0) return;
    if (--heldNotes_ == 0)
        for (EGSource& s : egs_)
            s.generator->noteOff();
}

// ---------------------------------------------------------------- pieces --

std::int32_t VarnelProcessor::maxChunkSize() {
    return getEnvironment().getMaxChunkSize();
}

void VarnelProcessor::notifySampleRateChanged() {
    // A loop through a delay closes one piece later: no piece may be longer
    // than the shortest delay, trunc(5 ms x rate) samples (128 from 25.6 kHz up).
    wave::Environment& e = getEnvironment();
    double shortest = static_cast<double>(kShortestDelayMs) * 0.001 * e.getSampleRate();
    e.setMaxChunkSize(static_cast<int>(std::min(shortest, static_cast<double>(e.maxBlockSize()))));
    GenericPluginProcessor::notifySampleRateChanged();
}
