#pragma once

// A small processor for the tests: two channels whose output is the input
// (or the side chain) through a producer that counts its runs and scales by
// a gain parameter; bypass, MIDI state and gain parameters; a settable
// latency; a log of pieces, note hooks and transport calls. Its logs and the
// adapter stand-in are sized up front, so the audio path stays free of
// allocations.

#include "dsp/wave/Producer.h"
#include "plugin/GenericPluginProcessor.h"

#include <xmmintrin.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test {

struct ProcessorLog {
    enum Kind { kPiece, kNoteOn, kNoteOff, kTempo, kTransportStarted };
    struct Entry {
        Kind kind;
        float a;
        float b;
    };

    ProcessorLog() { entries.reserve(1 << 16); }
    void add(Kind kind, float a = 0.0f, float b = 0.0f) {
        if (entries.size() < entries.capacity()) entries.push_back({kind, a, b});
    }
    // The log as text: "piece 128", "noteOn 60", ...
    std::vector<std::string> text() const {
        static const char* const names[] = {"piece", "noteOn", "noteOff", "tempo", "transportStarted"};
        std::vector<std::string> lines;
        for (const Entry& e : entries) {
            std::string line = names[e.kind];
            if (e.kind == kPiece || e.kind == kNoteOn || e.kind == kNoteOff)
                line += " " + std::to_string(static_cast<int>(e.a));
            lines.push_back(line);
        }
        return lines;
    }
    std::vector<Entry> entries;
};

// out = in * gain, from the main input or the side-chain input.
class PassProducer : public wave::Producer, public ValueAssignable<float> {
public:
    PassProducer(GenericPluginProcessor::Channel& channel, wave::Environment& environment, ProcessorLog* log)
        : wave::Producer(environment), channel(channel), log(log) {
        registerComponent();
    }

    void setValue(float value) override { gain = value; }
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        ++runs;
        lastControlWord = _mm_getcsr();
        displayActive = getEnvironment().isDisplayActive();
        wave::Producer& source = readSideChain ? static_cast<wave::Producer&>(channel.getSideChainInput())
                                               : static_cast<wave::Producer&>(channel.getInput());
        const float* in = source.pull(count).data();
        float* out = block->data();
        for (int i = 0; i < count; ++i)
            out[i] = in[i] * gain;
        block->setConstant(false);
        if (log != nullptr) log->add(ProcessorLog::kPiece, static_cast<float>(count));
    }
    void reset() override { ++resets; }

    GenericPluginProcessor::Channel& channel;
    ProcessorLog* log;
    float gain = 1.0f;
    bool readSideChain = false;
    int runs = 0;
    int resets = 0;
    unsigned lastControlWord = 0;
    bool displayActive = false;
};

class TestChannel : public GenericPluginProcessor::Channel {
public:
    TestChannel(GenericPluginProcessor& processor, ProcessorLog* log)
        : Channel(processor), producer(*this, processor.getEnvironment(), log) {
        setOutput(&producer);
    }
    PassProducer producer;
};

class TestAdapter : public GenericPluginProcessor::ProcessorAdapter {
public:
    TestAdapter() {
        programs.reserve(1024);
        controllersSeen.reserve(1024);
        changedParameters.reserve(1 << 16);
    }
    void programChange(int32_t bank, int32_t program) override {
        if (programs.size() < programs.capacity()) programs.emplace_back(bank, program);
    }
    void midiControllerSeen(int32_t number) override {
        if (controllersSeen.size() < controllersSeen.capacity()) controllersSeen.push_back(number);
    }
    void processorParameterChanged(int32_t index) override {
        if (changedParameters.size() < changedParameters.capacity()) changedParameters.push_back(index);
    }

    std::vector<std::pair<int32_t, int32_t>> programs;
    std::vector<int32_t> controllersSeen;
    std::vector<int32_t> changedParameters;
};

class TestProcessor : public GenericPluginProcessor {
public:
    struct Options {
        uint32_t flags = 0;
        int32_t latency = 0;
        uint32_t kind = kDelay;
        bool neverSilent = false;
        // The derived class calls initProcessing itself.
        bool deferInit = false;
    };

    TestProcessor() : TestProcessor(Options{}) {}
    explicit TestProcessor(Options options) : neverSilent(options.neverSilent) {
        pluginKind = options.kind;
        pluginFlags = options.flags;
        pluginId = "ZTst";
        pluginName = "Test";
        gain.initValue(1.0f);
        gain.setDefault(1.0f);
        midiState.setValueNames("Enabled,Disabled");
        for (int c = 0; c < 2; ++c) {
            auto* channel = new TestChannel(*this, c == 0 ? &log : nullptr);
            addChannel(channel);
            gain.addValueListener(&channel->producer);
            testChannels.push_back(channel);
        }
        setBypassParameter(&bypass);
        setMidiStateParameter(&midiState);
        setLatency(options.latency);
        if (!options.deferInit) initProcessing();
    }

    PassProducer& producer(int c) const { return testChannels[static_cast<size_t>(c)]->producer; }
    int totalRuns() const { return producer(0).runs + producer(1).runs; }

    void midiNoteOn(int32_t key, float velocity) override {
        log.add(ProcessorLog::kNoteOn, float(key), velocity);
    }
    void midiNoteOff(int32_t key, float velocity) override {
        log.add(ProcessorLog::kNoteOff, float(key), velocity);
    }
    void tempoChanged(float tempo, float position) override {
        log.add(ProcessorLog::kTempo, tempo, position);
    }
    void transportStarted() override { log.add(ProcessorLog::kTransportStarted); }
    bool isSilent(const float* const* buffers, int32_t channels, int32_t count) override {
        return !neverSilent && GenericPluginProcessor::isSilent(buffers, channels, count);
    }

    IndexedPluginParameter<bool> bypass{this, "Bypass"};
    IndexedPluginParameter<MidiState> midiState{this, "Receive Midi"};
    FloatPluginParameter gain{this, "Gain"};
    ProcessorLog log;
    std::vector<TestChannel*> testChannels;
    bool neverSilent;
};

// Host buffers for one block: channels of input and output.
struct HostBlock {
    explicit HostBlock(int frames, int inputChannels = 2, int outputChannels = 2)
        : frames(frames),
          in(static_cast<size_t>(inputChannels), std::vector<float>(static_cast<size_t>(frames))),
          out(static_cast<size_t>(outputChannels), std::vector<float>(static_cast<size_t>(frames))) {
        for (auto& channel : in)
            inputs.push_back(channel.data());
        for (auto& channel : out)
            outputs.push_back(channel.data());
    }

    // Runs the block; returns the status word (bit 0 in when quiet).
    int32_t run(GenericPluginProcessor& processor, bool quiet = false) {
        int32_t status = quiet ? 1 : 0;
        processor.process(inputs.data(), static_cast<int32_t>(inputs.size()), outputs.data(),
                          static_cast<int32_t>(outputs.size()), frames, &status);
        return status;
    }

    void fillInputs(float value) {
        for (auto& channel : in)
            std::fill(channel.begin(), channel.end(), value);
    }

    int frames;
    std::vector<std::vector<float>> in;
    std::vector<std::vector<float>> out;
    std::vector<const float*> inputs;
    std::vector<float*> outputs;
};

} // namespace test
