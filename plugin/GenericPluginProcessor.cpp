#include "plugin/GenericPluginProcessor.h"

#include "dsp/Simd.h"
#include "foundation/BinaryData.h"
#include "foundation/Lock.h"
#include "foundation/SharedMemory.h"
#include "plugin/ChannelLayouts.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <ostream>

namespace {

constexpr float kEpsilon = 1.1920929e-7f;
constexpr float kSilenceThreshold = 1e-7f;
constexpr float kBypassRampMs = 50.0f;
constexpr uint64_t kEmptyTrackingEntry = ~uint64_t(0);
constexpr size_t kProcessBlockSize = 32;
constexpr double kClockWrapBeats = 256.0;

// The process-wide processor count and the per-process block. The block's
// first word is a sequence counter that every processor's setTransport
// advances; the rest is unused. When the named block cannot be had, a
// static one stands in.
struct ProcessWide {
    std::unique_ptr<CriticalSection> lock = CriticalSection::create();
    int32_t processors = 0;
    std::atomic<uint32_t*> block{nullptr};
};

ProcessWide& processWide() {
    static ProcessWide instance;
    return instance;
}

alignas(64) uint32_t standInBlock[kProcessBlockSize / sizeof(uint32_t)];

void copySamples(float* out, const float* in, int32_t count) {
    if (out != in) std::memmove(out, in, static_cast<size_t>(count) * sizeof(float));
}

} // namespace

// Channel

void GenericPluginProcessor::Channel::ConnectedSideChainInput::produce(wave::BasicBlock<float>* block,
                                                                       int count,
                                                                       wave::ProduceMode mode) noexcept {
    wave::Input::produce(block, count, mode);
    if (!(processor_.sideChainEnabled() && processor_.isSideChainConnected()))
        setCurrentBlock(getEnvironment().getZeroBlock());
}

GenericPluginProcessor::Channel::Channel(GenericPluginProcessor& processor)
    : input_(std::make_unique<wave::Input>(processor.getEnvironment())),
      sideChainInput_(std::make_unique<ConnectedSideChainInput>(processor.getEnvironment(), processor)),
      sideChainReader_(std::make_unique<wave::Input>(processor.getEnvironment())) {}

GenericPluginProcessor::Channel::~Channel() = default;

void GenericPluginProcessor::Channel::parameterChanged(int32_t) {}

void GenericPluginProcessor::Channel::sampleRateChanged() {}

// BypassProcessor

GenericPluginProcessor::BypassProcessor::BypassProcessor(GenericPluginProcessor& processor)
    : mix_(processor.getEnvironment(), 0.0f), processor_(processor) {
    tailCounter_ = processor.tailLength() == kTailNeverSleeps ? kTailNotCounting : 0;
    processedOutputs_.assign(static_cast<size_t>(std::max(processor.getNumChannels(), 0)), nullptr);
    buildLatencyDelays(processor.getLatency());
}

void GenericPluginProcessor::BypassProcessor::buildLatencyDelays(int32_t latency) {
    delays_.clear();
    builtLatency_ = std::max(latency, 0);
    if (processor_.isInstrument() || builtLatency_ < 1) return;
    wave::Environment& environment = processor_.getEnvironment();
    for (int32_t c = 0; c < processor_.getNumChannels(); ++c) {
        auto delay = std::make_unique<wave::Delay>(environment, builtLatency_);
        delay->setFixedReadDelay(builtLatency_);
        delays_.push_back(std::move(delay));
    }
}

void GenericPluginProcessor::BypassProcessor::reset() {
    resetPending_ = true;
    for (auto& delay : delays_)
        delay->clear();
}

void GenericPluginProcessor::BypassProcessor::setTarget(bool bypassed) {
    const bool wasBypassed = targetBypass_;
    targetBypass_ = bypassed;
    if (bypassed) {
        mix_.setValue(1.0f, kBypassRampMs);
        unbypassPending_ = false;
    } else {
        // Coming back: the graph is reset below, and the ramp to the
        // processed signal starts once the dry path has caught up with the
        // latency, counted in whole pieces. Without latency it still waits
        // one piece: a glide started at the position of a reset would end
        // at once, and the effect would come back with a jump.
        unbypassDelay_ = std::max(builtLatency_, 1);
        unbypassPending_ = true;
    }
    if (wasBypassed) processor_.getEnvironment().reset(wave::Environment::kResetActive);
}

