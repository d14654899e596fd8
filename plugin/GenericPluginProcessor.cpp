#include "plugin/GenericPluginProcessor.h"

#include "dsp/Simd.h"
#include "foundation/BinaryData.h"
#include "foundation/Lock.h"
#include "foundation/SystemUtils.h"
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
                                                                       int count, int mode) {
    wave::Input::produce(block, count, mode);
    if (!(processor.sideChainEnabled() && processor.isSideChainConnected()))
        setCurrentBlock(getEnvironment().getZeroBlock());
}

GenericPluginProcessor::Channel::Channel(GenericPluginProcessor& processor)
    : input(std::make_unique<wave::Input>(processor.getEnvironment())),
      sideChainInput(std::make_unique<ConnectedSideChainInput>(processor.getEnvironment(), processor)),
      sideChainReader(std::make_unique<wave::Input>(processor.getEnvironment())) {}

GenericPluginProcessor::Channel::~Channel() = default;

void GenericPluginProcessor::Channel::parameterChanged(int32_t) {}

void GenericPluginProcessor::Channel::sampleRateChanged() {}

// BypassProcessor

GenericPluginProcessor::BypassProcessor::BypassProcessor(GenericPluginProcessor& processor)
    : mix(processor.getEnvironment(), 0.0f), processor(processor) {
    tailCounter = processor.tailLength() == kTailNeverSleeps ? -1 : 0;
    processedOutputs.assign(static_cast<size_t>(std::max(processor.getNumChannels(), 0)), nullptr);
    buildLatencyDelays(processor.getLatency());
}

void GenericPluginProcessor::BypassProcessor::buildLatencyDelays(int32_t latency) {
    delays.clear();
    builtLatency = std::max(latency, 0);
    if (processor.isInstrument() || builtLatency < 1) return;
    wave::Environment& environment = processor.getEnvironment();
    for (int32_t c = 0; c < processor.getNumChannels(); ++c) {
        auto delay = std::make_unique<wave::Delay>(environment, builtLatency);
        delay->setFixedReadDelay(builtLatency);
        delays.push_back(std::move(delay));
    }
}

void GenericPluginProcessor::BypassProcessor::reset() {
    resetPending = true;
    for (auto& delay : delays)
        delay->clear();
}

void GenericPluginProcessor::BypassProcessor::setTarget(bool bypassed) {
    const bool wasBypassed = targetBypass;
    targetBypass = bypassed;
    if (bypassed) {
        mix.setValue(1.0f, kBypassRampMs);
        unbypassPending = false;
    } else {
        // Coming back: the graph is reset below, and the ramp to the
        // processed signal starts once the dry path has caught up with the
        // latency, counted in whole pieces. Without latency it still waits
        // one piece: a glide started at the position of a reset would end
        // at once, and the effect would come back with a jump.
        unbypassDelay = std::max(builtLatency, 1);
        unbypassPending = true;
    }
    if (wasBypassed) processor.getEnvironment().reset(wave::Environment::kResetActive);
}