void GenericPluginProcessor::BypassProcessor::process(float* const* outputs, int32_t channels, int32_t offset,
                                                      int32_t count, int32_t& status) {
    wave::Environment& environment = processor_.getEnvironment();
    channels = std::min(channels, static_cast<int32_t>(processedOutputs_.size()));
    environment.nextBlock();

    if (resetPending_) {
        // The mix jumps: the reset moved the environment's marks.
        resetPending_ = false;
        tailCounter_ = processor_.tailLength() != kTailNeverSleeps ? 0 : kTailNotCounting;
        if (unbypassPending_) {
            mix_.setValue(0.0f);
            unbypassPending_ = false;
        }
    } else if (unbypassPending_) {
        if (unbypassDelay_ > 0) {
            unbypassDelay_ -= count;
        } else {
            mix_.setValue(0.0f, kBypassRampMs);
            unbypassPending_ = false;
        }
    }

    const wave::BasicBlock<float>& mixBlock = mix_.advanceBlock(count);
    const float* mixValues = mixBlock.data();

    for (size_t c = 0; c < delays_.size(); ++c)
        delays_[c]->write(processor_.inputAt(static_cast<int32_t>(c), offset), count);

    const bool fullyBypassed = mixBlock.isConstant() && std::fabs(mixValues[0] - 1.0f) <= kEpsilon;
    bool skip = fullyBypassed;
    if (!fullyBypassed || unbypassPending_) {
        const int32_t tail = processor_.tailLength();
        bool tailEnded = false;
        if ((status & kStatusInputQuiet) != 0) {
            if (tailCounter_ == kTailNotCounting)
                tailCounter_ =
                    tail < 0 ? (builtLatency_ > 0 ? builtLatency_ : kTailNotCounting) : tail + builtLatency_;
            if (tailCounter_ == 0) {
                skip = true;
                tailEnded = true;
                for (int32_t c = 0; c < channels; ++c)
                    processedOutputs_[static_cast<size_t>(c)] = processor_.inputAt(c, offset);
            }
        } else {
            tailCounter_ = kTailNotCounting;
        }
        if (!tailEnded) {
            processor_.positionInputs(offset);
            processor_.collectChannelOutputs(processedOutputs_.data(), channels, count);
            if (tailCounter_ >= 0) {
                tailCounter_ = std::max(tailCounter_ - count, 0);
                if (tailCounter_ == 0) {
                    if (tail < 0)
                        tailCounter_ = kTailAwaitingSilence;
                    else if (!environment.isIdle())
                        tailCounter_ = 1;
                }
                status &= ~kStatusOutputSilent;
            } else if ((status & kStatusInputQuiet) != 0 && tail == kTailEndless && environment.isIdle() &&
                       processor_.isSilent(processedOutputs_.data(), channels, count)) {
                tailCounter_ = 0;
            } else {
                status &= ~kStatusOutputSilent;
            }
        }
    }

    environment.process(count, skip ? wave::Environment::kSkipProcessing : 0);

    if (mixBlock.isConstant() && std::fabs(mixValues[0]) <= kEpsilon) {
        for (int32_t c = 0; c < channels; ++c) {
            if (outputs[c] != nullptr)
                copySamples(outputs[c] + offset, processedOutputs_[static_cast<size_t>(c)], count);
        }
        return;
    }

    for (int32_t c = 0; c < channels; ++c) {
        float* out = outputs[c];
        if (out == nullptr) continue;
        out += offset;
        if (processor_.isInstrument())
            std::memset(out, 0, static_cast<size_t>(count) * sizeof(float));
        else if (builtLatency_ < 1)
            copySamples(out, processor_.inputAt(c, offset), count);
        else if (static_cast<size_t>(c) < delays_.size())
            delays_[static_cast<size_t>(c)]->readFixed(builtLatency_, out, count);
        else
            std::memset(out, 0, static_cast<size_t>(count) * sizeof(float));
    }

    if (fullyBypassed) {
        if (builtLatency_ >= 1 && (status & kStatusOutputSilent) != 0) {
            for (int32_t c = 0; c < channels && (status & kStatusOutputSilent) != 0; ++c) {
                const float* out = outputs[c];
                if (out == nullptr) continue;
                for (int32_t i = 0; i < count; ++i) {
                    if (std::fabs(out[offset + i]) > kEpsilon) {
                        status &= ~kStatusOutputSilent;
                        break;
                    }
                }
            }
        }
        return;
    }

    for (int32_t c = 0; c < channels; ++c) {
        float* out = outputs[c];
        if (out == nullptr) continue;
        out += offset;
        const float* processed = processedOutputs_[static_cast<size_t>(c)];
        for (int32_t i = 0; i < count; ++i)
            out[i] = (out[i] - processed[i]) * mixValues[i] + processed[i];
    }
}