void GenericPluginProcessor::BypassProcessor::process(float* const* outputs, int32_t channels, int32_t offset,
                                                      int32_t count, int32_t& mode) {
    wave::Environment& environment = processor.getEnvironment();
    channels = std::min(channels, static_cast<int32_t>(processedOutputs.size()));
    environment.nextBlock();

    if (resetPending) {
        // The mix jumps: the reset moved the environment's marks.
        resetPending = false;
        tailCounter = processor.tailLength() != kTailNeverSleeps ? 0 : -1;
        if (unbypassPending) {
            mix.setValue(0.0f);
            unbypassPending = false;
        }
    } else if (unbypassPending) {
        if (unbypassDelay > 0) {
            unbypassDelay -= count;
        } else {
            mix.setValue(0.0f, kBypassRampMs);
            unbypassPending = false;
        }
    }

    const wave::BasicBlock<float>& mixBlock = mix.advanceBlock(count);
    const float* mixValues = mixBlock.data();

    for (size_t c = 0; c < delays.size(); ++c)
        delays[c]->write(processor.inputAt(static_cast<int32_t>(c), offset), count);

    const bool fullyBypassed = mixBlock.isConstant() && std::fabs(mixValues[0] - 1.0f) <= kEpsilon;
    bool skip = fullyBypassed;
    if (!fullyBypassed || unbypassPending) {
        const int32_t tail = processor.tailLength();
        bool tailEnded = false;
        if ((mode & 1) != 0) {
            if (tailCounter == -1)
                tailCounter = tail < 0 ? (builtLatency > 0 ? builtLatency : -1) : tail + builtLatency;
            if (tailCounter == 0) {
                skip = true;
                tailEnded = true;
                for (int32_t c = 0; c < channels; ++c)
                    processedOutputs[static_cast<size_t>(c)] = processor.inputAt(c, offset);
            }
        } else {
            tailCounter = -1;
        }
        if (!tailEnded) {
            processor.positionInputs(offset);
            processor.collectChannelOutputs(processedOutputs.data(), channels, count);
            if (tailCounter >= 0) {
                tailCounter = std::max(tailCounter - count, 0);
                if (tailCounter == 0) {
                    if (tail < 0)
                        tailCounter = -2;
                    else if (!environment.isIdle())
                        tailCounter = 1;
                }
                mode &= ~2;
            } else if ((mode & 1) != 0 && tail == kTailEndless && environment.isIdle() &&
                       processor.isSilent(processedOutputs.data(), channels, count)) {
                tailCounter = 0;
            } else {
                mode &= ~2;
            }
        }
    }

    environment.process(count, skip ? wave::Environment::kSkipProcessing : 0);

    if (mixBlock.isConstant() && std::fabs(mixValues[0]) <= kEpsilon) {
        for (int32_t c = 0; c < channels; ++c) {
            if (outputs[c] != nullptr)
                copySamples(outputs[c] + offset, processedOutputs[static_cast<size_t>(c)], count);
        }
        return;
    }

    for (int32_t c = 0; c < channels; ++c) {
        float* out = outputs[c];
        if (out == nullptr) continue;
        out += offset;
        if (processor.isInstrument())
            std::memset(out, 0, static_cast<size_t>(count) * sizeof(float));
        else if (builtLatency < 1)
            copySamples(out, processor.inputAt(c, offset), count);
        else if (static_cast<size_t>(c) < delays.size())
            delays[static_cast<size_t>(c)]->readFixed(builtLatency, out, count);
        else
            std::memset(out, 0, static_cast<size_t>(count) * sizeof(float));
    }

    if (fullyBypassed) {
        if (builtLatency >= 1 && (mode & 2) != 0) {
            for (int32_t c = 0; c < channels && (mode & 2) != 0; ++c) {
                const float* out = outputs[c];
                if (out == nullptr) continue;
                for (int32_t i = 0; i < count; ++i) {
                    if (std::fabs(out[offset + i]) > kEpsilon) {
                        mode &= ~2;
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
        const float* processed = processedOutputs[static_cast<size_t>(c)];
        for (int32_t i = 0; i < count; ++i)
            out[i] = (out[i] - processed[i]) * mixValues[i] + processed[i];
    }
}

// GenericPluginProcessor

GenericPluginProcessor::GenericPluginProcessor() : GenericPluginBase(parameterCollection) {
    for (std::atomic<uint64_t>& entry : instanceTracking)
        entry.store(kEmptyTrackingEntry);
}

GenericPluginProcessor::~GenericPluginProcessor() {
    lowerProcessorCount();
    bypassProcessor.reset();
    for (Channel* channel : channels)
        delete channel;
    channels.clear();
}

void GenericPluginProcessor::beginUpdate() {
    suspendCount.fetch_add(1);
}

void GenericPluginProcessor::endUpdate() {
    suspendCount.fetch_sub(1);
}

void GenericPluginProcessor::setParameterValue(int32_t index, float value, int32_t flags) {
    parameterQueue.push({index, value});
    if ((flags & kParameterChangeNotToHost) == 0 && adapter != nullptr)
        adapter->processorParameterChanged(index);
}

void GenericPluginProcessor::addParameterAlias(AbstractPluginParameter*, const std::string&) {}

int32_t GenericPluginProcessor::getNameIndex(const std::string&) {
    return 0;
}

void GenericPluginProcessor::requestLightReset() {
    parameterQueue.push({kLightResetIndex, 0.0f});
}

void GenericPluginProcessor::requestFullReset() {
    parameterQueue.push({kFullResetIndex, 0.0f});
}

int32_t GenericPluginProcessor::getProcessorCount() {
    ProcessWide& shared = processWide();
    ScopedLock lock(*shared.lock);
    return shared.processors;
}

void GenericPluginProcessor::initProcessing() {
    if (bypassProcessor) return;
    {
        ProcessWide& shared = processWide();
        ScopedLock lock(*shared.lock);
        if (!countedInProcess) {
            countedInProcess = true;
            if (shared.processors++ == 0) {
                if (shared.block.load() == nullptr) {
                    void* memory = openSharedInstanceMemory("ZentorProcess2", kProcessBlockSize);
                    shared.block.store(memory != nullptr ? static_cast<uint32_t*>(memory) : standInBlock);
                }
                firstInstanceInit();
            }
        }
    }
    environment.sampleRateChanged.setHandler(
        NotifyEvent::bind(this, &GenericPluginProcessor::notifySampleRateChanged));
    eventReceiver.reset(createEventReceiver());
    midiDecoder = std::make_unique<MidiDecoder>(*eventReceiver);
    bypassProcessor = std::make_unique<BypassProcessor>(*this);
    audioSources.assign(static_cast<size_t>(std::max(audioSourceCount, 0)), nullptr);
    levelSources.assign(
        static_cast<size_t>(std::max(getNumChannels() * levelSourcesPerChannel + levelSourceFixedCount, 0)),
        nullptr);
    spectrumSources.assign(static_cast<size_t>(std::max(spectrumSourceCount, 0)), nullptr);
    if (hasFlag(kFlagEditorMidiQueue)) editorMidiQueue = std::make_unique<EventQueue>(32, 32);
}

void GenericPluginProcessor::lowerProcessorCount() {
    ProcessWide& shared = processWide();
    ScopedLock lock(*shared.lock);
    if (!countedInProcess) return;
    countedInProcess = false;
    if (--shared.processors == 0) lastInstanceReleased();
}

void GenericPluginProcessor::firstInstanceInit() {}

void GenericPluginProcessor::lastInstanceReleased() {}

void GenericPluginProcessor::activate(float sampleRate) {
    environment.setSampleRate(sampleRate);
    if (bypassProcessor && bypassProcessor->getBuiltLatency() != getLatency())
        bypassProcessor->buildLatencyDelays(getLatency());
    active = true;
}

void GenericPluginProcessor::deactivate() {
    active = false;
}

void GenericPluginProcessor::setLatency(int32_t samples) {
    latency.store(std::max(samples, 0), std::memory_order_relaxed);
    if (!active && bypassProcessor && bypassProcessor->getBuiltLatency() != getLatency())
        bypassProcessor->buildLatencyDelays(getLatency());
}

GenericPluginProcessor::Channel* GenericPluginProcessor::addChannel(Channel* channel) {
    channels.push_back(channel);
    return channel;
}

void GenericPluginProcessor::setTransport(float newTempo, float position, int32_t, bool nowPlaying) {
    // A tempo of (nearly) 0 means 120; so does one that is no number. A
    // position that is no number is taken as 0.
    if (!(std::fabs(newTempo) > kEpsilon) || !std::isfinite(newTempo)) newTempo = 120.0f;
    if (!std::isfinite(position)) position = 0.0f;

    if (std::fabs(position - songPosition) <= kEpsilon && !nowPlaying) {
        // Stopped: the processor's own clock runs on and wraps every 256 beats.
        clockPosition +=
            static_cast<double>(samplesSinceTransport) * newTempo / 60.0 / environment.getSampleRate();
        clockPosition = std::fmod(clockPosition, kClockWrapBeats);
        if (!std::isfinite(clockPosition)) clockPosition = 0.0;
    } else {
        clockPosition = position;
        if (!playing && nowPlaying) transportStarted();
    }

    if (uint32_t* block = processWide().block.load(std::memory_order_acquire)) {
        const uint32_t sequence = std::atomic_ref<uint32_t>(block[0]).fetch_add(1) + 1;
        if (nowPlaying) {
            for (std::atomic<uint64_t>& entry : instanceTracking) {
                if (entry.load() == kEmptyTrackingEntry) {
                    entry.store(static_cast<uint64_t>(sequence) << 32 | 0xFFFFFFFEu);
                    break;
                }
            }
        } else {
            for (std::atomic<uint64_t>& entry : instanceTracking)
                entry.store(kEmptyTrackingEntry);
        }
    }

    tempo.store(newTempo, std::memory_order_relaxed);
    songPosition = position;
    playing = nowPlaying;
    tempoChangedFlag = true;
    samplesSinceTransport = 0;
}

int32_t GenericPluginProcessor::chunkLimit() {
    return std::clamp(maxChunkSize(), 1, environment.getMaxChunkSize());
}

void GenericPluginProcessor::process(const float* const* inputs, int32_t numInputs, float* const* outputs,
                                     int32_t numOutputs, int32_t frames, int32_t* status) {
    simd::ScopedControlWord controlWord(simd::kAudioThreadCsr);
    if (!bypassProcessor) return;
    frames = std::max(frames, 0);

    uint32_t counter = processedSamples.load();
    uint32_t next = 0;
    do {
        next = static_cast<uint32_t>(
            std::min<uint64_t>(uint64_t(counter) + uint64_t(frames), uint64_t(kProcessedSamplesLimit)));
    } while (!processedSamples.compare_exchange_weak(counter, next));
    environment.setDisplayActive(static_cast<float>(next) < environment.getSampleRate());

    samplesSinceTransport =
        static_cast<int32_t>(std::min<int64_t>(int64_t(samplesSinceTransport) + frames, INT_MAX));
    lastMidiController = -1;
    if (!isSuspended()) drainParameterQueue();
    if (tempoChangedFlag) {
        tempoChanged(getTempo(), static_cast<float>(clockPosition));
        tempoChangedFlag = false;
    }

    numOutputs = outputs != nullptr ? std::clamp(numOutputs, 0, getNumChannels()) : 0;
    int32_t maxChunk = chunkLimit();
    inputsFromHost = false;
    setInputBuffers(inputs, numInputs, frames);
    int32_t mode = status != nullptr && (*status & 1) != 0 ? 3 : 0;
    EventQueue& queue = eventQueueFor(midiQueue, frames);

    bool midiSeen = false;
    bool held = false;
    MidiEvent event;
    int32_t pos = 0;
    while (pos < frames) {
        if (!held) held = queue.pop(event);
        const int32_t end = held ? std::min(event.offset, frames) : frames;
        while (pos < end) {
            const int32_t count = std::min(end - pos, maxChunk);
            bypassProcessor->process(outputs, numOutputs, pos, count, mode);
            pos += count;
        }
        if (held) {
            midiDecoder->receiveMidi(event);
            held = false;
            midiSeen = true;
            if (!isSuspended()) drainParameterQueue();
            maxChunk = chunkLimit();
        }
    }
    if (status != nullptr) *status = mode;

    while (queue.pop(event)) {
        midiDecoder->receiveMidi(event);
        midiSeen = true;
    }
    if (midiSeen && adapter != nullptr) adapter->midiControllerSeen(lastMidiController);
    hostInputs = nullptr;
    hostInputCount = 0;
    inputsFromHost = false;
}

void GenericPluginProcessor::reset() {
    simd::ScopedControlWord controlWord(simd::kAudioThreadCsr);
    environment.reset(wave::Environment::kResetActive);
    if (bypassProcessor) bypassProcessor->reset();
    clockPosition = 0.0;
    samplesSinceTransport = 0;
    if (!isSuspended()) drainParameterQueue();
}

void GenericPluginProcessor::drainParameterQueue() {
    // Forwarded values wait for the end of the outermost drain.
    UpdatedObject::Hold hold(getEventForwarders());
    ParameterChange change;
    while (parameterQueue.pop(change)) {
        if (change.index >= 0) {
            if (AbstractPluginParameter* parameter = getParameter(change.index)) {
                parameter->applyValue(change.value);
                parameterChanged(change.index);
            }
        } else if (change.index == kLightResetIndex) {
            environment.reset(wave::Environment::kResetLight);
        } else {
            environment.reset(wave::Environment::kResetActive);
        }
    }
}

bool GenericPluginProcessor::writeProcessorState(std::ostream& stream) {
    processedSamples.store(0);
    for (IAudioSourceBuffer* source : audioSources)
        if (source != nullptr) source->lock();
    for (SpectrumSource* source : spectrumSources)
        if (source != nullptr) source->lock();

    BinaryDataWriter writer(stream);
    for (IAudioSourceBuffer* source : audioSources) {
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
    for (DisplayLevelSource* source : levelSources) {
        for (int i = 0; i < 5; ++i)
            writer.writeFloat(source != nullptr ? source->level(i) : 0.0f);
        writer.writeInt32(source != nullptr ? source->info() : 0);
    }
    for (SpectrumSource* source : spectrumSources) {
        const int32_t count = source != nullptr ? std::max(source->valueCount(), 0) : 0;
        const float* values = source != nullptr ? source->values() : nullptr;
        writer.writeUInt32(static_cast<uint32_t>(source != nullptr ? source->info() : 0));
        writer.writeUInt32(values != nullptr ? static_cast<uint32_t>(count) : 0u);
        if (values != nullptr) {
            for (int32_t i = 0; i < count; ++i)
                writer.writeFloat(values[i]);
        }
    }

    for (SpectrumSource* source : spectrumSources)
        if (source != nullptr) source->unlock();
    for (IAudioSourceBuffer* source : audioSources)
        if (source != nullptr) source->unlock();

    writer.writeFloat(getTempo());
    for (const std::atomic<uint64_t>& entry : instanceTracking) {
        const uint64_t word = entry.load();
        writer.writeUInt32(static_cast<uint32_t>(word));
        writer.writeUInt32(static_cast<uint32_t>(word >> 32));
    }
    if (editorMidiQueue) {
        MidiEvent event;
        while (editorMidiQueue->pop(event)) {
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
    if (adapter != nullptr) adapter->programChange(bank, program);
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
    hostInputs = buffers;
    hostInputCount = buffers != nullptr ? std::max(count, 0) : 0;
    hostFrames = std::max(frames, 0);
    inputsFromHost = true;
    positionInputs(0);
}

void GenericPluginProcessor::positionInputs(int32_t offset) {
    if (!inputsFromHost || isInstrument()) return;
    const int32_t layoutChannels = getNumChannels();
    const int32_t count = std::min(layoutChannels, static_cast<int32_t>(channels.size()));
    const int32_t remaining = hostFrames - offset;
    const bool sideChain = sideChainEnabled();
    auto source = [&](int32_t i) -> const float* {
        const float* buffer = i < hostInputCount ? hostInputs[i] : nullptr;
        return buffer != nullptr ? buffer + offset : nullptr;
    };
    for (int32_t c = 0; c < count; ++c) {
        Channel& channel = *channels[static_cast<size_t>(c)];
        const float* sideChainSource = source(sideChain ? layoutChannels + c : c);
        channel.getInput().setSource(source(c), remaining);
        channel.getSideChainInput().setSource(sideChainSource, remaining);
        channel.getSideChainReader().setSource(sideChainSource, remaining);
    }
}

const float* GenericPluginProcessor::inputAt(int32_t c, int32_t offset) const {
    if (hostInputs != nullptr && c >= 0 && c < hostInputCount && hostInputs[c] != nullptr)
        return hostInputs[c] + offset;
    return environment.getZeroBlock().data();
}

AbstractMusicEventReceiver* GenericPluginProcessor::createEventReceiver() {
    return new DefaultEventReceiver(*this);
}

int32_t GenericPluginProcessor::maxChunkSize() {
    return environment.getMaxChunkSize();
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
    for (Channel* channel : channels)
        channel->parameterChanged(index);
    if (IndexedPluginParameter<MidiState>* midiState = getMidiStateParameter();
        midiState && midiState->getIndex() == index) {
        midiStateValue = static_cast<int32_t>(midiState->getValue());
        if (midiStateValue == 1) midiNoteOff(0, 1.0f);
    }
    if (AbstractPluginParameter* bypass = getBypassParameter(); bypass && bypass->getIndex() == index)
        switchBypass(static_cast<int32_t>(bypass->getValue()) != 0);
}

void GenericPluginProcessor::switchBypass(bool bypassed) {
    if (bypassed == bypassState) return;
    bypassState = bypassed;
    if (bypassProcessor && bypassed != bypassProcessor->getTarget()) bypassProcessor->setTarget(bypassed);
}

void GenericPluginProcessor::collectChannelOutputs(const float** pointers, int32_t channelCount,
                                                   int32_t count) {
    const float* zero = environment.getZeroBlock().data();
    for (int32_t c = 0; c < channelCount; ++c) {
        if (c < static_cast<int32_t>(channels.size()) &&
            channels[static_cast<size_t>(c)]->getOutput() != nullptr)
            pointers[c] = channels[static_cast<size_t>(c)]->getOutput()->pull(count).data();
        else
            pointers[c] = zero;
    }
}

void GenericPluginProcessor::notifySampleRateChanged() {
    for (Channel* channel : channels)
        channel->sampleRateChanged();
}