// GenericPluginProcessor

GenericPluginProcessor::GenericPluginProcessor() : GenericPluginBase(parameterCollection_) {
    for (std::atomic<uint64_t>& entry : instanceTracking_)
        entry.store(kEmptyTrackingEntry);
}

GenericPluginProcessor::~GenericPluginProcessor() {
    lowerProcessorCount();
    bypassProcessor_.reset();
    for (Channel* channel : channels_)
        delete channel;
    channels_.clear();
}

void GenericPluginProcessor::beginUpdate() {
    suspendCount_.fetch_add(1);
}

void GenericPluginProcessor::endUpdate() {
    suspendCount_.fetch_sub(1);
}

void GenericPluginProcessor::setParameterValue(int32_t index, float value, int32_t flags) {
    parameterQueue_.push({index, value});
    if ((flags & kParameterChangeNotToHost) == 0 && adapter_ != nullptr)
        adapter_->processorParameterChanged(index);
}

void GenericPluginProcessor::addParameterAlias(AbstractPluginParameter*, const std::string&) {}

int32_t GenericPluginProcessor::getNameIndex(const std::string&) {
    return 0;
}

void GenericPluginProcessor::requestLightReset() {
    parameterQueue_.push({kLightResetIndex, 0.0f});
}

void GenericPluginProcessor::requestFullReset() {
    parameterQueue_.push({kFullResetIndex, 0.0f});
}

int32_t GenericPluginProcessor::getProcessorCount() {
    ProcessWide& shared = processWide();
    ScopedLock lock(*shared.lock);
    return shared.processors;
}

void GenericPluginProcessor::initProcessing() {
    if (bypassProcessor_) return;
    {
        ProcessWide& shared = processWide();
        ScopedLock lock(*shared.lock);
        if (!countedInProcess_) {
            countedInProcess_ = true;
            if (shared.processors++ == 0) {
                if (shared.block.load() == nullptr) {
                    void* memory = openSharedInstanceMemory("ZentorProcess2", kProcessBlockSize);
                    shared.block.store(memory != nullptr ? static_cast<uint32_t*>(memory) : standInBlock);
                }
                firstInstanceInit();
            }
        }
    }
    environment_.sampleRateChanged.setHandler(
        NotifyEvent::bind(this, &GenericPluginProcessor::notifySampleRateChanged));
    eventReceiver_.reset(createEventReceiver());
    midiDecoder_ = std::make_unique<MidiDecoder>(*eventReceiver_);
    bypassProcessor_ = std::make_unique<BypassProcessor>(*this);
    audioSources_.assign(static_cast<size_t>(std::max(audioSourceCount_, 0)), nullptr);
    levelSources_.assign(
        static_cast<size_t>(std::max(getNumChannels() * levelSourcesPerChannel_ + levelSourceFixedCount_, 0)),
        nullptr);
    spectrumSources_.assign(static_cast<size_t>(std::max(spectrumSourceCount_, 0)), nullptr);
    if (hasFlag(kFlagEditorMidiQueue)) editorMidiQueue_ = std::make_unique<EventQueue>(32, 32);
}

void GenericPluginProcessor::lowerProcessorCount() {
    ProcessWide& shared = processWide();
    ScopedLock lock(*shared.lock);
    if (!countedInProcess_) return;
    countedInProcess_ = false;
    if (--shared.processors == 0) lastInstanceReleased();
}

void GenericPluginProcessor::firstInstanceInit() {}

void GenericPluginProcessor::lastInstanceReleased() {}

void GenericPluginProcessor::activate(float sampleRate) {
    environment_.setSampleRate(sampleRate);
    if (bypassProcessor_ && bypassProcessor_->getBuiltLatency() != getLatency())
        bypassProcessor_->buildLatencyDelays(getLatency());
    active_ = true;
}

void GenericPluginProcessor::deactivate() {
    active_ = false;
}

void GenericPluginProcessor::setLatency(int32_t samples) {
    latency_.store(std::max(samples, 0), std::memory_order_relaxed);
    if (!active_ && bypassProcessor_ && bypassProcessor_->getBuiltLatency() != getLatency())
        bypassProcessor_->buildLatencyDelays(getLatency());
}

GenericPluginProcessor::Channel* GenericPluginProcessor::addChannel(Channel* channel) {
    channels_.push_back(channel);
    return channel;
}

void GenericPluginProcessor::setTransport(float newTempo, float position, int32_t, bool nowPlaying) {
    // A tempo of (nearly) 0 means the fallback; so does one that is no
    // number. A position that is no number is taken as 0.
    if (!(std::fabs(newTempo) > kEpsilon) || !std::isfinite(newTempo)) newTempo = kFallbackTempo;
    if (!std::isfinite(position)) position = 0.0f;

    if (std::fabs(position - songPosition_) <= kEpsilon && !nowPlaying) {
        // Stopped: the processor's own clock runs on and wraps every 256 beats.
        clockPosition_ +=
            static_cast<double>(samplesSinceTransport_) * newTempo / 60.0 / environment_.getSampleRate();
        // fmod gives a position inside the wrap back exactly as it is.
        if (!(std::fabs(clockPosition_) < kClockWrapBeats)) {
            clockPosition_ = std::fmod(clockPosition_, kClockWrapBeats);
            if (!std::isfinite(clockPosition_)) clockPosition_ = 0.0;
        }
    } else {
        clockPosition_ = position;
        if (!playing_ && nowPlaying) transportStarted();
    }

    // The block, once there, stays for the life of the process.
    if (processBlock_ == nullptr) processBlock_ = processWide().block.load(std::memory_order_acquire);
    if (uint32_t* block = processBlock_) {
        const uint32_t sequence = std::atomic_ref<uint32_t>(block[0]).fetch_add(1) + 1;
        // Once built, only the audio thread writes the entries. They are
        // taken in order and emptied all together, so the ones in use are
        // the first trackingEntriesUsed_; one already empty is left as it
        // is, without a store.
        if (nowPlaying) {
            if (trackingEntriesUsed_ < instanceTracking_.size())
                instanceTracking_[trackingEntriesUsed_++].store(static_cast<uint64_t>(sequence) << 32 |
                                                                0xFFFFFFFEu);
        } else {
            for (size_t i = 0; i < trackingEntriesUsed_; ++i)
                instanceTracking_[i].store(kEmptyTrackingEntry);
            trackingEntriesUsed_ = 0;
        }
    }

    tempo_.store(newTempo, std::memory_order_relaxed);
    songPosition_ = position;
    playing_ = nowPlaying;
    tempoChangedFlag_ = true;
    samplesSinceTransport_ = 0;
}

int32_t GenericPluginProcessor::chunkLimit() {
    return std::clamp(maxChunkSize(), 1, environment_.getMaxChunkSize());
}

void GenericPluginProcessor::process(const float* const* inputs, int32_t numInputs, float* const* outputs,
                                     int32_t numOutputs, int32_t frames, int32_t* status) {
    simd::ScopedControlWord controlWord(simd::kAudioThreadCsr);
    if (!bypassProcessor_) return;
    frames = std::max(frames, 0);

    // At the limit the count stays until a state write starts it again, so
    // there is nothing to store (a restart seen a block late only keeps the
    // display asleep for that block).
    uint32_t counter = processedSamples_.load();
    uint32_t next = counter;
    while (counter < kProcessedSamplesLimit) {
        next = static_cast<uint32_t>(
            std::min<uint64_t>(uint64_t(counter) + uint64_t(frames), uint64_t(kProcessedSamplesLimit)));
        if (processedSamples_.compare_exchange_weak(counter, next)) break;
        next = counter;
    }
    // Only this line sets the display state, on the whole tree at once, and
    // an environment starts with it off: while the root reads off, every
    // environment does, and turning it off again would change nothing.
    const bool displayActive = static_cast<float>(next) < environment_.getSampleRate();
    if (displayActive || environment_.isDisplayActive()) environment_.setDisplayActive(displayActive);

    samplesSinceTransport_ =
        static_cast<int32_t>(std::min<int64_t>(int64_t(samplesSinceTransport_) + frames, INT_MAX));
    lastMidiController_ = -1;
    if (!isSuspended()) drainParameterQueue();
    if (tempoChangedFlag_) {
        tempoChanged(getTempo(), static_cast<float>(clockPosition_));
        tempoChangedFlag_ = false;
    }

    numOutputs = outputs != nullptr ? std::clamp(numOutputs, 0, getNumChannels()) : 0;
    int32_t maxChunk = chunkLimit();
    inputsFromHost_ = false;
    setInputBuffers(inputs, numInputs, frames);
    int32_t pieceStatus =
        status != nullptr && (*status & kStatusInputQuiet) != 0 ? kStatusInputQuiet | kStatusOutputSilent : 0;
    EventQueue& queue = eventQueueFor(midiQueue_, frames);

    bool midiSeen = false;
    bool held = false;
    // Whether the last look into the queue found it empty: the events still
    // waiting after the last piece are then only those pushed since, which
    // the next call takes as if they had come after this one.
    bool foundEmpty = false;
    MidiEvent event;
    int32_t pos = 0;
    while (pos < frames) {
        if (!held) {
            held = queue.pop(event);
            foundEmpty = !held;
        }
        const int32_t end = held ? std::min(event.offset, frames) : frames;
        while (pos < end) {
            const int32_t count = std::min(end - pos, maxChunk);
            bypassProcessor_->process(outputs, numOutputs, pos, count, pieceStatus);
            pos += count;
        }
        if (held) {
            midiDecoder_->receiveMidi(event);
            held = false;
            foundEmpty = false;
            midiSeen = true;
            if (!isSuspended()) drainParameterQueue();
            maxChunk = chunkLimit();
        }
    }
    if (status != nullptr) *status = pieceStatus;

    if (!foundEmpty) {
        while (queue.pop(event)) {
            midiDecoder_->receiveMidi(event);
            midiSeen = true;
        }
    }
    if (midiSeen && adapter_ != nullptr) adapter_->midiControllerSeen(lastMidiController_);
    hostInputs_ = nullptr;
    hostInputCount_ = 0;
    inputsFromHost_ = false;
}

void GenericPluginProcessor::reset() {
    simd::ScopedControlWord controlWord(simd::kAudioThreadCsr);
    environment_.reset(wave::Environment::kResetActive);
    if (bypassProcessor_) bypassProcessor_->reset();
    clockPosition_ = 0.0;
    samplesSinceTransport_ = 0;
    if (!isSuspended()) drainParameterQueue();
}

void GenericPluginProcessor::drainParameterQueue() {
    ParameterChange change;
    if (parameterQueue_.pop(change)) applyParameterChanges(change);
}

void GenericPluginProcessor::applyParameterChanges(ParameterChange change) {
    // Forwarded values wait for the end of the outermost drain.
    UpdatedObject::Hold hold(getEventForwarders());
    do {
        if (change.index >= 0) {
            if (AbstractPluginParameter* parameter = getParameter(change.index)) {
                parameter->applyValue(change.value);
                parameterChanged(change.index);
            }
        } else if (change.index == kLightResetIndex) {
            environment_.reset(wave::Environment::kResetLight);
        } else {
            environment_.reset(wave::Environment::kResetActive);
        }
    } while (parameterQueue_.pop(change));
}

bool GenericPluginProcessor::writeProcessorState(std::ostream& stream) {
    processedSamples_.store(0);
    for (IAudioSourceBuffer* source : audioSources_)
        if (source != nullptr) source->lock();
    for (SpectrumSource* source : spectrumSources_)
        if (source != nullptr) source->lock();

    BinaryDataWriter writer(stream);
    for (IAudioSourceBuffer* source : audioSources_) {
        if (source == nullptr) {
            // An empty record, which a reader skips.
            for (int i = 0; i < 3; ++i)
                writer.writeUInt32(0);
            continue;
        }
        const int32_t sourceChannels = std::max(source->channels(), 0);
        const int32_t blocks = std::max(source->available(), 0);
        const int32_t frames = std::max(source->framesPerBlock(), 0);
        writer.writeUInt32(static_cast<uint32_t>(sourceChannels));
        writer.writeUInt32(static_cast<uint32_t>(blocks));
        writer.writeUInt32(static_cast<uint32_t>(frames));
        for (int32_t b = 0; b < blocks; ++b) {
            for (int32_t c = 0; c < sourceChannels; ++c) {
                const float* samples = source->block(b, c);
                for (int32_t i = 0; i < frames; ++i)
                    writer.writeFloat(samples != nullptr ? samples[i] : 0.0f);
            }
        }
        source->markRead();
    }
    for (DisplayLevelSource* source : levelSources_) {
        for (int i = 0; i < 5; ++i)
            writer.writeFloat(source != nullptr ? source->level(i) : 0.0f);
        writer.writeInt32(source != nullptr ? source->info() : 0);
    }
    for (SpectrumSource* source : spectrumSources_) {
        const int32_t count = source != nullptr ? std::max(source->valueCount(), 0) : 0;
        const float* values = source != nullptr ? source->values() : nullptr;
        writer.writeUInt32(static_cast<uint32_t>(source != nullptr ? source->info() : 0));
        writer.writeUInt32(values != nullptr ? static_cast<uint32_t>(count) : 0u);
        if (values != nullptr) {
            for (int32_t i = 0; i < count; ++i)
                writer.writeFloat(values[i]);
        }
    }

    for (SpectrumSource* source : spectrumSources_)
        if (source != nullptr) source->unlock();
    for (IAudioSourceBuffer* source : audioSources_)
        if (source != nullptr) source->unlock();

    writer.writeFloat(getTempo());
    for (const std::atomic<uint64_t>& entry : instanceTracking_) {
        const uint64_t word = entry.load();
        writer.writeUInt32(static_cast<uint32_t>(word));
        writer.writeUInt32(static_cast<uint32_t>(word >> 32));
    }
    if (editorMidiQueue_) {
        MidiEvent event;
        while (editorMidiQueue_->pop(event)) {
            const uint8_t bytes[4] = {1, event.status(), event.data1(), event.data2()};
            writer.writeBytes(bytes, sizeof bytes);
        }
        const uint8_t end = 0;
        writer.writeBytes(&end, 1);
    }
    return writer.isGood();
}

int32_t GenericPluginProcessor::tailLength() {
    return isInstrument() ? kTailNeverSleeps : kTailEndless;
}

void GenericPluginProcessor::midiNoteOff(int32_t, float) {}

void GenericPluginProcessor::midiNoteOn(int32_t, float) {}

void GenericPluginProcessor::midiProgramChange(int32_t bank, int32_t program) {
    if (adapter_ != nullptr) adapter_->programChange(bank, program);
}

void GenericPluginProcessor::setMidiVirtualParameter(int32_t position, float normalised) {
    if (MidiVirtualPluginParameter* parameter = getMidiVirtualParameter(position))
        parameter->setValue(normalised);
}

AbstractPluginParameter* GenericPluginProcessor::getMidiTargetParameter(int32_t index) const {
    return index >= 0 && index < getNumParameters() ? getParameter(index) : nullptr;
}

void GenericPluginProcessor::tempoChanged(float, float) {}

EventQueue& GenericPluginProcessor::eventQueueFor(EventQueue& queue, int32_t) {
    return queue;
}

void GenericPluginProcessor::setInputBuffers(const float* const* buffers, int32_t count, int32_t frames) {
    hostInputs_ = buffers;
    hostInputCount_ = buffers != nullptr ? std::max(count, 0) : 0;
    hostFrames_ = std::max(frames, 0);
    inputsFromHost_ = true;
}

void GenericPluginProcessor::positionInputs(int32_t offset) {
    if (!inputsFromHost_ || isInstrument()) return;
    const int32_t layoutChannels = getNumChannels();
    const int32_t count = std::min(layoutChannels, static_cast<int32_t>(channels_.size()));
    const int32_t remaining = hostFrames_ - offset;
    const int32_t sideChainFirst = sideChainEnabled() ? layoutChannels : 0;
    // Read once: the calls below could, for all the compiler knows, change
    // the members.
    const float* const* const inputs = hostInputs_;
    const int32_t inputCount = hostInputCount_;
    Channel* const* const channels = channels_.data();
    auto source = [&](int32_t i) -> const float* {
        const float* buffer = i < inputCount ? inputs[i] : nullptr;
        return buffer != nullptr ? buffer + offset : nullptr;
    };
    for (int32_t c = 0; c < count; ++c) {
        Channel& channel = *channels[c];
        const float* sideChainSource = source(sideChainFirst + c);
        channel.getInput().setSource(source(c), remaining);
        channel.getSideChainInput().setSource(sideChainSource, remaining);
        channel.getSideChainReader().setSource(sideChainSource, remaining);
    }
}

const float* GenericPluginProcessor::inputAt(int32_t c, int32_t offset) const {
    if (hostInputs_ != nullptr && c >= 0 && c < hostInputCount_ && hostInputs_[c] != nullptr)
        return hostInputs_[c] + offset;
    return environment_.getZeroBlock().data();
}

AbstractMusicEventReceiver* GenericPluginProcessor::createEventReceiver() {
    return new DefaultEventReceiver(*this);
}

int32_t GenericPluginProcessor::maxChunkSize() {
    return environment_.getMaxChunkSize();
}

void GenericPluginProcessor::transportStarted() {}

bool GenericPluginProcessor::isSilent(const float* const* buffers, int32_t channelCount, int32_t count) {
    for (int32_t c = 0; c < channelCount; ++c) {
        const float* buffer = buffers[c];
        if (buffer == nullptr) continue;
        for (int32_t i = 0; i < count; ++i) {
            if (std::fabs(buffer[i]) > kSilenceThreshold) return false;
        }
    }
    return true;
}

void GenericPluginProcessor::parameterChanged(int32_t index) {
    for (Channel* channel : channels_)
        channel->parameterChanged(index);
    if (IndexedPluginParameter<MidiState>* midiState = getMidiStateParameter();
        midiState && midiState->getIndex() == index) {
        midiStateValue_ = static_cast<int32_t>(midiState->getValue());
        if (midiStateValue_ == 1) midiNoteOff(0, 1.0f);
    }
    if (AbstractPluginParameter* bypass = getBypassParameter(); bypass && bypass->getIndex() == index)
        switchBypass(static_cast<int32_t>(bypass->getValue()) != 0);
}

void GenericPluginProcessor::switchBypass(bool bypassed) {
    if (bypassed == bypassState_) return;
    bypassState_ = bypassed;
    if (bypassProcessor_ && bypassed != bypassProcessor_->getTarget()) bypassProcessor_->setTarget(bypassed);
}

void GenericPluginProcessor::collectChannelOutputs(const float** pointers, int32_t channelCount,
                                                   int32_t count) {
    const float* zero = environment_.getZeroBlock().data();
    for (int32_t c = 0; c < channelCount; ++c) {
        if (c < static_cast<int32_t>(channels_.size()) &&
            channels_[static_cast<size_t>(c)]->getOutput() != nullptr)
            pointers[c] = channels_[static_cast<size_t>(c)]->getOutput()->pull(count).data();
        else
            pointers[c] = zero;
    }
}

void GenericPluginProcessor::notifySampleRateChanged() {
    for (Channel* channel : channels_)
        channel->sampleRateChanged();
}
